// The Linux shell: launches and Properties, with stand-in programs on PATH that log how they
// were called.
#include "platform/posix/PosixShell.h"
#include "ShellTestSupport.h"
#include "support/FakePrograms.h"
#include "support/Sandbox.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace kdx;
using namespace kdx::platform::posix;
using kdx::test::Sandbox;
using Args = std::vector<std::string>;

namespace {

class PosixShellTest : public ::testing::Test {
protected:
    Sandbox box;
    kdx::test::FakePrograms programs {box};
    std::string log = programs.Log();

    void SetUp() override { box.SetEnv("XDG_CURRENT_DESKTOP", ""); }

    std::string Fake(const std::string& name, const std::string& script = "") { return programs.Fake(name, script); }
    std::vector<std::string> Calls(std::size_t count) { return programs.Calls(count); }

    std::string File(const std::string& name)
    {
        const std::string path = box.Root() + "/" + name;
        Sandbox::Write(path, "MZ");
        return path;
    }
};

TEST_F(PosixShellTest, AScreensaverRunsUnderWineAsTheWindowsShellRunsIt)
{
    const std::string wine = Fake("wine");
    Fake("xdg-open");
    const std::string saver = File("Saver.scr");
    EXPECT_EQ(ShellCommand("open", saver, ""), Args({wine, saver, "/S"}));
    EXPECT_EQ(ShellCommand("config", saver, " \\c"), Args({wine, saver})) << "the config verb runs it bare";
    const std::string upper = File("SAVER.SCR");
    EXPECT_EQ(ShellCommand("open", upper, ""), Args({wine, upper, "/S"}));
    const std::string program = File("Tool.exe");
    EXPECT_EQ(ShellCommand("open", program, "-a \"two words\" b"), Args({wine, program, "-a", "two words", "b"}));
}

TEST_F(PosixShellTest, WithoutWineAWindowsProgramGoesToXdgOpen)
{
    box.SetEnv("KALEIDRA_WINE", "none");
    const std::string opener = Fake("xdg-open");
    const std::string saver = File("Saver.scr");
    EXPECT_EQ(ShellCommand("open", saver, ""), Args({opener, saver}));
}

TEST_F(PosixShellTest, DocumentsAndAddressesGoToXdgOpen)
{
    const std::string opener = Fake("xdg-open");
    Fake("wine");
    EXPECT_EQ(ShellCommand("open", "/movies/clip.swf", ""), Args({opener, "/movies/clip.swf"}));
    EXPECT_EQ(ShellCommand("open", "https://kaleidra.example/", ""), Args({opener, "https://kaleidra.example/"}));
    EXPECT_EQ(ShellCommand("open", "mailto:feedback@kaleidra.example", ""),
        Args({opener, "mailto:feedback@kaleidra.example"}));
    EXPECT_EQ(ShellCommand("open", box.InstallDir() + "/kdx3.chm", ""), Args({opener, box.InstallDir() + "/kdx3.chm"}));
}

TEST_F(PosixShellTest, ABareNameIsLookedForAsWindowsLooksForIt)
{
    const std::string wine = Fake("wine");
    Fake("xdg-open");
    const std::string windowsFolder = box.DataHome() + "/kaleidra-agent";
    std::filesystem::create_directories(windowsFolder);
    Sandbox::Write(windowsFolder + "/KDXSaver.SCR", "MZ");
    EXPECT_EQ(ShellCommand("open", "KDXSaver.SCR", ""), Args({wine, windowsFolder + "/KDXSaver.SCR", "/S"}));
    Sandbox::Write(box.InstallDir() + "/KDXSaver.SCR", "MZ");
    EXPECT_EQ(ShellCommand("open", "KDXSaver.SCR", ""), Args({wine, box.InstallDir() + "/KDXSaver.SCR", "/S"}))
        << "the program's folder first";
}

TEST_F(PosixShellTest, NothingToRunStartsNothing)
{
    box.SetEnv("KALEIDRA_WINE", "none");
    EXPECT_TRUE(ShellCommand("open", File("Saver.scr"), "").empty());
    PosixShell().Execute("open", File("Other.scr"), ""); // and reports nothing
}

TEST_F(PosixShellTest, ExecuteStartsTheProgramDetachedAndReturnsAtOnce)
{
    Fake("xdg-open", "/bin/sleep 1");
    const auto start = std::chrono::steady_clock::now();
    PosixShell().Execute("open", "/movies/a clip.swf", "");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(800));
    EXPECT_EQ(Calls(1), Args({"xdg-open|/movies/a clip.swf|"}));
    std::ifstream in(log);
    std::string line;
    std::getline(in, line);
    EXPECT_NE(line.substr(line.rfind("ppid=") + 5), std::to_string(getpid())) << "not the agent's child";
}

TEST_F(PosixShellTest, PropertiesAskTheFileManagerOverDBus)
{
    const std::string sender = Fake("dbus-send");
    EXPECT_EQ(PropertiesCommand("/p/a b.jpg"),
        Args({sender, "--session", "--type=method_call", "--dest=org.freedesktop.FileManager1",
            "/org/freedesktop/FileManager1", "org.freedesktop.FileManager1.ShowItemProperties",
            "array:string:file:///p/a%20b.jpg", "string:"}));
    const std::string gdbus = Fake("gdbus");
    EXPECT_EQ(PropertiesCommand("/p/a b.jpg"),
        Args({gdbus, "call", "--session", "--dest", "org.freedesktop.FileManager1", "--object-path",
            "/org/freedesktop/FileManager1", "--method", "org.freedesktop.FileManager1.ShowItemProperties",
            "['file:///p/a%20b.jpg']", ""}));
    PosixShell().ShowProperties("/p/a b.jpg");
    EXPECT_EQ(Calls(1),
        Args({"gdbus|call|--session|--dest|org.freedesktop.FileManager1|--object-path|/org/freedesktop/"
              "FileManager1|--method|org.freedesktop.FileManager1.ShowItemProperties|['file:///p/a%20b.jpg']||"}));
}

} // namespace
