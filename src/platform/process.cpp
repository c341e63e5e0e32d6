#include "platform/process.h"

#include "platform/platform.h"

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

#include <QByteArray>

#include <cstdio>
#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace platform {

void RealProcessService::endProcess(int code)
{
    std::fflush(nullptr);
    std::_Exit(code);
}

void endProcess(int code)
{
    Platform::process().endProcess(code);
    std::_Exit(code); // a service that came back still ends the process
}

void prepareBrowserEngine()
{
#ifdef Q_OS_UNIX
    if (::geteuid() == 0 && qgetenv("QTWEBENGINE_DISABLE_SANDBOX").isEmpty())
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
#endif
    // Every page the program opens is the portal's: one renderer process serves them all. With
    // a page of its own per record, each record started a process, compiled the page scripts
    // cold and faulted its memory in (~40 ms of a ~550 ms record); the one process stays level
    // over a long queue.
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.contains("--renderer-process-limit")) {
        flags.append(flags.isEmpty() ? "" : " ").append("--renderer-process-limit=1");
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
    }
}

void keepFreedMemoryForReuse()
{
#if defined(__GLIBC__)
    // Each record's window is made anew and freed at its end, with blocks of a few megabytes (its
    // drawing surface among them). The allocator would give such blocks back to the system and
    // take fresh pages for the next window, every page faulted in again: ~13 ms of the window's
    // first drawing on a virtual machine, on some records and not others. Large blocks come from
    // the heap, and up to 64 MB left free at its top stays there, so the next record reuses the
    // same pages (the resident size stays level, ~1.5 MB higher).
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
#endif
}

} // namespace platform
