#include "core/updatesource.h"

#include "platform/deployment.h"
#include "platform/textcodec.h"

#include <QFile>

#include <sodium.h>

namespace {
bool sodiumReady()
{
    static const bool ready = sodium_init() >= 0;
    return ready;
}

std::optional<QByteArray> base64Bytes(const QByteArray &text, qsizetype size)
{
    const auto decoded =
        QByteArray::fromBase64Encoding(text.trimmed(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.size() != size)
        return std::nullopt;
    return decoded.decoded;
}
} // namespace

QString SignatureFileName(const QString &fileName)
{
    return fileName + QStringLiteral(".sig");
}

std::optional<QByteArray> UpdatePublicKey()
{
    return base64Bytes(platform::Deployment::current().updatePublicKey.toLatin1(),
                       crypto_sign_PUBLICKEYBYTES);
}

bool UpdateConfigured()
{
    return !platform::Deployment::current().updateHost.isEmpty() && UpdatePublicKey();
}

QString UpdateNotConfiguredText()
{
    return QStringLiteral("Güncelleme sunucusu veya imza anahtarı ayarlanmamış; güncelleme "
                          "denetimi yapılmadı...\r\n"
                          "Lütfen tarvek-deployment.ini dosyasını kontrol ediniz...");
}

bool SignatureMatches(const QByteArray &data, const QByteArray &signatureFile,
                      const QByteArray &publicKey)
{
    const auto signature = base64Bytes(signatureFile, crypto_sign_BYTES);
    return sodiumReady() && signature && publicKey.size() == crypto_sign_PUBLICKEYBYTES &&
           crypto_sign_verify_detached(
               reinterpret_cast<const unsigned char *>(signature->constData()),
               reinterpret_cast<const unsigned char *>(data.constData()), size_t(data.size()),
               reinterpret_cast<const unsigned char *>(publicKey.constData())) == 0;
}

bool FileSignatureMatches(const QString &path, const QByteArray &signatureFile,
                          const QByteArray &publicKey)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    if (file.size() == 0)
        return SignatureMatches({}, signatureFile, publicKey);
    const uchar *bytes = file.map(0, file.size());
    if (!bytes)
        return false;
    return SignatureMatches(
        QByteArray::fromRawData(reinterpret_cast<const char *>(bytes), qsizetype(file.size())),
        signatureFile, publicKey);
}

SignedList FetchSignedList(const HttpLimits &limits)
{
    SignedList out;
    const auto key = UpdatePublicKey();
    if (!key) {
        out.error = UpdateNotConfiguredText();
        return out;
    }
    const HttpOutcome list = HttpGet(VersionListUrl(), limits);
    if (!list.body) {
        out.error = list.error;
        return out;
    }
    HttpLimits small = limits;
    small.maxBytes = kSignatureFileMaxBytes;
    const HttpOutcome signature = HttpGet(SignatureFileName(VersionListUrl()), small);
    if (!signature.body)
        out.error = QStringLiteral("imza dosyası alınamadı (") + signature.error + QLatin1Char(')');
    else if (!SignatureMatches(*list.body, *signature.body, *key))
        out.error = QStringLiteral("imza doğrulanamadı");
    else
        out.text = platform::decodeAnsi(*list.body);
    return out;
}

QString AfterUpdateMarker(const QString &programFolder)
{
    return programFolder + QStringLiteral("/.guncelleme.bitti");
}
