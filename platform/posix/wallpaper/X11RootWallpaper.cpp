#include "X11RootWallpaper.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sys/mman.h>
#include <vector>

// Drawn through XCB, whose errors come back per request, so the drawing may run on a thread of
// its own beside the agent's other X traffic without any process-wide error handler.

namespace kdx::platform::posix {

namespace {

struct Disconnect {
    void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};
using Connection = std::unique_ptr<xcb_connection_t, Disconnect>;

// Zeroed memory for a screen-sized image, its pages made at once: faulting them in one by one
// cost more than drawing the picture.
struct ScreenBuffer {
    explicit ScreenBuffer(std::size_t bytes) : size(bytes)
    {
        void* map = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
        data = map == MAP_FAILED ? nullptr : static_cast<std::uint8_t*>(map);
    }
    ~ScreenBuffer()
    {
        if (data)
            munmap(data, size);
    }
    ScreenBuffer(const ScreenBuffer&) = delete;
    ScreenBuffer& operator=(const ScreenBuffer&) = delete;

    std::size_t size;
    std::uint8_t* data;
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

// How the server stores a pixel of the root window's depth: TrueColor channel masks, bits per
// pixel, row padding and byte order.
struct PixelFormat {
    unsigned long redMask = 0, greenMask = 0, blueMask = 0;
    unsigned bitsPerPixel = 0, scanlinePad = 0;
    bool msbFirst = false;

    std::size_t RowBytes(unsigned width) const
    {
        const std::size_t bits = std::size_t(width) * bitsPerPixel;
        return (bits + scanlinePad - 1) / scanlinePad * scanlinePad / 8;
    }
};

bool FindTrueColor(const xcb_screen_t& screen, PixelFormat& format)
{
    for (auto depths = xcb_screen_allowed_depths_iterator(&screen); depths.rem; xcb_depth_next(&depths))
        for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem; xcb_visualtype_next(&visuals))
            if (visuals.data->visual_id == screen.root_visual) {
                format.redMask = visuals.data->red_mask;
                format.greenMask = visuals.data->green_mask;
                format.blueMask = visuals.data->blue_mask;
                return visuals.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR;
            }
    return false;
}

// False for a root window that is not TrueColor in 16, 24 or 32 bits per pixel.
bool FindPixelFormat(const xcb_setup_t& setup, const xcb_screen_t& screen, PixelFormat& format)
{
    if (!FindTrueColor(screen, format))
        return false;
    for (auto formats = xcb_setup_pixmap_formats_iterator(&setup); formats.rem; xcb_format_next(&formats))
        if (formats.data->depth == screen.root_depth) {
            format.bitsPerPixel = formats.data->bits_per_pixel;
            format.scanlinePad = formats.data->scanline_pad;
        }
    format.msbFirst = setup.image_byte_order == XCB_IMAGE_ORDER_MSB_FIRST;
    const unsigned bpp = format.bitsPerPixel;
    return (bpp == 16 || bpp == 24 || bpp == 32) && format.scanlinePad >= 8 && format.scanlinePad % 8 == 0;
}

bool HostIsMsbFirst()
{
    const std::uint16_t probe = 1;
    return *reinterpret_cast<const std::uint8_t*>(&probe) == 0;
}

void StorePixel(std::uint8_t* row, unsigned x, unsigned long value, const PixelFormat& format)
{
    const unsigned bytes = format.bitsPerPixel / 8;
    std::uint8_t* at = row + std::size_t(x) * bytes;
    for (unsigned i = 0; i < bytes; ++i)
        at[i] = std::uint8_t(value >> (8 * (format.msbFirst ? bytes - 1 - i : i)));
}

// The part of the screen a picture is laid out on: the whole screen, or one monitor (which may
// reach past the screen's edges; what lies beyond is not drawn).
struct Region {
    long x = 0, y = 0;
    unsigned width = 0, height = 0;
};

// Draws the picture into its region of the screen-sized image. A screen pixel that samples the
// same picture pixel as its left neighbour, or a row that samples the same picture row as the one
// above, is a copy, which a stretched picture has plenty of.
void FillImage(std::uint8_t* image, unsigned width, unsigned height, const PixelFormat& format, const BmpImage& picture,
    const Region& region, const Layout& place)
{
    const auto red = ChannelTable(format.redMask);
    const auto green = ChannelTable(format.greenMask);
    const auto blue = ChannelTable(format.blueMask);
    const std::size_t rowBytes = format.RowBytes(width);
    const bool words = format.bitsPerPixel == 32 && format.msbFirst == HostIsMsbFirst();
    const long left = std::max(0L, region.x), right = std::min(long(width), region.x + long(region.width));
    const long top = std::max(0L, region.y), bottom = std::min(long(height), region.y + long(region.height));
    if (left >= right || top >= bottom)
        return;
    const std::size_t pixelBytes = format.bitsPerPixel / 8;
    std::vector<long> columns(width, -1);
    for (long x = left; x < right; ++x)
        columns[std::size_t(x)] = place.SourceX(unsigned(x - region.x));
    long previousRow = -1;
    for (long y = top; y < bottom; ++y) {
        const long sy = place.SourceY(unsigned(y - region.y));
        std::uint8_t* row = image + std::size_t(y) * rowBytes;
        if (sy < 0) { // the fresh row is black already
            previousRow = -1;
            continue;
        }
        if (sy == previousRow) {
            std::memcpy(
                row + left * pixelBytes, row - rowBytes + left * pixelBytes, std::size_t(right - left) * pixelBytes);
            continue;
        }
        previousRow = sy;
        long previousColumn = -1;
        unsigned long value = 0;
        for (unsigned x = unsigned(left); x < unsigned(right); ++x) {
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
                StorePixel(row, x, value, format);
        }
    }
}

// True when the server carried out the request; its error, if any, is taken off the queue.
bool Done(xcb_connection_t* connection, xcb_void_cookie_t cookie)
{
    xcb_generic_error_t* error = xcb_request_check(connection, cookie);
    std::free(error);
    return error == nullptr;
}

xcb_atom_t Atom(xcb_connection_t* connection, const char* name)
{
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, std::uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

xcb_pixmap_t PixmapProperty(xcb_connection_t* connection, xcb_window_t root, xcb_atom_t property)
{
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, root, property, XCB_ATOM_PIXMAP, 0, 1), nullptr);
    xcb_pixmap_t pixmap = XCB_NONE;
    if (reply && reply->type == XCB_ATOM_PIXMAP && reply->format == 32 && xcb_get_property_value_length(reply) == 4)
        std::memcpy(&pixmap, xcb_get_property_value(reply), sizeof pixmap);
    std::free(reply);
    return pixmap;
}

// Sends the image to the pixmap in bands that each fit one request.
bool PutImage(xcb_connection_t* connection, xcb_pixmap_t pixmap, std::uint8_t depth, unsigned width, unsigned height,
    const std::uint8_t* image, std::size_t rowBytes)
{
    const xcb_gcontext_t gc = xcb_generate_id(connection);
    xcb_create_gc(connection, gc, pixmap, 0, nullptr);
    // The largest request in bytes, less the request's own header.
    const std::size_t room = std::size_t(xcb_get_maximum_request_length(connection)) * 4 - 64;
    const unsigned band = unsigned(std::max<std::size_t>(1, room / rowBytes));
    std::vector<xcb_void_cookie_t> cookies;
    for (unsigned top = 0; top < height; top += band) {
        const unsigned rows = std::min(band, height - top);
        cookies.push_back(xcb_put_image_checked(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc, std::uint16_t(width),
            std::uint16_t(rows), 0, std::int16_t(top), 0, depth, std::uint32_t(rows * rowBytes),
            image + top * rowBytes));
    }
    bool done = true;
    for (const xcb_void_cookie_t cookie : cookies)
        done = Done(connection, cookie) && done;
    xcb_free_gc(connection, gc);
    return done;
}

// Sets the pixmap as the root window's background and publishes it; the previous one is freed
// through the client that kept it, when both properties name it.
bool Publish(xcb_connection_t* connection, xcb_window_t root, xcb_pixmap_t pixmap)
{
    const xcb_atom_t rootPixmap = Atom(connection, "_XROOTPMAP_ID");
    const xcb_atom_t esetrootPixmap = Atom(connection, "ESETROOT_PMAP_ID");
    if (rootPixmap == XCB_ATOM_NONE || esetrootPixmap == XCB_ATOM_NONE)
        return false;
    const xcb_pixmap_t old = PixmapProperty(connection, root, rootPixmap);
    if (old != XCB_NONE && old == PixmapProperty(connection, root, esetrootPixmap))
        Done(connection, xcb_kill_client_checked(connection, old)); // a stale id is no reason to stop
    bool done = true;
    for (const xcb_atom_t property : {rootPixmap, esetrootPixmap})
        done = Done(connection,
                   xcb_change_property_checked(
                       connection, XCB_PROP_MODE_REPLACE, root, property, XCB_ATOM_PIXMAP, 32, 1, &pixmap))
            && done;
    done
        = Done(connection, xcb_change_window_attributes_checked(connection, root, XCB_CW_BACK_PIXMAP, &pixmap)) && done;
    xcb_clear_area(connection, 0, root, 0, 0, 0, 0);
    return Done(connection, xcb_set_close_down_mode_checked(connection, XCB_CLOSE_DOWN_RETAIN_PERMANENT)) && done;
}

} // namespace

bool SetRootWallpaper(const BmpImage& picture, WallpaperLayout layout)
{
    return SetRootWallpaper({{&picture, 0, 0, 0, 0}}, layout);
}

bool SetRootWallpaper(const std::vector<RootPicture>& pictures, WallpaperLayout layout)
{
    for (const RootPicture& p : pictures)
        if (!p.picture || p.picture->Width() == 0 || p.picture->Height() == 0)
            return false;
    int screenNumber = 0;
    const Connection connection(xcb_connect(nullptr, &screenNumber));
    xcb_connection_t* c = connection.get();
    if (xcb_connection_has_error(c))
        return false;
    const xcb_setup_t& setup = *xcb_get_setup(c);
    auto screens = xcb_setup_roots_iterator(&setup);
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    if (!screens.rem)
        return false;
    const xcb_screen_t& screen = *screens.data;
    const unsigned width = screen.width_in_pixels, height = screen.height_in_pixels;
    PixelFormat format;
    if (!FindPixelFormat(setup, screen, format) || width == 0 || height == 0)
        return false;

    const std::size_t rowBytes = format.RowBytes(width);
    const ScreenBuffer image(rowBytes * height);
    if (!image.data)
        return false;
    for (const RootPicture& p : pictures) {
        // No size: the whole screen.
        const Region region = p.width && p.height ? Region {p.x, p.y, p.width, p.height} : Region {0, 0, width, height};
        FillImage(image.data, width, height, format, *p.picture, region,
            Layout(p.picture->Width(), p.picture->Height(), region.width, region.height, layout));
    }

    const xcb_pixmap_t pixmap = xcb_generate_id(c);
    if (!Done(c,
            xcb_create_pixmap_checked(
                c, screen.root_depth, pixmap, screen.root, std::uint16_t(width), std::uint16_t(height))))
        return false;
    if (!PutImage(c, pixmap, screen.root_depth, width, height, image.data, rowBytes)
        || !Publish(c, screen.root, pixmap)) {
        xcb_free_pixmap(c, pixmap);
        return false;
    }
    // Closing the connection keeps the pixmap: RetainPermanent.
    return true;
}

RootPainter::~RootPainter() { Wait(); }

void RootPainter::Paint(const std::string& bitmap, WallpaperLayout layout)
{
    // One at a time and in order: a newer picture is drawn after the one before it.
    Wait();
    worker_ = std::thread([bitmap, layout] {
        BmpImage picture;
        if (picture.Open(bitmap))
            SetRootWallpaper(picture, layout);
    });
}

void RootPainter::PaintMonitors(const std::vector<std::pair<std::string, Monitor>>& bitmaps)
{
    Wait();
    worker_ = std::thread([bitmaps] {
        std::vector<std::unique_ptr<BmpImage>> opened;
        std::vector<RootPicture> pictures;
        for (const auto& [bitmap, monitor] : bitmaps) {
            opened.push_back(std::make_unique<BmpImage>());
            if (opened.back()->Open(bitmap))
                pictures.push_back({opened.back().get(), monitor.x, monitor.y, monitor.width, monitor.height});
        }
        if (!pictures.empty())
            SetRootWallpaper(pictures, WallpaperLayout::Stretch);
    });
}

void RootPainter::Wait()
{
    if (worker_.joinable())
        worker_.join();
}

} // namespace kdx::platform::posix
