// tarvek-sign: the vendor's key pair and the signatures of the update files.
#include "core/updatesource.h"
#include "signing.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList args = QCoreApplication::arguments().mid(1);
    const QString command = args.value(0);
    QString error;
    if (command == QStringLiteral("anahtar") && args.size() == 3) {
        if (!WriteKeyPair(args.at(1), args.at(2), &error)) {
            err << error << "\n";
            return 1;
        }
        out << "Gizli anahtar: " << args.at(1) << " (kimseyle paylaşmayınız)\n"
            << "Açık anahtar : " << args.at(2)
            << " (tarvek-deployment.ini, [update] public_key=)\n";
        return 0;
    }
    if (command == QStringLiteral("imzala") && args.size() >= 3) {
        const auto key = ReadKeyFile(args.at(1), kSecretKeyBytes, &error);
        for (qsizetype i = 2; key && i < args.size(); ++i) {
            if (!SignFile(*key, args.at(i), &error))
                break;
            out << SignatureFileName(args.at(i)) << "\n";
        }
        if (!error.isEmpty())
            err << error << "\n";
        return error.isEmpty() ? 0 : 1;
    }
    if (command == QStringLiteral("dogrula") && args.size() >= 3) {
        const auto key = ReadKeyFile(args.at(1), kPublicKeyBytes, &error);
        bool all = key.has_value();
        for (qsizetype i = 2; key && i < args.size(); ++i) {
            QFile sig(SignatureFileName(args.at(i)));
            const bool ok =
                sig.open(QIODevice::ReadOnly) &&
                FileSignatureMatches(args.at(i), sig.read(kSignatureFileMaxBytes), *key);
            out << args.at(i) << (ok ? ": imza geçerli\n" : ": İMZA GEÇERSİZ\n");
            all = all && ok;
        }
        if (!error.isEmpty())
            err << error << "\n";
        return all ? 0 : 1;
    }
    err << "kullanım: tarvek-sign anahtar GİZLİ_ANAHTAR AÇIK_ANAHTAR   yeni anahtar çifti\n"
           "          tarvek-sign imzala GİZLİ_ANAHTAR DOSYA...        DOSYA.sig dosyalarını "
           "yazar\n"
           "          tarvek-sign dogrula AÇIK_ANAHTAR DOSYA...        DOSYA.sig dosyalarını "
           "denetler\n";
    return 2;
}
