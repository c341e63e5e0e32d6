#include "history/frm_gecmis.h"

#include "platform/clock.h"
#include "platform/gui/printpreview.h"
#include "platform/launcher.h"
#include "platform/messages.h"
#include "platform/platform.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

using platform::MsgIcon;

namespace {
template <typename W> W *named(W *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QDateEdit *dayPicker(const char *name)
{
    auto *picker = named(new QDateEdit(platform::Platform::clock().today()), name);
    picker->setCalendarPopup(true);
    picker->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    return picker;
}
} // namespace

frm_gecmis::frm_gecmis(const history::Scope &scope, QWidget *parent)
    : QWidget(parent), m_scope(scope)
{
    setObjectName(QStringLiteral("frm_gecmis"));
    setWindowTitle(QStringLiteral("Gönderim Geçmişi"));
    DTPicker1 = dayPicker("DTPicker1");
    DTPicker2 = dayPicker("DTPicker2");
    Combo1 = named(new QComboBox, "Combo1");
    Combo2 = named(new QComboBox, "Combo2");
    for (QComboBox *box : {Combo1, Combo2}) {
        box->addItem(QStringLiteral("Tümü"), QString());
        box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        box->setMinimumContentsLength(12);
    }
    ListView1 = named(new QTreeWidget, "ListView1");
    ListView1->setRootIsDecorated(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setHeaderLabels(history::Headers());
    ListView1->header()->setStretchLastSection(false);
    // The status is the longest text: it takes the room the others leave.
    ListView1->header()->setSectionResizeMode(5, QHeaderView::Stretch);
    Label1 = named(new QLabel, "Label1");
    auto button = [](const char *name, const QString &caption) {
        return named(new QPushButton(caption), name);
    };
    Command1 = button("Command1", QStringLiteral("KANITI AÇ"));
    Command2 = button("Command2", QStringLiteral("KLASÖRÜ AÇ"));
    Command3 = button("Command3", QStringLiteral("YAZDIR"));
    Command4 = button("Command4", QStringLiteral("PDF KAYDET"));
    Command5 = button("Command5", QStringLiteral("CSV KAYDET"));
    Command1->setEnabled(false);
    Command2->setEnabled(false);

    auto *choices = new QHBoxLayout;
    choices->addWidget(new QLabel(QStringLiteral("Başlangıç :")));
    choices->addWidget(DTPicker1);
    choices->addWidget(new QLabel(QStringLiteral("Bitiş :")));
    choices->addWidget(DTPicker2);
    choices->addSpacing(12);
    choices->addWidget(new QLabel(QStringLiteral("YİBF :")));
    choices->addWidget(Combo1);
    choices->addWidget(new QLabel(QStringLiteral("Kullanıcı :")));
    choices->addWidget(Combo2);
    choices->addStretch();
    auto *commands = new QHBoxLayout;
    commands->addWidget(Label1, 1);
    for (QPushButton *b : {Command1, Command2, Command3, Command4, Command5})
        commands->addWidget(b);
    auto *window = new QVBoxLayout(this);
    window->addLayout(choices);
    window->addWidget(ListView1, 1);
    window->addLayout(commands);
    resize(1100, 560);

    showReport = [this](const queue::Report &report) {
        platform::ShowPrintPreview(this, windowTitle(),
                                   [&report](QPrinter *p) { queue::RenderReport(p, report); });
    };
    askFileName = [this](const QString &suggested, const QString &filter) {
        return QFileDialog::getSaveFileName(this, windowTitle(), QDir::home().filePath(suggested),
                                            filter);
    };

    connect(DTPicker1, &QDateEdit::dateChanged, this, &frm_gecmis::refresh);
    connect(DTPicker2, &QDateEdit::dateChanged, this, &frm_gecmis::refresh);
    connect(Combo1, &QComboBox::currentIndexChanged, this, &frm_gecmis::applyFilter);
    connect(Combo2, &QComboBox::currentIndexChanged, this, &frm_gecmis::applyFilter);
    connect(ListView1, &QTreeWidget::itemSelectionChanged, this, &frm_gecmis::selectionChanged);
    connect(ListView1, &QTreeWidget::itemDoubleClicked, Command1, &QPushButton::click);
    connect(Command1, &QPushButton::clicked, this, [this] {
        if (const history::SentRecord *r = selected(); r && r->hasProof)
            platform::Platform::launcher().openFile(r->proof.pdf);
    });
    connect(Command2, &QPushButton::clicked, this, [this] {
        if (const history::SentRecord *r = selected(); r && r->hasProof)
            platform::Platform::launcher().openFolder(QFileInfo(r->proof.pdf).absolutePath());
    });
    connect(Command3, &QPushButton::clicked, this, [this] {
        if (m_shown.isEmpty())
            platform::msgBox(QStringLiteral("Yazdırılacak Veri Bulunamadı..."), MsgIcon::Critical);
        else
            showReport(history::HistoryReport(m_shown, DTPicker1->date(), DTPicker2->date()));
    });
    connect(Command4, &QPushButton::clicked, this,
            [this] { save(QStringLiteral("pdf"), QStringLiteral("PDF (*.pdf)")); });
    connect(Command5, &QPushButton::clicked, this,
            [this] { save(QStringLiteral("csv"), QStringLiteral("CSV (*.csv)")); });
    refresh();
}

void frm_gecmis::refresh()
{
    // The days in either order.
    const QDate from = qMin(DTPicker1->date(), DTPicker2->date());
    const QDate to = qMax(DTPicker1->date(), DTPicker2->date());
    const auto records = history::ReadSentHistory(m_scope, from, to);
    m_all = records.value_or(QList<history::SentRecord>());
    refill(Combo1, history::Sites(m_all));
    refill(Combo2, history::Operators(m_all));
    applyFilter();
    if (!records)
        Label1->setText(QStringLiteral("Gönderim geçmişi okunamadı..."));
}

void frm_gecmis::refill(QComboBox *box, const QStringList &values)
{
    const QString chosen = box->currentData().toString();
    const QSignalBlocker quiet(box);
    while (box->count() > 1)
        box->removeItem(1);
    for (const QString &v : values) {
        QString caption = v;
        // A site reads as its number and its owner.
        if (box == Combo1)
            for (const history::SentRecord &r : std::as_const(m_all))
                if (r.yibf == v && !r.owner.isEmpty()) {
                    caption += QStringLiteral(" - ") + r.owner;
                    break;
                }
        box->addItem(caption, v);
    }
    box->setCurrentIndex(qMax(0, box->findData(chosen)));
}

void frm_gecmis::applyFilter()
{
    m_shown = history::Filtered(
        m_all, {Combo1->currentData().toString(), Combo2->currentData().toString()});
    ListView1->clear();
    QList<QTreeWidgetItem *> items;
    for (const history::SentRecord &r : std::as_const(m_shown)) {
        auto *item = new QTreeWidgetItem(history::Cells(r));
        const int proof = ListView1->columnCount() - 1;
        item->setToolTip(proof, r.hasProof ? r.proof.pdf : QString());
        item->setToolTip(5, r.status);
        items.append(item);
    }
    ListView1->addTopLevelItems(items);
    for (int c = 0; c < ListView1->columnCount(); ++c)
        ListView1->resizeColumnToContents(c);
    Label1->setText(m_shown.isEmpty() ? QStringLiteral("Gönderim Bulunamadı...")
                                      : QString::number(m_shown.size()) +
                                            QStringLiteral(" adet Gönderim Bulundu..."));
    selectionChanged();
}

const history::SentRecord *frm_gecmis::selected() const
{
    QTreeWidgetItem *item = ListView1->currentItem();
    const int row = item && item->isSelected() ? ListView1->indexOfTopLevelItem(item) : -1;
    return row >= 0 && row < m_shown.size() ? &m_shown[row] : nullptr;
}

void frm_gecmis::selectionChanged()
{
    const history::SentRecord *r = selected();
    Command1->setEnabled(r && r->hasProof);
    Command2->setEnabled(r && r->hasProof);
}

void frm_gecmis::save(const QString &extension, const QString &filter)
{
    if (m_shown.isEmpty()) {
        platform::msgBox(QStringLiteral("Yazdırılacak Veri Bulunamadı..."), MsgIcon::Critical);
        return;
    }
    const QDate from = qMin(DTPicker1->date(), DTPicker2->date());
    const QDate to = qMax(DTPicker1->date(), DTPicker2->date());
    QString file =
        askFileName(QStringLiteral("gonderim-gecmisi_%1_%2.%3")
                        .arg(from.toString(Qt::ISODate), to.toString(Qt::ISODate), extension),
                    filter);
    if (file.isEmpty())
        return;
    if (!file.endsWith(QLatin1Char('.') + extension, Qt::CaseInsensitive))
        file += QLatin1Char('.') + extension;
    const bool written =
        extension == QLatin1String("csv")
            ? history::WriteHistoryCsv(file, m_shown)
            : queue::WriteReportPdf(file, history::HistoryReport(m_shown, from, to));
    if (!written)
        platform::msgBox(QStringLiteral("Dosya kaydedilemedi...\r") + file, MsgIcon::Critical);
}
