#pragma once
#include "JpegDecoder.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace kdx::picture {

// The 54 bytes before the pixels of an uncompressed bottom-up 24-bit Windows bitmap:
// BITMAPFILEHEADER and BITMAPINFOHEADER, 72 dots per inch.
std::array<std::uint8_t, 54> BitmapHeader(unsigned width, unsigned height);

// Bytes of one pixel row in such a bitmap: 3 per pixel, padded to a multiple of 4.
inline std::uint64_t BitmapStride(unsigned width) { return (std::uint64_t(width) * 3 + 3) & ~std::uint64_t(3); }

// Writes an uncompressed bottom-up 24-bit bitmap file as its rows come, top row first: they are
// gathered, last first, into blocks of a few megabytes, each written with one seek where it
// belongs, so the whole picture is never held in memory. Raises "Cannot create file %s" with
// ReportedName (the path itself when empty) when the file cannot be created or written; a
// writer that is not finished removes what it wrote.
class BitmapWriter final : public RowSink {
public:
    BitmapWriter(const std::string& path, const std::string& reportedName);
    ~BitmapWriter() override;
    BitmapWriter(const BitmapWriter&) = delete;
    BitmapWriter& operator=(const BitmapWriter&) = delete;

    void Begin(unsigned width, unsigned height) override;
    unsigned Reserve(unsigned y, unsigned max, std::uint8_t** rows) override;
    void Commit(unsigned endY) override;
    // Closes the complete file.
    void Finish();

private:
    void Write(std::uint64_t offset, const std::uint8_t* bytes, std::size_t size);

    std::string path_, reportedName_;
    std::FILE* file_ = nullptr;
    std::uint64_t stride_ = 0;
    unsigned height_ = 0, blockRows_ = 1, blockStart_ = 0;
    std::vector<std::uint8_t> block_;
};

// Writes the JPEG picture Jpeg as an uncompressed bottom-up 24-bit bitmap file Bitmap. The
// decoder's rows go straight to their place in the file a few megabytes at a time, so the
// whole picture is never held in memory. Raises what DecodeJpeg raises, before Bitmap is
// touched when the picture's header is at fault; raises "Cannot create file %s" with
// ReportedName (Bitmap itself when empty) when Bitmap cannot be created or written. Whatever
// fails, no part-written Bitmap is left behind.
void WriteJpegAsBitmap(const std::string& jpeg, const std::string& bitmap, const std::string& reportedName = {},
    const DecodeLimits& limits = {});

} // namespace kdx::picture
