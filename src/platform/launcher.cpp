#include "platform/launcher.h"

#include <QDesktopServices>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <QUrl>

namespace platform {

bool QtLaunchService::start(const QString &program, const QStringList &args, QString *error)
{
    QProcess p;
    p.setProgram(program);
    p.setArguments(args);
    if (p.startDetached())
        return true;
    if (error)
        *error = p.errorString();
    return false;
}

WaitResult QtLaunchService::startAndWait(const QString &program, const QStringList &args,
                                         int timeoutMs)
{
    WaitResult r;
    QProcess p;
    // Its output goes on to ours; its error stream is kept: a tool tells there why it failed.
    p.setProcessChannelMode(QProcess::ForwardedOutputChannel);
    QEventLoop loop;
    QObject::connect(&p, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&p, &QProcess::errorOccurred, &loop, [&loop](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart)
            loop.quit();
    });
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    p.start(program, args);
    if (!p.waitForStarted(10000)) {
        r.outcome = WaitOutcome::FailedToStart;
        r.error = p.errorString();
        return r;
    }
    if (timeoutMs >= 0)
        limit.start(timeoutMs);
    if (p.state() != QProcess::NotRunning)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (p.state() != QProcess::NotRunning) {
        p.kill();
        p.waitForFinished(5000);
        r.outcome = WaitOutcome::TimedOut;
        return r;
    }
    r.outcome = WaitOutcome::Finished;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.errorOutput = QString::fromUtf8(p.readAllStandardError());
    return r;
}

bool QtLaunchService::openFolder(const QString &folder)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

bool QtLaunchService::openFile(const QString &file)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}

QStringList splitCommandLine(const QString &commandLine)
{
    QStringList parts;
    QString current;
    bool quoted = false;
    bool any = false;
    for (const QChar c : commandLine) {
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
            any = true;
        } else if (c == QLatin1Char(' ') && !quoted) {
            if (any)
                parts << current;
            current.clear();
            any = false;
        } else {
            current += c;
            any = true;
        }
    }
    if (any)
        parts << current;
    return parts;
}

} // namespace platform
