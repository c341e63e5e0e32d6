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
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", engineFlags(qgetenv("QTWEBENGINE_CHROMIUM_FLAGS")));
}

QByteArray engineFlags(QByteArray given)
{
    QByteArray flags = given.trimmed();
    const auto add = [&flags](const QByteArray &flag) {
        flags.append(flags.isEmpty() ? "" : " ").append(flag);
    };
    // Every page the program opens is the portal's: one renderer process serves them all. With
    // a page of its own per record, each record started a process, compiled the page scripts
    // cold and faulted its memory in (~40 ms of a ~550 ms record); the one process stays level
    // over a long queue.
    if (!flags.contains("--renderer-process-limit"))
        add("--renderer-process-limit=1");
    // Paint holding keeps a page's first frames back after a navigation within the site until it
    // has painted, and the page drops the key presses sent to it meanwhile. The form's file
    // chooser is opened by a key press a few milliseconds after the form loads: held, 5-15 % of
    // the records lost it and waited for the chooser's 1 s limit.
    if (flags.contains("PaintHolding"))
        return flags; // named by whoever gave the switches: theirs to decide
    // The engine reads the last feature list given, so the name goes into that one.
    static const QByteArray disable = "--disable-features=";
    if (const qsizetype at = flags.lastIndexOf(disable); at < 0)
        add(disable + "PaintHolding");
    else
        flags.insert(at + disable.size(), "PaintHolding,");
    return flags;
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
