#pragma once

#include <QDate>
#include <QString>

#include <array>

// The small icon of a list row: a row sent (or skipped for good), or a row with a problem.
enum class RowMark { None = 0, Done = 1, Problem = 2 };

// One pending inspection photograph of the firm: a yedek5 record with its site, as the main
// window lists it and the submission window sends it.
struct PendingRecord
{
    qlonglong number = 0; // yedek5.sayı
    int ordinal = 0;      // the row's number when the list was filled ("Sıra")
    QString yibf;         // the site's YİBF number (inşaat.yedek1)
    QString ada;          // Pafta/Ada/Parsel
    QString owner;        // arsasahibi
    QString contractor;   // müteahhit
    QString photoName;    // alan1
    QString developments; // alan2
    QString note;         // aciklama
    QString total;        // toplam, as stored
    QDate date;           // tarih
    // Read with the record's details when its checks run.
    std::array<QString, 4> levels; // sev1..sev4
    QString sender;                // gonderen
    QString senderTc;              // gonderentc
    QString photoPath;             // the prepared copy (native path), "" when there is none

    QString status; // the row's status text
    int colour = 0; // the old controls' colour number (queue::kBlack, kGreen, kRed)
    RowMark mark = RowMark::None;
    bool ticked = false;

    // "f" + number: how the office application names a row.
    QString key() const { return QStringLiteral("f") + QString::number(number); }
    // Ticked and still waiting with exactly the queued status.
    bool queued() const;
};
