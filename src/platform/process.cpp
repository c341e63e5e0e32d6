#include "platform/process.h"

#include "platform/platform.h"

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

#include <QByteArray>

#include <cstdio>
#include <cstdlib>

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
}

} // namespace platform
