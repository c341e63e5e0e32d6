#pragma once

#include "core/connection.h"
#include "core/database.h"
#include "core/photoprep.h"
#include "core/schema.h"
#include "platform/testing/testplatform.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTest>

// A firm with its two databases in a temporary folder, a shared photo folder and the test
// doubles of the platform. One per test. On the ODBC lane (TARVEK_TEST_ODBC_SERVER names the
// server, see tests/odbc-lane.sh) the two databases are the server's, emptied and created afresh.
struct StoreFixture
{
    platform::testing::TestPlatform tp;
    QString dataDir;
    QString ortak; // native shared folder

    static QString odbcServer() { return qEnvironmentVariable("TARVEK_TEST_ODBC_SERVER"); }
    static bool odbc() { return !odbcServer().isEmpty(); }

    StoreFixture()
    {
        dataDir = tp.root.path() + QStringLiteral("/db");
        ortak = tp.root.path() + QStringLiteral("/ortak");
        QDir().mkpath(dataDir);
        QDir().mkpath(ortak);
        db::CloseAll();
        // The program's own folder for its temporary copies, as start-up sets it.
        Connection().WorkFolder = QStringLiteral("c:\\tarvek2000word\\");
        Connection().DatabaseSuffix.clear();
        if (odbc()) {
            Connection().ConnectionPrefix = BuildConnectionPrefix(odbcServer());
            for (const char *name : {"y3436", "f3436"}) {
                const QString cs = ConnectionString(QLatin1String(name));
                for (const char *table :
                     {"yedek5", "inşaat", "detay", "bakanlik", "kullanicilar", "ayarlar2"})
                    db::Exec(cs,
                             QStringLiteral("drop table if exists ") + QString::fromUtf8(table));
                ApplySchema(cs, QLatin1String(name));
            }
            return;
        }
        Connection().ConnectionPrefix = BuildConnectionPrefix(QStringLiteral("sqlite:") + dataDir);
        CreateSqliteStore(dataDir + QStringLiteral("/y3436.sqlite3"), QStringLiteral("y3436"));
        CreateSqliteStore(dataDir + QStringLiteral("/f3436.sqlite3"), QStringLiteral("f3436"));
    }
    ~StoreFixture() { db::CloseAll(); }

    static QString y() { return ConnectionString(QStringLiteral("y3436")); }
    static QString f() { return ConnectionString(QStringLiteral("f3436")); }

    void settings(const QVariant &shared, const QVariant &dateSetting = QStringLiteral("1"))
    {
        QVERIFY(db::Exec(f(),
                         QStringLiteral("insert into ayarlar2 (foto_tarih_at, ortak) values (?,?)"),
                         {dateSetting, shared}));
    }

    void site(int sayi, const QString &ada, const QVariant &yibf = 1000,
              const QVariant &owner = QStringLiteral("Ayşe Yılmaz"),
              const QVariant &contractor = QStringLiteral("Öz İnşaat"),
              const QVariant &firma = QStringLiteral("FIRMA"))
    {
        QVERIFY(db::Exec(y(),
                         QStringLiteral("insert into inşaat (sayi, ada, yedek1, arsasahibi, "
                                        "müteahhit, firma) values (?,?,?,?,?,?)"),
                         {sayi, ada, yibf, owner, contractor, firma}));
    }

    struct Record
    {
        qlonglong sayi = 1;
        QString ada = QStringLiteral("12/3 A");
        QString tarih = QStringLiteral("2026-03-01");
        QVariant alan1 = QStringLiteral("a.jpg");
        QVariant alan2 = QStringLiteral("Kaba inşaat tamamlandı");
        QVariant aciklama = QStringLiteral("Açıklama");
        QVariant toplam = 40;
        QVariant gonderen = QStringLiteral("Mehmet Öztürk");
        QVariant gonderentc = QStringLiteral("12345678901");
        QVariant bak_durum = QStringLiteral("1");
        QVariant bak_tarih = QVariant(QMetaType::fromType<QString>());
    };
    void record(const Record &r)
    {
        QVERIFY(db::Exec(y(),
                         QStringLiteral("insert into yedek5 (sayı, ada, tarih, alan1, alan2, "
                                        "aciklama, toplam, sev1, sev2, sev3, sev4, gonderen, "
                                        "gonderentc, bak_durum, bak_tarih) values "
                                        "(?,?,?,?,?,?,?,10,20,30,40,?,?,?,?)"),
                         {r.sayi, r.ada, r.tarih, r.alan1, r.alan2, r.aciklama, r.toplam,
                          r.gonderen, r.gonderentc, r.bak_durum, r.bak_tarih}));
    }

    QString siteFolder(const QString &ada) const
    {
        return ortak + QStringLiteral("/fotograflar/") + SiteFolderName(ada);
    }
    QString webFolder(const QString &ada) const { return siteFolder(ada) + QStringLiteral("/web"); }

    // A JPEG of the given size; padded with zeros after its end to exactly bytes when bytes > 0.
    static QString writePhoto(const QString &folder, const QString &name, int w, int h,
                              qint64 bytes = 0)
    {
        QDir().mkpath(folder);
        const QString path = folder + QLatin1Char('/') + name;
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(QColor(90, 140, 200));
        if (!image.save(path, "JPG", 60))
            return {};
        if (bytes > 0) {
            QFile f(path);
            if (!f.open(QIODevice::Append) || f.size() > bytes)
                return {};
            f.write(QByteArray(int(bytes - f.size()), '\0'));
        }
        return path;
    }

    QVariant column(qlonglong sayi, const QString &name)
    {
        const auto rows =
            db::Select(y(), QStringLiteral("select * from yedek5 where sayı=?"), {sayi});
        if (!rows || rows->size() != 1)
            return QStringLiteral("<no record>");
        return rows->first().value(name);
    }
};
