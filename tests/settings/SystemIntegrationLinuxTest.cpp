// The registry entries and the log-on entry through the Linux stand-ins: a chosen program file,
// the registry file and the XDG autostart entry. Linux only; tests/platform/win32 has the Windows side.
#include "SystemIntegrationFixture.h"
#include "platform/Platform.h"
#include "platform/posix/PosixRegistry.h"
#include "platform/posix/PosixSystem.h"
#include "settings/Errors.h"
#include "settings/TConfig.h"
#include "support/Sandbox.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace kdx;
using kdx::test::Sandbox;

namespace {

TEST_F(SystemIntegration, FirstStartRepairsInstalledPathFromTheProgramFolder)
{
    TConfig config;
    EXPECT_EQ(config.InstalledPath, box.InstallDir());
    EXPECT_EQ(config.IniFile->FileName(), box.InstallDir() + "/KDX.ini");
    const auto stored = Query(reg::ProductKey, reg::InstalledPathValue);
    EXPECT_EQ(stored.status, platform::RegRead::Ok);
    EXPECT_EQ(stored.value, box.InstallDir());
}

TEST_F(SystemIntegration, AnEmptyInstalledPathIsRepairedToo)
{
    Store(reg::ProductKey, reg::InstalledPathValue, "");
    TConfig config;
    EXPECT_EQ(config.InstalledPath, box.InstallDir());
}

TEST_F(SystemIntegration, AnUnwritableProgramFolderKeepsSettingsInTheUserDataFolder)
{
    const std::string locked = box.Root() + "/locked";
    std::filesystem::create_directories(locked);
    chmod(locked.c_str(), 0555);
    box.SetProgramFile(locked + "/KDX3");
    TConfig config;
    EXPECT_EQ(config.InstalledPath, box.DataHome() + "/kaleidra-agent");
    EXPECT_EQ(Query(reg::ProductKey, reg::InstalledPathValue).value, config.InstalledPath);
    config.WriteFlag("Misc", "Sub", false);
    EXPECT_TRUE(Sandbox::Exists(config.InstalledPath + "/KDX.ini"));

    platform::posix::PosixSystem system;
    EXPECT_EQ(system.InstallFolderFor("/usr/bin"), box.DataHome() + "/kaleidra-agent") << "system folders too";
}

// The lists in the KDX.ini beside a program that cannot be written (installed for all, or handed
// round on a read-only medium) are where the user's settings start: copied once into the data
// folder, never over a file there.
TEST_F(SystemIntegration, MovingToTheDataFolderStartsFromTheSettingsBesideTheProgram)
{
    const std::string locked = box.Root() + "/locked";
    std::filesystem::create_directories(locked);
    const std::string beside = "[PaperList]\r\n0=/pics/a.jpg\r\n[Misc]\r\nAutoSave=0\r\n";
    Sandbox::Write(locked + "/KDX.ini", beside);
    chmod(locked.c_str(), 0555);
    box.SetProgramFile(locked + "/KDX3");
    {
        TConfig config;
        ASSERT_EQ(config.InstalledPath, box.DataHome() + "/kaleidra-agent");
        TWallpaper wallpaper;
        config.LoadWallpaper(wallpaper);
        EXPECT_EQ(wallpaper.Items, TStrings {"/pics/a.jpg"});
        EXPECT_FALSE(config.IsAutoSave());
    }
    EXPECT_EQ(Sandbox::Read(box.DataHome() + "/kaleidra-agent/KDX.ini"), beside) << "a copy, byte for byte";

    // The data folder's own file is never replaced.
    Sandbox::Write(box.DataHome() + "/kaleidra-agent/KDX.ini", "[Misc]\nAutoSave=1\n");
    platform::posix::PosixSystem system;
    EXPECT_EQ(system.InstallFolderFor(locked), box.DataHome() + "/kaleidra-agent");
    EXPECT_EQ(Sandbox::Read(box.DataHome() + "/kaleidra-agent/KDX.ini"), "[Misc]\nAutoSave=1\n");
    chmod(locked.c_str(), 0755);
}

TEST_F(SystemIntegration, InstalledPathOfAnotherTypeOrDamagedRaises)
{
    TConfig first;
    Sandbox::Write(platform::posix::PosixRegistry::StoreFile(),
        "[Software\\Tembrix Software\\Kaleidra Deluxe V3.00]\n\"InstalledPath\"=dword:00000001\n");
    EXPECT_EQ(MessageOf([] { TConfig c; }), "Invalid data type for 'InstalledPath'");
    Sandbox::Write(platform::posix::PosixRegistry::StoreFile(),
        "[Software\\Tembrix Software\\Kaleidra Deluxe V3.00]\n\"InstalledPath\"=\"bad\\q\"\n");
    EXPECT_EQ(MessageOf([] { TConfig c; }), "Failed to get data for 'InstalledPath'");
}

TEST_F(SystemIntegration, AnUnwritableRegistryFailsToSetData)
{
    TConfig first; // creates the store
    chmod(platform::posix::PosixRegistry::StoreFile().c_str(), 0444);
    EXPECT_EQ(MessageOf([] { TConfig c; }), "(no error)") << "InstalledPath is present: nothing to write";
    EXPECT_EQ(MessageOf([&] { first.SetSystemSaver(true); }), "Failed to set data for 'SCRNSAVE.EXE'");
    TMisc misc;
    misc.Startup = true;
    EXPECT_EQ(MessageOf([&] { first.SaveMisc(misc); }), "Failed to set data for 'Kaleidra'");
    EXPECT_NE(Sandbox::Read(box.IniPath()).find("Startup=1"), std::string::npos)
        << "the settings file was written before the registry failed";
}

TEST_F(SystemIntegration, LogOnStartSetsTheRunValueAndAnAutostartEntry)
{
    box.SetProgramFile(box.InstallDir() + "/any-name");
    TConfig config;
    TMisc misc;
    config.LoadMisc(misc);
    misc.Startup = true;
    config.SaveMisc(misc);
    EXPECT_EQ(Query(reg::RunKey, reg::RunValue).value, "\"" + box.InstallDir() + "/KDX3.exe\"");
    const std::string entry = Sandbox::Read(platform::posix::PosixAutostart::EntryFile());
    EXPECT_NE(entry.find("Exec=\"" + box.InstallDir() + "/any-name\"\n"), std::string::npos) << entry;
    EXPECT_EQ(platform::posix::PosixAutostart::EntryFile(), box.ConfigHome() + "/autostart/kaleidra-agent.desktop");

    misc.Startup = false;
    config.SaveMisc(misc);
    EXPECT_FALSE(platform::Current().registry->OpenKey(reg::RunKey)->ValueExists(reg::RunValue));
    EXPECT_FALSE(Sandbox::Exists(platform::posix::PosixAutostart::EntryFile()));
    config.SaveMisc(misc); // off when already off changes nothing and raises nothing
}

TEST_F(SystemIntegration, AutostartEntryQuotesAnOddProgramPath)
{
    const std::string odd = box.Root() + "/my \"odd\" $dir\\x";
    std::filesystem::create_directories(odd);
    box.SetProgramFile(odd + "/KDX3");
    TConfig config;
    TMisc misc;
    misc.Startup = true;
    config.SaveMisc(misc);
    const std::string entry = Sandbox::Read(platform::posix::PosixAutostart::EntryFile());
    EXPECT_NE(entry.find("Exec=\"" + box.Root() + "/my \\\\\"odd\\\\\" \\\\$dir\\\\\\\\x/KDX3\"\n"), std::string::npos)
        << entry;
}

} // namespace
