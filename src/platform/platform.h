#pragma once

#include "platform/clock.h"
#include "platform/hostinfo.h"
#include "platform/launcher.h"
#include "platform/messages.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/settingsstore.h"

#include <memory>

namespace platform {

// The operating-system services the program reaches. Real ones by default; tests install
// doubles (see testing/testplatform.h).
struct Services
{
    std::shared_ptr<MessageService> messages;
    std::shared_ptr<ProcessService> process;
    std::shared_ptr<SettingsService> settings;
    std::shared_ptr<LaunchService> launcher;
    std::shared_ptr<ClockService> clock;
    std::shared_ptr<HostService> host;
    std::shared_ptr<PathMapper> paths;
};

class Platform
{
public:
    static MessageService &messages();
    static ProcessService &process();
    static SettingsService &settings();
    static LaunchService &launcher();
    static ClockService &clock();
    static HostService &host();
    static const PathMapper &paths();

    static Services real();
    static void install(Services services);
    static const Services &installed();
};

} // namespace platform
