// The wallpaper on a plain X server (Xvfb): the whole road from a picture to the root window,
// read back from the server.
#include "platform/posix/wallpaper/X11RootWallpaper.h"
#include "ShellTestSupport.h"
#include "platform/Platform.h"
#include "platform/posix/files/BmpImage.h"
#include "platform/posix/wallpaper/PosixDesktop.h"
#include "shell/TPublicUnit.h"
#include "support/Sandbox.h"

#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
// After GoogleTest, whose templates use names that Xlib defines as macros (None, Bool).
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

using namespace kdx;
using kdx::test::Sandbox;

extern char** environ;

namespace {

constexpr std::uint32_t Red = 0xFF0000, Green = 0x00FF00, Blue = 0x0000FF, Yellow = 0xFFFF00, Black = 0;

// What the X server shows on the root window, and what it says about its background.
class Screen {
public:
    Screen() : display_(XOpenDisplay(nullptr)) { }
    ~Screen()
    {
        if (image_)
            XDestroyImage(image_);
        if (display_)
            XCloseDisplay(display_);
    }
    Screen(const Screen&) = delete;
    Screen& operator=(const Screen&) = delete;

    bool Open() const { return display_ != nullptr; }
    ::Display* Connection() const { return display_; }
    unsigned Width() const { return unsigned(DisplayWidth(display_, DefaultScreen(display_))); }
    unsigned Height() const { return unsigned(DisplayHeight(display_, DefaultScreen(display_))); }

    void Capture()
    {
        if (image_)
            XDestroyImage(image_);
        image_ = XGetImage(display_, DefaultRootWindow(display_), 0, 0, Width(), Height(), AllPlanes, ZPixmap);
    }

    std::uint32_t At(unsigned x, unsigned y) const
    {
        const unsigned long v = XGetPixel(image_, int(x), int(y));
        const Visual* visual = DefaultVisual(display_, DefaultScreen(display_));
        return std::uint32_t(
            Channel(v, visual->red_mask) << 16 | Channel(v, visual->green_mask) << 8 | Channel(v, visual->blue_mask));
    }

    Pixmap Property(const char* name) const
    {
        const Atom atom = XInternAtom(display_, name, True);
        Atom type = None;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        Pixmap result = None;
        if (atom != None
            && XGetWindowProperty(display_, DefaultRootWindow(display_), atom, 0, 1, False, XA_PIXMAP, &type, &format,
                   &items, &after, &data)
                == Success
            && type == XA_PIXMAP && items == 1)
            result = *reinterpret_cast<Pixmap*>(data);
        if (data)
            XFree(data);
        return result;
    }

    // Whether the server still knows the pixmap.
    bool Exists(Pixmap pixmap) const
    {
        static int errors;
        errors = 0;
        const auto previous = XSetErrorHandler([](Display*, XErrorEvent*) {
            ++errors;
            return 0;
        });
        Window root;
        int x, y;
        unsigned w, h, border, depth;
        XGetGeometry(display_, pixmap, &root, &x, &y, &w, &h, &border, &depth);
        XSync(display_, False);
        XSetErrorHandler(previous);
        return errors == 0;
    }

private:
    static unsigned Channel(unsigned long v, unsigned long mask)
    {
        int shift = 0;
        while (mask && !(mask >> shift & 1))
            ++shift;
        const unsigned long bits = mask >> shift;
        return unsigned(((v & mask) >> shift) * 255 / (bits ? bits : 1));
    }

    Display* display_;
    XImage* image_ = nullptr;
};

// An X server of its own with a 16-bit (5-6-5) screen, where a pixel is two bytes.
class SixteenBitServer {
public:
    SixteenBitServer()
    {
        int channel[2];
        if (pipe(channel) != 0)
            return;
        std::string fd = std::to_string(channel[1]);
        char program[] = "Xvfb", displayfd[] = "-displayfd", screen[] = "-screen", zero[] = "0",
             geometry[] = "160x120x16", nolisten[] = "-nolisten", tcp[] = "tcp";
        char* argv[] = {program, displayfd, fd.data(), screen, zero, geometry, nolisten, tcp, nullptr};
        if (posix_spawnp(&pid_, program, nullptr, nullptr, argv, environ) != 0)
            pid_ = 0;
        close(channel[1]);
        char c;
        while (pid_ > 0 && read(channel[0], &c, 1) == 1 && c != '\n')
            number_ += c;
        close(channel[0]);
    }
    ~SixteenBitServer()
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    SixteenBitServer(const SixteenBitServer&) = delete;
    SixteenBitServer& operator=(const SixteenBitServer&) = delete;

    // Its display name, or empty when it did not start.
    std::string Name() const { return number_.empty() ? std::string() : ":" + number_; }

private:
    pid_t pid_ = 0;
    std::string number_;
};

class RootWallpaper : public ::testing::Test {
protected:
    Sandbox box;
    TPublicUnit unit;
    Screen screen;

    void SetUp() override
    {
        ASSERT_TRUE(std::getenv("DISPLAY")) << "run under an X server (scripts/test runs this under Xvfb)";
        ASSERT_TRUE(screen.Open());
        box.SetEnv("XDG_CURRENT_DESKTOP", ""); // a plain X session: the root window fallback
    }

    // The picture through the whole road, and then drawn: the root window is drawn while the
    // agent goes on.
    void SetWallpaper(const std::string& picture, int style)
    {
        const platform::WallpaperOutcome outcome = unit.SetWallpaper(picture, style);
        EXPECT_TRUE(outcome.shown) << outcome.detail;
        dynamic_cast<platform::posix::PosixDesktop&>(*platform::Current().desktop).WaitForDrawing();
    }

    // 64 x 48 in four quadrants: red, green / blue, yellow.
    std::string Quadrants()
    {
        const std::string path = box.Root() + "/quadrants.bmp";
        test::WriteBmp24(path, 64, 48,
            [](unsigned x, unsigned y) { return y < 24 ? (x < 32 ? Red : Green) : (x < 32 ? Blue : Yellow); });
        return path;
    }
};

TEST_F(RootWallpaper, CentredAtItsOwnSizeOnBlack)
{
    SetWallpaper(Quadrants(), 0);
    screen.Capture();
    const unsigned left = (screen.Width() - 64) / 2, top = (screen.Height() - 48) / 2;
    EXPECT_EQ(screen.At(left, top), Red);
    EXPECT_EQ(screen.At(left + 63, top), Green);
    EXPECT_EQ(screen.At(left, top + 47), Blue);
    EXPECT_EQ(screen.At(left + 63, top + 47), Yellow);
    EXPECT_EQ(screen.At(left - 1, top), Black);
    EXPECT_EQ(screen.At(left + 64, top + 47), Black);
    EXPECT_EQ(screen.At(0, 0), Black);
}

TEST_F(RootWallpaper, TiledFromTheTopLeftCorner)
{
    SetWallpaper(Quadrants(), 1);
    screen.Capture();
    EXPECT_EQ(screen.At(0, 0), Red);
    EXPECT_EQ(screen.At(32, 0), Green);
    EXPECT_EQ(screen.At(64, 0), Red);
    EXPECT_EQ(screen.At(64 + 32, 48 + 24), Yellow);
    EXPECT_EQ(screen.At(screen.Width() - 1, screen.Height() - 1),
        ((screen.Height() - 1) % 48 < 24 ? ((screen.Width() - 1) % 64 < 32 ? Red : Green)
                                         : ((screen.Width() - 1) % 64 < 32 ? Blue : Yellow)));
}

TEST_F(RootWallpaper, StretchedOverTheWholeScreen)
{
    SetWallpaper(Quadrants(), 2);
    screen.Capture();
    const unsigned w = screen.Width(), h = screen.Height();
    EXPECT_EQ(screen.At(0, 0), Red);
    EXPECT_EQ(screen.At(w - 1, 0), Green);
    EXPECT_EQ(screen.At(0, h - 1), Blue);
    EXPECT_EQ(screen.At(w - 1, h - 1), Yellow);
    EXPECT_EQ(screen.At(w / 2 - 2, h / 2 - 2), Red);
    EXPECT_EQ(screen.At(w / 2 + 1, h / 2 + 1), Yellow);
}

TEST_F(RootWallpaper, AJpegShowsAsItsDecodedBitmap)
{
    test::WritePpm(box.Root() + "/photo.ppm", 300, 200);
    test::MakeJpeg(box.Root() + "/photo.ppm", box.Root() + "/photo.jpg");
    SetWallpaper(box.Root() + "/photo.jpg", 0);
    const test::Picture bitmap = test::ReadBmp(unit.WallpaperBitmapPath());
    ASSERT_TRUE(bitmap.ok);
    screen.Capture();
    const unsigned left = (screen.Width() - 300) / 2, top = (screen.Height() - 200) / 2;
    long differ = 0;
    for (unsigned y = 0; y < 200; ++y)
        for (unsigned x = 0; x < 300; ++x)
            differ += screen.At(left + x, top + y) != bitmap.At(x, y);
    EXPECT_EQ(differ, 0);
}

TEST_F(RootWallpaper, ThePixmapIsPublishedAndThePreviousOneFreed)
{
    SetWallpaper(Quadrants(), 0);
    const Pixmap first = screen.Property("_XROOTPMAP_ID");
    ASSERT_NE(first, Pixmap(None));
    EXPECT_EQ(screen.Property("ESETROOT_PMAP_ID"), first);
    EXPECT_TRUE(screen.Exists(first)) << "kept after the agent's connection closed";

    SetWallpaper(Quadrants(), 1);
    const Pixmap second = screen.Property("_XROOTPMAP_ID");
    EXPECT_NE(second, first);
    EXPECT_EQ(screen.Property("ESETROOT_PMAP_ID"), second);
    EXPECT_TRUE(screen.Exists(second));
    EXPECT_FALSE(screen.Exists(first)) << "the previous picture's pixmap is freed";
}

TEST_F(RootWallpaper, APictureThatIsNoBitmapLeavesTheScreenAlone)
{
    SetWallpaper(Quadrants(), 1);
    const Pixmap before = screen.Property("_XROOTPMAP_ID");
    Sandbox::Write(box.Root() + "/picture.png", std::string("\x89PNG\r\n\x1a\n", 8));
    SetWallpaper(box.Root() + "/picture.png", 0);
    EXPECT_EQ(screen.Property("_XROOTPMAP_ID"), before);
    screen.Capture();
    EXPECT_EQ(screen.At(0, 0), Red);
}

TEST_F(RootWallpaper, OnASixteenBitScreenTheColoursComeOutTheSame)
{
    const SixteenBitServer server;
    ASSERT_FALSE(server.Name().empty()) << "Xvfb did not start";
    box.SetEnv("DISPLAY", server.Name());
    Screen small;
    ASSERT_TRUE(small.Open());
    ASSERT_EQ(DefaultDepth(small.Connection(), 0), 16);
    platform::posix::BmpImage picture;
    ASSERT_TRUE(picture.Open(Quadrants()));
    ASSERT_TRUE(platform::posix::SetRootWallpaper(picture, platform::posix::WallpaperLayout::Center));
    small.Capture();
    const unsigned left = (160 - 64) / 2, top = (120 - 48) / 2;
    EXPECT_EQ(small.At(left, top), Red);
    EXPECT_EQ(small.At(left + 63, top), Green);
    EXPECT_EQ(small.At(left, top + 47), Blue);
    EXPECT_EQ(small.At(left + 63, top + 47), Yellow);
    EXPECT_EQ(small.At(left - 1, top), Black);
    EXPECT_EQ(small.At(159, 119), Black);
}

} // namespace
