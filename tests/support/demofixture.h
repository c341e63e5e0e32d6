#pragma once

#include "core/workstation.h"
#include "demoinstall.h"
#include "demophotos.h"
#include "platform/paths.h"
#include "platform/settingsstore.h"
#include "simulator.h"
#include "storefixture.h"

#include <memory>

// The demo builder's installation in a temporary folder, reached as the program reaches it,
// with the simulator serving its portal (the demo's seed) and its update host. The stamping tool
// really runs. For tests that link tarvek_demo and depend on the built programs.
struct DemoFixture : StoreFixture
{
    DemoInstall demo{tp.root.path() + QStringLiteral("/demo")};
    std::unique_ptr<ydssim::testing::Simulator> sim;

    // False with the reason in `error`.
    bool start(QString *error)
    {
        platform::Services real;
        real.paths = std::make_shared<platform::PathMapper>(demo.driveRoot());
        real.settings = std::make_shared<platform::NativeSettingsService>(demo.settingsRoot());
        platform::Platform::install(real);
        tp.launcher->runForReal = true;
        if (!BuildDemoInstall(demo, error) ||
            !InstallStampTool(platform::nativePath(DemoInstall::siblingFolder()), error))
            return false;
        ydssim::Options options;
        options.seedFile = demo.root + QStringLiteral("/yds-seed.json");
        options.updatesDir = demo.updatesFolder();
        sim = std::make_unique<ydssim::testing::Simulator>(options);
        if (!sim->start() || !sim->setToday(tp.clock->today())) {
            *error = sim->error();
            return false;
        }
        platform::Deployment::setCurrent(sim->deployment());
        SetProgramFolder(QStringLiteral(TARVEK_BUILD_DIR "/src")); // the built programs are current
        db::CloseAll();
        return true;
    }
};
