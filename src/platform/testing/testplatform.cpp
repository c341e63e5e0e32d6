#include "platform/testing/testplatform.h"

#include <QCoreApplication>
#include <QDir>

namespace platform::testing {

void RecordingMessages::show(const QString &text, MsgIcon icon, const QString &title)
{
    shown.append({text, icon, title, false});
    if (onShow)
        onShow(shown.last());
}

bool RecordingMessages::ask(const QString &text, MsgIcon icon, const QString &title)
{
    shown.append({text, icon, title, true});
    if (onShow)
        onShow(shown.last());
    return answers.isEmpty() ? true : answers.dequeue();
}

QStringList RecordingMessages::texts() const
{
    QStringList t;
    for (const auto &s : shown)
        t << s.text;
    return t;
}

void ThrowingProcess::endProcess(int code)
{
    throw ProcessEnded(code);
}

bool RecordingLauncher::start(const QString &program, const QStringList &args, QString *error)
{
    calls.append({QStringLiteral("start"), program, args});
    if (failStart && error)
        *error = QStringLiteral("Sistem belirtilen dosyayı bulamıyor.");
    return !failStart;
}

WaitResult RecordingLauncher::startAndWait(const QString &program, const QStringList &args,
                                           int timeoutMs)
{
    calls.append({QStringLiteral("wait"), program, args});
    if (runForReal)
        return QtLaunchService().startAndWait(program, args, timeoutMs);
    WaitResult r;
    if (failStart) {
        r.outcome = WaitOutcome::FailedToStart;
        r.error = QStringLiteral("Sistem belirtilen dosyayı bulamıyor.");
        return r;
    }
    r.outcome = WaitOutcome::Finished;
    r.exitCode = behaviour ? behaviour(program, args) : 0;
    r.errorOutput = errorOutput;
    return r;
}

bool RecordingLauncher::openFolder(const QString &folder)
{
    calls.append({QStringLiteral("folder"), folder, {}});
    return true;
}

bool RecordingLauncher::openFile(const QString &file)
{
    calls.append({QStringLiteral("file"), file, {}});
    return true;
}

TestPlatform::TestPlatform()
    : messages(std::make_shared<RecordingMessages>()),
      settings(std::make_shared<MemorySettingsService>()),
      launcher(std::make_shared<RecordingLauncher>()), clock(std::make_shared<FakeClock>()),
      host(std::make_shared<FakeHost>()), m_previous(Platform::installed())
{
    QDir().mkpath(root.path() + QStringLiteral("/drives/c"));
    QDir().mkpath(root.path() + QStringLiteral("/tmp"));
    host->temp = root.path() + QStringLiteral("/tmp/");
    Services s;
    s.messages = messages;
    s.process = std::make_shared<ThrowingProcess>();
    s.settings = settings;
    s.launcher = launcher;
    s.clock = clock;
    s.host = host;
    s.paths = std::make_shared<PathMapper>(driveRoot());
    Platform::install(s);
}

TestPlatform::~TestPlatform()
{
    Platform::install(m_previous);
}

QString TestPlatform::driveRoot() const
{
    return root.path() + QStringLiteral("/drives");
}

QString TestPlatform::native(const QString &windowsPath) const
{
    return Platform::paths().nativePath(windowsPath);
}

} // namespace platform::testing
