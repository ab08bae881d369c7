#include "BmpImage.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kdx::platform::posix {

namespace {

std::uint32_t Le16(const std::uint8_t* p) { return std::uint32_t(p[0] | p[1] << 8); }
std::uint32_t Le32(const std::uint8_t* p) { return Le16(p) | Le16(p + 2) << 16; }

// Larger sides are refused: no desktop shows them, and the arithmetic below stays small.
constexpr std::uint32_t MaxSide = 1u << 16;

} // namespace

std::uint8_t BmpImage::Channel::Of(std::uint32_t v) const
{
    if (bits == 0)
        return 0;
    const std::uint32_t value = (v & mask) >> shift;
    const std::uint32_t top = (1u << bits) - 1;
    return std::uint8_t((value * 255 + top / 2) / top);
}

BmpImage::~BmpImage()
{
    if (mapping_)
        munmap(mapping_, mappedSize_);
}

bool BmpImage::Open(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat st { };
    void* map = MAP_FAILED;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
        map = mmap(nullptr, std::size_t(st.st_size), PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    close(fd);
    if (map == MAP_FAILED)
        return false;
    mapping_ = map;
    mappedSize_ = std::size_t(st.st_size);
    return Parse(static_cast<const std::uint8_t*>(map), mappedSize_);
}

bool BmpImage::Parse(const std::uint8_t* data, std::size_t size)
{
    width_ = height_ = 0;
    if (size < 26 || data[0] != 'B' || data[1] != 'M')
        return false;
    const std::uint64_t pixelsAt = Le32(data + 10);
    const std::uint32_t headerSize = Le32(data + 14);
    if (14 + std::uint64_t(headerSize) > size)
        return false;
    const std::uint8_t* h = data + 14;

    std::int64_t width = 0, height = 0;
    std::uint32_t compression = 0, colours = 0;
    if (headerSize == 12) { // BITMAPCOREHEADER
        width = Le16(h + 4);
        height = Le16(h + 6);
        bits_ = Le16(h + 10);
        paletteEntrySize_ = 3;
    } else if (headerSize >= 40) {
        width = std::int32_t(Le32(h + 4));
        height = std::int32_t(Le32(h + 8));
        bits_ = Le16(h + 14);
        compression = Le32(h + 16);
        colours = Le32(h + 32);
        paletteEntrySize_ = 4;
    } else {
        return false;
    }
    topDown_ = height < 0;
    if (topDown_)
        height = -height;
    if (width <= 0 || height <= 0 || width > MaxSide || height > MaxSide)
        return false;

    std::uint64_t paletteAt = 14 + std::uint64_t(headerSize);
    if (compression == 3 && (bits_ == 16 || bits_ == 32)) { // BI_BITFIELDS
        // The masks are in the header from version 2 on, otherwise right after it.
        const std::uint8_t* masks = h + 40;
        if (headerSize < 52) {
            if (paletteAt + 12 > size)
                return false;
            masks = data + paletteAt;
            paletteAt += 12;
        }
        red_.mask = Le32(masks);
        green_.mask = Le32(masks + 4);
        blue_.mask = Le32(masks + 8);
    } else if (compression == 0 && bits_ == 16) {
        red_.mask = 0x7C00;
        green_.mask = 0x03E0;
        blue_.mask = 0x001F;
    } else if (compression == 0 && bits_ == 32) {
        red_.mask = 0xFF0000;
        green_.mask = 0xFF00;
        blue_.mask = 0xFF;
    } else if (compression != 0 || (bits_ != 1 && bits_ != 4 && bits_ != 8 && bits_ != 24)) {
        return false;
    }
    for (Channel* c : {&red_, &green_, &blue_}) {
        c->shift = c->bits = 0;
        if (c->mask == 0)
            continue;
        while (!(c->mask >> c->shift & 1))
            ++c->shift;
        while (c->shift + c->bits < 32 && (c->mask >> (c->shift + c->bits) & 1))
            ++c->bits;
        if (c->bits > 16)
            return false;
    }

    if (bits_ <= 8) {
        const std::uint32_t most = 1u << bits_;
        paletteEntries_ = colours == 0 || colours > most ? most : colours;
        if (paletteAt + std::uint64_t(paletteEntries_) * paletteEntrySize_ > size)
            return false;
        palette_ = data + paletteAt;
    }
    stride_ = std::size_t((std::uint64_t(width) * bits_ + 31) / 32 * 4);
    if (pixelsAt > size || std::uint64_t(stride_) * std::uint64_t(height) > size - pixelsAt)
        return false;
    pixels_ = data + pixelsAt;
    width_ = unsigned(width);
    height_ = unsigned(height);
    return true;
}

std::uint32_t BmpImage::Pixel(unsigned x, unsigned y) const
{
    if (x >= width_ || y >= height_)
        return 0;
    const std::uint8_t* row = pixels_ + (topDown_ ? y : height_ - 1 - y) * stride_;
    std::uint32_t index = 0;
    switch (bits_) {
    case 1:
        index = row[x / 8] >> (7 - x % 8) & 1;
        break;
    case 4:
        index = row[x / 2] >> (x % 2 ? 0 : 4) & 0xF;
        break;
    case 8:
        index = row[x];
        break;
    case 16: {
        const std::uint32_t v = Le16(row + 2 * x);
        return std::uint32_t(red_.Of(v)) << 16 | std::uint32_t(green_.Of(v)) << 8 | blue_.Of(v);
    }
    case 24: {
        const std::uint8_t* p = row + 3 * x;
        return std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
    }
    default: {
        const std::uint32_t v = Le32(row + 4 * x);
        return std::uint32_t(red_.Of(v)) << 16 | std::uint32_t(green_.Of(v)) << 8 | blue_.Of(v);
    }
    }
    if (index >= paletteEntries_)
        return 0;
    const std::uint8_t* entry = palette_ + index * paletteEntrySize_;
    return std::uint32_t(entry[2]) << 16 | std::uint32_t(entry[1]) << 8 | entry[0];
}

} // namespace kdx::platform::posix
