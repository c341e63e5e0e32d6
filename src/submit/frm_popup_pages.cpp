// The submission window's page flow: every completed portal page is read once into a snapshot,
// its code decides the step (pagerules), and the step acts on the page through PageActions.
#include "submit/frm_popup.h"

#include "core/addresses.h"
#include "core/connection.h"
#include "core/hostutil.h"
#include "core/outcome.h"
#include "core/portalcontract.h"
#include "core/proof.h"
#include "core/statustexts.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "portal/pageactions.h"
#include "portal/pagescript.h"
#include "portal/portalpage.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QWebEngineView>

namespace {
constexpr int kAttachAttempts = 4;

// The YİBF number "as a number", as the copy is named: its leading digits without leading
// zeros ("0" when it has none).
QString AsNumber(const QString &text)
{
    QString digits;
    for (const QChar c : text.trimmed()) {
        if (!c.isDigit() || c.unicode() > 127)
            break;
        digits += c;
    }
    return QString::number(digits.toULongLong());
}
} // namespace

void frm_popup::onDocumentRead(const PageSnapshot &page)
{
    // about:blank: the blank page a page made ahead was warmed with.
    if (m_closing || !page.valid || page.url.isEmpty() || page.url == QStringLiteral("http:///") ||
        page.url == QStringLiteral("about:blank"))
        return;
    readPage(page);
}

void frm_popup::readPage(const PageSnapshot &page)
{
    m_snapshot = page;
    // In a queue that keeps its session, a page that shows the session gone sends the record
    // back to a login, once.
    if (m_options.keepsSession() && sentRecord() && !m_request.afterSessionEnd &&
        SessionEndedAt(page)) {
        endWithSession();
        return;
    }
    if (const auto code = ReadScreenCode(page.bodyText)) {
        ekrankodu.tag = *code;
        CodeBook book{ekrankodu.text(), eski_ekrankodu.text()};
        if (book.read(*code)) {
            eski_ekrankodu.setText(book.previous);
            ekrankodu.setText(book.current); // its change dispatches
        } else {
            actOnPage(); // the same page again
        }
    }
    if (m_closing || !ErrorTextApplies(ekrankodu.text()))
        return;
    if (const auto message = ErrorTextMessage(page.bodyOuterHtml))
        endWithStatus(SubmitText::PortalError(yibf.text(), *message));
}

void frm_popup::onBrowser2Complete(const QUrl &url)
{
    const QString address = url.toString();
    if (address.isEmpty() || address == QStringLiteral("http:///"))
        return;
    if (address == PortalAppUrl(portal::TopPath()))
        openMainPage();
}

void frm_popup::openMainPage()
{
    WebBrowser2->hide();
    // The portal's profile keeps no cache, so this load neither reads nor writes one.
    m_page1->load(QUrl(PortalAppUrl(portal::MainPath())));
}

int frm_popup::formIndex(const QString &name) const
{
    for (int i = 0; i < m_snapshot.forms.size(); ++i)
        if (m_snapshot.forms[i].id == name || m_snapshot.forms[i].name == name)
            return i;
    return -1;
}

void frm_popup::actOnPage()
{
    if (m_closing)
        return;
    const QString c = ekrankodu.text();
    Frame7->hide();
    if (c != portal::code::InspectionForm())
        onceki_oran = 0.0;
    const PageDecision d = DispatchPage(c, eski_ekrankodu.text(), arama_asamasi, m_snapshot.title,
                                        m_confirmationShown);
    if (d.mainPage) {
        ada_web.setText(QString());
        markStep(QStringLiteral("f3"));
    }
    switch (d.action) {
    case PageAction::Nothing:
        break;
    case PageAction::ShowErrorPage:
        platform::msgBox(SubmitText::ErrorPage(), platform::MsgIcon::Critical);
        break;
    case PageAction::StartRow:
        StartRow();
        break;
    case PageAction::RequestSearchPage:
        arama_asamasi = Search::Requested();
        menu_calistir(MenuAction::SearchPage());
        break;
    case PageAction::SubmitSearch: {
        arama_asamasi = Search::Searching();
        const int form = formIndex(portal::id::Form());
        PageActions::Batch()
            .SetValue(portal::id::SearchNumber(), yibf.text(), {}, form)
            .Click(portal::id::SearchButton(), {}, form)
            .Run(m_page1);
        break;
    }
    case PageAction::EvaluateSearch:
        yibf_ariyor();
        break;
    case PageAction::CheckSiteRecord:
        yibf_oku();
        break;
    case PageAction::DecideOutcome:
        DecideOutcome();
        break;
    case PageAction::SevenDayThenNewRecord:
        SevenDayRule(true);
        break;
    case PageAction::SevenDayThenUntick:
        SevenDayRule(false);
        break;
    case PageAction::FillForm:
        FillInspectionForm();
        break;
    case PageAction::UntickDeclaration:
        Check6->setChecked(false);
        break;
    case PageAction::ShowConfirmation:
        ShowConfirmation();
        break;
    case PageAction::UnknownCode:
        platform::msgBox(SubmitText::UnknownCode(c), platform::MsgIcon::Critical);
        break;
    }
}

void frm_popup::menu_calistir(const QString &action)
{
    // One script sets and submits, so both act on the document the action was meant for (a call
    // chained on the first one's answer could reach the next page).
    PageActions::Batch()
        .SetValue(portal::id::MenuInput(), MenuActionValue(m_snapshot.firstDivId, action), {}, 0)
        .SubmitForm(0)
        .Run(m_page1);
}

void frm_popup::onYibfChanged(const QString &text)
{
    // Clearing the number at the row start starts nothing.
    if (text.isEmpty())
        return;
    arama_asamasi = Search::YibfChanged();
    markStep(QStringLiteral("f2"));
    menu_calistir(MenuAction::MainPage());
}

void frm_popup::onYibfWebChanged(const QString &text)
{
    if (text.isEmpty())
        return;
    const QString ada = LookupSiteAda(text);
    if (!ada.isEmpty())
        ada_web.setText(ada);
}

void frm_popup::onDosyaChanged(const QString &text)
{
    if (text.isEmpty() || QFileInfo::exists(text))
        return;
    endWithStatus(SubmitText::FileMissing(text), RowMark::Problem);
}

void frm_popup::yibf_ariyor()
{
    if (arama_asamasi != Search::Searching())
        return;
    switch (EvaluateSearch(m_snapshot.rowCount(portal::id::ResultBody()))) {
    case SearchResult::NotFound:
        endWithStatus(SubmitText::SearchEmpty(yibf.text()));
        return;
    case SearchResult::Several: {
        // Some portal versions empty the number on their result page; a search for nothing
        // would find nothing, so the number is typed again.
        const int form = formIndex(portal::id::Form());
        PageActions::Batch()
            .SetValue(portal::id::SearchNumber(), yibf.text(), {}, form)
            .Click(portal::id::SearchButton(), {}, form)
            .Run(m_page1);
        return;
    }
    case SearchResult::One:
        break;
    }
    markStep(QStringLiteral("f4"));
    PageActions::Batch show;
    show.SetValue(portal::id::ShowLink(), QString(), {}, formIndex(portal::id::Form()));
    if (ekrankodu.text() != portal::code::Search()) {
        show.Run(m_page1);
        return;
    }
    const int i = butonu_bul(m_snapshot, portal::caption::Show(),
                             PortalAppUrl(portal::ShowImagePath()), QStringLiteral("resim"));
    if (i > -1)
        show.ClickImage(i);
    show.Run(m_page1);
}

void frm_popup::yibf_oku()
{
    // The record text is cut to its number before it is stored: the raw text would only run a
    // site lookup that cannot match.
    yibf_web.setText(YibfFromRecordText(m_snapshot.innerHtml.value(portal::id::SiteRecord())));
    if (yibf_web.text() == yibf.text()) {
        const int i = butonu_bul(m_snapshot, portal::caption::Inspections(),
                                 QStringLiteral("submit"), QStringLiteral("buton"));
        if (i > -1)
            PageActions::ClickFormElement(m_page1, 0, i);
        return;
    }
    endWithStatus(SubmitText::YibfNotFound());
}

void frm_popup::DecideOutcome()
{
    // The list's change decides, not its last row (see SaveFromListChange). A list never read
    // before the save cannot prove a row absent: every row then counts as new, so a record the
    // portal may hold is never left pending.
    const ListChange change = SaveFromListChange(m_listBefore.value_or(QList<QStringList>()),
                                                 m_snapshot.tables.value(portal::id::ResultBody()),
                                                 platform::Platform::clock().today());
    keepProofAndClose(SaveOutcome(change));
}

// A record sent keeps its proof. The photograph is kept at once, so a folder that cannot be written
// is in the outcome's status. The list is printed after the outcome is handed back: the page
// outlives this window for the print, so the queue never waits for the engine, and goes once it has
// printed. A print that fails then leaves no proof (the photograph goes too), which the sent
// history shows.
void frm_popup::keepProofAndClose(SubmissionOutcome outcome)
{
    // Decided already, or nothing to prove: the outcome as it is.
    if (m_decided || outcome.stored != Outcome::Sent || !keepProof || !sentRecord()) {
        finishAndClose(outcome);
        return;
    }
    const PendingRecord &r = *sentRecord();
    const ProofFiles files = ProofPaths(ProofFolderOfPhoto(platform::nativePath(r.photoPath)),
                                        r.yibf, platform::Platform::clock().today(), r.number);
    // The temporary copy is what the form uploaded; it goes when the window closes.
    QFile uploaded(dosya.text());
    const QByteArray photo = uploaded.open(QIODevice::ReadOnly) ? uploaded.readAll() : QByteArray();
    if (!WriteProofPhoto(files, photo)) {
        outcome.status = SubmitText::WithoutProof(outcome.status.value_or(QString()));
        finishAndClose(outcome);
        return;
    }
    PortalPage *page = m_page1;
    m_pageLent = true;
    page->disconnect(this);
    page->setParent(nullptr);
    page->newWindow = nullptr;
    page->beforeNavigate = [](const QUrl &) { return false; }; // it only prints now
    page->printToPdf([page, files](const QByteArray &pdf) {
        if (!WriteProofPdf(files, pdf)) {
            QFile::remove(files.photo);
            qWarning("proof not kept: %s", qPrintable(files.pdf));
        }
        page->deleteLater();
    });
    finishAndClose(outcome);
}

void frm_popup::SevenDayRule(bool thenNewRecord)
{
    const QDate today = platform::Platform::clock().today();
    const QList<QStringList> body = m_snapshot.tables.value(portal::id::ResultBody());
    // The session ended after an earlier attempt's save: the list tells whether that save
    // arrived, and only a save that did not lets the record start again.
    if (thenNewRecord && m_request.afterSessionEnd && m_request.afterSessionEnd->listBeforeSave) {
        const ListChange change =
            SaveFromListChange(*m_request.afterSessionEnd->listBeforeSave, body, today);
        if (change.kind != ListChange::Kind::NoNewRow) {
            keepProofAndClose(SaveOutcome(change));
            return;
        }
    }
    m_listBefore = body;
    if (sentRecord() && RecordExists(sentRecord()->number) &&
        ListDateTest(0, m_snapshot.tables.value(portal::id::InspectionTable()), ada_web.text(),
                     today) == -1 &&
        m_options.sevenDayRule) {
        // The next record follows after a short wait: nothing was sent.
        m_countdown = 3;
        finishAndClose({SubmitText::SevenDay(), RowMark::Done, Outcome::SevenDay, std::nullopt});
        return;
    }
    // The site has a record of today already (a send whose end was never stored, or one made
    // by hand): another would stand on the portal for good.
    if (thenNewRecord && m_options.sameDayGuard && HasRowDatedToday(body, today)) {
        m_countdown = 3;
        finishAndClose({SubmitText::SameDay(), RowMark::Done, Outcome::SameDay, std::nullopt});
        return;
    }
    if (thenNewRecord)
        OpenNewInspection();
    else
        Check6->setChecked(false);
}

void frm_popup::OpenNewInspection()
{
    markStep(QStringLiteral("f5"));
    onceki_oran = PreviousPercentage(m_snapshot.tables.value(portal::id::ResultBody()));
    const int i = butonu_bul(m_snapshot, portal::caption::NewInspection(), QStringLiteral("submit"),
                             QStringLiteral("buton"));
    if (i > -1)
        PageActions::ClickFormElement(m_page1, 0, i);
}

void frm_popup::FillInspectionForm()
{
    markStep(QStringLiteral("f6"));
    const PendingRecord *r = sentRecord();
    if (!r)
        return;
    if (ada_web.text() != r->ada) {
        endWithStatus(SubmitText::YibfNotFound(), RowMark::Problem);
        return;
    }
    PageActions::Batch fill;
    for (const auto &[id, value] : LevelFields(*r))
        fill.SetValue(id, value);
    if (const auto rejection = PercentageRejection(onceki_oran, LevelTotal(*r))) {
        fill.Run(m_page1);
        endWithStatus(*rejection, RowMark::Problem);
        return;
    }
    for (const auto &[id, value] : SenderFields(*r))
        fill.SetValue(id, value);
    fill.Run(m_page1);
    if (r->photoName.isEmpty())
        return;
    // The file is handed to the input directly, so no keystroke is typed and Caps Lock does not
    // matter. Steps f7 to f9 are still marked as the operator knows them.
    m_attempts = 0;
    markStep(QStringLiteral("f7"));
    attachPhoto();
}

// One attempt to give the form its photograph. A refused file is tried again after Timer1's
// 3000 ms, up to four attempts in all; then the operator is told to attach it by hand and the
// form waits (the hang countdown still applies).
void frm_popup::attachPhoto()
{
    if (m_closing)
        return;
    ++m_attempts;
    QPointer<frm_popup> self(this);
    const auto attached = [self](bool ok) {
        if (!self || self->m_closing)
            return;
        if (ok) {
            self->Timer1->stop();
            self->markStep(QStringLiteral("f8"));
            self->markStep(QStringLiteral("f9"));
            self->showPhoto();
            return;
        }
        if (self->m_attempts < kAttachAttempts) {
            self->Timer1->start(platform::timerInterval(3000));
            return;
        }
        platform::msgBox(SubmitText::AttachFailed(self->dosya.tag.isEmpty() ? self->dosya.text()
                                                                            : self->dosya.tag),
                         platform::MsgIcon::Critical);
    };
    // The page presses continue itself once the input holds the photograph; the photograph is
    // drawn here while the portal answers.
    PageActions::AttachFile(m_page1, WebBrowser1, portal::id::PhotoInput(), dosya.text(),
                            portal::id::Continue(), attached);
}

// The row's photograph at the box's width, its proportions kept, centred.
void frm_popup::showPhoto()
{
    // Read apart from the pixmap cache (each record's photograph is shown once), and decoded
    // straight at the box's size: the reader scales while it decodes.
    if (!sentRecord() || Image1->width() <= 0)
        return;
    QImageReader reader(platform::nativePath(sentRecord()->photoPath));
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid() && size.width() > Image1->width())
        reader.setScaledSize(size.scaled(Image1->width(), size.height(), Qt::KeepAspectRatio));
    const QImage picture = reader.read();
    if (!picture.isNull())
        Image1->setPixmap(QPixmap::fromImage(picture));
}

void frm_popup::ShowConfirmation()
{
    m_confirmationShown = true;
    if (Check6Tag == QStringLiteral("1")) {
        // The page is answered first; the frame is shown once the save is on its way (its
        // showing makes the web view shorter, which the engine lays out at once).
        autoSave();
        Check6->setChecked(true);
        m_page1->showOnLoadStart(Frame7);
        return;
    }
    Frame7->show();
    // The operator ticks the declaration here, which ticks the portal's box with it; until then
    // the save stays disabled.
    TabStrip1->setCurrentIndex(0);
    markStep(QStringLiteral("f10"));
    Check6->setChecked(false);
    Command7->setEnabled(false);
}

// The portal's declaration box is there: a confirmation page (no screen code of its own) reached
// from the inspection form.
bool frm_popup::declarationOnPage() const
{
    return ekrankodu.text().isEmpty() && eski_ekrankodu.text() == portal::code::InspectionForm();
}

void frm_popup::onCheck6()
{
    if (!declarationOnPage())
        return;
    const bool on = Check6->isChecked();
    Command7->setEnabled(on);
    PageActions::SetCheckedAndFireOnclick(m_page1, portal::id::Declaration(), on);
}

// Automatic confirmation: the declaration is ticked and the save pressed in one script, so the
// page does not wait for a read in between. The save is pressed only once the box's own onclick
// has enabled it; a save left disabled waits for the operator, as after a tick by hand.
void frm_popup::autoSave()
{
    if (!declarationOnPage()) {
        onCommand7();
        return;
    }
    Command7->setEnabled(true);
    QPointer<frm_popup> self(this);
    PageActions::Batch()
        .SetCheckedAndFireOnclick(portal::id::Declaration(), true)
        .ClickFormElement(
            0, FormButtonIndex(m_snapshot, portal::caption::Save(), QStringLiteral("submit")),
            [self](bool pressed) {
                if (self && !self->m_closing && pressed)
                    self->saving();
            })
        .Run(m_page1);
}

void frm_popup::onCommand7()
{
    // The save button's state follows the declaration box's own onclick, so the page is read
    // afresh before the button is looked for.
    QPointer<frm_popup> self(this);
    TakeSnapshot(m_page1, {portal::id::SiteRecord()}, FormsHtml::Skip,
                 [self](const PageSnapshot &page) {
                     if (!self || self->m_closing)
                         return;
                     const int i = butonu_bul(page, portal::caption::Save(),
                                              QStringLiteral("submit"), QStringLiteral("buton"));
                     if (i == -1)
                         return;
                     self->saving();
                     PageActions::ClickFormElement(self->m_page1, 0, i);
                 });
}

void frm_popup::saving()
{
    Command7->setEnabled(false);
    m_spin->start(120);
    m_saveStart = platform::Platform::clock().now();
    Label6->setText(m_saveStart.toString(QStringLiteral("HH:mm:ss")));
    Timer4->start(platform::timerInterval(1000));
    // After a save the next record follows after the full wait.
    m_countdown = 20;
    if (m_options.hangTimeout) {
        Label4->show();
        Label5->show();
        Timer3->start(platform::timerInterval(1000));
    }
}

void frm_popup::onCommand6()
{
    if (butonu_bul(m_snapshot, portal::caption::Cancel(), QStringLiteral("submit"),
                   QStringLiteral("buton")) == -1)
        return;
    endWithStatus(SubmitText::ConfirmationCancelled());
}

const PendingRecord *frm_popup::sentRecord() const
{
    return m_request.record ? &*m_request.record : nullptr;
}

QTreeWidgetItem *frm_popup::stepItem(const QString &key) const
{
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i)
        if (ListView1->topLevelItem(i)->data(0, Qt::UserRole).toString() == key)
            return ListView1->topLevelItem(i);
    return nullptr;
}

void frm_popup::markStep(const QString &key)
{
    if (QTreeWidgetItem *item = stepItem(key)) {
        item->setData(0, Qt::UserRole + 1, 1); // small icon 1: done
        item->setIcon(0, style()->standardIcon(QStyle::SP_DialogApplyButton));
    }
}

bool frm_popup::stepDone(const QString &key) const
{
    const QTreeWidgetItem *item = stepItem(key);
    return item && item->data(0, Qt::UserRole + 1).toInt() == 1;
}

QString frm_popup::stepText(const QString &key) const
{
    const QTreeWidgetItem *item = stepItem(key);
    return item ? item->text(0) : QString();
}

void frm_popup::StartRow()
{
    Frame7->hide();
    yibf.setText(QString());
    dosya.setText(QString());
    dosya.tag.clear();
    markStep(QStringLiteral("f1"));
    // The caption reads "position of the record / rows in the list".
    setWindowTitle(SubmitText::Caption(m_request.position, m_request.count));

    // The record was the first queued one when the portal window opened.
    if (const PendingRecord *r = sentRecord(); r && r->queued()) {
        stepItem(QStringLiteral("f1"))->setText(0, StartStepText(r->yibf));
        stepItem(QStringLiteral("f2"))->setText(0, PhotoStepText(r->photoPath));
        if (r->mark == RowMark::Problem) {
            finishAndClose();
            return;
        }
        // Automatic confirmation is the operator's consent in the main window's Check7: the
        // tag is "1" exactly when it is ticked, for every row of the run.
        Check6Tag = m_options.autoConfirm ? QStringLiteral("1") : QStringLiteral("0");
        yibf.setText(r->yibf);
        // The copy is first needed on the form, pages later: it is made once the search's page
        // is on its way. Made at once, it held that page's request back (the engine starts a
        // load on this thread).
        connect(
            m_page1, &QWebEnginePage::loadStarted, this,
            [this, photo = r->photoPath, number = yibf.text()] {
                if (!m_closing && !photo.isEmpty() &&
                    QFileInfo::exists(platform::nativePath(photo)))
                    CopyPhotoToTemp(photo, number);
            },
            Qt::SingleShotConnection);
        return;
    }
    platform::msgBox(SubmitText::SendingDone(), platform::MsgIcon::Information);
    finishAndClose();
}

bool frm_popup::CopyPhotoToTemp(const QString &path, const QString &yibfNumber)
{
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    const QString extension = dot >= 0 ? path.mid(dot + 1) : QString();
    const QString folder = SubmissionTempFolder();
    QDir().mkpath(folder);
    if (!EmptyFolder(folder)) {
        platform::msgBox(SubmitText::TempNotEmptied(), platform::MsgIcon::Critical);
        return false;
    }
    const QString name = AsNumber(yibfNumber) + QLatin1Char('.') + extension;
    const QString target = QDir(folder).filePath(name);
    QFile::copy(platform::nativePath(path), target);
    if (!QFileInfo::exists(target)) {
        platform::msgBox(SubmitText::TempCopyMissing(), platform::MsgIcon::Critical);
        return false;
    }
    dosya.tag = name;
    dosya.setText(target);
    return true;
}

void frm_popup::onZamanSay(const QString &text)
{
    if (!m_options.hangTimeout)
        return;
    const int value = text.toInt();
    Label5->setText(QString::number(100 - value));
    if (value > 99) {
        Timer3->stop();
        endWithStatus(SubmitText::Hang(), RowMark::Problem);
    }
}

void frm_popup::endWithStatus(const QString &status, std::optional<RowMark> mark)
{
    finishAndClose({status, mark, std::nullopt, std::nullopt});
}

void frm_popup::endWithSession()
{
    // A save may have reached the portal once the confirmation page was shown: the list read
    // before it goes with the record (a list never read proves no row absent).
    if (!m_decided)
        m_sessionEnd = SessionEnd{m_confirmationShown
                                      ? std::optional(m_listBefore.value_or(QList<QStringList>()))
                                      : std::nullopt};
    finishAndClose();
}

void frm_popup::finishAndClose(const SubmissionOutcome &outcome)
{
    // The first decision counts; the window is on its way out after it.
    if (!m_decided) {
        m_decided = true;
        m_outcome = outcome;
    }
    Label1->setText(QStringLiteral("xx"));
    close();
}

void frm_popup::onCommand8()
{
    PageActions::Stop(m_page1);
    menu_calistir(MenuAction::MessagePage());
}
