#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

// What the program reads of a completed portal page, read once by one script so that every
// decision about the page is plain code over this value.
struct SnapElement
{
    QString id;
    QString name;
    QString tag;  // lower case
    QString type; // lower case
    QString value;
    bool disabled = false;
    bool checked = false;
};

struct SnapForm
{
    QString id;
    QString name;
    QString innerHtml;           // read only when asked for (FormsHtml::Read)
    QList<SnapElement> elements; // the form's elements collection, in order
};

struct SnapImage
{
    QString src; // absolute address, as the document resolves it
    QString alt;
};

struct PageSnapshot
{
    bool valid = false; // false when the page could not be read
    QString url;
    QString title;
    QString bodyText;      // the body's visible text
    QString bodyOuterHtml; // the body element's HTML, itself included
    QString headOuterHtml; // the head element's HTML, itself included
    QList<SnapForm> forms;
    QList<SnapImage> images;
    QString firstDivId; // id of the first "div" element of the document
    // Rows of every table or table body that has an id: each row's cell texts.
    QMap<QString, QList<QStringList>> tables;
    // Inner HTML of the elements asked for by id.
    QMap<QString, QString> innerHtml;
    // Every input, button, select and text area of the document by id (and by name).
    QMap<QString, SnapElement> elements;

    const SnapElement *element(const QString &idOrName) const;
    int rowCount(const QString &tableId) const { return int(tables.value(tableId).size()); }
};

PageSnapshot ParseSnapshot(const QString &json);

// A string as a JavaScript literal.
QString JsString(const QString &text);

// Whether the forms' inner HTML is read: on a portal page it is most of the body's HTML again
// (a form holds the page), so only a reader that looks into a form's markup asks for it.
enum class FormsHtml { Skip, Read };

// The script that reads a page; innerHtmlIds names the elements whose inner HTML is wanted.
QString SnapshotScript(const QStringList &innerHtmlIds, FormsHtml formsHtml);
