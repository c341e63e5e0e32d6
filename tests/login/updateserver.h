#pragma once

// An installation trusting, while it lives, a local stand-in for the maker's update host: its
// download folder served on 127.0.0.1 by a thread of its own, signed with the vendor's key.

#include "platform/deployment.h"
#include "platform/testing/testplatform.h"
#include "signing.h"

#include <httplib.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <thread>

inline const KeyPair kVendorKey = NewKeyPair();

// A runnable file, its folders made.
inline bool WriteFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           f.write(content) == content.size() &&
           f.setPermissions(f.permissions() | QFile::ExeOwner);
}

// A stand-in for one of our executables: a script whose text carries the version marker our
// build embeds into real executables (in two pieces here, so that this program carries none).
inline QByteArray VersionedScript(const QString &version, const QByteArray &body = "exit 0\n")
{
    return "#!/bin/sh\n# $TARVEK-FILE" + QByteArray("-VERSION$:") + version.toLatin1() + ";\n" +
           body;
}

// A list line in the maker's ten-field layout, with the package in field 1, version in 9.
inline QString ListLine(const QString &zip, const QString &version)
{
    return QStringLiteral("Tarvek2000,%1,a,b,c,d,e,f,g,%2").arg(zip, version);
}

// TarvekFOTO 1.0.0.5, Tarvek_Guncelleme 1.0.0.3 and two files of their own installed; the host
// lists TarvekFOTO 1.0.0.7 and Tarvek_Guncelleme 1.0.0.4.
class Installation
{
public:
    platform::testing::TestPlatform tp;
    QTemporaryDir dir;
    QString host; // "http://127.0.0.1:PORT"
    QString file(const char *name) const { return dir.filePath(QString::fromUtf8(name)); }

    Installation()
    {
        WriteFile(file("TarvekFOTO"), VersionedScript(QStringLiteral("1.0.0.5")));
        WriteFile(file("Tarvek_Guncelleme"), VersionedScript(QStringLiteral("1.0.0.3")));
        WriteFile(file("ayar/okunacak.txt"), "eski");
        WriteFile(file("belgeler"), "bir dosya, klasör değil");
        list(QStringLiteral("1.0.0.4"));
        m_server.set_mount_point("/download/Tarvek_Zere/Tarvek2000", m_host.path().toStdString());
        // A trickled file comes one byte every 50 ms, for ever.
        m_server.set_pre_routing_handler(
            [this](const httplib::Request &req, httplib::Response &res) {
                const QString name = QString::fromStdString(req.path).section(QLatin1Char('/'), -1);
                if (!QFile::exists(m_host.filePath(name + ".trickle")))
                    return httplib::Server::HandlerResponse::Unhandled;
                res.set_chunked_content_provider(
                    "application/octet-stream", [this](size_t, httplib::DataSink &sink) {
                        std::this_thread::sleep_for(std::chrono::milliseconds(50));
                        return !m_stopping && sink.write("x", 1);
                    });
                return httplib::Server::HandlerResponse::Handled;
            });
        host = QStringLiteral("http://127.0.0.1:%1").arg(m_server.bind_to_any_port("127.0.0.1"));
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        // stop() does nothing before the loop runs: wait (a bounded while) until it serves.
        for (int i = 0; i < 5000 && !m_server.is_running(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        platform::Deployment d = platform::Deployment::builtIn();
        d.updateHost = host;
        d.updatePublicKey = QString::fromLatin1(kVendorKey.publicKey.toBase64());
        d.updateTimeoutMs = 2000;
        platform::Deployment::setCurrent(d);
    }
    ~Installation()
    {
        platform::Deployment::setCurrent(platform::Deployment::builtIn());
        m_stopping = true;
        m_server.stop();
        m_thread.join();
    }

    // The host's files ("versiyon2015.txt", "TarvekFOTO.zip", ...); signed: with its ".sig".
    void serve(const QString &name, const QByteArray &b) { WriteFile(m_host.filePath(name), b); }
    void serveSigned(const QString &name, const QByteArray &bytes, const KeyPair &key = kVendorKey)
    {
        serve(name, bytes);
        serve(name + QStringLiteral(".sig"), SignatureFileText(bytes, key.secretKey));
    }
    void list(const QString &updater)
    {
        serveSigned(QStringLiteral("versiyon2015.txt"),
                    (ListLine("TarvekFOTO.zip", "1.0.0.7") + "\r\n" +
                     ListLine("Tarvek_Guncelleme.zip", updater))
                        .toLatin1());
    }
    void drop(const QString &name) { QFile::remove(m_host.filePath(name)); }
    void trickle(const QString &name) { serve(name + ".trickle", {}); }

private:
    QTemporaryDir m_host;
    httplib::Server m_server;
    std::thread m_thread;
    std::atomic_bool m_stopping = false;
};
