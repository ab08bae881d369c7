// Any bytes as the wallpaper bitmap: it opens or not, and every pixel read stays inside.
#include "platform/posix/files/BmpImage.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    kdx::platform::posix::BmpImage image;
    if (!image.Parse(data, size))
        return 0;
    // Corners, the middle and a diagonal: enough to reach every row and column kind.
    const unsigned w = image.Width(), h = image.Height();
    std::uint32_t sum = image.Pixel(0, 0) + image.Pixel(w - 1, h - 1) + image.Pixel(w / 2, h / 2);
    for (unsigned i = 0; i < 64; ++i)
        sum += image.Pixel(unsigned(std::uint64_t(w - 1) * i / 63), unsigned(std::uint64_t(h - 1) * i / 63));
    return sum == 0x12345678u ? 0 : 0;
}
