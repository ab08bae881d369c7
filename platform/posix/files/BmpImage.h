#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace kdx::platform::posix {

// A Windows bitmap file read in place (mapped, not copied), for drawing it on the root
// window: uncompressed 1, 4, 8 (with a colour table), 16, 24 and 32 bits per pixel, bottom-up
// or top-down, with BITMAPCOREHEADER up to BITMAPV5HEADER headers and 16/32-bit bit fields.
// Anything else (compressed, or not a bitmap at all, such as a PNG file copied under the
// bitmap's name) does not open. Every dimension and offset is checked against the file, so
// hostile bytes open or fail but never reach outside it.
class BmpImage {
public:
    BmpImage() = default;
    ~BmpImage();
    BmpImage(const BmpImage&) = delete;
    BmpImage& operator=(const BmpImage&) = delete;

    bool Open(const std::string& path);
    // The same on bytes in memory, which must outlive the image.
    bool Parse(const std::uint8_t* data, std::size_t size);

    unsigned Width() const { return width_; }
    unsigned Height() const { return height_; }
    // The pixel at X, Y (Y counted from the top) as 0xRRGGBB.
    std::uint32_t Pixel(unsigned x, unsigned y) const;

private:
    struct Channel {
        std::uint32_t mask = 0;
        int shift = 0, bits = 0;
        std::uint8_t Of(std::uint32_t v) const;
    };

    void* mapping_ = nullptr;
    std::size_t mappedSize_ = 0;
    const std::uint8_t* pixels_ = nullptr;
    const std::uint8_t* palette_ = nullptr;
    unsigned paletteEntries_ = 0, paletteEntrySize_ = 4;
    unsigned width_ = 0, height_ = 0, bits_ = 0;
    std::size_t stride_ = 0;
    bool topDown_ = false;
    Channel red_, green_, blue_;
};

} // namespace kdx::platform::posix
