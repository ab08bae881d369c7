// Any bytes as a JPEG picture: decoded or refused with an error, never a crash, a leak or an
// allocation beyond the limits.
#include "settings/Errors.h"
#include "shell/JpegDecoder.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

// Keeps one group of rows and checks that the decoder fills only what it was given.
class RowCheck final : public kdx::picture::RowSink {
public:
    void Begin(unsigned width, unsigned height) override
    {
        width_ = width;
        height_ = height;
        rows_.assign(std::size_t(width) * 3 * 16, 0);
    }
    unsigned Reserve(unsigned y, unsigned max, std::uint8_t** rows) override
    {
        if (y != next_ || max == 0 || max > 16 || y + max > height_)
            __builtin_trap();
        for (unsigned i = 0; i < max; ++i)
            rows[i] = rows_.data() + std::size_t(i) * width_ * 3;
        return max;
    }
    void Commit(unsigned endY) override
    {
        if (endY <= next_ || endY > height_)
            __builtin_trap();
        next_ = endY;
    }

private:
    unsigned width_ = 0, height_ = 0, next_ = 0;
    std::vector<std::uint8_t> rows_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace kdx::picture;
    // Small limits keep each input quick; the code paths are those of the real limits.
    DecodeLimits limits;
    limits.maxPixels = 250'000;
    limits.maxDecoderMemory = 64L << 20;
    RowCheck sink;
    try {
        DecodeJpeg(JpegInput::Bytes(data, size), size % 2 ? PixelOrder::Bgr : PixelOrder::Rgb, sink, limits);
    } catch (const kdx::EKaleidraError&) {
    }
    return 0;
}
