#pragma once

#include <QString>
#include <QStringList>

namespace platform {

enum class WaitOutcome { Finished, FailedToStart, TimedOut };

struct WaitResult
{
    WaitOutcome outcome = WaitOutcome::FailedToStart;
    int exitCode = -1;
    QString error;       // the system's description when the start failed
    QString errorOutput; // what the program wrote on its error stream
};

// Starting other programs: ours (the updater, the stamping tool) and the file manager.
class LaunchService
{
public:
    virtual ~LaunchService() = default;
    // Starts without waiting; false (with the system's description) when it cannot start.
    virtual bool start(const QString &program, const QStringList &args, QString *error) = 0;
    // Starts and waits until the program ends or timeoutMs passes (-1: no limit). Events keep
    // being processed meanwhile, so timers and repaints go on.
    virtual WaitResult startAndWait(const QString &program, const QStringList &args,
                                    int timeoutMs) = 0;
    // Shows a folder in the desktop's file manager.
    virtual bool openFolder(const QString &folder) = 0;
    // Opens a document in the program the desktop keeps for its kind (a PDF in its reader).
    virtual bool openFile(const QString &file) = 0;
};

class QtLaunchService : public LaunchService
{
public:
    bool start(const QString &program, const QStringList &args, QString *error) override;
    WaitResult startAndWait(const QString &program, const QStringList &args,
                            int timeoutMs) override;
    bool openFolder(const QString &folder) override;
    bool openFile(const QString &file) override;
};

// Splits a Windows-style command line ("c:\x\fth32.exe Tarvek_Yds_mtg") into the program file
// on this platform and its arguments. Double quotes group words.
QStringList splitCommandLine(const QString &commandLine);

} // namespace platform
