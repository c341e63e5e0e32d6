#pragma once

#include <QByteArray>

#include <stdexcept>

namespace platform {

class ProcessService
{
public:
    virtual ~ProcessService() = default;
    // Ends the process at once: no window is closed, nothing more is written.
    [[noreturn]] virtual void endProcess(int code) = 0;
};

class RealProcessService : public ProcessService
{
public:
    [[noreturn]] void endProcess(int code) override;
};

// What the test double throws instead of ending the process.
struct ProcessEnded : std::runtime_error
{
    explicit ProcessEnded(int c) : std::runtime_error("process ended"), code(c) {}
    int code;
};

[[noreturn]] void endProcess(int code = 0);

// Before the application object: the embedded browser engine refuses to start as the system
// administrator unless its sandbox is off, so a program started as root switches it off; and
// the engine's switches the program needs are added to those given (engineFlags).
void prepareBrowserEngine();

// The engine's command-line switches with the program's own added: one renderer process for all
// the program's pages, and no paint holding. Switches given are kept; a feature list given is
// extended, not replaced.
QByteArray engineFlags(QByteArray given);

// Before the application object: memory freed between records stays with the process for the
// next record rather than going back to the system.
void keepFreedMemoryForReuse();

} // namespace platform
