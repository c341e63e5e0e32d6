#pragma once

#include "core/database.h"

#include <QList>
#include <QString>
#include <QStringList>

class QPagedPaintDevice;

// The printed list: the list rows go into the print buffer (table sözleşme of the office
// application's local print store), and our own report lays the buffer out on paper or PDF.
namespace queue {

// SiblingFolder + "\data\p3436.sqlite3" here (the office application keeps its Jet file there).
QString PrintBufferConnection(const QString &siblingFolder);
QString PrintBufferFile(const QString &siblingFolder);

// Empties the buffer and adds one row per list row; a row is sub-items 1-10 of a list row.
// Sub-items 1,2,3,4,5,6,8,9 go to columns "16","61","44","45","1","62","11","63" (empty ones stay
// null), "18" always gets "Tarvek FOTO". Creates the buffer when missing. A failing step is
// skipped: the operator then sees a shorter list, never an error.
void FillPrintBuffer(const QString &siblingFolder, const QList<QStringList> &rows);

// The buffer's rows in the order they were written.
db::Rows ReadPrintBuffer(const QString &siblingFolder);

// A report as the program prints its lists: a title line with the time of printing, a header
// line, one line per row (a cell cut to its column), and the count and the page at each foot.
struct ReportColumn
{
    QString header;
    int weight; // share of the line width
};
struct Report
{
    QString title;
    QList<ReportColumn> columns;
    QList<QStringList> rows; // cells in the columns' order
};

// Lays the report out on the device, landscape, page after page. Returns the page count.
int RenderReport(QPagedPaintDevice *device, const Report &report);
// The same into a PDF file; false when the file cannot be written.
bool WriteReportPdf(const QString &pdfFile, const Report &report);

// The printed list of the buffer's rows.
Report PrintListReport(const db::Rows &rows);
// Lays the buffer's rows out on the device, page after page. Returns the page count.
int RenderPrintList(QPagedPaintDevice *device, const db::Rows &rows);

// The same into a PDF file; false when the file cannot be written.
bool WritePrintListPdf(const QString &pdfFile, const db::Rows &rows);

} // namespace queue
