#pragma once

// A local stand-in for the maker's update host, serving crafted answers on 127.0.0.1 from a
// thread of its own (the code under test fetches over real HTTP), and the vendor's key.

#include "platform/deployment.h"
#include "signing.h"

#include <httplib.h>

#include <QByteArray>
#include <QString>

#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

inline const KeyPair &VendorKey()
{
    static const KeyPair key = NewKeyPair();
    return key;
}

class UpdateServer
{
public:
    struct Answer
    {
        QByteArray body;
        bool trickle = false; // one byte every 50 ms, never ending
    };

    UpdateServer()
    {
        m_server.Get(R"(/.*)", [this](const httplib::Request &req, httplib::Response &res) {
            std::unique_lock lock(m_mutex);
            ++m_requests[req.path];
            const auto it = m_answers.find(req.path);
            res.status = it == m_answers.end() ? 404 : 200;
            if (it != m_answers.end() && it->second.trickle)
                res.set_chunked_content_provider(
                    "application/octet-stream", [this](size_t, httplib::DataSink &sink) {
                        std::unique_lock wait(m_mutex);
                        return !m_release.wait_for(wait, std::chrono::milliseconds(50), [this] {
                            return m_stopping;
                        }) && sink.write("x", 1);
                    });
            else if (it != m_answers.end())
                res.set_content(it->second.body.toStdString(), "application/octet-stream");
        });
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        // stop() does nothing before the loop runs: wait (a bounded while) until it serves.
        for (int i = 0; i < 5000 && !m_server.is_running(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~UpdateServer()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_release.notify_all();
        m_server.stop();
        m_thread.join();
    }

    QString host() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_port); }
    // An installation that trusts this host and the vendor's key.
    platform::Deployment deployment() const
    {
        platform::Deployment d = platform::Deployment::builtIn();
        d.updateHost = host();
        d.updatePublicKey = QString::fromLatin1(VendorKey().publicKey.toBase64());
        d.updateTimeoutMs = 2000;
        return d;
    }

    void serve(const QString &path, const Answer &a)
    {
        std::lock_guard lock(m_mutex);
        m_answers[path.toStdString()] = a;
    }
    void drop(const QString &path)
    {
        std::lock_guard lock(m_mutex);
        m_answers.erase(path.toStdString());
    }
    // The file and its ".sig" made with key.
    void serveSigned(const QString &path, const QByteArray &bytes, const KeyPair &key = VendorKey())
    {
        serve(path, {bytes});
        serve(path + QStringLiteral(".sig"), {SignatureFileText(bytes, key.secretKey)});
    }
    int requests(const QString &path)
    {
        std::lock_guard lock(m_mutex);
        return m_requests[path.toStdString()];
    }

    static QString listPath() { return packagePath(QStringLiteral("versiyon2015.txt")); }
    static QString packagePath(const QString &file)
    {
        return QStringLiteral("/download/Tarvek_Zere/Tarvek2000/") + file;
    }

private:
    httplib::Server m_server;
    int m_port = 0;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_release;
    bool m_stopping = false;
    std::map<std::string, Answer> m_answers;
    std::map<std::string, int> m_requests;
};

// A stand-in for one of our executables: a script whose text carries the version marker our
// build embeds into real executables.
inline QByteArray VersionedScript(const QString &version, const QByteArray &body = "exit 0\n")
{
    QByteArray marker("$TARVEK-FILE");
    marker += "-VERSION$:" + version.toLatin1() + ";";
    return "#!/bin/sh\n# " + marker + "\n" + body;
}

// A list line in the maker's ten-field layout, with the package in field 1, version in 9.
inline QString ListLine(const QString &zip, const QString &version)
{
    return QStringLiteral("Tarvek2000,%1,a,b,c,d,e,f,g,%2").arg(zip, version);
}
