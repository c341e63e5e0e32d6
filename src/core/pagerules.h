#pragma once

#include "core/pagesnapshot.h"
#include "core/pendingrecord.h"
#include "core/submission.h"

#include <QDate>
#include <QList>
#include <QPair>
#include <QString>

#include <optional>

// The rules of the submission window over a page snapshot: no widget in any signature.

// The page code printed after "Ekran Kodu" in the body's visible text: the 8 characters that
// start two characters after the label (its separator " :"), without spaces and line breaks.
// Empty optional when the label is missing; the code itself may be empty or shorter than 8.
std::optional<QString> ReadScreenCode(const QString &bodyText);

// The portal's own message on a page carrying "errorText": the text strictly between the first
// ">" at or after it and the next "<". Empty optional when the page has no "errorText"; an empty
// message when either mark is missing.
std::optional<QString> ErrorTextMessage(const QString &bodyHtml);
// Whether the "errorText" rule applies under the current code (the site page shows such texts
// as part of its normal content).
bool ErrorTextApplies(const QString &currentCode);

// Whether a completed page, where a logged-in page was expected, says the portal's session has
// ended: its login page (whatever is appended to the address), its front page, the ERROR page,
// or a page without a code (and not the confirmation page) carrying an outage text.
bool SessionEndedAt(const PageSnapshot &page);

// The current and previous page code. A different code moves the current one into the previous
// one; the same code again leaves both as they are (a reload keeps the page before it).
struct CodeBook
{
    QString current;
    QString previous;
    // True when the code changed (the change runs the dispatch); false: dispatch directly.
    bool read(const QString &code)
    {
        if (code == current)
            return false;
        previous = current;
        current = code;
        return true;
    }
};

// The search state.
namespace Search {
inline QString YibfChanged()
{
    return QStringLiteral("yibf_degisti");
}
inline QString Requested()
{
    return QStringLiteral("tikla");
}
inline QString RequestedAgain()
{
    return QStringLiteral("tikla2");
}
inline QString Searching()
{
    return QStringLiteral("ariyor");
}
} // namespace Search

enum class PageAction {
    Nothing,
    ShowErrorPage,         // "ERROR": the critical message, nothing else
    StartRow,              // main page, no search yet
    RequestSearchPage,     // main page after the YİBF number was set
    SubmitSearch,          // search page: type the number, press search
    EvaluateSearch,        // search result: yibf_ariyor
    CheckSiteRecord,       // site page: yibf_oku
    DecideOutcome,         // inspection list straight after a save
    SevenDayThenNewRecord, // inspection list from the site page
    SevenDayThenUntick,    // inspection list from any other page
    FillForm,              // new inspection form from the inspection list
    UntickDeclaration,     // form or confirmation page reached from elsewhere
    ShowConfirmation,      // the confirmation page after the form
    UnknownCode,           // any code the program does not know
};

struct PageDecision
{
    PageAction action = PageAction::Nothing;
    bool mainPage = false; // the main page: clear ada_web and mark step "f3" first
};

// What a page with code current, after previous, means under the search state. Codes compare
// exactly (case included), in the order ERROR, LSMOI, MAIN_Y, YHHYL, DYDYL, DYDYI, null, empty,
// YHHYR, anything else. afterConfirmation: the confirmation page was shown since the list was
// last read, so a save may have happened; the inspection list that follows decides the outcome
// whatever the page before it was (a confirmation page coded "null" and saved through its own
// box and button leaves "null" as the previous code).
PageDecision DispatchPage(const QString &current, const QString &previous,
                          const QString &searchState, const QString &title,
                          bool afterConfirmation = false);

// butonu_bul: position of the first image (kind "resim": alt == value, src == second) or first
// element of the first form (kind "buton": value == value, type == second); -1 when nothing
// matches, the first match is disabled, or the kind is unknown.
int butonu_bul(const PageSnapshot &page, const QString &value, const QString &second,
               const QString &kind);
// The first element of the first form with that value and type, enabled or not; -1 when none.
int FormButtonIndex(const PageSnapshot &page, const QString &value, const QString &type);

// yibf_oku's number: the part of the site page's record text before the first "/", with every
// space removed.
QString YibfFromRecordText(const QString &recordHtml);

enum class SearchResult { NotFound, Several, One };
// yibf_ariyor on the number of rows of the result table.
SearchResult EvaluateSearch(int rows);

// ListDateTest (the submission window's rapor_sirasi): the date test on the last row of the
// inspection list (column 0, "d.M.yyyy"). mode 1: 10 when dated today, else -10; other modes: -1
// when less than 7 days old, else 1. 1 when adaWeb is empty or the list holds only its header; -1
// when the last row is the header.
int ListDateTest(int mode, const QList<QStringList> &listRows, const QString &adaWeb,
                 const QDate &today);
// The day.month.year date at the start of a list cell; invalid when it is not one.
QDate ParsePortalDate(const QString &cell);

// What a save left in the site's inspection list, judged from the list's body rows before and
// after it (see SaveFromListChange).
struct ListChange
{
    enum class Kind {
        NoNewRow,      // the portal holds nothing new: not sent
        NewRowToday,   // sent
        NewRowOtherDay // stored, under the portal's date in portalDate
    };
    Kind kind = Kind::NoNewRow;
    QString portalDate; // the new row's date cell as the portal wrote it (trimmed)

    bool operator==(const ListChange &) const = default;
};
// The portal holds the record just saved exactly when the list after the save has a row that
// the list before it did not have; rows are told apart by their date and rate (columns 0 and 1),
// counted, so a second row equal to an old one is new too. Where the new row stands does not
// matter. This is stricter than the last-row test of ListDateTest, which reads any last row
// dated today as the save (an inspection made earlier today passes for a save that failed) and
// any other last row as a failure (a portal that lists newest first, or dates the record by its
// own clock, passes for a save that failed, and the record is sent twice).
// A new row dated today wins over other new ones; without one, the first new row gives the date.
ListChange SaveFromListChange(const QList<QStringList> &before, const QList<QStringList> &after,
                              const QDate &today);
// How a submission ends on that change.
SubmissionOutcome SaveOutcome(const ListChange &change);
// Whether a list body has a row dated today (the same-day guard).
bool HasRowDatedToday(const QList<QStringList> &bodyRows, const QDate &today);

// The previous inspection's percentage from the list body (column 1 of its last row); "." or ","
// as decimal mark. 0 when the list is empty or the cell is empty or not a number.
double PreviousPercentage(const QList<QStringList> &bodyRows);
// A percentage as the portal and the firm write it: digits with one "." or "," decimal mark,
// blanks around allowed; anything else is not a number.
std::optional<double> ParsePercentage(const QString &text);
// A percentage as the operator reads it: decimal comma, no needless digits.
QString FormatPercentage(double value);

// The form fields to set, in order (element id, value), each only when its column is not empty:
// the four levels with "," turned into "."; then, once the total passed, the sender, the
// sender's identity number and the developments, as stored.
QList<QPair<QString, QString>> LevelFields(const PendingRecord &r);
QList<QPair<QString, QString>> SenderFields(const PendingRecord &r);
// Sum of the four levels, an empty (or non-numeric) level counting 0.
double LevelTotal(const PendingRecord &r);
// The rejection status when the total stays below the previous percentage; an equal total passes.
std::optional<QString> PercentageRejection(double previous, double total);

// menu_calistir's value for the hidden menu input: first div's id + ":" + action.
QString MenuActionValue(const QString &firstDivId, const QString &action);
namespace MenuAction {
inline QString MainPage()
{
    return QStringLiteral("A]MAIN_L");
}
inline QString SearchPage()
{
    return QStringLiteral("A]#{yibfBean.hazirlaYHHYL}");
}
inline QString MessagePage()
{
    return QStringLiteral("A]#{islemMesajBean.hazirlaLSMOI}");
}
} // namespace MenuAction

// The thirteen steps of the progress list: keys "f1".."f13" and their texts.
struct SubmissionStep
{
    QString key;
    QString text;
};
QList<SubmissionStep> SubmissionSteps();
QString StartStepText(const QString &yibf);      // "f1" once the row is known
QString PhotoStepText(const QString &photoPath); // "f2" once the row is known
