#pragma once

#include "platform/platform.h"

#include <QDateTime>
#include <QList>
#include <QQueue>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

namespace platform::testing {

// Records every message box and answers questions from a queue (Yes when the queue is empty).
class RecordingMessages : public MessageService
{
public:
    struct Shown
    {
        QString text;
        MsgIcon icon;
        QString title;
        bool question;
    };
    void show(const QString &text, MsgIcon icon, const QString &title) override;
    bool ask(const QString &text, MsgIcon icon, const QString &title) override;

    QList<Shown> shown;
    QQueue<bool> answers;
    // Runs inside each box, as a modal box would let timers and events run.
    std::function<void(const Shown &)> onShow;
    QStringList texts() const;
    void clear() { shown.clear(); }
};

class ThrowingProcess : public ProcessService
{
public:
    [[noreturn]] void endProcess(int code) override;
};

class FakeClock : public ClockService
{
public:
    QDate today() const override { return m_now.date(); }
    QDateTime now() const override { return m_now; }
    int tickMs() const override { return m_tick; }
    void setNow(const QDateTime &t) { m_now = t; }
    void setTickMs(int ms) { m_tick = ms; }

private:
    QDateTime m_now = QDateTime(QDate(2026, 3, 7), QTime(14, 5, 9));
    int m_tick = 5;
};

class RecordingLauncher : public LaunchService
{
public:
    struct Call
    {
        QString kind; // "start", "wait", "folder", "file"
        QString program;
        QStringList args;
    };
    bool start(const QString &program, const QStringList &args, QString *error) override;
    WaitResult startAndWait(const QString &program, const QStringList &args,
                            int timeoutMs) override;
    bool openFolder(const QString &folder) override;
    bool openFile(const QString &file) override;

    QList<Call> calls;
    bool failStart = false;
    // Runs in place of the program for startAndWait (e.g. to write its output); null: nothing.
    std::function<int(const QString &, const QStringList &)> behaviour;
    // What the program "wrote" on its error stream.
    QString errorOutput;
    // When set, startAndWait really runs the program through the real launcher.
    bool runForReal = false;
};

class FakeHost : public HostService
{
public:
    SocketStartup startup() override { return startupAnswer; }
    bool cleanup() override { return cleanupOk; }
    std::optional<QString> hostName() override { return name; }
    int lastError() const override { return error; }
    std::optional<QByteArray> firstAddress(const QString &) override { return address; }
    QString tempPath() const override { return temp; }

    SocketStartup startupAnswer;
    bool cleanupOk = true;
    std::optional<QString> name = QStringLiteral("ISTASYON-1");
    int error = 10093;
    std::optional<QByteArray> address = QByteArray("\xC0\xA8\x01\x14", 4);
    QString temp;
};

// Installs doubles for every service for the lifetime of the object: messages recorded,
// process end thrown, settings in memory, drives and temp under a fresh temporary folder.
class TestPlatform
{
public:
    TestPlatform();
    ~TestPlatform();
    TestPlatform(const TestPlatform &) = delete;
    TestPlatform &operator=(const TestPlatform &) = delete;

    std::shared_ptr<RecordingMessages> messages;
    std::shared_ptr<MemorySettingsService> settings;
    std::shared_ptr<RecordingLauncher> launcher;
    std::shared_ptr<FakeClock> clock;
    std::shared_ptr<FakeHost> host;
    QTemporaryDir root;
    QString driveRoot() const;
    // The native folder of a Windows-style path under the test drive root.
    QString native(const QString &windowsPath) const;

private:
    Services m_previous;
};

} // namespace platform::testing
