#include "submit/submission.h"

#include "portal/portalpage.h"
#include "queue/frm_giris.h"
#include "queue/portallink.h"
#include "queue/statusnote.h"
#include "submit/frm_popup.h"
#include "submit/mainwindowlink.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QWebEngineView>

namespace {

// The submission window's view of the main window.
class GirisMainWindowLink : public MainWindowLink
{
public:
    int rowCount() const override { return w()->ListView1->topLevelItemCount(); }
    QString subItem(int row, int k) const override
    {
        const QTreeWidgetItem *item = w()->row(row);
        return item ? item->text(k) : QString();
    }
    void setSubItem(int row, int k, const QString &text) override
    {
        if (QTreeWidgetItem *item = w()->row(row))
            item->setText(k, text);
    }
    bool ticked(int row) const override
    {
        const QTreeWidgetItem *item = w()->row(row);
        return item && item->checkState(0) == Qt::Checked;
    }
    int smallIcon(int row) const override { return frm_giris::smallIcon(w()->row(row)); }
    void setSmallIcon(int row, int icon) override
    {
        if (QTreeWidgetItem *item = w()->row(row))
            w()->setSmallIcon(item, icon);
    }
    QString rowKey(int row) const override { return frm_giris::rowKey(w()->row(row)); }
    void selectRow(int row) override
    {
        // The status notes name their record through the selected row.
        if (QTreeWidgetItem *item = w()->row(row))
            w()->ListView1->setCurrentItem(item);
    }
    void setListEnabled(bool enabled) override { w()->ListView1->setEnabled(enabled); }
    bool check(int which) const override
    {
        const QCheckBox *box = checkBox(which);
        return box && box->isChecked();
    }
    void setCheck(int which, bool ticked) override
    {
        if (QCheckBox *box = checkBox(which))
            box->setChecked(ticked);
    }
    void setCommand2Enabled(bool enabled) override { w()->Command2->setEnabled(enabled); }
    void stopTimer1() override
    {
        w()->Timer1->stop();
        w()->Timer1->setInterval(0);
    }
    void setSignal(Signal which, const QString &text) override
    {
        switch (which) {
        case Signal::yukleme:
            w()->yukleme.setText(text);
            break;
        case Signal::popupx:
            w()->popupx.setText(text);
            break;
        case Signal::tam_zaman:
            w()->tam_zaman.setText(text);
            break;
        }
    }
    void writeStatusNote() override { WriteStatusNote(); }
    QString operatorName() const override { return w()->ilk_kullanici.text(); }

private:
    static frm_giris *w() { return frm_giris::instance(); }
    static QCheckBox *checkBox(int which)
    {
        switch (which) {
        case 3:
            return w()->Check3;
        case 4:
            return w()->Check4;
        case 7:
            return w()->Check7;
        case 8:
            return w()->Check8;
        default:
            return nullptr;
        }
    }
};

} // namespace

void InstallSubmission()
{
    static GirisMainWindowLink link;
    SetMainWindowLink(&link);
    SubmissionWindowHooks &hooks = SubmissionWindow();
    hooks.visible = [] { return frm_popup::instance()->isVisible(); };
    hooks.target = [] { return frm_popup::instance()->page2(); };
    hooks.show = [](std::optional<int> row) {
        frm_popup *popup = frm_popup::instance();
        popup->sayi_index.setText(row ? QString::number(*row) : QString());
        popup->show();
    };
}
