#include "core/senthistory.h"
#include "core/statustexts.h"

#include "core/connection.h"
#include "core/database.h"

#include <QCollator>
#include <QLocale>
#include <QSaveFile>
#include <QSet>

#include <algorithm>

namespace history {

namespace {
// The day of a date column: SQLite hands it back as text, possibly with a time after it.
QDate Day(const QVariant &value)
{
    if (value.metaType().id() == QMetaType::QString)
        return QDate::fromString(value.toString().left(10), Qt::ISODate);
    return value.toDate();
}

QString OneLine(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

QStringList Distinct(const QList<SentRecord> &records, QString SentRecord::*field, bool numeric)
{
    QStringList values;
    QSet<QString> seen;
    for (const SentRecord &r : records)
        if (!(r.*field).isEmpty() && !seen.contains(r.*field)) {
            seen.insert(r.*field);
            values.append(r.*field);
        }
    QCollator collator{QLocale(QLocale::Turkish, QLocale::Turkey)};
    collator.setNumericMode(numeric);
    std::sort(values.begin(), values.end(), collator);
    return values;
}

QString CsvCell(QString cell)
{
    if (!cell.isEmpty() && QStringLiteral("=+-@\t\r").contains(cell.front()))
        cell.prepend(QLatin1Char('\''));
    cell.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + cell + QLatin1Char('"');
}
} // namespace

QString SentHistoryQuery(bool restricted)
{
    return QStringLiteral("select yedek5.sayı,bak_tarih,bakanlik_aciklama,kullanici,yedek5.alan1,"
                          "yedek5.ada,(inşaat.yedek1) as yibfno,arsasahibi from inşaat inner "
                          "join yedek5 on inşaat.ada=yedek5.ada where bak_durum='2' and "
                          "bak_tarih>=? and bak_tarih<? and (bakanlik_aciklama is null or "
                          "bakanlik_aciklama not in (?,?))") +
           (restricted ? QStringLiteral(" and firma =?") : QString()) +
           QStringLiteral(" order by bak_tarih,yedek5.sayı");
}

std::optional<QList<SentRecord>> ReadSentHistory(const Scope &scope, const QDate &from,
                                                 const QDate &to)
{
    // Up to before the day after: a date stored with a time of day still counts for its day.
    // Records left out of the queue without being sent (the seven-day rule, a record of today
    // already on the portal) are "2" too: their own texts keep them out of what was sent.
    QVariantList binds{from, to.addDays(1), SubmitText::SevenDay(), SubmitText::SameDay()};
    if (scope.restricted)
        binds.append(scope.portalUser);
    const auto rows = db::Select(ConnectionString(QStringLiteral("y3436")),
                                 SentHistoryQuery(scope.restricted), binds);
    if (!rows)
        return std::nullopt;
    QList<SentRecord> records;
    for (const QSqlRecord &row : *rows) {
        auto text = [&row](const char *column) { return db::Text(row, QString::fromUtf8(column)); };
        SentRecord r;
        r.number = text("sayı").toLongLong();
        r.date = Day(row.value(QStringLiteral("bak_tarih")));
        r.status = text("bakanlik_aciklama");
        r.operatorName = text("kullanici");
        r.yibf = text("yibfno");
        r.ada = text("ada");
        r.owner = text("arsasahibi");
        r.photo = text("alan1");
        r.proof = ProofPaths(ProofFolder(scope.ortak, r.ada), r.yibf, r.date, r.number);
        r.hasProof = ProofExists(r.proof);
        records.append(r);
    }
    return records;
}

QList<SentRecord> Filtered(const QList<SentRecord> &records, const Filter &filter)
{
    QList<SentRecord> kept;
    for (const SentRecord &r : records)
        if ((filter.yibf.isEmpty() || r.yibf == filter.yibf) &&
            (filter.operatorName.isEmpty() || r.operatorName == filter.operatorName))
            kept.append(r);
    return kept;
}

QStringList Sites(const QList<SentRecord> &records)
{
    return Distinct(records, &SentRecord::yibf, true);
}

QStringList Operators(const QList<SentRecord> &records)
{
    return Distinct(records, &SentRecord::operatorName, false);
}

QStringList Headers()
{
    return {QStringLiteral("Gönderim Tarihi"),
            QStringLiteral("YİBF No"),
            QStringLiteral("Pafta/Ada/Parsel"),
            QStringLiteral("Yapı Sahibi"),
            QStringLiteral("Fotoğraf"),
            QStringLiteral("Durum"),
            QStringLiteral("Kullanıcı"),
            QStringLiteral("Kayıt No"),
            QStringLiteral("Kanıt")};
}

QStringList Cells(const SentRecord &r)
{
    return {r.date.toString(QStringLiteral("dd.MM.yyyy")),
            r.yibf,
            r.ada,
            r.owner,
            r.photo,
            OneLine(r.status),
            r.operatorName,
            QString::number(r.number),
            r.hasProof ? QStringLiteral("Var") : QStringLiteral("Yok")};
}

queue::Report HistoryReport(const QList<SentRecord> &records, const QDate &from, const QDate &to)
{
    queue::Report report;
    const QString period = from == to ? from.toString(QStringLiteral("dd.MM.yyyy"))
                                      : from.toString(QStringLiteral("dd.MM.yyyy")) +
                                            QStringLiteral(" - ") +
                                            to.toString(QStringLiteral("dd.MM.yyyy"));
    report.title = QStringLiteral("Gönderim Geçmişi  ") + period;
    static const int weights[] = {8, 7, 12, 13, 12, 20, 10, 6, 5};
    const QStringList headers = Headers();
    report.columns.append({QStringLiteral("Sıra"), 4});
    for (int c = 0; c < headers.size(); ++c)
        report.columns.append({headers[c], weights[c]});
    for (qsizetype i = 0; i < records.size(); ++i)
        report.rows.append(QStringList{QString::number(i + 1)} + Cells(records[i]));
    return report;
}

QByteArray HistoryCsv(const QList<SentRecord> &records)
{
    const auto line = [](const QStringList &cells) {
        QStringList quoted;
        for (const QString &c : cells)
            quoted.append(CsvCell(c));
        return quoted.join(QLatin1Char(';')) + QStringLiteral("\r\n");
    };
    QString csv = line(Headers());
    for (const SentRecord &r : records) {
        QStringList cells = Cells(r);
        cells.last() = r.hasProof ? r.proof.pdf : QString();
        csv += line(cells);
    }
    return QByteArray("\xEF\xBB\xBF") + csv.toUtf8();
}

bool WriteHistoryCsv(const QString &file, const QList<SentRecord> &records)
{
    QSaveFile out(file);
    const QByteArray bytes = HistoryCsv(records);
    return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() && out.commit();
}

} // namespace history
