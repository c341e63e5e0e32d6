#pragma once

#include <QString>

namespace platform {

// Values that belong to an installation rather than to the program: the portal's hosts, the
// update server, the vendor's support line, the scrambler's tables and the scrambled database
// password. One INI file beside the program ("tarvek-deployment.ini", or the file named by
// TARVEK_DEPLOYMENT) overrides the built-in defaults key by key.
struct Deployment
{
    QString portalAppHost = QStringLiteral("http://yds.csb.gov.tr");
    QString portalFrontHost = QStringLiteral("http://www.yds.gov.tr");
    QString updateHost = QStringLiteral("http://www.korabilisim.com.tr");
    int updateTimeoutMs = 8000;
    QString supportPhone = QStringLiteral("0 (312) 418 00 00");
    QString developmentFolder = QStringLiteral("c:\\kora\\tarvekfoto");
    // Substitution alphabets of the two scrambler variants (each a permutation of one set).
    QString scramblerAlphabet1;
    QString scramblerAlphabet2;
    // The SQL Server password of the fixed login, scrambled with variant 1 (26 characters).
    QString scrambledSqlPassword;
    QString driveRoot;
    // Longest wait for the stamping tool, in seconds.
    int stampToolTimeoutSeconds = 60;

    static Deployment builtIn();
    static Deployment load(const QString &iniFile);
    // The file found beside the program (or through TARVEK_DEPLOYMENT), loaded once.
    static const Deployment &current();
    static void setCurrent(const Deployment &d);
    static QString defaultFile();
};

} // namespace platform
