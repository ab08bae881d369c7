// Wallpaper application: the bitmap, the desktop values and their order.
#include "ShellTestSupport.h"
#include "shell/TPublicUnit.h"
#include "support/Sandbox.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
// jerror.h names libjpeg's message numbers.
#include <cstdio>
#include <jerror.h>
#include <jpeglib.h>

using namespace kdx;
using kdx::test::Sandbox;

namespace {

class Wallpaper : public ::testing::Test {
protected:
    Sandbox box;
    TPublicUnit unit;
    test::FakeDesktop desktop;
    test::RecordingRegistry registry;
    test::ServicesWith services {[this](platform::Services& s) {
        s.desktop = &desktop;
        s.registry = &registry;
    }};

    std::string In(const std::string& name) const { return box.Root() + "/" + name; }
    std::string Bitmap() const { return box.DataHome() + "/kaleidra-agent/KAWalllpaper.bmp"; }

    std::string Jpeg(const std::string& name, unsigned w, unsigned h, const std::vector<std::string>& options = {})
    {
        test::WritePpm(In(name + ".ppm"), w, h);
        test::MakeJpeg(In(name + ".ppm"), In(name), options);
        return In(name);
    }

    std::string Value(const char* name)
    {
        const auto key = platform::Native().registry->OpenKey(desktop::Key);
        const auto read = key ? key->QueryString(name) : platform::RegString {};
        return read.status == platform::RegRead::Ok ? read.value : "(absent)";
    }

    std::vector<std::string> Writes() const
    {
        std::vector<std::string> writes;
        for (const std::string& line : registry.log)
            if (line.rfind("set ", 0) == 0)
                writes.push_back(line);
        return writes;
    }
};

TEST_F(Wallpaper, AJpegBecomesTheBitmapThatDjpegWouldWrite)
{
    const std::string jpeg = Jpeg("photo.jpg", 123, 77);
    unit.SetWallpaper(jpeg, 0);
    test::Djpeg(jpeg, In("reference.bmp"));
    EXPECT_EQ(test::PixelDifferences(test::ReadBmp(Bitmap()), test::ReadBmp(In("reference.bmp"))), 0);
    EXPECT_EQ(Value("Wallpaper"), Bitmap());
    EXPECT_EQ(desktop.applied, 1);
}

TEST_F(Wallpaper, EachStyleWritesItsTwoValues)
{
    const std::string jpeg = Jpeg("photo.jpg", 16, 16);
    const struct {
        int style;
        const char* tile;
        const char* wallpaperStyle;
    } cases[] = {{0, "0", "0"}, {1, "1", "0"}, {2, "0", "2"}, {5, "", ""}, {3, "", ""}, {-1, "", ""}};
    for (const auto& c : cases) {
        unit.SetWallpaper(jpeg, c.style);
        EXPECT_EQ(Value("TileWallpaper"), c.tile) << c.style;
        EXPECT_EQ(Value("WallpaperStyle"), c.wallpaperStyle) << c.style;
        EXPECT_EQ(Value("Wallpaper"), Bitmap()) << c.style;
        EXPECT_STREQ(WallpaperStyleTexts(c.style).tile, c.tile);
        EXPECT_STREQ(WallpaperStyleTexts(c.style).style, c.wallpaperStyle);
    }
}

TEST_F(Wallpaper, TheValuesAreWrittenInOrderAndTheKeyClosedBeforeTheSystemIsTold)
{
    const std::string jpeg = Jpeg("photo.jpg", 16, 16);
    std::vector<std::string> logWhenTold;
    desktop.onApply = [&] { logWhenTold = registry.log; };
    unit.SetWallpaper(jpeg, 2);
    EXPECT_EQ(logWhenTold,
        std::vector<std::string>({"open Control Panel\\DeskTop", "set TileWallpaper=0", "set Wallpaper=" + Bitmap(),
            "set WallpaperStyle=2", "close Control Panel\\DeskTop"}));
}

TEST_F(Wallpaper, WithoutTheKeyNothingIsMadeButTheSystemIsTold)
{
    registry.refuseOpen = true;
    unit.SetWallpaper(Jpeg("photo.jpg", 16, 16), 1);
    EXPECT_FALSE(Sandbox::Exists(Bitmap()));
    EXPECT_TRUE(Writes().empty());
    EXPECT_EQ(desktop.applied, 1);
}

TEST_F(Wallpaper, TheExtensionTestIgnoresCase)
{
    const std::string jpeg = Jpeg("photo.jpg", 30, 20);
    std::filesystem::copy_file(jpeg, In("PHOTO.JPG"));
    std::filesystem::copy_file(jpeg, In("Photo.Jpeg"));
    test::Djpeg(jpeg, In("reference.bmp"));
    for (const char* name : {"PHOTO.JPG", "Photo.Jpeg"}) {
        unit.MakeWallpaperBitmap(In(name));
        EXPECT_EQ(test::PixelDifferences(test::ReadBmp(Bitmap()), test::ReadBmp(In("reference.bmp"))), 0) << name;
    }
}

TEST_F(Wallpaper, AnyOtherPictureIsCopiedByteForByte)
{
    const std::string jpeg = Jpeg("photo.jpg", 30, 20);
    std::filesystem::copy_file(jpeg, In("photo.jpe"));
    Sandbox::Write(In("photo.png"), std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    test::WriteBmp24(In("photo.bmp"), 5, 3, [](unsigned x, unsigned y) { return x * 0x102030u + y; });
    for (const char* name : {"photo.jpe", "photo.png", "photo.bmp"}) {
        unit.SetWallpaper(In(name), 0);
        EXPECT_EQ(Sandbox::Read(Bitmap()), Sandbox::Read(In(name))) << name;
        EXPECT_EQ(Value("Wallpaper"), Bitmap());
    }
}

TEST_F(Wallpaper, TwoPicturesInTurnLeaveOneBitmapHoldingTheSecond)
{
    const std::string first = Jpeg("first.jpg", 40, 30);
    const std::string second = Jpeg("second.jpg", 33, 21, {"-progressive"});
    unit.SetWallpaper(first, 0);
    const std::string named = Value("Wallpaper");
    unit.SetWallpaper(second, 0);
    EXPECT_EQ(Value("Wallpaper"), named);
    test::Djpeg(second, In("second.bmp"));
    EXPECT_EQ(test::PixelDifferences(test::ReadBmp(Bitmap()), test::ReadBmp(In("second.bmp"))), 0);
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(box.DataHome() + "/kaleidra-agent"))
        files.push_back(entry.path().filename().string());
    EXPECT_EQ(files, std::vector<std::string>({"KAWalllpaper.bmp"}));
}

TEST_F(Wallpaper, AMissingJpegCannotBeOpened)
{
    EXPECT_EQ(test::ErrorOf([&] { unit.SetWallpaper(In("gone.jpg"), 0); }), "Cannot open file " + In("gone.jpg"));
    EXPECT_TRUE(Writes().empty());
    EXPECT_EQ(desktop.applied, 0);
}

TEST_F(Wallpaper, AMissingPictureOfAnyOtherKindIsReportedToo)
{
    // Mended: a copy that cannot be made no longer ends in "success" naming a missing bitmap.
    EXPECT_EQ(test::ErrorOf([&] { unit.SetWallpaper(In("gone.bmp"), 0); }), "Cannot open file " + In("gone.bmp"));
    EXPECT_TRUE(Writes().empty());
    EXPECT_EQ(desktop.applied, 0);
}

// A named pipe in the wallpaper list held the agent at its start for good; /dev/zero was blamed on
// the bitmap ("Cannot create file .../KAWalllpaper.bmp"). Both name the picture and what it is.
TEST_F(Wallpaper, WhatIsNoFileIsNamedAtOnceAndTheOldWallpaperStays)
{
    const std::string good = Jpeg("good.jpg", 40, 30);
    unit.SetWallpaper(good, 0);
    const std::string before = Sandbox::Read(Bitmap());
    registry.log.clear();
    desktop.applied = 0;
    ASSERT_EQ(mkfifo(In("pipe.jpg").c_str(), 0644), 0);
    ASSERT_EQ(mkfifo(In("pipe.bmp").c_str(), 0644), 0);
    EXPECT_EQ(test::ErrorOf([&] { unit.SetWallpaper(In("pipe.jpg"), 0); }),
        "Cannot open file " + In("pipe.jpg") + ": it is a named pipe, not a file");
    EXPECT_EQ(test::ErrorOf([&] { unit.SetWallpaper(In("pipe.bmp"), 0); }),
        "Cannot open file " + In("pipe.bmp") + ": it is a named pipe, not a file");
    EXPECT_EQ(test::ErrorOf([&] { unit.SetWallpaper("/dev/zero", 0); }),
        "Cannot open file /dev/zero: it is a device, not a file");
    EXPECT_TRUE(Writes().empty());
    EXPECT_EQ(desktop.applied, 0);
    EXPECT_EQ(Sandbox::Read(Bitmap()), before);
}

TEST_F(Wallpaper, ADamagedPictureKeepsTheOldWallpaper)
{
    const std::string good = Jpeg("good.jpg", 40, 30);
    unit.SetWallpaper(good, 0);
    const std::string before = Sandbox::Read(Bitmap());
    registry.log.clear();
    desktop.applied = 0;

    Sandbox::Write(In("bad.jpg"), "\xFF\xD8\xFF\xE0 broken");
    const std::string error = test::ErrorOf([&] { unit.SetWallpaper(In("bad.jpg"), 1); });
    EXPECT_EQ(error.rfind("The picture " + In("bad.jpg") + " cannot be shown: it is damaged (", 0), 0u) << error;
    EXPECT_TRUE(Writes().empty()) << "the registry is not written";
    EXPECT_EQ(desktop.applied, 0) << "the system is not told";
    // Mended: the old bitmap is replaced only by a complete new one.
    EXPECT_EQ(Sandbox::Read(Bitmap()), before);
    EXPECT_FALSE(Sandbox::Exists(Bitmap() + ".part"));
}

TEST_F(Wallpaper, ABitmapThatCannotBeCreatedSaysSo)
{
    test::FakeSystem system;
    system.windowsDir = In("no/such/folder");
    test::ServicesWith more([&](platform::Services& s) {
        s.desktop = &desktop;
        s.registry = &registry;
        s.system = &system;
    });
    const std::string bitmap = In("no/such/folder/KAWalllpaper.bmp");
    EXPECT_EQ(test::ErrorOf([&] { unit.SetWallpaper(Jpeg("photo.jpg", 16, 16), 0); }), "Cannot create file " + bitmap);
    test::WriteBmp24(In("photo.bmp"), 2, 2, [](unsigned, unsigned) { return 0u; });
    EXPECT_EQ(test::ErrorOf([&] { unit.SetWallpaper(In("photo.bmp"), 0); }), "Cannot create file " + bitmap);
    EXPECT_TRUE(Writes().empty());
    EXPECT_EQ(desktop.applied, 0);
}

TEST_F(Wallpaper, AReadOnlyOldBitmapIsReportedNotKeptSilently)
{
    const std::string jpeg = Jpeg("photo.jpg", 16, 16);
    unit.SetWallpaper(jpeg, 0);
    const std::string before = Sandbox::Read(Bitmap());
    chmod(Bitmap().c_str(), 0444); // the Windows read-only attribute, honoured even for root
    EXPECT_EQ(
        test::ErrorOf([&] { unit.SetWallpaper(Jpeg("other.jpg", 20, 20), 0); }), "Cannot create file " + Bitmap());
    EXPECT_EQ(Sandbox::Read(Bitmap()), before);
    EXPECT_FALSE(Sandbox::Exists(Bitmap() + ".part"));
}

TEST_F(Wallpaper, AValueThatCannotBeWrittenStopsTheApplication)
{
    registry.failValue = "Wallpaper";
    EXPECT_EQ(
        test::ErrorOf([&] { unit.SetWallpaper(Jpeg("photo.jpg", 16, 16), 2); }), "Failed to set data for 'Wallpaper'");
    EXPECT_EQ(Writes(), std::vector<std::string>({"set TileWallpaper=0", "set Wallpaper=" + Bitmap()}));
    EXPECT_EQ(desktop.applied, 0);
}

TEST_F(Wallpaper, WithoutAWindowsFolderTheBitmapIsAtTheRoot)
{
    test::FakeSystem system;
    system.windowsDir = "";
    test::ServicesWith more([&](platform::Services& s) { s.system = &system; });
    EXPECT_EQ(unit.WallpaperBitmapPath(), "/KAWalllpaper.bmp");
}

TEST_F(Wallpaper, OnLinuxTheDesktopKeyIsThereFromTheStart)
{
    // Every Windows user has "Control Panel\Desktop"; the registry stand-in makes it on first
    // opening, so the wallpaper works for a new user.
    EXPECT_TRUE(platform::Native().registry->OpenKey(desktop::Key));
    EXPECT_FALSE(platform::Native().registry->OpenKey("Control Panel\\Other"));
}

} // namespace
