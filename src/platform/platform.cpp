#include "platform/platform.h"

namespace platform {

namespace {
Services &current()
{
    static Services s = Platform::real();
    return s;
}
} // namespace

Services Platform::real()
{
    Services s;
    s.messages = std::make_shared<ConsoleMessageService>();
    s.process = std::make_shared<RealProcessService>();
    s.settings = std::make_shared<NativeSettingsService>(NativeSettingsService::defaultRoot());
    s.launcher = std::make_shared<QtLaunchService>();
    s.clock = std::make_shared<SystemClock>();
    s.host = std::make_shared<RealHostService>();
    s.paths = std::make_shared<PathMapper>();
    return s;
}

void Platform::install(Services services)
{
    Services &s = current();
    // A partial set keeps the services it does not name.
    if (services.messages)
        s.messages = std::move(services.messages);
    if (services.process)
        s.process = std::move(services.process);
    if (services.settings)
        s.settings = std::move(services.settings);
    if (services.launcher)
        s.launcher = std::move(services.launcher);
    if (services.clock)
        s.clock = std::move(services.clock);
    if (services.host)
        s.host = std::move(services.host);
    if (services.paths)
        s.paths = std::move(services.paths);
}

const Services &Platform::installed()
{
    return current();
}
MessageService &Platform::messages()
{
    return *current().messages;
}
ProcessService &Platform::process()
{
    return *current().process;
}
SettingsService &Platform::settings()
{
    return *current().settings;
}
LaunchService &Platform::launcher()
{
    return *current().launcher;
}
ClockService &Platform::clock()
{
    return *current().clock;
}
HostService &Platform::host()
{
    return *current().host;
}
const PathMapper &Platform::paths()
{
    return *current().paths;
}

} // namespace platform
