#pragma once

#include "submit/mainwindowlink.h"

#include <QMap>
#include <QSet>
#include <QStringList>

// A main window for the submission window's tests: a list of rows and a log of every call that
// changes something, in order.
class FakeMainWindow : public MainWindowLink
{
public:
    struct Row
    {
        QString key;
        QMap<int, QString> sub;
        bool ticked = true;
        int icon = 0;
    };
    QList<Row> rows;
    QSet<int> checks;
    QStringList log;
    int selected = 0;
    QString operatorText = QStringLiteral("Ayşe Yılmaz");

    Row *at(int r) { return r >= 1 && r <= rows.size() ? &rows[r - 1] : nullptr; }
    const Row *at(int r) const { return r >= 1 && r <= rows.size() ? &rows[r - 1] : nullptr; }

    int rowCount() const override { return int(rows.size()); }
    QString subItem(int r, int k) const override { return at(r) ? at(r)->sub.value(k) : QString(); }
    void setSubItem(int r, int k, const QString &text) override
    {
        log << QStringLiteral("sub %1 %2 %3").arg(r).arg(k).arg(text);
        if (Row *x = at(r))
            x->sub[k] = text;
    }
    bool ticked(int r) const override { return at(r) && at(r)->ticked; }
    int smallIcon(int r) const override { return at(r) ? at(r)->icon : 0; }
    void setSmallIcon(int r, int icon) override
    {
        log << QStringLiteral("icon %1 %2").arg(r).arg(icon);
        if (Row *x = at(r))
            x->icon = icon;
    }
    QString rowKey(int r) const override { return at(r) ? at(r)->key : QString(); }
    void selectRow(int r) override
    {
        log << QStringLiteral("select %1").arg(r);
        selected = r;
    }
    void setListEnabled(bool on) override { log << QStringLiteral("list %1").arg(on); }
    bool check(int which) const override { return checks.contains(which); }
    void setCheck(int which, bool on) override
    {
        log << QStringLiteral("check%1 %2").arg(which).arg(on);
        if (on)
            checks.insert(which);
        else
            checks.remove(which);
    }
    void setCommand2Enabled(bool on) override { log << QStringLiteral("Command2 %1").arg(on); }
    void stopTimer1() override { log << QStringLiteral("Timer1 stop"); }
    void setSignal(Signal which, const QString &text) override
    {
        static const char *names[] = {"yukleme", "popupx", "tam_zaman"};
        log << QStringLiteral("%1=%2").arg(QLatin1String(names[int(which)]), text);
    }
    void writeStatusNote() override
    {
        log << QStringLiteral("note %1 %2").arg(selected).arg(subItem(selected, 9));
    }
    QString operatorName() const override { return operatorText; }
};
