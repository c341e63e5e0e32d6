#include "core/pagerules.h"

#include "core/addresses.h"
#include "core/portalcontract.h"
#include "core/portalmessages.h"
#include "core/statustexts.h"

#include <QHash>
#include <QRegularExpression>
#include <QUrl>

std::optional<QString> ReadScreenCode(const QString &bodyText)
{
    const qsizetype p = bodyText.indexOf(QStringLiteral("Ekran Kodu"));
    if (p < 0)
        return std::nullopt;
    // "Ekran Kodu" is 10 characters and the portal prints " :" after it, so the code's window
    // starts 12 characters after the label's first character (one blank before the code is
    // still inside the window and dropped below).
    QString candidate = bodyText.mid(p + 12, 8);
    candidate.remove(QLatin1Char(' '));
    candidate.remove(QLatin1Char('\r'));
    candidate.remove(QLatin1Char('\n'));
    return candidate;
}

std::optional<QString> ErrorTextMessage(const QString &bodyHtml)
{
    const qsizetype a = bodyHtml.indexOf(QStringLiteral("errorText"));
    if (a < 0)
        return std::nullopt;
    const qsizetype b = bodyHtml.indexOf(QLatin1Char('>'), a);
    if (b < 0)
        return QString();
    const qsizetype c = bodyHtml.indexOf(QLatin1Char('<'), b);
    if (c < 0)
        return QString();
    return bodyHtml.mid(b + 1, c - b - 1);
}

bool ErrorTextApplies(const QString &currentCode)
{
    return currentCode != portal::code::Site();
}

bool SessionEndedAt(const PageSnapshot &page)
{
    const QUrl url(page.url);
    if (url.path().startsWith(portal::LoginPath()) || IsFrontPage(page.url))
        return true;
    const std::optional<QString> code = ReadScreenCode(page.bodyText);
    if (code)
        return *code == portal::code::Error();
    return page.title != portal::ConfirmationTitle() &&
           FrontPageShowsOutage(page.bodyOuterHtml, page.headOuterHtml);
}

PageDecision DispatchPage(const QString &c, const QString &p, const QString &searchState,
                          const QString &title, bool afterConfirmation)
{
    if (c == portal::code::Error())
        return {PageAction::ShowErrorPage};
    if (c == portal::code::Messages())
        return {PageAction::Nothing};
    if (c == portal::code::Main()) {
        if (searchState.isEmpty())
            return {PageAction::StartRow, true};
        if (searchState == Search::YibfChanged())
            return {PageAction::RequestSearchPage, true};
        return {PageAction::Nothing, true};
    }
    if (c == portal::code::Search()) {
        if (searchState == Search::Requested() || searchState == Search::RequestedAgain())
            return {PageAction::SubmitSearch};
        if (searchState == Search::Searching())
            return {PageAction::EvaluateSearch};
        return {PageAction::Nothing};
    }
    if (c == portal::code::InspectionList()) {
        if (p.isEmpty() || afterConfirmation)
            return {PageAction::DecideOutcome};
        if (p == portal::code::Site())
            return {PageAction::SevenDayThenNewRecord};
        return {PageAction::SevenDayThenUntick};
    }
    if (c == portal::code::InspectionForm())
        return {p == portal::code::InspectionList() ? PageAction::FillForm
                                                    : PageAction::UntickDeclaration};
    if (c == portal::code::None() || c.isEmpty()) {
        if (p != portal::code::InspectionForm())
            return {PageAction::UntickDeclaration};
        return {title == portal::ConfirmationTitle() ? PageAction::ShowConfirmation
                                                     : PageAction::Nothing};
    }
    if (c == portal::code::Site())
        return {PageAction::CheckSiteRecord};
    return {PageAction::UnknownCode};
}

int butonu_bul(const PageSnapshot &page, const QString &value, const QString &second,
               const QString &kind)
{
    if (kind == QStringLiteral("resim")) {
        for (int i = 0; i < page.images.size(); ++i)
            if (page.images[i].alt == value && page.images[i].src == second)
                return i;
        return -1;
    }
    if (kind == QStringLiteral("buton")) {
        const int i = FormButtonIndex(page, value, second);
        return i >= 0 && !page.forms.first().elements[i].disabled ? i : -1;
    }
    return -1;
}

int FormButtonIndex(const PageSnapshot &page, const QString &value, const QString &type)
{
    if (page.forms.isEmpty())
        return -1;
    const QList<SnapElement> &elements = page.forms.first().elements;
    for (int i = 0; i < elements.size(); ++i)
        if (elements[i].value == value && elements[i].type == type)
            return i;
    return -1;
}

QString YibfFromRecordText(const QString &recordHtml)
{
    QString number = recordHtml.section(QLatin1Char('/'), 0, 0);
    number.remove(QLatin1Char(' '));
    return number;
}

SearchResult EvaluateSearch(int rows)
{
    if (rows <= 0)
        return SearchResult::NotFound;
    return rows > 1 ? SearchResult::Several : SearchResult::One;
}

QDate ParsePortalDate(const QString &cell)
{
    // The portal writes day.month.year; a time after the date is ignored.
    static const QRegularExpression re(QStringLiteral("^\\s*(\\d{1,2})\\.(\\d{1,2})\\.(\\d{4})"));
    const QRegularExpressionMatch m = re.match(cell);
    if (!m.hasMatch())
        return {};
    return QDate(m.captured(3).toInt(), m.captured(2).toInt(), m.captured(1).toInt());
}

int ListDateTest(int mode, const QList<QStringList> &listRows, const QString &adaWeb,
                 const QDate &today)
{
    // A missing list counts as the header-only list: there is nothing dated to judge.
    if (adaWeb.isEmpty() || listRows.size() <= 1)
        return 1;
    const QStringList &last = listRows.last();
    const QString cell = last.isEmpty() ? QString() : last.first();
    if (cell == QStringLiteral("Tarih"))
        return -1;
    const QDate date = ParsePortalDate(cell);
    // A date that cannot be read proves nothing: the save is not taken as arrived (-10) and
    // the 7-day rule does not hold the record back (1).
    if (!date.isValid())
        return mode == 1 ? -10 : 1;
    const qint64 d = date.daysTo(today);
    if (mode == 1)
        return d == 0 ? 10 : -10;
    return d < 7 ? -1 : 1;
}

std::optional<double> ParsePercentage(const QString &text)
{
    // Digits with at most one decimal mark: "nan", "inf", "1e40" or "+5" are texts a reader
    // would take for numbers, and NaN would slip past every comparison after it.
    static const QRegularExpression re(QStringLiteral("^(\\d+([.,]\\d*)?|[.,]\\d+)$"));
    const QString t = text.trimmed();
    if (!re.match(t).hasMatch())
        return std::nullopt;
    return QString(t).replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
}

namespace {
// A list row as the change test tells rows apart: its date and its rate.
QString RowKey(const QStringList &row)
{
    return row.value(0).trimmed() + QLatin1Char('\n') + row.value(1).trimmed();
}
} // namespace

ListChange SaveFromListChange(const QList<QStringList> &before, const QList<QStringList> &after,
                              const QDate &today)
{
    QHash<QString, int> old;
    for (const QStringList &row : before)
        ++old[RowKey(row)];
    ListChange change;
    for (const QStringList &row : after) {
        int &left = old[RowKey(row)];
        if (left > 0) {
            --left;
            continue;
        }
        const QString cell = row.value(0).trimmed();
        if (ParsePortalDate(cell) == today)
            return {ListChange::Kind::NewRowToday, cell};
        if (change.kind == ListChange::Kind::NoNewRow)
            change = {ListChange::Kind::NewRowOtherDay, cell};
    }
    return change;
}

SubmissionOutcome SaveOutcome(const ListChange &change)
{
    switch (change.kind) {
    case ListChange::Kind::NewRowToday:
        return {SubmitText::Sent(), RowMark::Done, Outcome::Sent, std::nullopt};
    case ListChange::Kind::NewRowOtherDay:
        // Stored all the same: it must leave the queue, or the next send makes it twice.
        return {SubmitText::SavedOtherDay(change.portalDate), RowMark::Problem, Outcome::Sent,
                std::nullopt};
    case ListChange::Kind::NoNewRow:
        break;
    }
    return {SubmitText::NotSent(), RowMark::Problem, Outcome::NotSent, std::nullopt};
}

bool HasRowDatedToday(const QList<QStringList> &bodyRows, const QDate &today)
{
    for (const QStringList &row : bodyRows)
        if (ParsePortalDate(row.value(0)) == today)
            return true;
    return false;
}

static double LevelNumber(const QString &text)
{
    return ParsePercentage(text).value_or(0.0);
}

double PreviousPercentage(const QList<QStringList> &bodyRows)
{
    if (bodyRows.isEmpty())
        return 0.0;
    const QStringList &last = bodyRows.last();
    if (last.size() < 2)
        return 0.0;
    // Single precision, as the portal's percentage was always held; compared against a total
    // of the same precision so an equal total passes.
    return double(float(LevelNumber(last[1])));
}

QString FormatPercentage(double value)
{
    return QString::number(value, 'g', 7).replace(QLatin1Char('.'), QLatin1Char(','));
}

QList<QPair<QString, QString>> LevelFields(const PendingRecord &r)
{
    QList<QPair<QString, QString>> out;
    const auto add = [&](const QString &id, const QString &v) {
        if (!v.isEmpty())
            out.append({id, QString(v).replace(QLatin1Char(','), QLatin1Char('.'))});
    };
    add(portal::id::LevelFoundation(), r.levels[0]);
    add(portal::id::LevelStructure(), r.levels[1]);
    add(portal::id::LevelPlaster(), r.levels[2]);
    add(portal::id::LevelRemaining(), r.levels[3]);
    return out;
}

QList<QPair<QString, QString>> SenderFields(const PendingRecord &r)
{
    QList<QPair<QString, QString>> out;
    const auto add = [&](const QString &id, const QString &v) {
        if (!v.isEmpty())
            out.append({id, v});
    };
    add(portal::id::Inspector(), r.sender);
    add(portal::id::IdentityNumber(), r.senderTc);
    add(portal::id::Developments(), r.developments);
    return out;
}

double LevelTotal(const PendingRecord &r)
{
    const double total = LevelNumber(r.levels[0]) + LevelNumber(r.levels[1]) +
                         LevelNumber(r.levels[2]) + LevelNumber(r.levels[3]);
    return double(float(total));
}

std::optional<QString> PercentageRejection(double previous, double total)
{
    if (previous > total)
        return SubmitText::PercentageTooLow(FormatPercentage(previous));
    return std::nullopt;
}

QString MenuActionValue(const QString &firstDivId, const QString &action)
{
    return firstDivId + QLatin1Char(':') + action;
}

QList<SubmissionStep> SubmissionSteps()
{
    return {
        {QStringLiteral("f1"), QStringLiteral("Gönderime Başlanıyor...")},
        {QStringLiteral("f2"), QStringLiteral("Fotoğraf Hazırlanıyor...")},
        {QStringLiteral("f3"), QStringLiteral("Şantiye Bulunuyor...")},
        {QStringLiteral("f4"), QStringLiteral("Şantiye Bulundu...")},
        {QStringLiteral("f5"), QStringLiteral("Denetim Bilgileri Açılıyor...")},
        {QStringLiteral("f6"), QStringLiteral("Yeni Denetim Bilgileri Giriliyor...")},
        {QStringLiteral("f7"), QStringLiteral("Fotoğraf Seçiliyor...")},
        {QStringLiteral("f8"), QStringLiteral("Fotoğraf Seçildi...")},
        {QStringLiteral("f9"), QStringLiteral("Onay Sayfası Açılıyor...")},
        {QStringLiteral("f10"), QStringLiteral("Onay Sayfası Açıldı...")},
        {QStringLiteral("f11"), QStringLiteral("Denetim Bilgisi Onaylanıyor...")},
        {QStringLiteral("f12"), QStringLiteral("Denetim Bilgisi Onaylandı...")},
        {QStringLiteral("f13"), QStringLiteral("Gönderim İşlemi Tamamlandı...")},
    };
}

QString StartStepText(const QString &yibf)
{
    return QStringLiteral("Gönderime Başlanıyor... (") + yibf + QLatin1Char(')');
}

QString PhotoStepText(const QString &photoPath)
{
    return QStringLiteral("Fotoğraf Hazırlanıyor...(Foto Yolu : ") + photoPath + QLatin1Char(')');
}
