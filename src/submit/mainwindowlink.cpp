#include "submit/mainwindowlink.h"

namespace {
class NoMainWindow : public MainWindowLink
{
public:
    int rowCount() const override { return 0; }
    QString subItem(int, int) const override { return {}; }
    void setSubItem(int, int, const QString &) override {}
    bool ticked(int) const override { return false; }
    int smallIcon(int) const override { return 0; }
    void setSmallIcon(int, int) override {}
    QString rowKey(int) const override { return {}; }
    void selectRow(int) override {}
    void setListEnabled(bool) override {}
    bool check(int) const override { return false; }
    void setCheck(int, bool) override {}
    void setCommand2Enabled(bool) override {}
    void stopTimer1() override {}
    void setSignal(Signal, const QString &) override {}
    void writeStatusNote() override {}
    QString operatorName() const override { return {}; }
};

NoMainWindow s_none;
MainWindowLink *s_link = nullptr;
} // namespace

MainWindowLink &mainWindowLink()
{
    return s_link ? *s_link : s_none;
}

void SetMainWindowLink(MainWindowLink *link)
{
    s_link = link;
}
