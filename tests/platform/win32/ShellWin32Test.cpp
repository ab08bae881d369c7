// The desktop and shell helpers against the Windows shell, resource loader, registry and
// SystemParametersInfo: screensaver descriptions from real PE files, display names, and a
// wallpaper applied for real (into the sandbox's folder, which stands in for the Windows folder).
#include "platform/Platform.h"
#include "shell/TPublicUnit.h"
#include "support/Sandbox.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <windows.h>
// After windows.h.
#include <shobjidl.h>
#include <versionhelpers.h>

using namespace kdx;
using kdx::test::Sandbox;

namespace {

std::string Fixture(const std::string& name) { return std::string(KDX_WIN32_FIXTURES) + "\\" + name + ".scr"; }

// The native system with the Windows folder of the test's choosing.
class SandboxedWindowsFolder final : public platform::ISystem {
public:
    explicit SandboxedWindowsFolder(std::string folder) : folder_(std::move(folder)) { }
    std::string ModuleFileName() override { return platform::Native().system->ModuleFileName(); }
    std::string InstallFolderFor(const std::string& f) override { return f; }
    std::string WindowsDirectory() override { return folder_; }
    std::string HelpFolderFor(const std::string& f) override { return platform::Native().system->HelpFolderFor(f); }
    platform::CivilTime LocalTime() override { return platform::Native().system->LocalTime(); }
    platform::CivilTime SystemTime() override { return platform::Native().system->SystemTime(); }

private:
    std::string folder_;
};

void WriteJpeg(const std::string& path, unsigned width, unsigned height)
{
    FILE* out = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(out);
    jpeg_compress_struct c {};
    jpeg_error_mgr err {};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    jpeg_stdio_dest(&c, out);
    c.image_width = width;
    c.image_height = height;
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPLE> row(width * 3);
    for (unsigned y = 0; y < height; ++y) {
        for (unsigned x = 0; x < width * 3; ++x)
            row[x] = JSAMPLE((x * 7 + y * 3) & 0xff);
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&c, rows, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::fclose(out);
}

std::string QueryDesktop(const char* name)
{
    auto key = platform::Current().registry->OpenKey(desktop::Key);
    return key ? key->QueryString(name).value : std::string("(no key)");
}

class ShellWin32 : public ::testing::Test {
protected:
    Sandbox box;
    TPublicUnit unit;
};

TEST_F(ShellWin32, ScreensaverDescriptionsComeFromTheStringTable)
{
    auto& shell = *platform::Current().shell;
    EXPECT_EQ(shell.ResourceString(Fixture("describe"), 1), "Kaleidra Test Saver");
    EXPECT_EQ(shell.ResourceString(Fixture("languages"), 1), "English description") << "the user's language first";
    EXPECT_EQ(shell.ResourceString(Fixture("nostring1"), 1), "");
    EXPECT_EQ(shell.ResourceString(Fixture("plain"), 1), "") << "no string table at all";
    EXPECT_EQ(shell.ResourceString(Fixture("long"), 1).size(), 255u) << "LoadString's buffer holds 255";
    EXPECT_EQ(shell.ResourceString(box.Root() + "\\missing.scr", 1), "");
}

TEST_F(ShellWin32, DisplayNamesOfScreensaversAndOtherFiles)
{
    const std::string saver = box.Root() + "\\a.scr", upper = box.Root() + "\\B.SCR";
    std::filesystem::copy_file(Fixture("describe"), saver);
    std::filesystem::copy_file(Fixture("describe"), upper);
    EXPECT_EQ(unit.DisplayName(saver), "Kaleidra Test Saver");
    EXPECT_EQ(unit.DisplayName(upper), "B.SCR") << "the extension is compared with case";
    std::filesystem::copy_file(Fixture("plain"), box.Root() + "\\plain.scr");
    EXPECT_NE(unit.DisplayName(box.Root() + "\\plain.scr").find("plain"), std::string::npos)
        << "the shell's display name when there is no description";
    EXPECT_EQ(unit.DisplayName(box.Root() + "\\gone.scr"), "FILE NOT FOUND!");
    Sandbox::Write(box.Root() + "\\clip.swf", "FWS");
    EXPECT_EQ(unit.DisplayName(box.Root() + "\\clip.swf"), "clip.swf");
}

TEST_F(ShellWin32, AWallpaperIsWrittenToTheRegistryAndApplied)
{
    platform::Services services = platform::Native();
    SandboxedWindowsFolder system(box.Root());
    services.system = &system;
    platform::ScopedServices scope(services);

    const std::string bmp = box.Root() + "\\KAWalllpaper.bmp";
    const std::string photo = box.Root() + "\\PHOTO.JPG";
    WriteJpeg(photo, 40, 30);
    unit.SetWallpaper(photo, 2);
    EXPECT_EQ(QueryDesktop(desktop::WallpaperValue), bmp);
    EXPECT_EQ(QueryDesktop(desktop::TileWallpaperValue), "0");
    EXPECT_EQ(QueryDesktop(desktop::WallpaperStyleValue), "2");
    const std::string written = Sandbox::Read(bmp);
    ASSERT_GE(written.size(), 54u);
    EXPECT_EQ(written.substr(0, 2), "BM");
    EXPECT_EQ(written.size(), 54u + 30u * 120u) << "24 bits a pixel, rows of 120 bytes";

    const std::string picture = box.Root() + "\\picture.bmp";
    Sandbox::Write(picture, "BM not really a bitmap, copied byte for byte");
    unit.SetWallpaper(picture, 1);
    EXPECT_EQ(Sandbox::Read(bmp), Sandbox::Read(picture));
    EXPECT_EQ(QueryDesktop(desktop::TileWallpaperValue), "1");
    EXPECT_EQ(QueryDesktop(desktop::WallpaperStyleValue), "0");
}

// Where Windows has no wallpaper per monitor (Windows 7, and Wine, which lacks IDesktopWallpaper),
// one bitmap over the whole desktop: Windows shows only what "Wallpaper" names.
TEST_F(ShellWin32, APicturePerMonitorSpansTheDesktopWhereWindowsHasNoWallpaperPerMonitor)
{
    platform::Services services = platform::Native();
    SandboxedWindowsFolder system(box.Root());
    services.system = &system;
    platform::ScopedServices scope(services);

    const std::vector<platform::Monitor> monitors = platform::Current().desktop->Monitors();
    ASSERT_FALSE(monitors.empty()) << "Windows lists at least one monitor";
    EXPECT_TRUE(monitors.front().primary);
    EXPECT_GT(monitors.front().width, 0u);

    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IUnknown* probe = nullptr;
    const HRESULT perMonitor = CoCreateInstance(
        CLSID_DesktopWallpaper, nullptr, CLSCTX_ALL, IID_IDesktopWallpaper, reinterpret_cast<void**>(&probe));
    if (probe)
        probe->Release();
    if (SUCCEEDED(perMonitor))
        GTEST_SKIP() << "this Windows has a wallpaper per monitor";

    // The second monitor left of the primary: the desktop's box begins left of the primary's corner.
    platform::Monitor primary, left;
    primary.name = "DISPLAY1";
    primary.width = 40;
    primary.height = 30;
    primary.primary = true;
    left.name = "DISPLAY2";
    left.x = -20;
    left.width = 20;
    left.height = 50;
    WriteJpeg(box.Root() + "\\a.jpg", 80, 60);
    WriteJpeg(box.Root() + "\\b.jpg", 10, 25);
    const platform::WallpaperOutcome outcome = unit.SetMonitorWallpapers(
        {{primary, box.Root() + "\\a.jpg", true, true}, {left, box.Root() + "\\b.jpg", true, true}}, 2);

    const std::string spanned = box.Root() + "\\KAWalllpaper-spanned.bmp";
    const std::string primaryBitmap = Sandbox::Read(box.Root() + "\\KAWalllpaper[DISPLAY1].bmp");
    EXPECT_EQ(QueryDesktop(desktop::WallpaperValue), spanned);
    const std::string bytes = Sandbox::Read(spanned);
    ASSERT_EQ(bytes.size(), 54u + 50u * 180u) << "the bounding box, 60 x 50";
    // The top left pixel of a bottom-up 24-bit bitmap of Height rows of Stride bytes, at column X.
    const auto topRow = [](const std::string& b, std::size_t height, std::size_t stride, std::size_t x) {
        return b.substr(54 + (height - 1) * stride + 3 * x, 3);
    };
    if (IsWindows8OrGreater()) {
        EXPECT_EQ(QueryDesktop(desktop::TileWallpaperValue), "0");
        EXPECT_EQ(QueryDesktop(desktop::WallpaperStyleValue), "22") << "spanned, as Windows 8 and later read it";
        EXPECT_EQ(topRow(bytes, 50, 180, 20), topRow(primaryBitmap, 30, 120, 0)) << "the primary 20 pixels in";
    } else {
        EXPECT_EQ(QueryDesktop(desktop::TileWallpaperValue), "1") << "Windows 7: tiled from the primary's corner";
        EXPECT_EQ(QueryDesktop(desktop::WallpaperStyleValue), "0");
        EXPECT_EQ(topRow(bytes, 50, 180, 0), topRow(primaryBitmap, 30, 120, 0)) << "turned: the primary's corner first";
    }
    EXPECT_EQ(Sandbox::Read(box.Root() + "\\KAWalllpaper.bmp"), primaryBitmap)
        << "the wallpaper bitmap is the primary monitor's";
    char now[MAX_PATH] = "";
    SystemParametersInfoA(SPI_GETDESKWALLPAPER, MAX_PATH, now, 0);
    EXPECT_EQ(std::string(now), spanned) << "Windows names it";
    EXPECT_TRUE(outcome.shown) << outcome.detail;
    ASSERT_EQ(outcome.monitors.size(), 2u);
    EXPECT_TRUE(outcome.monitors[1].shown);
    EXPECT_EQ(outcome.monitors[1].detail,
        "its part of one picture over the whole desktop: this Windows has no wallpaper per monitor "
        "(IDesktopWallpaper: 0x80040154)");
}

} // namespace
