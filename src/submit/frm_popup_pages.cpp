// The submission window's page flow: every completed portal page is read once into a snapshot,
// its code decides the step (pagerules), and the step acts on the page through PageActions.
#include "submit/frm_popup.h"

#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "portal/addresses.h"
#include "portal/pageactions.h"
#include "portal/portalpage.h"
#include "submit/mainwindowlink.h"
#include "submit/outcome.h"
#include "submit/statustexts.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QWebEngineView>

namespace {
const QString kForm = QStringLiteral("oyds_form");
const QString kResultBody = QStringLiteral("oyds_form:dataTable:tbody_element");
const QString kList = QStringLiteral("oyds_form:dataTable");
const QString kRecordId = QStringLiteral("oyds_form:id");
const QString kFileInput = QStringLiteral("oyds_form:dokuman");
constexpr int kAttachAttempts = 4;
} // namespace

void frm_popup::onDocumentComplete(const QUrl &url)
{
    const QString address = url.toString();
    if (m_closing || address.isEmpty() || address == QStringLiteral("http:///"))
        return;
    QPointer<frm_popup> self(this);
    TakeSnapshot(m_page1, {kRecordId}, [self](const PageSnapshot &page) {
        if (self && !self->m_closing && page.valid)
            self->ReadScreenCode(page);
    });
}

void frm_popup::ReadScreenCode(const PageSnapshot &page)
{
    m_snapshot = page;
    if (const auto code = ::ReadScreenCode(page.bodyText)) {
        ekrankodu.tag = *code;
        CodeBook book{ekrankodu.text(), eski_ekrankodu.text()};
        if (book.read(*code)) {
            eski_ekrankodu.setText(book.previous);
            ekrankodu.setText(book.current); // its change dispatches
        } else {
            DispatchPage(); // the same page again
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
    if (address == PortalAppUrl(QStringLiteral("/yds/rol/common/top.jsf"))) {
        WebBrowser2->hide();
        // The portal's profile keeps no cache, so this load neither reads nor writes one.
        m_page1->load(QUrl(PortalAppUrl(QStringLiteral("/yds/rol/ydk/main.jsf"))));
    }
}

int frm_popup::formIndex(const QString &name) const
{
    for (int i = 0; i < m_snapshot.forms.size(); ++i)
        if (m_snapshot.forms[i].id == name || m_snapshot.forms[i].name == name)
            return i;
    return -1;
}

void frm_popup::DispatchPage()
{
    if (m_closing)
        return;
    const QString c = ekrankodu.text();
    Frame7->hide();
    if (c != QStringLiteral("DYDYI"))
        onceki_oran = 0.0;
    const PageDecision d =
        ::DispatchPage(c, eski_ekrankodu.text(), arama_asamasi, m_snapshot.title);
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
        arama_asamasi = Search::Click();
        menu_calistir(MenuAction::SearchPage());
        break;
    case PageAction::SubmitSearch: {
        arama_asamasi = Search::Searching();
        const int form = formIndex(kForm);
        PageActions::SetValue(m_page1, QStringLiteral("oyds_form:dosya_no"), yibf.text(), {}, form);
        PageActions::Click(m_page1, QStringLiteral("oyds_form:bul"), {}, form);
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
    // Both scripts are queued at once so they run on the document the action was meant for (a
    // call chained on the first one's answer could reach the next page).
    PageActions::SetValue(m_page1, QStringLiteral("jscook_action"),
                          MenuActionValue(m_snapshot.firstDivId, action), {}, 0);
    PageActions::SubmitForm(m_page1, 0);
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
    endWithStatus(SubmitText::FileMissing(text), 2);
}

void frm_popup::yibf_ariyor()
{
    if (arama_asamasi != Search::Searching())
        return;
    switch (EvaluateSearch(m_snapshot.rowCount(kResultBody))) {
    case SearchResult::NotFound:
        endWithStatus(SubmitText::SearchEmpty(yibf.text()));
        return;
    case SearchResult::Several:
        PageActions::Click(m_page1, QStringLiteral("oyds_form:bul"), {}, formIndex(kForm));
        return;
    case SearchResult::One:
        break;
    }
    markStep(QStringLiteral("f4"));
    PageActions::SetValue(m_page1, QStringLiteral("oyds_form:_link_hidden_"), QString(), {},
                          formIndex(kForm));
    if (ekrankodu.text() != QStringLiteral("YHHYL"))
        return;
    const int i = butonu_bul(m_snapshot, QStringLiteral("Göster"),
                             PortalAppUrl(QStringLiteral("/yds/common/images/goster.gif")),
                             QStringLiteral("resim"));
    if (i > -1)
        PageActions::ClickImage(m_page1, i);
}

void frm_popup::yibf_oku()
{
    // The record text is cut to its number before it is stored: the raw text would only run a
    // site lookup that cannot match.
    yibf_web.setText(YibfFromRecordText(m_snapshot.innerHtml.value(kRecordId)));
    if (yibf_web.text() == yibf.text()) {
        const int i = butonu_bul(m_snapshot, QStringLiteral("Denetim Bilgileri"),
                                 QStringLiteral("submit"), QStringLiteral("buton"));
        if (i > -1)
            PageActions::ClickFormElement(m_page1, 0, i);
        return;
    }
    mainWindowLink().setListEnabled(true);
    endWithStatus(SubmitText::YibfNotFound());
}

void frm_popup::DecideOutcome()
{
    MainWindowLink &main = mainWindowLink();
    const QDate today = platform::Platform::clock().today();
    const bool sent = rapor_sirasi(1, m_snapshot.tables.value(kList), ada_web.text(), today) == 10;
    main.setSmallIcon(row(), sent ? 1 : 2);
    main.setSubItem(row(), 9, sent ? SubmitText::Sent() : SubmitText::NotSent());
    main.writeStatusNote();
    WriteOutcome(RecordNumberFromKey(main.rowKey(row())), sent ? Outcome::Sent : Outcome::NotSent,
                 main.operatorName());
    finishAndClose();
}

void frm_popup::SevenDayRule(bool thenNewRecord)
{
    MainWindowLink &main = mainWindowLink();
    const QString number = RecordNumberFromKey(main.rowKey(row()));
    const QDate today = platform::Platform::clock().today();
    if (LookupRecordByNumber(number) &&
        rapor_sirasi(0, m_snapshot.tables.value(kList), ada_web.text(), today) == -1 &&
        main.check(3)) {
        main.setSmallIcon(row(), 1);
        main.setSubItem(row(), 9, SubmitText::SevenDay());
        main.setSignal(MainWindowLink::Signal::tam_zaman, QStringLiteral("3"));
        main.writeStatusNote();
        WriteOutcome(number, Outcome::SevenDay, main.operatorName());
        finishAndClose();
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
    onceki_oran = PreviousPercentage(m_snapshot.tables.value(kResultBody));
    const int i = butonu_bul(m_snapshot, QStringLiteral("Yeni Denetim Bilgisi"),
                             QStringLiteral("submit"), QStringLiteral("buton"));
    if (i > -1)
        PageActions::ClickFormElement(m_page1, 0, i);
}

void frm_popup::FillInspectionForm()
{
    MainWindowLink &main = mainWindowLink();
    markStep(QStringLiteral("f6"));
    const auto record = LookupInspectionRecord(RecordNumberFromKey(main.rowKey(row())));
    if (!record)
        return;
    if (ada_web.text() != record->ada) {
        endWithStatus(SubmitText::YibfNotFound(), 2);
        return;
    }
    for (const auto &[id, value] : LevelFields(*record))
        PageActions::SetValue(m_page1, id, value);
    if (const auto rejection = PercentageRejection(onceki_oran, LevelTotal(*record))) {
        endWithStatus(*rejection, 2);
        return;
    }
    for (const auto &[id, value] : SenderFields(*record))
        PageActions::SetValue(m_page1, id, value);
    if (record->alan1.isEmpty())
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
    PageActions::AttachFile(m_page1, WebBrowser1, kFileInput, dosya.text(), [self](bool ok) {
        if (!self || self->m_closing)
            return;
        if (ok) {
            self->showPhoto();
            self->Timer1->stop();
            self->markStep(QStringLiteral("f8"));
            self->markStep(QStringLiteral("f9"));
            PageActions::Click(self->m_page1, QStringLiteral("oyds_form:_idJsp38"));
            return;
        }
        if (self->m_attempts < kAttachAttempts) {
            self->Timer1->start(platform::timerInterval(3000));
            return;
        }
        platform::msgBox(SubmitText::AttachFailed(self->dosya.tag.isEmpty() ? self->dosya.text()
                                                                            : self->dosya.tag),
                         platform::MsgIcon::Critical);
    });
}

// The row's photograph at the box's width, its proportions kept, centred.
void frm_popup::showPhoto()
{
    const QPixmap picture(platform::nativePath(mainWindowLink().subItem(row(), 10)));
    if (picture.isNull() || Image1->width() <= 0)
        return;
    Image1->setPixmap(picture.scaledToWidth(Image1->width(), Qt::SmoothTransformation));
}

void frm_popup::ShowConfirmation()
{
    Frame7->show();
    if (Check6Tag == QStringLiteral("1")) {
        Check6->setChecked(true);
        onCheck6([this] { onCommand7(); });
        return;
    }
    // The operator ticks the declaration here, which ticks the portal's box with it; until then
    // the save stays disabled.
    TabStrip1->setCurrentIndex(0);
    markStep(QStringLiteral("f10"));
    Check6->setChecked(false);
    Command7->setEnabled(false);
}

void frm_popup::onCheck6(std::function<void()> then)
{
    if (!ekrankodu.text().isEmpty() || eski_ekrankodu.text() != QStringLiteral("DYDYI")) {
        if (then)
            then();
        return;
    }
    const bool on = Check6->isChecked();
    Command7->setEnabled(on);
    PageActions::SetCheckedAndFireOnclick(m_page1, QStringLiteral("oyds_form:cbx"), on,
                                          [then](bool) {
                                              if (then)
                                                  then();
                                          });
}

void frm_popup::onCommand7()
{
    // The save button's state follows the declaration box's own onclick, so the page is read
    // afresh before the button is looked for.
    QPointer<frm_popup> self(this);
    TakeSnapshot(m_page1, {kRecordId}, [self](const PageSnapshot &page) {
        if (!self || self->m_closing)
            return;
        const int i = butonu_bul(page, QStringLiteral("Denetim Bilgisini Kaydet"),
                                 QStringLiteral("submit"), QStringLiteral("buton"));
        if (i == -1)
            return;
        MainWindowLink &main = mainWindowLink();
        self->Command7->setEnabled(false);
        self->m_spin->start(120);
        self->m_saveStart = platform::Platform::clock().now();
        self->Label6->setText(self->m_saveStart.toString(QStringLiteral("HH:mm:ss")));
        self->Timer4->start(platform::timerInterval(1000));
        main.setSignal(MainWindowLink::Signal::tam_zaman, QStringLiteral("20"));
        if (main.check(4)) {
            self->Label4->show();
            self->Label5->show();
            self->Timer3->start(platform::timerInterval(1000));
        }
        PageActions::ClickFormElement(self->m_page1, 0, i);
    });
}

void frm_popup::onCommand6()
{
    if (butonu_bul(m_snapshot, QStringLiteral("Vazgeç"), QStringLiteral("submit"),
                   QStringLiteral("buton")) == -1)
        return;
    mainWindowLink().setListEnabled(true);
    endWithStatus(SubmitText::ConfirmationCancelled());
}
