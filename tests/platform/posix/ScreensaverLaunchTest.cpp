// How "open" on the companion screensaver's bare name is started: found in the program's folder
// or on the search path, run by itself when it is a program built for this system.
#include "platform/posix/PosixShell.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

#include <filesystem>

using kdx::platform::posix::ShellCommand;
using kdx::test::Sandbox;
namespace fs = std::filesystem;

namespace {

void MakeProgram(const std::string& path, const std::string& bytes, bool executable = true)
{
    Sandbox::Write(path, bytes);
    fs::permissions(path, executable ? fs::perms::owner_all : fs::perms::owner_read | fs::perms::owner_write);
}

TEST(ScreensaverLaunch, ANativeCompanionRunsByItselfFromTheProgramFolderFirstThenThePath)
{
    Sandbox box;
    const std::string bin = box.Root() + "/bin";
    fs::create_directories(bin);
    box.SetEnv("PATH", bin + ":/usr/bin:/bin");
    MakeProgram(bin + "/KDXSaver.SCR", "#!/bin/sh\n");
    EXPECT_EQ(ShellCommand("open", "KDXSaver.SCR", ""), (std::vector<std::string> {bin + "/KDXSaver.SCR", "/S"}));
    MakeProgram(box.InstallDir() + "/KDXSaver.SCR", "#!/bin/sh\n");
    EXPECT_EQ(ShellCommand("open", "KDXSaver.SCR", ""),
        (std::vector<std::string> {box.InstallDir() + "/KDXSaver.SCR", "/S"}));
}

TEST(ScreensaverLaunch, AWindowsProgramOrAFileThatCannotRunIsNotStartedByItself)
{
    Sandbox box;
    box.SetEnv("PATH", "/usr/bin:/bin");
    const std::string saver = box.InstallDir() + "/KDXSaver.SCR";
    MakeProgram(saver, "MZ\x90\x00 a Windows program");
    auto command = ShellCommand("open", "KDXSaver.SCR", "");
    EXPECT_TRUE(command.empty() || command.front() != saver) << "under Wine, or not at all";
    MakeProgram(saver, "#!/bin/sh\n", false);
    command = ShellCommand("open", "KDXSaver.SCR", "");
    EXPECT_TRUE(command.empty() || command.front() != saver);
}

} // namespace
