// The outcome of a save judged from the change of the site's inspection list.
#include "core/pagerules.h"
#include "core/statustexts.h"

#include <QtTest>

namespace {
const QDate kToday(2026, 3, 7);

// "0:35,-1:40": rows (date, rate) with the date given in days from today, as the portal writes it.
QList<QStringList> Rows(const QString &spec)
{
    QList<QStringList> rows;
    for (const QString &row : spec.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QDate date = kToday.addDays(row.section(QLatin1Char(':'), 0, 0).toInt());
        rows.append({date.toString(QStringLiteral("dd.MM.yyyy")), row.section(QLatin1Char(':'), 1),
                     QStringLiteral("Mehmet Öztürk")});
    }
    return rows;
}
} // namespace

class tst_listchange : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void saveFromListChange_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("guard"); // the list before trips the same-day guard
        const auto row = [](const char *name, const char *before, const char *after,
                            const QString &status, bool guard) {
            QTest::newRow(name) << QString(before) << QString(after) << status << guard;
        };
        const QString sent = SubmitText::Sent();
        const QString notSent = SubmitText::NotSent();
        row("new row last, dated today", "-30:15", "-30:15,0:35", sent, false);
        row("new row first (newest first)", "-30:15,-60:10", "0:35,-30:15,-60:10", sent, false);
        row("first record of the site", "", "0:35", sent, false);
        row("same date and rate as a row of today", "0:35", "0:35,0:35", sent, true);
        row("oldest row paged out, new row in", "-60:10,-30:15", "-30:15,0:35", sent, false);
        row("one new row of today among others", "-30:15", "-2:20,0:35,-1:30", sent, false);
        // A row of today that was there before is no proof: the last-row test took it for one.
        row("save lost, a row of today already there", "-30:15,0:15", "-30:15,0:15", notSent, true);
        row("save lost", "-30:15", "-30:15", notSent, false);
        row("no list after the save", "-30:15", "", notSent, false);
        row("dated yesterday by the portal's clock", "-30:15", "-30:15,-1:35",
            SubmitText::SavedOtherDay(QStringLiteral("06.03.2026")), false);
    }
    void saveFromListChange()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(QString, status);
        QFETCH(bool, guard);
        const SubmissionOutcome o =
            SaveOutcome(SaveFromListChange(Rows(before), Rows(after), kToday));
        QCOMPARE(o.status.value_or(QString()), status);
        // Whatever the portal holds leaves the queue ("2"); only the sent one is marked done.
        QCOMPARE(o.stored, status == SubmitText::NotSent() ? Outcome::NotSent : Outcome::Sent);
        QCOMPARE(o.mark, status == SubmitText::Sent() ? RowMark::Done : RowMark::Problem);
        QCOMPARE(HasRowDatedToday(Rows(before), kToday), guard);
    }
};

QTEST_GUILESS_MAIN(tst_listchange)
#include "tst_listchange.moc"
