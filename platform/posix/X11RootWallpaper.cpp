#include "X11RootWallpaper.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sys/mman.h>
#include <vector>

namespace kdx::platform::posix {

namespace {

// Collects X errors instead of Xlib's default of ending the program, for as long as it lives,
// then puts the previous handler back. Errors are counted only after an XSync.
class ErrorTrap {
public:
    ErrorTrap() : previous_(XSetErrorHandler(Count)) { errors_ = 0; }
    ~ErrorTrap() { XSetErrorHandler(previous_); }
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

    bool Failed(Display* display)
    {
        XSync(display, False);
        return errors_ != 0;
    }

private:
    static int Count(Display*, XErrorEvent*)
    {
        ++errors_;
        return 0;
    }
    static inline int errors_ = 0;
    XErrorHandler previous_;
};

struct DisplayCloser {
    void operator()(Display* d) const { XCloseDisplay(d); }
};

// The image's pixels belong to a ScreenBuffer, so only the structure goes.
struct ImageDestroyer {
    void operator()(XImage* image) const
    {
        image->data = nullptr;
        XDestroyImage(image);
    }
};

// Zeroed memory for a screen-sized image, its pages made at once: faulting them in one by one
// cost more than drawing the picture.
struct ScreenBuffer {
    explicit ScreenBuffer(std::size_t bytes) : size(bytes)
    {
        void* map = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
        data = map == MAP_FAILED ? nullptr : static_cast<char*>(map);
    }
    ~ScreenBuffer()
    {
        if (data)
            munmap(data, size);
    }
    ScreenBuffer(const ScreenBuffer&) = delete;
    ScreenBuffer& operator=(const ScreenBuffer&) = delete;

    std::size_t size;
    char* data;
};

// The picture's pixel for each screen pixel, by layout; -1 where the screen stays black.
class Layout {
public:
    Layout(unsigned pictureW, unsigned pictureH, unsigned screenW, unsigned screenH, WallpaperLayout layout)
        : pw_(pictureW), ph_(pictureH), layout_(layout)
    {
        double scaleX = 1, scaleY = 1;
        if (layout == WallpaperLayout::Stretch) {
            scaleX = double(screenW) / pw_;
            scaleY = double(screenH) / ph_;
        } else if (layout == WallpaperLayout::Fit || layout == WallpaperLayout::Fill) {
            const double x = double(screenW) / pw_, y = double(screenH) / ph_;
            scaleX = scaleY = layout == WallpaperLayout::Fit ? std::min(x, y) : std::max(x, y);
        }
        stepX_ = 1 / scaleX;
        stepY_ = 1 / scaleY;
        // Where the picture's top left corner lands, in screen pixels (negative when cropped).
        left_ = (double(screenW) - pw_ * scaleX) / 2;
        top_ = (double(screenH) - ph_ * scaleY) / 2;
        if (layout == WallpaperLayout::Tile || layout == WallpaperLayout::Stretch)
            left_ = top_ = 0;
    }

    // Source column or row for a screen column or row; -1 outside the picture.
    long SourceX(unsigned x) const { return Source(x, left_, stepX_, pw_); }
    long SourceY(unsigned y) const { return Source(y, top_, stepY_, ph_); }

private:
    long Source(unsigned at, double origin, double step, unsigned size) const
    {
        if (layout_ == WallpaperLayout::Tile)
            return long(at % size);
        // Sampled at the screen pixel's centre.
        const double s = (at + 0.5 - origin) * step;
        if (s < 0)
            return -1;
        const long i = long(s);
        return i < long(size) ? i : -1;
    }

    unsigned pw_, ph_;
    WallpaperLayout layout_;
    double stepX_ = 1, stepY_ = 1, left_ = 0, top_ = 0;
};

// A TrueColor channel: where its bits sit in a pixel value.
struct Channel {
    unsigned long mask;
    int shift = 0, bits = 0;
    explicit Channel(unsigned long m) : mask(m)
    {
        while (mask && !(mask >> shift & 1))
            ++shift;
        while (shift + bits < int(sizeof(long) * 8) && (mask >> (shift + bits) & 1))
            ++bits;
    }
    unsigned long Of(unsigned value8) const
    {
        const unsigned long scaled = bits >= 8 ? value8 << (bits - 8) : value8 >> (8 - bits);
        return (scaled << shift) & mask;
    }
};

// The screen value of each 8-bit level of one TrueColor channel.
std::array<unsigned long, 256> ChannelTable(unsigned long mask)
{
    const Channel channel(mask);
    std::array<unsigned long, 256> table {};
    for (unsigned level = 0; level < 256; ++level)
        table[level] = channel.Of(level);
    return table;
}

// True when a pixel of the image is one native 32-bit word, which is then written directly.
bool HasNativeWords(const XImage& image)
{
    const std::uint16_t probe = 1;
    const bool littleEndian = *reinterpret_cast<const std::uint8_t*>(&probe) == 1;
    return image.bits_per_pixel == 32 && image.byte_order == (littleEndian ? LSBFirst : MSBFirst);
}

// Draws the picture into the screen-sized image. A screen pixel that samples the same picture
// pixel as its left neighbour, or a row that samples the same picture row as the one above, is
// a copy, which a stretched picture has plenty of.
void FillImage(XImage& image, const Visual& visual, const BmpImage& picture, const Layout& place)
{
    const auto red = ChannelTable(visual.red_mask);
    const auto green = ChannelTable(visual.green_mask);
    const auto blue = ChannelTable(visual.blue_mask);
    const unsigned width = unsigned(image.width), height = unsigned(image.height);
    const std::size_t rowBytes = std::size_t(image.bytes_per_line);
    const bool words = HasNativeWords(image);
    std::vector<long> columns(width);
    for (unsigned x = 0; x < width; ++x)
        columns[x] = place.SourceX(x);
    long previousRow = -1;
    for (unsigned y = 0; y < height; ++y) {
        const long sy = place.SourceY(y);
        char* row = image.data + y * rowBytes;
        if (sy < 0) { // the fresh row is black already
            previousRow = -1;
            continue;
        }
        if (sy == previousRow) {
            std::memcpy(row, row - rowBytes, rowBytes);
            continue;
        }
        previousRow = sy;
        long previousColumn = -1;
        unsigned long value = 0;
        for (unsigned x = 0; x < width; ++x) {
            if (columns[x] < 0)
                continue;
            if (columns[x] != previousColumn) {
                previousColumn = columns[x];
                const std::uint32_t rgb = picture.Pixel(unsigned(columns[x]), unsigned(sy));
                value = red[rgb >> 16 & 0xFF] | green[rgb >> 8 & 0xFF] | blue[rgb & 0xFF];
            }
            if (words)
                reinterpret_cast<std::uint32_t*>(row)[x] = std::uint32_t(value);
            else
                XPutPixel(&image, int(x), int(y), value);
        }
    }
}

Pixmap PixmapProperty(Display* display, Window root, Atom property)
{
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    Pixmap result = None;
    if (XGetWindowProperty(display, root, property, 0, 1, False, XA_PIXMAP, &type, &format, &items, &after, &data)
            == Success
        && type == XA_PIXMAP && format == 32 && items == 1 && data)
        result = *reinterpret_cast<Pixmap*>(data);
    if (data)
        XFree(data);
    return result;
}

} // namespace

bool SetRootWallpaper(const BmpImage& picture, WallpaperLayout layout)
{
    if (picture.Width() == 0 || picture.Height() == 0)
        return false;
    // The trap outlives the connection: closing it flushes the last requests, whose errors
    // must not reach Xlib's default handler, which ends the program.
    ErrorTrap trap;
    std::unique_ptr<Display, DisplayCloser> connection(XOpenDisplay(nullptr));
    Display* display = connection.get();
    if (!display)
        return false;
    const int screen = DefaultScreen(display);
    const Window root = RootWindow(display, screen);
    const unsigned width = unsigned(DisplayWidth(display, screen));
    const unsigned height = unsigned(DisplayHeight(display, screen));
    const int depth = DefaultDepth(display, screen);
    Visual* visual = DefaultVisual(display, screen);
    if (visual->c_class != TrueColor || width == 0 || height == 0)
        return false;

    std::unique_ptr<XImage, ImageDestroyer> image(
        XCreateImage(display, visual, unsigned(depth), ZPixmap, 0, nullptr, width, height, 32, 0));
    if (!image)
        return false;
    ScreenBuffer buffer(std::size_t(image->bytes_per_line) * height);
    if (!buffer.data)
        return false;
    image->data = buffer.data;
    FillImage(*image, *visual, picture, Layout(picture.Width(), picture.Height(), width, height, layout));

    const Pixmap pixmap = XCreatePixmap(display, root, width, height, unsigned(depth));
    GC gc = XCreateGC(display, pixmap, 0, nullptr);
    XPutImage(display, pixmap, gc, image.get(), 0, 0, 0, 0, width, height);
    XFreeGC(display, gc);
    image.reset();
    if (trap.Failed(display)) {
        XFreePixmap(display, pixmap);
        return false;
    }

    // The previous picture's pixmap lives on in the client that kept it; when both properties
    // name it, it was set this way, and ending that client frees it.
    const Atom rootPixmap = XInternAtom(display, "_XROOTPMAP_ID", False);
    const Atom esetrootPixmap = XInternAtom(display, "ESETROOT_PMAP_ID", False);
    const Pixmap old = PixmapProperty(display, root, rootPixmap);
    if (old != None && old == PixmapProperty(display, root, esetrootPixmap))
        XKillClient(display, old);
    trap.Failed(display); // a stale id is no reason to stop

    for (const Atom property : {rootPixmap, esetrootPixmap})
        XChangeProperty(display, root, property, XA_PIXMAP, 32, PropModeReplace,
            reinterpret_cast<const unsigned char*>(&pixmap), 1);
    XSetWindowBackgroundPixmap(display, root, pixmap);
    XClearWindow(display, root);
    if (trap.Failed(display))
        return false;
    XSetCloseDownMode(display, RetainPermanent);
    return true;
}

} // namespace kdx::platform::posix
