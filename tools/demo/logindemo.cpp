#include "logindemo.h"

#include "core/database.h"
#include "core/hostutil.h"
#include "core/scrambler.h"
#include "platform/fileversion.h"

#include <QStringList>

// Institutions (listed by name, so "Anadolu" comes first and is the one chosen at start):
//   1 "Anadolu Yapı Denetim Ltd. Şti."  ministry user/password below
//   2 "Kuzey Yapı Denetim A.Ş."          no ministry password stored
// Operators (user / password / admin / rights):
//   Anadolu: operator / 1234 / 0 / "A2,H1,R3"     the demo operator: reaches the main window
//            yonetici / 1234 / 1 / ""             administrator with empty rights: passes
//            stajyer  / 1234 / 0 / "h1"           lower-case right only: refused
//            sade     / 1234 / 0 / ""             empty rights, no admin: refused
//            hatirlanan / 1234 / 0 / "H1"         password remembered for this computer: tick
//                                                  "Kullanıcı Adını Hatırla", log in once, and
//                                                  the next start logs in by itself
//            o'brien  / 1234 / 0 / "H1"           a quote in the user name
//   Kuzey:   kuzey    / 1234 / 1 / "H1"           ends with "YDS şifresi bulunmuyor..."

QString DemoMinistryUser()
{
    return QStringLiteral("12345678901");
}

QString DemoMinistryPassword()
{
    return QStringLiteral("yds1234");
}

bool AddLoginDemoData(const QString &f3436Connection)
{
    const QString institution = QStringLiteral(
        "insert into bakanlik (sayi, kurum_unvan, kullanici_adi, sifre6) values (?, ?, ?, ?)");
    const QString op = QStringLiteral("insert into kullanicilar (sayi, kurum_id, kullanici, "
                                      "sifre6, admin, yetki, hatirla, hatirla_bilg) "
                                      "values (?, ?, ?, ?, ?, ?, ?, ?)");
    bool ok = db::Exec(f3436Connection, institution,
                       {1, QStringLiteral("Anadolu Yapı Denetim Ltd. Şti."),
                        Scramble(DemoMinistryUser(), 2), Scramble(DemoMinistryPassword(), 1)});
    ok = ok && db::Exec(f3436Connection, institution,
                        {2, QStringLiteral("Kuzey Yapı Denetim A.Ş."),
                         Scramble(QStringLiteral("10987654321"), 2), QString()});
    struct Operator
    {
        int sayi;
        int kurum;
        const char *user;
        const char *admin;
        const char *yetki;
        bool remembered;
    };
    const Operator operators[] = {
        {1, 1, "operator", "0", "A2,H1,R3", false}, {2, 1, "yonetici", "1", "", false},
        {3, 1, "stajyer", "0", "h1", false},        {4, 1, "sade", "0", "", false},
        {5, 1, "hatirlanan", "0", "H1", true},      {6, 1, "o'brien", "0", "H1", false},
        {7, 2, "kuzey", "1", "H1", false},
    };
    const QString host = QueryHostName();
    for (const Operator &o : operators)
        ok = ok &&
             db::Exec(f3436Connection, op,
                      {o.sayi, o.kurum, QString::fromUtf8(o.user),
                       Scramble(QStringLiteral("1234"), 1), QString::fromUtf8(o.admin),
                       QString::fromUtf8(o.yetki), o.remembered ? QStringLiteral("1") : QString(),
                       o.remembered ? host : QString()});
    return ok;
}

QByteArray DemoVersionList()
{
    const platform::FileVersion v = platform::ownVersion();
    const QString version = QStringLiteral("%1.%2.%3.%4").arg(v[0]).arg(v[1]).arg(v[2]).arg(v[3]);
    QStringList lines{
        QStringLiteral("' paket,dosya,aciklama,,,,,,,surum"),
        QStringLiteral("Tarvek2000,TarvekFOTO.zip,Tarvek FOTO,,,,,,,") + version,
        QStringLiteral("Tarvek2000,Tarvek_Guncelleme.zip,Tarvek Guncelleme,,,,,,,") + version,
    };
    return lines.join(QStringLiteral("\r\n")).toLatin1() + "\r\n";
}
