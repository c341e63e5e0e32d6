#pragma once

#include "portal/portallogin.h"

#include <functional>
#include <optional>

class frm_giris;
class QWebEnginePage;

// What the main window's portal login needs of the submission window. The submission window's
// library fills these in at start (the main window's library cannot depend on it); unset, the
// portal login behaves as if the window did not exist.
struct SubmissionWindowHooks
{
    // Whether it is visible; asking creates it, hidden, and runs its load.
    std::function<bool()> visible;
    // Its second browser's page, to receive the portal's logged-in window.
    std::function<QWebEnginePage *()> target;
    // Its row position (sayi_index) set and the window shown.
    std::function<void(std::optional<int> row)> show;
};
SubmissionWindowHooks &SubmissionWindow();

// The main window's side of the portal login.
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
    std::optional<int> firstQueuedRow() override;
    void showSubmissionWindow(std::optional<int> row) override;
    QWidget *dialogParent() override;

private:
    frm_giris *m_window;
};
