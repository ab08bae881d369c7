#pragma once
#include "JpegDecoder.h"

#include <array>
#include <cstdint>
#include <string>

namespace kdx::picture {

// The 54 bytes before the pixels of an uncompressed bottom-up 24-bit Windows bitmap:
// BITMAPFILEHEADER and BITMAPINFOHEADER, 72 dots per inch.
std::array<std::uint8_t, 54> BitmapHeader(unsigned width, unsigned height);

// Bytes of one pixel row in such a bitmap: 3 per pixel, padded to a multiple of 4.
inline std::uint64_t BitmapStride(unsigned width) { return (std::uint64_t(width) * 3 + 3) & ~std::uint64_t(3); }

// Writes the JPEG picture Jpeg as an uncompressed bottom-up 24-bit bitmap file Bitmap. The
// decoder's rows go straight to their place in the file a few megabytes at a time, so the
// whole picture is never held in memory. Raises what DecodeJpeg raises, before Bitmap is
// touched when the picture's header is at fault; raises "Cannot create file %s" with
// ReportedName (Bitmap itself when empty) when Bitmap cannot be created or written. Whatever
// fails, no part-written Bitmap is left behind.
void WriteJpegAsBitmap(const std::string& jpeg, const std::string& bitmap, const std::string& reportedName = {},
    const DecodeLimits& limits = {});

} // namespace kdx::picture
