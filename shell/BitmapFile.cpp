#include "BitmapFile.h"

#include "settings/Errors.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <jerror.h>
#include <vector>

namespace kdx::picture {

namespace {

void Put16(std::uint8_t* at, std::uint32_t v)
{
    at[0] = std::uint8_t(v);
    at[1] = std::uint8_t(v >> 8);
}

void Put32(std::uint8_t* at, std::uint32_t v)
{
    Put16(at, v);
    Put16(at + 2, v >> 16);
}

// Rows are gathered into a block of about this size, last row first, then written with one
// seek and one write where they belong in the bottom-up file.
constexpr std::uint64_t BlockBytes = 4u << 20;

} // namespace

BitmapWriter::BitmapWriter(const std::string& path, const std::string& reportedName)
    : path_(path), reportedName_(reportedName.empty() ? path : reportedName)
{
}

BitmapWriter::~BitmapWriter()
{
    if (file_) {
        std::fclose(file_);
        std::remove(path_.c_str());
    }
}

void BitmapWriter::Begin(unsigned width, unsigned height)
{
    stride_ = BitmapStride(width);
    height_ = height;
    // The file's size must fit the header's 32-bit field and a seek offset everywhere.
    if (sizeof(std::array<std::uint8_t, 54>) + stride_ * height > std::uint64_t(LONG_MAX))
        throw EKaleidraError(JpegErrorText("", "it is too large for a bitmap file", int(JERR_IMAGE_TOO_BIG)));
    blockRows_ = unsigned(std::clamp<std::uint64_t>(BlockBytes / stride_, 1, height));
    block_.assign(std::size_t(blockRows_ * stride_), 0); // padding bytes stay zero
    file_ = std::fopen(path_.c_str(), "wb");
    if (!file_)
        Raise(texts::CannotCreateFile, reportedName_);
    std::setvbuf(file_, nullptr, _IONBF, 0); // whole blocks go out at once
    const auto header = BitmapHeader(width, height);
    Write(0, header.data(), header.size());
}

unsigned BitmapWriter::Reserve(unsigned y, unsigned max, std::uint8_t** rows)
{
    const unsigned inBlock = y - blockStart_;
    const unsigned n = std::min(max, blockRows_ - inBlock);
    // Row Y of the block sits in slot blockRows_ - 1 - (Y - blockStart_).
    for (unsigned i = 0; i < n; ++i)
        rows[i] = block_.data() + (blockRows_ - 1 - inBlock - i) * stride_;
    return n;
}

void BitmapWriter::Commit(unsigned endY)
{
    if (endY - blockStart_ < blockRows_ && endY < height_)
        return;
    // Rows blockStart_ .. endY - 1 fill the file's rows height_ - endY .. height_ - 1 -
    // blockStart_, lowest last, and the last slots of the block, last row first.
    const unsigned n = endY - blockStart_;
    const std::uint64_t offset = 54 + std::uint64_t(height_ - endY) * stride_;
    Write(offset, block_.data() + (blockRows_ - n) * stride_, std::size_t(n * stride_));
    blockStart_ = endY;
}

void BitmapWriter::Finish()
{
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!closed) {
        std::remove(path_.c_str());
        Raise(texts::CannotCreateFile, reportedName_);
    }
}

void BitmapWriter::Write(std::uint64_t offset, const std::uint8_t* bytes, std::size_t size)
{
    if (std::fseek(file_, long(offset), SEEK_SET) != 0 || std::fwrite(bytes, 1, size, file_) != size)
        Raise(texts::CannotCreateFile, reportedName_);
}

std::array<std::uint8_t, 54> BitmapHeader(unsigned width, unsigned height)
{
    std::array<std::uint8_t, 54> h {};
    const std::uint64_t image = BitmapStride(width) * height;
    h[0] = 'B';
    h[1] = 'M';
    Put32(&h[2], std::uint32_t(54 + image)); // bfSize
    Put32(&h[10], 54); // bfOffBits
    Put32(&h[14], 40); // biSize
    Put32(&h[18], width); // biWidth
    Put32(&h[22], height); // biHeight: positive, so bottom-up
    Put16(&h[26], 1); // biPlanes
    Put16(&h[28], 24); // biBitCount
    Put32(&h[30], 0); // biCompression: BI_RGB
    Put32(&h[34], std::uint32_t(image)); // biSizeImage
    Put32(&h[38], 2835); // biXPelsPerMeter: 72 dpi
    Put32(&h[42], 2835); // biYPelsPerMeter
    return h;
}

void WriteJpegAsBitmap(
    const std::string& jpeg, const std::string& bitmap, const std::string& reportedName, const DecodeLimits& limits)
{
    BitmapWriter writer(bitmap, reportedName);
    DecodeJpeg(JpegInput::File(jpeg), PixelOrder::Bgr, writer, limits);
    writer.Finish();
}

} // namespace kdx::picture
