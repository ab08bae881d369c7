// The registry entries that tie the agent to the system, and the log-on entry.
#include "SystemIntegrationFixture.h"
#include "platform/Platform.h"
#include "settings/Errors.h"
#include "settings/TConfig.h"
#include "support/Sandbox.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace kdx;
using kdx::test::Sandbox;

namespace {

TEST_F(SystemIntegration, AStoredInstalledPathIsUsedUnchanged)
{
    const std::string other = box.Root() + Sandbox::Sep + "elsewhere" + Sandbox::Sep;
    std::filesystem::create_directories(other);
    Store(reg::ProductKey, reg::InstalledPathValue, other);
    TConfig config;
    EXPECT_EQ(config.InstalledPath, other);
    EXPECT_EQ(config.IniFile->FileName(), other + Sandbox::Sep + "KDX.ini")
        << "doubled separator, as the platform accepts";
    config.WriteFlag("Misc", "Sub", true);
    EXPECT_TRUE(Sandbox::Exists(other + "KDX.ini"));
}

TEST_F(SystemIntegration, ProgramAtTheRootKeepsItsSeparator)
{
    EXPECT_EQ(ProgramFolder("/KDX3"), "/");
    EXPECT_EQ(ProgramFolder("/opt/kaleidra/KDX3"), "/opt/kaleidra");
    EXPECT_EQ(ProgramFolder("KDX3"), "");
}

TEST_F(SystemIntegration, DisableScreensaverWritesTheCompanionOrNothing)
{
    TConfig config;
    config.SetSystemSaver(false);
    EXPECT_EQ(Query(reg::DesktopKey, reg::ScreenSaverValue).value, "\"\"");
    config.SetSystemSaver(true);
    const auto value = Query(reg::DesktopKey, reg::ScreenSaverValue).value;
    EXPECT_EQ(value, "\"KDXSaver.SCR\"");
    EXPECT_EQ(value.size(), 14u);
}

} // namespace
