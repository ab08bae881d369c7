#pragma once
#include "WallpaperRoute.h"
#include "platform/posix/files/BmpImage.h"

#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace kdx::platform::posix {

// Makes the picture the background of the X root window of the default screen of $DISPLAY,
// the way xsetroot-style tools do, so a plain X session (or Xvfb) shows it and a test can
// read it back: a pixmap with the picture laid out, set as the root window's background and
// published as _XROOTPMAP_ID and ESETROOT_PMAP_ID (for terminals and panels that draw the
// desktop behind them), kept after the connection closes (RetainPermanent). The pixmap of the
// previous such call is freed through the client that kept it, when both properties name it.
// False when there is no display, the screen is not TrueColor, or the server refused.
bool SetRootWallpaper(const BmpImage& picture, WallpaperLayout layout);

// One picture of several on the root window: laid out on the rectangle at X, Y of Width x Height
// (a monitor's), or on the whole screen when the size is 0.
struct RootPicture {
    const BmpImage* picture = nullptr;
    long x = 0, y = 0;
    unsigned width = 0, height = 0;
};

// The same with a picture per rectangle, black elsewhere; a rectangle reaching past the screen
// is drawn as far as the screen goes.
bool SetRootWallpaper(const std::vector<RootPicture>& pictures, WallpaperLayout layout);

// Draws bitmap files on the root window with SetRootWallpaper on a thread of its own, so that a
// wallpaper change does not hold up the agent's window: drawing a screenful takes tens of
// milliseconds. One drawing at a time, in the order asked; the last one is waited for at the end.
class RootPainter {
public:
    RootPainter() = default;
    ~RootPainter();
    RootPainter(const RootPainter&) = delete;
    RootPainter& operator=(const RootPainter&) = delete;

    // Starts drawing the bitmap file once the previous drawing is done.
    void Paint(const std::string& bitmap, WallpaperLayout layout);
    // The same with each bitmap stretched over its monitor, black between them.
    void PaintMonitors(const std::vector<std::pair<std::string, Monitor>>& bitmaps);
    // Returns once the last drawing is done.
    void Wait();

private:
    std::thread worker_;
};

} // namespace kdx::platform::posix
