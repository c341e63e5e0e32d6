#include "queue/portallink.h"

#include "portal/portalpage.h"
#include "queue/frm_giris.h"
#include "submit/frm_popup.h"

#include <QLabel>

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
    return m_window->submissionWindow()->isVisible();
}

QWebEnginePage *GirisPortalLink::submissionWindowTarget()
{
    return m_window->submissionWindow()->page2();
}

void GirisPortalLink::handOver()
{
    m_window->handOver();
}

QWidget *GirisPortalLink::dialogParent()
{
    return m_window;
}
