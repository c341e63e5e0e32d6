#include "demoinstall.h"

#include "tools/demo/queuedemo.h"

#include "platform/fileversion.h"
#include "platform/paths.h"
#include "platform/settingsstore.h"
#include "platform/textcodec.h"
#include "startup/connection.h"
#include "startup/database.h"
#include "startup/schema.h"
#include "startup/scrambler.h"

#include <QDir>
#include <QFile>

namespace {

struct Institution
{
    int id;
    QString title;
    QString portalUser;
    QString portalPassword;
};

struct Operator
{
    int id;
    int institution;
    QString user;
    QString password;
    QString admin;
    QString rights;
};

const QList<Institution> &institutions()
{
    static const QList<Institution> list{
        {1, QStringLiteral("DEMO YAPI DENETİM LTD. ŞTİ."), QStringLiteral("demo.denetim"),
         QStringLiteral("Yds.2026")},
        {2, QStringLiteral("ÖRNEK YAPI DENETİM A.Ş."), QStringLiteral("ornek.denetim"),
         QStringLiteral("Ornek.2026")},
    };
    return list;
}

const QList<Operator> &operators()
{
    static const QList<Operator> list{
        // Sending right among other codes.
        {1, 1, QStringLiteral("demo"), QStringLiteral("1234"), QString(),
         QStringLiteral("A1,H1,R2")},
        // Administrator with no rights text.
        {2, 1, QStringLiteral("yonetici"), QStringLiteral("admin"), QStringLiteral("1"), QString()},
        // Only the lower-case code: no sending right.
        {3, 1, QStringLiteral("stajyer"), QStringLiteral("1111"), QString(), QStringLiteral("h1")},
        {4, 2, QStringLiteral("ornek"), QStringLiteral("4321"), QString(), QStringLiteral("H1")},
    };
    return list;
}

bool exec(const QString &cs, const QString &sql, const QVariantList &binds, QString *error)
{
    QSqlError e;
    if (db::Exec(cs, sql, binds, &e))
        return true;
    if (error)
        *error = sql + QStringLiteral(": ") + e.text();
    return false;
}

} // namespace

DemoLogin DemoOperator()
{
    return {institutions().at(0).title, operators().at(0).user, operators().at(0).password};
}

bool BuildDemoInstall(const DemoInstall &install, QString *error)
{
    const platform::PathMapper paths(install.driveRoot());
    const QString sibling = paths.nativePath(DemoInstall::siblingFolder());
    const QString store = paths.nativePath(DemoInstall::storeFolder());
    for (const QString &folder :
         {sibling, store,
          paths.nativePath(DemoInstall::sharedFolder()) + QStringLiteral("/fotograflar"),
          install.settingsRoot(), install.programFolder(),
          paths.nativePath(QStringLiteral("c:\\tarvek2000word\\temp"))})
        QDir().mkpath(folder);

    // network.txt names the embedded store as the server.
    {
        QFile f(sibling + QStringLiteral("/network.txt"));
        if (!f.open(QIODevice::WriteOnly)) {
            *error = f.fileName() + QStringLiteral(": ") + f.errorString();
            return false;
        }
        f.write(platform::encodeAnsi(QStringLiteral("mssql\r\nDemo Merkez\r\nsqlite:") +
                                     DemoInstall::storeFolder() + QStringLiteral("\r\n")));
    }
    // The update server's version list, up to date with this build, so the demo never updates.
    {
        QDir().mkpath(install.root + QStringLiteral("/updates"));
        QFile f(install.root + QStringLiteral("/updates/versiyon2015.txt"));
        if (f.open(QIODevice::WriteOnly)) {
            const auto v = platform::ownVersion();
            const QString version =
                QStringLiteral("%1.%2.%3.%4").arg(v[0]).arg(v[1]).arg(v[2]).arg(v[3]);
            QString list = QStringLiteral("' paket,dosya,,,,,,,,surum\r\n");
            for (const char *package : {"TarvekFOTO", "Tarvek_Guncelleme"})
                list += QLatin1String(package) + QStringLiteral(",") + QLatin1String(package) +
                        QStringLiteral(".zip,,,,,,,,") + version + QStringLiteral("\r\n");
            f.write(list.toUtf8());
        }
    }
    platform::NativeSettingsService settings(install.settingsRoot());
    settings.save(QStringLiteral("Tarvek2000"), QStringLiteral("2.0"), QStringLiteral("path"),
                  DemoInstall::siblingFolder());

    QSqlError e;
    for (const char *name : {"y3436", "f3436"}) {
        const QString file =
            store + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".sqlite3");
        QFile::remove(file);
        if (!CreateSqliteStore(file, QLatin1String(name), &e)) {
            *error = file + QStringLiteral(": ") + e.text();
            return false;
        }
    }
    db::CloseAll();
    // The same connection text the program builds, mapped through this installation's drives.
    const QString prefix =
        QStringLiteral("driver={SQL SERVER};server=sqlite:") + store + QStringLiteral(";database=");
    const QString f3436 = prefix + QStringLiteral("f3436");
    const QString y3436 = prefix + QStringLiteral("y3436");

    for (const Institution &i : institutions())
        if (!exec(f3436,
                  QStringLiteral("insert into bakanlik (sayi, kurum_unvan, kullanici_adi, sifre6) "
                                 "values (?, ?, ?, ?)"),
                  {i.id, i.title, Scramble(i.portalUser, 2), Scramble(i.portalPassword, 1)}, error))
            return false;
    for (const Operator &o : operators())
        if (!exec(f3436,
                  QStringLiteral("insert into kullanicilar (sayi, kurum_id, kullanici, sifre6, "
                                 "admin, yetki, hatirla, hatirla_bilg) values (?, ?, ?, ?, ?, ?, "
                                 "'', '')"),
                  {o.id, o.institution, o.user, Scramble(o.password, 1), o.admin, o.rights}, error))
            return false;
    if (!exec(f3436, QStringLiteral("insert into ayarlar2 (foto_tarih_at, ortak) values (?, ?)"),
              {QStringLiteral("1"), DemoInstall::sharedFolder()}, error))
        return false;

    // Sites and pending photographs for every case of the list and its checks.
    AddQueueDemoData(y3436, paths.nativePath(DemoInstall::sharedFolder()),
                     institutions().at(0).portalUser);
    db::CloseAll();
    return true;
}
