#include "core/pagesnapshot.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

const SnapElement *PageSnapshot::element(const QString &idOrName) const
{
    const auto it = elements.constFind(idOrName);
    return it == elements.constEnd() ? nullptr : &it.value();
}

namespace {
SnapElement parseElement(const QJsonObject &o)
{
    SnapElement e;
    e.id = o.value(QStringLiteral("id")).toString();
    e.name = o.value(QStringLiteral("name")).toString();
    e.tag = o.value(QStringLiteral("tag")).toString();
    e.type = o.value(QStringLiteral("type")).toString();
    e.value = o.value(QStringLiteral("value")).toString();
    e.disabled = o.value(QStringLiteral("disabled")).toBool();
    e.checked = o.value(QStringLiteral("checked")).toBool();
    return e;
}
} // namespace

PageSnapshot ParseSnapshot(const QString &json)
{
    PageSnapshot s;
    const QJsonDocument doc = QJsonDocument::fromJson(json.toUtf8());
    if (!doc.isObject())
        return s;
    const QJsonObject o = doc.object();
    s.valid = true;
    s.url = o.value(QStringLiteral("url")).toString();
    s.title = o.value(QStringLiteral("title")).toString();
    s.bodyText = o.value(QStringLiteral("bodyText")).toString();
    s.bodyOuterHtml = o.value(QStringLiteral("bodyHtml")).toString();
    s.headOuterHtml = o.value(QStringLiteral("headHtml")).toString();
    s.firstDivId = o.value(QStringLiteral("firstDivId")).toString();
    const QJsonArray forms = o.value(QStringLiteral("forms")).toArray();
    for (const QJsonValue &fv : forms) {
        const QJsonObject f = fv.toObject();
        SnapForm form;
        form.id = f.value(QStringLiteral("id")).toString();
        form.name = f.value(QStringLiteral("name")).toString();
        form.innerHtml = f.value(QStringLiteral("innerHtml")).toString();
        const QJsonArray els = f.value(QStringLiteral("elements")).toArray();
        for (const QJsonValue &ev : els)
            form.elements.append(parseElement(ev.toObject()));
        s.forms.append(form);
    }
    const QJsonArray images = o.value(QStringLiteral("images")).toArray();
    for (const QJsonValue &iv : images)
        s.images.append({iv.toObject().value(QStringLiteral("src")).toString(),
                         iv.toObject().value(QStringLiteral("alt")).toString()});
    const QJsonObject tables = o.value(QStringLiteral("tables")).toObject();
    for (auto it = tables.begin(); it != tables.end(); ++it) {
        QList<QStringList> rows;
        const QJsonArray rowArray = it.value().toArray();
        for (const QJsonValue &rv : rowArray) {
            QStringList cells;
            const QJsonArray cellArray = rv.toArray();
            for (const QJsonValue &cv : cellArray)
                cells << cv.toString();
            rows.append(cells);
        }
        s.tables.insert(it.key(), rows);
    }
    const QJsonObject html = o.value(QStringLiteral("html")).toObject();
    for (auto it = html.begin(); it != html.end(); ++it)
        s.innerHtml.insert(it.key(), it.value().toString());
    const QJsonArray all = o.value(QStringLiteral("elements")).toArray();
    for (const QJsonValue &ev : all) {
        const SnapElement e = parseElement(ev.toObject());
        // The first element of an id (or, failing that, of a name) wins, as a lookup would.
        if (!e.id.isEmpty() && !s.elements.contains(e.id))
            s.elements.insert(e.id, e);
        if (!e.name.isEmpty() && !s.elements.contains(e.name))
            s.elements.insert(e.name, e);
    }
    return s;
}

QString JsString(const QString &text)
{
    const QByteArray json =
        QJsonDocument::fromVariant(QVariantList{text}).toJson(QJsonDocument::Compact); // ["..."]
    return QString::fromUtf8(json.mid(1, json.size() - 2));
}

QString SnapshotScript(const QStringList &innerHtmlIds, FormsHtml formsHtml)
{
    QStringList ids;
    for (const QString &id : innerHtmlIds)
        ids << JsString(id);
    return QStringLiteral(R"JS((function (extra, formsHtml) {
  function el(e) {
    return { id: e.id || '', name: e.getAttribute('name') || '', tag: e.tagName.toLowerCase(),
             type: (e.type || '').toLowerCase(), value: e.value === undefined ? '' : String(e.value),
             disabled: !!e.disabled, checked: !!e.checked };
  }
  var d = document, b = d.body;
  var r = { url: location.href, title: d.title || '', bodyText: b ? b.innerText : '',
            bodyHtml: b ? b.outerHTML : '', headHtml: d.head ? d.head.outerHTML : '',
            forms: [], images: [], firstDivId: '', tables: {}, html: {}, elements: [] };
  for (var i = 0; i < d.forms.length; i++) {
    var f = d.forms[i], els = [];
    for (var j = 0; j < f.elements.length; j++) els.push(el(f.elements[j]));
    r.forms.push({ id: f.id || '', name: f.getAttribute('name') || '', innerHtml: formsHtml ? f.innerHTML : '',
             elements: els });
  }
  for (var i = 0; i < d.images.length; i++) r.images.push({ src: d.images[i].src, alt: d.images[i].alt });
  var divs = d.getElementsByTagName('div');
  if (divs.length) r.firstDivId = divs[0].id || '';
  var tabs = d.querySelectorAll('table[id], tbody[id]');
  for (var i = 0; i < tabs.length; i++) {
    var rows = [];
    for (var k = 0; k < tabs[i].rows.length; k++) {
      var cells = [], row = tabs[i].rows[k];
      for (var c = 0; c < row.cells.length; c++) cells.push(row.cells[c].innerText);
      rows.push(cells);
    }
    r.tables[tabs[i].id] = rows;
  }
  extra.forEach(function (id) { var e = d.getElementById(id); if (e) r.html[id] = e.innerHTML; });
  var inputs = d.querySelectorAll('input, button, select, textarea');
  for (var i = 0; i < inputs.length; i++) r.elements.push(el(inputs[i]));
  return JSON.stringify(r);
})([%1], %2))JS")
        .arg(ids.join(QLatin1Char(',')),
             formsHtml == FormsHtml::Read ? QStringLiteral("true") : QStringLiteral("false"));
}
