#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The vendor's side of the update signatures (the checking side is login/updatesource.h).
// Key files hold one line of base64: the public key's 32 bytes (the value of update/public_key
// in the deployment file) or the secret key's 64 bytes (libsodium's Ed25519 form). The secret
// file is written readable by its owner only and never belongs in a repository.

// Sizes of the raw keys (libsodium's crypto_sign_PUBLICKEYBYTES and crypto_sign_SECRETKEYBYTES).
constexpr qsizetype kPublicKeyBytes = 32;
constexpr qsizetype kSecretKeyBytes = 64;

struct KeyPair
{
    QByteArray publicKey; // raw bytes
    QByteArray secretKey;
};
KeyPair NewKeyPair();

// The content of the ".sig" file of data.
QByteArray SignatureFileText(const QByteArray &data, const QByteArray &secretKey);

// A new pair into two files; never over an existing file.
bool WriteKeyPair(const QString &secretFile, const QString &publicFile, QString *error);
// The key of a key file: 32 bytes for a public one, 64 for a secret one.
std::optional<QByteArray> ReadKeyFile(const QString &file, qsizetype size, QString *error);
// Writes file + ".sig" beside file.
bool SignFile(const QByteArray &secretKey, const QString &file, QString *error);
