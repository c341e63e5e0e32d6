#pragma once

#include "core/printlist.h"
#include "core/proof.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The records the firm sent, as the sent history shows them: read from the firm's database
// between two days, filtered by site and operator, each with its proof when there is one, and
// printed or exported through the program's report.
namespace history {

// Whose records, and where their proofs lie.
struct Scope
{
    QString portalUser;      // the institution's portal user name (inşaat.firma)
    bool restricted = false; // as the pending list: only the sites of that institution
    QString ortak;           // the firm's shared folder
};

struct SentRecord
{
    qlonglong number = 0; // yedek5.sayı
    QDate date;           // bak_tarih: the day it was sent
    QString status;       // bakanlik_aciklama
    QString operatorName; // kullanici
    QString yibf;
    QString ada;
    QString owner; // arsasahibi
    QString photo; // alan1
    ProofFiles proof;
    bool hasProof = false;
};

// Records marked sent (bak_durum "2") with bak_tarih from the first bound day up to before the
// second, oldest first; restricted adds a third "?" for the institution's user name.
QString SentHistoryQuery(bool restricted);
// The records sent from `from` to `to`, both days included; nullopt when the database could
// not be read.
std::optional<QList<SentRecord>> ReadSentHistory(const Scope &scope, const QDate &from,
                                                 const QDate &to);

struct Filter
{
    QString yibf;         // empty: every site
    QString operatorName; // empty: every operator
};
QList<SentRecord> Filtered(const QList<SentRecord> &records, const Filter &filter);
// The sites (YİBF numbers) and the operators of the records, each once, in order.
QStringList Sites(const QList<SentRecord> &records);
QStringList Operators(const QList<SentRecord> &records);

// The columns as the window and the report show them; the proof is "Var" or "Yok".
QStringList Headers();
QStringList Cells(const SentRecord &r);
queue::Report HistoryReport(const QList<SentRecord> &records, const QDate &from, const QDate &to);

// The records for a spreadsheet: UTF-8 with a byte order mark, ";" between cells (what
// spreadsheets set up for Turkish expect), every cell quoted, the proof as the PDF's path. A
// cell a spreadsheet would run as a formula (the status may carry the portal's text) starts
// with "'".
QByteArray HistoryCsv(const QList<SentRecord> &records);
bool WriteHistoryCsv(const QString &file, const QList<SentRecord> &records);

} // namespace history
