#include "core/printlist.h"

#include "core/schema.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "platform/platform.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

namespace queue {

namespace {
// List sub-item (1-based) -> buffer column.
struct Mapping
{
    int subItem;
    const char *column;
};
constexpr Mapping kMapping[] = {{1, "16"}, {2, "61"}, {3, "44"}, {4, "45"},
                                {5, "1"},  {6, "62"}, {8, "11"}, {9, "63"}};

// The printed list's columns: header, buffer column (none: the row's number), share of the
// line width.
struct ListColumn
{
    const char16_t *header;
    const char *column;
    int weight;
};
constexpr ListColumn kReport[] = {
    {u"Sıra", nullptr, 4},
    {u"YİBF No", "16", 7},
    {u"Pafta/Ada/Parsel", "61", 12},
    {u"Yapı Sahibi", "44", 13},
    {u"Müteahhit", "45", 13},
    {u"Fotoğraf", "1", 12},
    {u"Yapıdaki Gelişmeler", "62", 17},
    {u"Toplam %", "11", 6},
    {u"Durum", "63", 16},
};
} // namespace

QString PrintBufferConnection(const QString &siblingFolder)
{
    return QStringLiteral("server=sqlite:") + siblingFolder +
           QStringLiteral("\\data;database=p3436");
}

QString PrintBufferFile(const QString &siblingFolder)
{
    return platform::nativePath(siblingFolder + QStringLiteral("\\data\\p3436.sqlite3"));
}

void FillPrintBuffer(const QString &siblingFolder, const QList<QStringList> &rows)
{
    const QString file = PrintBufferFile(siblingFolder);
    if (!QFileInfo::exists(file)) {
        QDir().mkpath(QFileInfo(file).absolutePath());
        CreateSqliteStore(file, QStringLiteral("p3436"));
    }
    const QString cs = PrintBufferConnection(siblingFolder);
    db::Exec(cs, QStringLiteral("delete from sözleşme"));
    for (const QStringList &row : rows) {
        QStringList columns{QStringLiteral("\"18\"")};
        QVariantList binds{QStringLiteral("Tarvek FOTO")};
        for (const Mapping &m : kMapping) {
            const QString value = row.value(m.subItem - 1);
            if (value.isEmpty())
                continue;
            columns.append(QLatin1Char('"') + QLatin1String(m.column) + QLatin1Char('"'));
            binds.append(value);
        }
        QStringList marks;
        for (qsizetype i = 0; i < binds.size(); ++i)
            marks.append(QStringLiteral("?"));
        db::Exec(cs,
                 QStringLiteral("insert into sözleşme (") + columns.join(QLatin1Char(',')) +
                     QStringLiteral(") values (") + marks.join(QLatin1Char(',')) + QLatin1Char(')'),
                 binds);
    }
}

db::Rows ReadPrintBuffer(const QString &siblingFolder)
{
    if (!QFileInfo::exists(PrintBufferFile(siblingFolder)))
        return {};
    return db::Select(PrintBufferConnection(siblingFolder),
                      QStringLiteral("select * from sözleşme order by rowid"))
        .value_or(db::Rows{});
}

int RenderReport(QPagedPaintDevice *device, const Report &report)
{
    if (report.columns.isEmpty())
        return 0;
    device->setPageOrientation(QPageLayout::Landscape);
    QPainter p;
    if (!p.begin(device))
        return 0;
    const QRect page = p.viewport();
    const int margin = page.width() / 40;
    const QRect area = page.adjusted(margin, margin, -margin, -margin);

    QFont body = p.font();
    body.setPointSizeF(8);
    QFont bold = body;
    bold.setBold(true);
    QFont title = body;
    title.setPointSizeF(13);
    title.setBold(true);
    p.setFont(body);
    const int lineH = QFontMetrics(body, device).height() * 3 / 2;

    int totalWeight = 0;
    for (const ReportColumn &c : report.columns)
        totalWeight += c.weight;
    QList<int> x;
    int acc = 0;
    for (const ReportColumn &c : report.columns) {
        x.append(area.left() + area.width() * acc / qMax(1, totalWeight));
        acc += c.weight;
    }
    x.append(area.right());
    const int columns = int(report.columns.size());

    const int titleH = QFontMetrics(title, device).height() * 2;
    const int perPage = qMax(1, (area.height() - titleH - 3 * lineH) / lineH);
    const int pages = qMax(1, int((report.rows.size() + perPage - 1) / perPage));
    const QString printed =
        platform::Platform::clock().now().toString(QStringLiteral("dd.MM.yyyy HH:mm"));

    for (int pageNo = 0; pageNo < pages; ++pageNo) {
        if (pageNo > 0)
            device->newPage();
        int y = area.top();
        p.setFont(title);
        p.drawText(QRect(area.left(), y, area.width(), titleH), Qt::AlignLeft | Qt::AlignVCenter,
                   report.title);
        p.setFont(body);
        p.drawText(QRect(area.left(), y, area.width(), titleH), Qt::AlignRight | Qt::AlignVCenter,
                   QStringLiteral("Tarvek FOTO  ") + printed);
        y += titleH;
        p.setFont(bold);
        for (int c = 0; c < columns; ++c)
            p.drawText(QRect(x[c] + 2, y, x[c + 1] - x[c] - 4, lineH),
                       Qt::AlignLeft | Qt::AlignVCenter, report.columns[c].header);
        y += lineH;
        p.drawLine(area.left(), y, area.right(), y);
        p.setFont(body);
        const QFontMetrics fm(body, device);
        const int first = pageNo * perPage;
        const int last = qMin(int(report.rows.size()), first + perPage);
        for (int r = first; r < last; ++r) {
            for (int c = 0; c < columns; ++c) {
                const int w = x[c + 1] - x[c] - 4;
                p.drawText(QRect(x[c] + 2, y, w, lineH), Qt::AlignLeft | Qt::AlignVCenter,
                           fm.elidedText(report.rows[r].value(c), Qt::ElideRight, w));
            }
            y += lineH;
        }
        p.drawLine(area.left(), y, area.right(), y);
        p.drawText(QRect(area.left(), area.bottom() - lineH, area.width(), lineH),
                   Qt::AlignRight | Qt::AlignVCenter,
                   QStringLiteral("Toplam %1 Fotoğraf   Sayfa %2 / %3")
                       .arg(report.rows.size())
                       .arg(pageNo + 1)
                       .arg(pages));
    }
    p.end();
    return pages;
}

bool WriteReportPdf(const QString &pdfFile, const Report &report)
{
    QPdfWriter writer(pdfFile);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setResolution(150);
    writer.setTitle(QStringLiteral("Tarvek FOTO"));
    return RenderReport(&writer, report) > 0 && QFileInfo(pdfFile).size() > 0;
}

Report PrintListReport(const db::Rows &rows)
{
    Report report;
    report.title = QStringLiteral("Bakanlığa Gönderilecek Fotoğraflar");
    for (const ListColumn &c : kReport)
        report.columns.append({QString::fromUtf16(c.header), c.weight});
    for (qsizetype r = 0; r < rows.size(); ++r) {
        QStringList cells;
        for (const ListColumn &c : kReport)
            cells.append(c.column ? db::Text(rows[r], QLatin1String(c.column))
                                  : QString::number(r + 1));
        report.rows.append(cells);
    }
    return report;
}

int RenderPrintList(QPagedPaintDevice *device, const db::Rows &rows)
{
    return RenderReport(device, PrintListReport(rows));
}

bool WritePrintListPdf(const QString &pdfFile, const db::Rows &rows)
{
    return WriteReportPdf(pdfFile, PrintListReport(rows));
}

} // namespace queue
