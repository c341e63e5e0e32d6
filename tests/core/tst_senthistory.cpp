// The sent history against a firm's store holding two institutions' records over several days:
// which records a period and the filters show, with their proofs, and the spreadsheet export.
#include "core/senthistory.h"
#include "core/statustexts.h"
#include "storefixture.h"

#include <QtTest>

using history::SentRecord;

class tst_senthistory : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup() { m_fx.reset(); }
    void periodAndFilters_data();
    void periodAndFilters();
    void csv();

private:
    std::unique_ptr<StoreFixture> m_fx;
};

void tst_senthistory::init()
{
    m_fx = std::make_unique<StoreFixture>(); // today: 07.03.2026
    m_fx->site(1, QStringLiteral("12/3 A"), 1000, QStringLiteral("Ayşe Yılmaz"));
    m_fx->site(2, QStringLiteral("7 B"), 2000, QStringLiteral("Can Er"));
    m_fx->site(3, QStringLiteral("9 C"), 3000, QStringLiteral("Deniz Ak"), QStringLiteral("x"),
               QStringLiteral("DIGER"));
    const QVariant null(QMetaType::fromType<QString>());
    // number, parcel, state, day sent, operator
    const QList<QVariantList> records = {
        {1, "12/3 A", "2", "2026-03-07", "Ayşe Kaya"},
        {2, "7 B", "2", "2026-03-07", "Zeynep Ak"},
        {3, "12/3 A", "2", "2026-03-06", "Ömer Çelik"},
        {4, "12/3 A", "2", "2026-03-05", "Ayşe Kaya"},
        {5, "12/3 A", "1", null, "Ömer Çelik"},                  // still pending
        {6, "12/3 A", "1", "2026-03-07", "Ömer Çelik"},          // not sent: dated, yet pending
        {7, "9 C", "2", "2026-03-07", "Ömer Çelik"},             // the other institution's
        {8, "12/3 A", "2", "2026-03-07 16:45:00", "Ömer Çelik"}, // a day written with its time
        {9, "7 B", "2", "2026-03-07", "Zeynep Ak", SubmitText::SevenDay()}, // left out, not sent
        {10, "7 B", "2", "2026-03-07", "Zeynep Ak", SubmitText::SameDay()},
    };
    for (QVariantList r : records)
        QVERIFY(db::Exec(StoreFixture::y(),
                         "insert into yedek5 (sayı, ada, alan1, bak_durum, bak_tarih, kullanici, "
                         "bakanlik_aciklama) values (?,?,'a.jpg',?,?,?,?)",
                         r << (r.size() > 5 ? QVariantList{} : QVariantList{SubmitText::Sent()})));
    // Record 1 left its proof; record 2 only half of one.
    const ProofFiles one =
        ProofPaths(ProofFolder(m_fx->ortak, "12/3 A"), "1000", QDate(2026, 3, 7), 1);
    QVERIFY(WriteProof(one, "%PDF-1.4 liste", "jpeg"));
    QDir().mkpath(ProofFolder(m_fx->ortak, "7 B"));
    QFile half(ProofPaths(ProofFolder(m_fx->ortak, "7 B"), "2000", QDate(2026, 3, 7), 2).pdf);
    QVERIFY(half.open(QIODevice::WriteOnly));
}

void tst_senthistory::periodAndFilters_data()
{
    QTest::addColumn<int>("from"); // days from today
    QTest::addColumn<int>("to");
    QTest::addColumn<bool>("restricted");
    QTest::addColumn<QString>("yibf");
    QTest::addColumn<QString>("operatorName");
    QTest::addColumn<QList<qlonglong>>("shown");
    using L = QList<qlonglong>;
    QTest::newRow("today, the institution's") << 0 << 0 << true << ""
                                              << "" << L{1, 2, 8};
    QTest::newRow("today, one institution in the grid") << 0 << 0 << false << ""
                                                        << "" << L{1, 2, 7, 8};
    QTest::newRow("three days, oldest first") << -2 << 0 << true << ""
                                              << "" << L{4, 3, 1, 2, 8};
    QTest::newRow("yesterday") << -1 << -1 << true << ""
                               << "" << L{3};
    QTest::newRow("a site") << -2 << 0 << true << "1000"
                            << "" << L{4, 3, 1, 8};
    QTest::newRow("an operator") << -2 << 0 << true << ""
                                 << "Ömer Çelik" << L{3, 8};
    QTest::newRow("a site and an operator") << -2 << 0 << true << "2000"
                                            << "Ömer Çelik" << L{};
    QTest::newRow("days with nothing sent") << -9 << -3 << true << ""
                                            << "" << L{};
}

void tst_senthistory::periodAndFilters()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(bool, restricted);
    QFETCH(QString, yibf);
    QFETCH(QString, operatorName);
    QFETCH(QList<qlonglong>, shown);
    const QDate today = m_fx->tp.clock->today();
    const auto all = history::ReadSentHistory({"FIRMA", restricted, m_fx->ortak},
                                              today.addDays(from), today.addDays(to));
    QVERIFY(all);
    QList<qlonglong> numbers;
    for (const SentRecord &r : history::Filtered(*all, {yibf, operatorName})) {
        numbers << r.number;
        QCOMPARE(r.hasProof, r.number == 1);
        if (r.number == 8)
            QCOMPARE(r.date, today);
    }
    QCOMPARE(numbers, shown);
}

void tst_senthistory::csv()
{
    SentRecord a;
    a.number = 12;
    a.date = QDate(2026, 3, 7);
    a.yibf = "1000";
    a.ada = "12/3 A";
    a.owner = "Ayşe \"Yapı\" Yılmaz";
    a.photo = "a.jpg";
    a.status = "=HYPERLINK(\"x\")";
    a.operatorName = "Ömer Çelik";
    a.proof.pdf = "/ortak/kanit/1000_2026-03-07_12.pdf";
    a.hasProof = true;
    SentRecord b = a;
    b.status = "YİBF NO: 1000 hata;\r\rBU MESAJ";
    b.hasProof = false;
    QCOMPARE(history::HistoryCsv({a, b}),
             QByteArray("\xEF\xBB\xBF"
                        "\"Gönderim Tarihi\";\"YİBF No\";\"Pafta/Ada/Parsel\";\"Yapı Sahibi\";"
                        "\"Fotoğraf\";\"Durum\";\"Kullanıcı\";\"Kayıt No\";\"Kanıt\"\r\n"
                        "\"07.03.2026\";\"1000\";\"12/3 A\";\"Ayşe \"\"Yapı\"\" Yılmaz\";\"a.jpg\";"
                        "\"'=HYPERLINK(\"\"x\"\")\";\"Ömer Çelik\";\"12\";"
                        "\"/ortak/kanit/1000_2026-03-07_12.pdf\"\r\n"
                        "\"07.03.2026\";\"1000\";\"12/3 A\";\"Ayşe \"\"Yapı\"\" Yılmaz\";\"a.jpg\";"
                        "\"YİBF NO: 1000 hata;  BU MESAJ\";\"Ömer Çelik\";\"12\";\"\"\r\n"));
    // The lists to choose from, in the operators' alphabet.
    b.operatorName = "Zeynep Ak";
    SentRecord c = a;
    c.operatorName = "Ayşe Kaya";
    c.yibf = "999";
    QCOMPARE(history::Operators({a, b, c}), QStringList({"Ayşe Kaya", "Ömer Çelik", "Zeynep Ak"}));
    QCOMPARE(history::Sites({a, b, c}), QStringList({"999", "1000"}));
}

QTEST_MAIN(tst_senthistory)
#include "tst_senthistory.moc"
