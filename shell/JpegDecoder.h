#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kdx::picture {

// Bounds on what one picture may cost. A JPEG header can declare up to 65500 x 65500 pixels in a
// few bytes; a picture over these bounds is refused before anything is allocated for it.
struct DecodeLimits {
    // 100 megapixels: 286 MiB at 24 bits, above any wallpaper or camera picture in use.
    std::uint64_t maxPixels = 100'000'000;
    // libjpeg's own working memory (a progressive picture keeps all its coefficients: up to
    // 8 bytes per pixel for CMYK).
    long maxDecoderMemory = 1L << 30;
    // Scans of a progressive picture. Encoders write about ten; a file can repeat one scan
    // thousands of times in a few megabytes, each a pass over the whole picture (djpeg's
    // -maxscans refuses such files the same way).
    int maxScans = 100;
    // Processor time one decode may take, whatever its cause, since the decode runs on the
    // window's thread: a 24-megapixel progressive picture takes about half a second here.
    std::uint32_t maxMilliseconds = 4000;
};

// The bytes of a pixel: three, or four with a filler byte of 255 (the layout of a 32-bit
// 0xFFRRGGBB word on a little-endian machine for Bgrx, on a big-endian one for Xrgb).
enum class PixelOrder { Rgb, Bgr, Bgrx, Xrgb };

// Bytes per pixel of an order.
constexpr unsigned PixelBytes(PixelOrder order) { return order == PixelOrder::Rgb || order == PixelOrder::Bgr ? 3 : 4; }

// The part of a picture to decode: the picture scaled by ScaleEighths / 8 through libjpeg's own
// scaling (far cheaper than decoding at full size and scaling after), and of that a rectangle;
// an empty width or height means the whole scaled picture.
struct DecodeRegion {
    unsigned scaleEighths = 8; // 1..8
    unsigned x = 0, y = 0, width = 0, height = 0;
};

// Receives the decoded picture, top row first, its pixels in the order asked for.
// Its operations may raise; the decoder then frees everything and lets the error through.
class RowSink {
public:
    virtual ~RowSink() = default;
    // Once, when the picture's size is known and within the limits: what to decode of it.
    virtual DecodeRegion Choose(unsigned /*width*/, unsigned /*height*/) { return {}; }
    // Once, with the size of what Choose asked for (cut to the scaled picture).
    virtual void Begin(unsigned width, unsigned height) = 0;
    // Where the rows from Y on go: fills Rows with up to Max row pointers (at least one) and
    // returns how many.
    virtual unsigned Reserve(unsigned y, unsigned max, std::uint8_t** rows) = 0;
    // The rows before EndY are complete.
    virtual void Commit(unsigned endY) = 0;
};

// Where the JPEG bytes come from: a file by name, or bytes in memory (Name is then only used
// in messages).
struct JpegInput {
    std::string path;
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;

    static JpegInput File(std::string path) { return {std::move(path), nullptr, 0}; }
    static JpegInput Bytes(const void* data, std::size_t size)
    {
        return {std::string(), static_cast<const std::uint8_t*>(data), size};
    }
};

// What the user is told of a picture that cannot be decoded: its name, what is wrong in words, and
// libjpeg's message number ("The picture /p/a.jpg cannot be shown: it is not a JPEG picture (JPEG
// error #53)").
std::string JpegErrorText(const std::string& name, const std::string& reason, int code);

// Decodes a whole JPEG picture at full size with libjpeg's default settings to 24-bit colour:
// baseline, progressive, grayscale, RGB, CMYK and YCCK inputs alike (CMYK is taken as Adobe
// writes it, inverted, as djpeg takes it). Raises "Cannot open file %s" when the file cannot
// be opened (with the reason when it is no regular file: a named pipe is never waited on) and
// JpegErrorText with libjpeg's message number when it cannot be decoded; a picture over the
// limits is refused with JERR_IMAGE_TOO_BIG ("Maximum supported image dimension"), libjpeg's own
// number for a picture too large to handle, and so is a picture with more scans, more decoding
// time or far more input than the limits allow, each said in words. Warnings (a truncated
// file, corrupt data the decoder can pass over) are not errors, as in djpeg.
void DecodeJpeg(const JpegInput& input, PixelOrder order, RowSink& sink, const DecodeLimits& limits = {});

// A decoded picture: rows top down, packed, 3 bytes per pixel in R, G, B order.
struct RgbPicture {
    unsigned width = 0, height = 0;
    std::vector<std::uint8_t> pixels;
};

// The whole picture in memory, as the picture previews show it.
RgbPicture DecodeJpegPicture(const JpegInput& input, const DecodeLimits& limits = {});

} // namespace kdx::picture
