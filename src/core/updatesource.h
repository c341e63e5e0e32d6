#pragma once

#include "core/versionlist.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The update host is trusted only through the vendor's signatures: Ed25519 (libsodium's
// crypto_sign_detached) over the exact bytes of a file. The signature of a file on the host is
// the file of the same name with ".sig" added beside it ("versiyon2015.txt.sig",
// "TarvekFOTO.zip.sig"): the 64 signature bytes in base64 on one line. The public key is
// deployment data (update/public_key: its 32 bytes in base64); none is built in.

// "<name>.sig"
QString SignatureFileName(const QString &fileName);
// A signature file is never longer than this.
constexpr qint64 kSignatureFileMaxBytes = 1024;

// The configured public key's 32 bytes; nullopt when none is configured or it is not a key.
std::optional<QByteArray> UpdatePublicKey();
// True when the deployment names an update host and a usable public key.
bool UpdateConfigured();
// What the operator is told once per start when UpdateConfigured() is false.
QString UpdateNotConfiguredText();

// True when signatureFile (the text of a ".sig" file) is publicKey's signature of data.
bool SignatureMatches(const QByteArray &data, const QByteArray &signatureFile,
                      const QByteArray &publicKey);
// The same for a file's bytes, read in place (a package may be large).
bool FileSignatureMatches(const QString &path, const QByteArray &signatureFile,
                          const QByteArray &publicKey);

// The version list from the update host, counted only when its signature verifies: list and
// signature within limits (maxBytes: the list's bound). nullopt with a Turkish reason otherwise.
struct SignedList
{
    std::optional<QString> text;
    QString error;
};
SignedList FetchSignedList(const HttpLimits &limits);

// Left in the program folder by the updater when it starts the program again. The check that
// finds it removes it and looks no further that once, so that no list (nor one the updater
// could not act on) makes the two programs start each other for ever.
QString AfterUpdateMarker(const QString &programFolder);
