#pragma once

#include "portal/portallogin.h"

class frm_giris;

// The main window's side of the portal login: its credentials, its status line and the
// submission window it opens.
class GirisPortalLink : public PortalLoginLink
{
public:
    explicit GirisPortalLink(frm_giris *window) : m_window(window) {}
    void setStatusText(const QString &text) override;
    QString portalUser() const override;
    QString portalPassword() const override;
    QString tempFolder() const override;
    bool submissionWindowVisible() override;
    QWebEnginePage *submissionWindowTarget() override;
    void handOver() override;
    QWidget *dialogParent() override;

private:
    frm_giris *m_window;
};
