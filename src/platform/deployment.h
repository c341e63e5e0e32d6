#pragma once

#include <QString>

namespace platform {

// Values that belong to an installation rather than to the program: the portal's hosts, the
// update server, the vendor's support line, the scrambler's tables and the scrambled database
// password. One INI file beside the program ("tarvek-deployment.ini", or the file named by
// TARVEK_DEPLOYMENT) overrides the built-in defaults key by key. No host is built in: an empty
// host means "not configured", and the program says so rather than guessing one.
struct Deployment
{
    QString portalAppHost;
    QString portalFrontHost;
    QString updateHost;
    // The vendor's Ed25519 public key (base64 of its 32 bytes) that signs the version list and
    // the update packages; empty: no update is trusted, so none is looked for.
    QString updatePublicKey;
    // Longest wait for the version list, and for the next byte of a package.
    int updateTimeoutMs = 8000;
    // Bounds of one updater run: list, each package, everything unpacked, and its whole time.
    qint64 updateListMaxBytes = 64 * 1024;
    qint64 updatePackageMaxBytes = 200LL * 1024 * 1024;
    qint64 updateUnpackedMaxBytes = 500LL * 1024 * 1024;
    int updateOverallTimeoutMs = 10 * 60 * 1000;
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
    // Photographs are prepared by the program itself; an installation may keep the office
    // application's own stamping tool (its instruction file) instead.
    bool stampExternalTool = false;
    // Pictures over this many megapixels are refused before they are decoded.
    int stampMaxMegapixels = 100;

    static Deployment builtIn();
    static Deployment load(const QString &iniFile);
    // The file found beside the program (or through TARVEK_DEPLOYMENT), loaded once.
    static const Deployment &current();
    static void setCurrent(const Deployment &d);
    static QString defaultFile();
};

} // namespace platform
