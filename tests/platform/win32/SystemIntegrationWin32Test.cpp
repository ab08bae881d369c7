// The registry entries that tie the agent to Windows: the install folder repaired from the
// program's own file, the type check of "InstalledPath", and the Run value as the log-on entry.
#include "platform/Platform.h"
#include "settings/Errors.h"
#include "settings/TConfig.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>
#include <windows.h>

using namespace kdx;
using kdx::test::Sandbox;

namespace {

class SystemIntegrationWin32 : public ::testing::Test {
protected:
    Sandbox box;
    platform::IRegistry& registry = *platform::Current().registry;

    std::string ProgramFolderOfTest() { return ProgramFolder(platform::Current().system->ModuleFileName()); }
};

TEST_F(SystemIntegrationWin32, AMissingInstalledPathIsRepairedFromTheProgramFile)
{
    registry.CreateKey(reg::ProductKey)->DeleteValue(reg::InstalledPathValue);
    TConfig config;
    EXPECT_EQ(config.InstalledPath, ProgramFolderOfTest());
    EXPECT_NE(config.InstalledPath.find(":\\"), std::string::npos) << config.InstalledPath;
    EXPECT_EQ(registry.OpenKey(reg::ProductKey)->QueryString(reg::InstalledPathValue).value, config.InstalledPath);
}

TEST_F(SystemIntegrationWin32, InstalledPathOfAnotherTypeRaises)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, reg::ProductKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    const DWORD one = 1;
    RegSetValueExA(key, reg::InstalledPathValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
    RegCloseKey(key);
    try {
        TConfig config;
        FAIL() << "no error";
    } catch (const EKaleidraError& e) {
        EXPECT_STREQ(e.what(), "Invalid data type for 'InstalledPath'");
    }
}

TEST_F(SystemIntegrationWin32, LogOnStartIsTheRunValueAlone)
{
    TConfig config;
    TMisc misc;
    misc.Startup = true;
    config.SaveMisc(misc);
    EXPECT_EQ(
        registry.OpenKey(reg::RunKey)->QueryString(reg::RunValue).value, "\"" + ProgramFolderOfTest() + "\\KDX3.exe\"");
    misc.Startup = false;
    config.SaveMisc(misc);
    EXPECT_FALSE(registry.OpenKey(reg::RunKey)->ValueExists(reg::RunValue));
}

TEST_F(SystemIntegrationWin32, ProgramFolderKeepsTheSeparatorAfterADrive)
{
    EXPECT_EQ(ProgramFolder("C:\\Prog\\KDX3.exe"), "C:\\Prog");
    EXPECT_EQ(ProgramFolder("C:\\KDX3.exe"), "C:\\");
}

} // namespace
