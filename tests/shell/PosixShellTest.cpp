// The Linux shell: launches and Properties, with stand-in programs on PATH that log how they
// were called; and the bitmaps the root-window route reads.
#include "platform/posix/PosixShell.h"
#include "ShellTestSupport.h"
#include "platform/posix/files/BmpImage.h"
#include "platform/posix/files/Paths.h"
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

TEST_F(PosixShellTest, FileUrisAreAbsoluteAndEscaped)
{
    EXPECT_EQ(FileUri("/pictures/a b/it's,100%.jpg"), "file:///pictures/a%20b/it%27s%2C100%25.jpg");
    EXPECT_EQ(FileUri("/\xC3\xA9t\xC3\xA9.bmp"), "file:///%C3%A9t%C3%A9.bmp");
    char cwd[4096];
    ASSERT_TRUE(getcwd(cwd, sizeof cwd));
    EXPECT_EQ(FileUri("rel.jpg"), FileUri(std::string(cwd) + "/rel.jpg"));
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

// BMP files of each kind the root-window fallback reads.
class BmpFiles : public ::testing::Test {
protected:
    static std::string Header(std::int32_t w, std::int32_t h, int bits, std::uint32_t compression,
        std::uint32_t colours, std::uint32_t pixelsAt, std::uint32_t headerSize = 40)
    {
        std::string s(14 + headerSize, '\0');
        const auto put = [&](std::size_t at, std::uint32_t v, int n) {
            for (int i = 0; i < n; ++i)
                s[at + std::size_t(i)] = char(v >> (8 * i));
        };
        s[0] = 'B';
        s[1] = 'M';
        put(10, pixelsAt, 4);
        put(14, headerSize, 4);
        put(18, std::uint32_t(w), 4);
        put(22, std::uint32_t(h), 4);
        put(26, 1, 2);
        put(28, std::uint32_t(bits), 2);
        put(30, compression, 4);
        put(46, colours, 4);
        return s;
    }
    static std::string Le(std::uint32_t v, int n)
    {
        std::string s;
        for (int i = 0; i < n; ++i)
            s += char(v >> (8 * i));
        return s;
    }
};

TEST_F(BmpFiles, PalettesAndPackedPixels)
{
    // 8 bits: a two-colour table, one row of indices 1, 0, 1.
    std::string eight = Header(3, 1, 8, 0, 2, 54 + 8) + Le(0x123456, 4) + Le(0xABCDEF, 4) + std::string("\1\0\1\0", 4);
    BmpImage image;
    ASSERT_TRUE(image.Parse(reinterpret_cast<const std::uint8_t*>(eight.data()), eight.size()));
    EXPECT_EQ(image.Pixel(0, 0), 0xABCDEFu);
    EXPECT_EQ(image.Pixel(1, 0), 0x123456u);

    // 1 bit: 0b10100000.
    std::string one = Header(3, 1, 1, 0, 0, 54 + 8) + Le(0x000000, 4) + Le(0xFFFFFF, 4) + std::string("\xA0\0\0\0", 4);
    ASSERT_TRUE(image.Parse(reinterpret_cast<const std::uint8_t*>(one.data()), one.size()));
    EXPECT_EQ(image.Pixel(0, 0), 0xFFFFFFu);
    EXPECT_EQ(image.Pixel(1, 0), 0x000000u);
    EXPECT_EQ(image.Pixel(2, 0), 0xFFFFFFu);

    // 16 bits, 5-5-5: pure red and pure blue.
    std::string sixteen = Header(2, 1, 16, 0, 0, 54) + Le(0x7C00, 2) + Le(0x001F, 2);
    ASSERT_TRUE(image.Parse(reinterpret_cast<const std::uint8_t*>(sixteen.data()), sixteen.size()));
    EXPECT_EQ(image.Pixel(0, 0), 0xFF0000u);
    EXPECT_EQ(image.Pixel(1, 0), 0x0000FFu);

    // 32 bits with bit fields after the header: red in the low byte.
    std::string bitfields
        = Header(1, 1, 32, 3, 0, 54 + 12) + Le(0xFF, 4) + Le(0xFF00, 4) + Le(0xFF0000, 4) + Le(0x00332211, 4);
    ASSERT_TRUE(image.Parse(reinterpret_cast<const std::uint8_t*>(bitfields.data()), bitfields.size()));
    EXPECT_EQ(image.Pixel(0, 0), 0x112233u);
}

TEST_F(BmpFiles, DamagedOrForeignFilesDoNotOpen)
{
    BmpImage image;
    const std::string png = std::string("\x89PNG\r\n\x1a\n", 8) + std::string(64, '\0');
    EXPECT_FALSE(image.Parse(reinterpret_cast<const std::uint8_t*>(png.data()), png.size()));
    std::string huge = Header(60000, 60000, 24, 0, 0, 54) + std::string(100, '\0');
    EXPECT_FALSE(image.Parse(reinterpret_cast<const std::uint8_t*>(huge.data()), huge.size()))
        << "pixels beyond the file";
    std::string rle = Header(2, 2, 8, 1, 0, 54) + std::string(64, '\0');
    EXPECT_FALSE(image.Parse(reinterpret_cast<const std::uint8_t*>(rle.data()), rle.size())) << "compressed";
    std::string whole = Header(5, 3, 24, 0, 0, 54) + std::string(16 * 3, '\x7F');
    for (std::size_t n = 0; n < whole.size(); ++n) {
        const bool opened = image.Parse(reinterpret_cast<const std::uint8_t*>(whole.data()), n);
        EXPECT_FALSE(opened) << n;
    }
    EXPECT_TRUE(image.Parse(reinterpret_cast<const std::uint8_t*>(whole.data()), whole.size()));
    EXPECT_FALSE(image.Open("/nonexistent/KAWalllpaper.bmp"));
}

} // namespace
