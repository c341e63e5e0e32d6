#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>

namespace ydssim {

// One inspection record ("Denetim Bilgisi") of a site as the portal lists it.
struct Inspection
{
    QDate date;
    double percent = 0;              // realisation percentage ("Gerçekleşme Oranı")
    double levels[4] = {0, 0, 0, 0}; // subasman, taşıyıcı, sıva, kalan
    QString inspector;               // "Tespiti Yapan"
    QString fileName;                // uploaded photograph, when there is one
};

// A building file (YİBF) known to the portal.
struct Site
{
    QString yibf;
    QString institution; // user name of the firm that sees it; empty = every firm
    QString ada;
    QString parsel;
    QString owner;
    QString province;
    QString district;
    QString address;
    QString buildingClass;
    QList<Inspection> inspections;
};

// A firm's portal account.
struct Institution
{
    QString name;
    QString user;
    QString password;
    QString number; // the firm's registration number shown in the header
};

struct Seed
{
    QList<Institution> institutions;
    QList<Site> sites;

    // JSON as documented in README.md; dates are "yyyy-MM-dd" or "daysAgo" relative to today.
    static bool fromJson(const QByteArray &json, const QDate &today, Seed *out, QString *error);
    static Seed builtIn(const QDate &today);
    static QByteArray builtInJson();
};

QString formatPercent(double value);

} // namespace ydssim
