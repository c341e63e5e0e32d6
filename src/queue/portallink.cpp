#include "queue/portallink.h"

#include "queue/frm_giris.h"

#include <QLabel>

SubmissionWindowHooks &SubmissionWindow()
{
    static SubmissionWindowHooks hooks;
    return hooks;
}

void GirisPortalLink::setStatusText(const QString &text)
{
    m_window->Label1->setText(text);
}

QString GirisPortalLink::portalUser() const
{
    return m_window->Text2.text();
}

QString GirisPortalLink::portalPassword() const
{
    return m_window->Text3.text();
}

QString GirisPortalLink::tempFolder() const
{
    return m_window->tempx.text();
}

bool GirisPortalLink::submissionWindowVisible()
{
    return SubmissionWindow().visible && SubmissionWindow().visible();
}

QWebEnginePage *GirisPortalLink::submissionWindowTarget()
{
    return SubmissionWindow().target ? SubmissionWindow().target() : nullptr;
}

std::optional<int> GirisPortalLink::firstQueuedRow()
{
    return m_window->rapor_sirasi();
}

void GirisPortalLink::showSubmissionWindow(std::optional<int> row)
{
    if (SubmissionWindow().show)
        SubmissionWindow().show(row);
}

QWidget *GirisPortalLink::dialogParent()
{
    return m_window;
}
