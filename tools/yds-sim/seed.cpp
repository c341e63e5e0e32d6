#include "seed.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace ydssim {

namespace {

// The demo's portal: two firms, sites with and without earlier inspections, one inspected three
// days ago so that the 7-day rule can be shown.
const char kBuiltInSeed[] = R"json({
  "institutions": [
    {"name": "Örnek Yapı Denetim Ltd. Şti.", "user": "ornekyd", "password": "Ornek.2026", "number": "1453"},
    {"name": "Kuzey Yapı Denetim A.Ş.", "user": "kuzeyyd", "password": "Kuzey.2026", "number": "2071"}
  ],
  "sites": [
    {"yibf": "1234567", "institution": "ornekyd", "ada": "101", "parsel": "5",
     "owner": "Ahmet Yılmaz", "province": "Ankara", "district": "Çankaya",
     "address": "Kızılırmak Mah. 1443. Cad. No: 12", "buildingClass": "III-B",
     "inspections": [
       {"daysAgo": 60, "levels": [10, 5, 0, 0], "inspector": "Mehmet Demir"},
       {"daysAgo": 30, "levels": [10, 15, 0, 0], "inspector": "Mehmet Demir"}
     ]},
    {"yibf": "1234568", "institution": "ornekyd", "ada": "102", "parsel": "7",
     "owner": "Ayşe Kaya", "province": "Ankara", "district": "Etimesgut",
     "address": "Elvan Mah. 2001. Sok. No: 4", "buildingClass": "III-A", "inspections": []},
    {"yibf": "1234569", "institution": "ornekyd", "ada": "215", "parsel": "1",
     "owner": "İsmail Şahin", "province": "Ankara", "district": "Yenimahalle",
     "address": "Batıkent Bulvarı No: 88", "buildingClass": "IV-A",
     "inspections": [
       {"daysAgo": 3, "levels": [10, 20, 0, 0], "inspector": "Zeynep Çelik"}
     ]},
    {"yibf": "2234501", "institution": "kuzeyyd", "ada": "45", "parsel": "12",
     "owner": "Gülşen Öztürk", "province": "Samsun", "district": "Atakum",
     "address": "Cumhuriyet Mah. 12. Sok. No: 3", "buildingClass": "III-B",
     "inspections": [
       {"daysAgo": 20, "levels": [10, 0, 0, 0], "inspector": "Ali Arslan"}
     ]}
  ]
})json";

QString text(const QJsonObject &o, const char *key)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isDouble())
        return QString::number(v.toInteger());
    return v.toString().trimmed();
}

} // namespace

QString formatPercent(double value)
{
    // The portal prints the rate with a decimal point and without needless zeros.
    return QString::number(value, 'f', 2).remove(QRegularExpression(QStringLiteral("\\.?0+$")));
}

bool Seed::fromJson(const QByteArray &json, const QDate &today, Seed *out, QString *error)
{
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &pe);
    if (pe.error != QJsonParseError::NoError || !doc.isObject()) {
        *error = QStringLiteral("seed is not a JSON object: %1").arg(pe.errorString());
        return false;
    }
    Seed seed;
    const QJsonObject root = doc.object();
    for (const QJsonValue &v : root.value(QLatin1String("institutions")).toArray()) {
        const QJsonObject o = v.toObject();
        Institution inst{text(o, "name"), text(o, "user"),
                         o.value(QLatin1String("password")).toString(), text(o, "number")};
        if (inst.user.isEmpty()) {
            *error = QStringLiteral("institution without \"user\"");
            return false;
        }
        seed.institutions.append(inst);
    }
    for (const QJsonValue &v : root.value(QLatin1String("sites")).toArray()) {
        const QJsonObject o = v.toObject();
        Site s;
        s.yibf = text(o, "yibf");
        if (s.yibf.isEmpty()) {
            *error = QStringLiteral("site without \"yibf\"");
            return false;
        }
        s.institution = text(o, "institution");
        s.ada = text(o, "ada");
        s.parsel = text(o, "parsel");
        s.owner = text(o, "owner");
        s.province = text(o, "province");
        s.district = text(o, "district");
        s.address = text(o, "address");
        s.buildingClass = text(o, "buildingClass");
        for (const QJsonValue &iv : o.value(QLatin1String("inspections")).toArray()) {
            const QJsonObject io = iv.toObject();
            Inspection ins;
            if (io.contains(QLatin1String("daysAgo")))
                ins.date = today.addDays(-io.value(QLatin1String("daysAgo")).toInt());
            else
                ins.date =
                    QDate::fromString(io.value(QLatin1String("date")).toString(), Qt::ISODate);
            if (!ins.date.isValid()) {
                *error = QStringLiteral("inspection of %1 without a valid \"date\" or \"daysAgo\"")
                             .arg(s.yibf);
                return false;
            }
            const QJsonArray levels = io.value(QLatin1String("levels")).toArray();
            double sum = 0;
            for (int i = 0; i < 4 && i < levels.size(); ++i) {
                ins.levels[i] = levels.at(i).toDouble();
                sum += ins.levels[i];
            }
            ins.percent = io.contains(QLatin1String("percent"))
                              ? io.value(QLatin1String("percent")).toDouble()
                              : sum;
            ins.inspector = text(io, "inspector");
            ins.fileName = text(io, "file");
            s.inspections.append(ins);
        }
        seed.sites.append(s);
    }
    *out = seed;
    return true;
}

QByteArray Seed::builtInJson()
{
    return QByteArray(kBuiltInSeed);
}

Seed Seed::builtIn(const QDate &today)
{
    Seed s;
    QString error;
    fromJson(builtInJson(), today, &s, &error);
    return s;
}

} // namespace ydssim
