#pragma once

#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

// The rules of the pending photo list and of its eligibility checks, kept apart from the window
// so they can be tested without one.
namespace queue {

// Row status texts.
inline QString StatusQueued()
{
    return QStringLiteral("Gönderim Sırasında");
}
inline QString StatusNotJpg()
{
    return QStringLiteral("Resim Uzantısı JPG Olmalıdır...");
}
inline QString StatusSent()
{
    return QStringLiteral("Başarıyla Gönderildi...");
}
inline QString StatusSevenDays()
{
    return QStringLiteral("7 gün içinde foto aktarıldığından gönderilmedi...");
}

// The row of a record whose submission ended but whose end the database refused: never "sent",
// so the operator knows; portalHolds says the portal took the record all the same.
inline QString StatusNotStored(bool portalHolds)
{
    return portalHolds ? QStringLiteral("Bakanlığa Gönderildi, Veritabanına Yazılamadı!")
                       : QStringLiteral("Sonuç Veritabanına Yazılamadı...");
}

// Colours as the old controls numbered them (0x00BBGGRR).
inline constexpr int kBlack = 0;
inline constexpr int kGreen = 65280;
inline constexpr int kRed = 255;

// The old screens measured in twips: 15 twips are one pixel at 96 dpi.
int TwipsToPixels(int twips);

struct ListColumn
{
    QString header;
    int widthTwips;
};
// The eleven columns of the pending list, in order (row text first, then sub-items 1-10).
const QList<ListColumn> &PendingListColumns();

// The pending-list query; with restricted, one "?" stands for the institution's user name.
QString PendingListQuery(bool restricted);
// The details query of one record; one "?" for the record number.
QString DetailsQuery();

// Photos go to the portal as ".jpg" only; the case of the extension does not matter.
bool HasJpgExtension(const QString &fileName);

// The old Val(): the leading decimal number of a text, 0 when there is none.
int LeadingInt(const QString &text);

// A status the checks leave unmarked: queued, sent, or skipped by the 7-day rule.
bool IsSettledStatus(const QString &status);

// What a tick of the countdown shows.
struct CountdownStep
{
    enum Kind { Hide, Expire, Show } kind = Hide;
    QString text; // for Show
};
// e = ticks elapsed, t = ticks to wait.
CountdownStep Countdown(int elapsed, int total);

// One failed check: the row's new status text; stored ones also go into the record.
struct CheckFailure
{
    QString text;
    bool stored = true;
    QString detailKey; // the details row coloured red with it ("" none)

    bool operator==(const CheckFailure &) const = default;
};

// The checks on the record's texts, in the order the details list shows them.
QList<CheckFailure> FieldFailures(const QString &alan2, const QString &gonderen,
                                  const QString &gonderentc);
CheckFailure PhotoMissingFailure();

// File size in kilobytes rounded to one decimal, and its text ("1500 Kbayt").
double RoundedKb(qint64 bytes);
QString SizeText(qint64 bytes);
std::optional<CheckFailure> SizeFailure(qint64 bytes);

// The portal's pixel limits: 1100 x 700 when wider than tall, 700 x 1100 otherwise. Each limit
// exceeded is its own failure.
QList<CheckFailure> DimensionFailures(const QSize &pixels);
QString DimensionText(const QSize &pixels);

// What the checks need of a photograph file: its length and its pixel size, read from the
// image header without decoding the picture (invalid when the header cannot be read).
struct PhotoFacts
{
    qint64 bytes = 0;
    QSize pixels;
};
PhotoFacts MeasurePhoto(const QString &path);

// The details list rows f1-f12: key and label.
struct DetailRow
{
    QString key;
    QString label;
};
const QList<DetailRow> &DetailRows();

} // namespace queue
