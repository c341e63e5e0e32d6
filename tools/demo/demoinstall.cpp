#include "demoinstall.h"

#include "logindemo.h"
#include "signing.h"
#include "tools/demo/queuedemo.h"

#include "core/connection.h"
#include "core/database.h"
#include "core/schema.h"
#include "core/scrambler.h"
#include "platform/paths.h"
#include "platform/settingsstore.h"
#include "platform/textcodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlRecord>

#include <archive.h>
#include <archive_entry.h>

#include <memory>

namespace {

bool execOrSay(const QString &cs, const QString &sql, const QVariantList &binds, QString *error)
{
    QSqlError e;
    if (db::Exec(cs, sql, binds, &e))
        return true;
    if (error)
        *error = sql + QStringLiteral(": ") + e.text();
    return false;
}

// A package of one program file, as the vendor's build would make it.
bool writeZip(const QString &zipFile, const QString &file, const QString &entryName)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    std::unique_ptr<archive, decltype(&archive_write_free)> a(archive_write_new(),
                                                              &archive_write_free);
    archive_write_set_format_zip(a.get());
    if (archive_write_open_filename(a.get(), QFile::encodeName(zipFile).constData()) != ARCHIVE_OK)
        return false;
    archive_entry *e = archive_entry_new();
    archive_entry_set_pathname(e, entryName.toUtf8().constData());
    archive_entry_set_size(e, in.size());
    archive_entry_set_filetype(e, AE_IFREG);
    archive_entry_set_perm(e, 0755);
    bool ok = archive_write_header(a.get(), e) == ARCHIVE_OK;
    archive_entry_free(e);
    while (ok && !in.atEnd()) {
        const QByteArray chunk = in.read(1024 * 1024);
        ok = archive_write_data(a.get(), chunk.constData(), size_t(chunk.size())) == chunk.size();
    }
    return archive_write_close(a.get()) == ARCHIVE_OK && ok;
}

} // namespace

DemoLogin DemoOperator()
{
    return {QStringLiteral("Anadolu Yapı Denetim Ltd. Şti."), QStringLiteral("operator"),
            QStringLiteral("1234")};
}

bool WriteDemoUpdates(const DemoInstall &install, QString *error)
{
    QDir().mkpath(QFileInfo(install.secretKeyFile()).absolutePath());
    QDir().mkpath(install.updatesFolder());
    if (!QFileInfo::exists(install.secretKeyFile()) &&
        !WriteKeyPair(install.secretKeyFile(), install.publicKeyFile(), error))
        return false;
    const auto key = ReadKeyFile(install.secretKeyFile(), kSecretKeyBytes, error);
    if (!key)
        return false;
    const QDir updates(install.updatesFolder());
    QStringList signedFiles{updates.filePath(QStringLiteral("versiyon2015.txt"))};
    QFile list(signedFiles.first());
    if (!list.open(QIODevice::WriteOnly) || list.write(DemoVersionList()) < 0) {
        *error = list.fileName() + QStringLiteral(": yazılamadı");
        return false;
    }
    list.close();
    for (const char *package : {"TarvekFOTO", "Tarvek_Guncelleme"}) {
        const QString name = QString::fromLatin1(package);
        const QFileInfo program(install.programFolder() + QLatin1Char('/') + name);
        const QFileInfo zip(updates.filePath(name + QStringLiteral(".zip")));
        if (!program.exists())
            continue;
        if (!zip.exists() || zip.lastModified() < program.lastModified()) {
            if (!writeZip(zip.filePath(), program.filePath(), name)) {
                *error = zip.filePath() + QStringLiteral(": yazılamadı");
                return false;
            }
        }
        signedFiles << zip.filePath();
    }
    for (const QString &file : signedFiles)
        if (!SignFile(*key, file, error))
            return false;
    return true;
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
    if (!WriteDemoUpdates(install, error))
        return false;
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

    // Institutions and operators for every login case.
    if (!AddLoginDemoData(f3436)) {
        *error = QStringLiteral("login demo data");
        return false;
    }
    if (!execOrSay(f3436,
                   QStringLiteral("insert into ayarlar2 (foto_tarih_at, ortak) values (?, ?)"),
                   {QStringLiteral("1"), DemoInstall::sharedFolder()}, error))
        return false;

    // Sites and pending photographs for every case of the list and its checks.
    AddQueueDemoData(y3436, paths.nativePath(DemoInstall::sharedFolder()), DemoMinistryUser());
    // The portal simulator's seed: the institution's portal account and every site of the
    // firm's database, so the demo portal finds what the program searches for.
    const auto sites =
        db::Select(y3436, QStringLiteral("select yedek1, ada, arsasahibi from inşaat"));
    QJsonArray siteList;
    for (const QSqlRecord &r : sites.value_or(db::Rows())) {
        QJsonArray inspections;
        inspections.append(
            QJsonObject{{QStringLiteral("daysAgo"), 60},
                        {QStringLiteral("levels"), QJsonArray{10, 10, 0, 0}},
                        {QStringLiteral("inspector"), QStringLiteral("Hasan Demir")}});
        inspections.append(
            QJsonObject{{QStringLiteral("daysAgo"), 30},
                        {QStringLiteral("levels"), QJsonArray{10, 15, 5, 0}},
                        {QStringLiteral("inspector"), QStringLiteral("Hasan Demir")}});
        siteList.append(
            QJsonObject{{QStringLiteral("yibf"), db::Text(r, QStringLiteral("yedek1"))},
                        {QStringLiteral("institution"), DemoMinistryUser()},
                        {QStringLiteral("ada"), db::Text(r, QStringLiteral("ada"))},
                        {QStringLiteral("owner"), db::Text(r, QStringLiteral("arsasahibi"))},
                        {QStringLiteral("province"), QStringLiteral("Ankara")},
                        {QStringLiteral("inspections"), inspections}});
    }
    const QJsonObject seed{
        {QStringLiteral("institutions"),
         QJsonArray{QJsonObject{{QStringLiteral("name"), DemoOperator().institution},
                                {QStringLiteral("user"), DemoMinistryUser()},
                                {QStringLiteral("password"), DemoMinistryPassword()},
                                {QStringLiteral("number"), QStringLiteral("1453")}}}},
        {QStringLiteral("sites"), siteList}};
    QFile seedFile(install.root + QStringLiteral("/yds-seed.json"));
    if (!seedFile.open(QIODevice::WriteOnly)) {
        *error = seedFile.fileName() + QStringLiteral(": ") + seedFile.errorString();
        return false;
    }
    seedFile.write(QJsonDocument(seed).toJson());
    db::CloseAll();
    return true;
}
