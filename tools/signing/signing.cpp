#include "signing.h"

#include "core/updatesource.h"

#include <QFile>

#include <sodium.h>

static_assert(kPublicKeyBytes == crypto_sign_PUBLICKEYBYTES);
static_assert(kSecretKeyBytes == crypto_sign_SECRETKEYBYTES);

namespace {
bool writeNew(const QString &path, const QByteArray &content, QFile::Permissions perms,
              QString *error)
{
    QFile f(path);
    if (f.exists()) {
        *error = path + QStringLiteral(": dosya zaten var");
        return false;
    }
    if (!f.open(QIODevice::NewOnly | QIODevice::WriteOnly) || !f.setPermissions(perms) ||
        f.write(content) != content.size() || !f.flush()) {
        *error = path + QStringLiteral(": yazılamadı");
        return false;
    }
    return true;
}
} // namespace

KeyPair NewKeyPair()
{
    if (sodium_init() < 0)
        return {};
    KeyPair k;
    k.publicKey.resize(crypto_sign_PUBLICKEYBYTES);
    k.secretKey.resize(crypto_sign_SECRETKEYBYTES);
    crypto_sign_keypair(reinterpret_cast<unsigned char *>(k.publicKey.data()),
                        reinterpret_cast<unsigned char *>(k.secretKey.data()));
    return k;
}

QByteArray SignatureFileText(const QByteArray &data, const QByteArray &secretKey)
{
    if (sodium_init() < 0 || secretKey.size() != crypto_sign_SECRETKEYBYTES)
        return {};
    QByteArray signature(crypto_sign_BYTES, '\0');
    crypto_sign_detached(reinterpret_cast<unsigned char *>(signature.data()), nullptr,
                         reinterpret_cast<const unsigned char *>(data.constData()),
                         size_t(data.size()),
                         reinterpret_cast<const unsigned char *>(secretKey.constData()));
    return signature.toBase64() + '\n';
}

bool WriteKeyPair(const QString &secretFile, const QString &publicFile, QString *error)
{
    const KeyPair k = NewKeyPair();
    if (k.secretKey.isEmpty()) {
        *error = QStringLiteral("anahtar üretilemedi");
        return false;
    }
    if (QFile::exists(publicFile)) {
        *error = publicFile + QStringLiteral(": dosya zaten var");
        return false;
    }
    return writeNew(secretFile, k.secretKey.toBase64() + '\n', QFile::ReadOwner | QFile::WriteOwner,
                    error) &&
           writeNew(publicFile, k.publicKey.toBase64() + '\n',
                    QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther,
                    error);
}

std::optional<QByteArray> ReadKeyFile(const QString &file, qsizetype size, QString *error)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        *error = file + QStringLiteral(": okunamadı");
        return std::nullopt;
    }
    const auto decoded = QByteArray::fromBase64Encoding(f.read(1024).trimmed(),
                                                        QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.size() != size) {
        *error = file + QStringLiteral(": anahtar dosyası değil");
        return std::nullopt;
    }
    return decoded.decoded;
}

bool SignFile(const QByteArray &secretKey, const QString &file, QString *error)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        *error = file + QStringLiteral(": okunamadı");
        return false;
    }
    // Read in place: a package may be large.
    const uchar *bytes = in.size() > 0 ? in.map(0, in.size()) : nullptr;
    if (in.size() > 0 && !bytes) {
        *error = file + QStringLiteral(": okunamadı");
        return false;
    }
    const QByteArray text = SignatureFileText(
        QByteArray::fromRawData(reinterpret_cast<const char *>(bytes), qsizetype(in.size())),
        secretKey);
    QFile out(SignatureFileName(file));
    if (text.isEmpty() || !out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        out.write(text) != text.size() || !out.flush()) {
        *error = out.fileName() + QStringLiteral(": yazılamadı");
        return false;
    }
    return true;
}
