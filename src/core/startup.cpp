#include "core/startup.h"

#include "core/connection.h"
#include "platform/process.h"

#include <exception>

void RunStartup(const QString &commandLine, const std::function<void()> &showLoginWindow)
{
    Connection().WorkFolder = QStringLiteral("c:\\tarvek2000word\\");
    LoadConnectionSettings(commandLine);
    // From here on errors of the next step are ignored.
    try {
        showLoginWindow();
    } catch (const platform::ProcessEnded &) {
        throw;
    } catch (const std::exception &) {
        // The login window reports its own failures; start-up carries on regardless.
    }
}
