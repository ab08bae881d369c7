// The Windows bitmaps our own reader takes: each kind the root-window picture and the companion
// read, and damaged or foreign files turned away.
#include "platform/posix/files/BmpImage.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

using kdx::platform::posix::BmpImage;

namespace {

// BMP files of each kind the root-window fallback reads.
class BmpFiles : public ::testing::Test {
protected:
    static std::string Header(std::int32_t w, std::int32_t h, int bits, std::uint32_t compression,
        std::uint32_t colours, std::uint32_t pixelsAt, std::uint32_t headerSize = 40)
    {
        std::string s(14 + headerSize, '\0');
        const auto put = [&](std::size_t at, std::uint32_t v, int n) {
            for (int i = 0; i < n; ++i)
                s[at + std::size_t(i)] = char(v >> (8 * i));
        };
        s[0] = 'B';
        s[1] = 'M';
        put(10, pixelsAt, 4);
        put(14, headerSize, 4);
        put(18, std::uint32_t(w), 4);
        put(22, std::uint32_t(h), 4);
        put(26, 1, 2);
        put(28, std::uint32_t(bits), 2);
        put(30, compression, 4);
        put(46, colours, 4);
        return s;
    }
    static std::string Le(std::uint32_t v, int n)
    {
        std::string s;
        for (int i = 0; i < n; ++i)
            s += char(v >> (8 * i));
        return s;
    }
};

TEST_F(BmpFiles, PalettesAndPackedPixels)
{
    // 8 bits: a two-colour table, one row of indices 1, 0, 1.
    std::string eight = Header(3, 1, 8, 0, 2, 54 + 8) + Le(0x123456, 4) + Le(0xABCDEF, 4) + std::string("\1\0\1\0", 4);
    BmpImage image;
    ASSERT_TRUE(image.Parse(reinterpret_cast<const std::uint8_t*>(eight.data()), eight.size()));
    EXPECT_EQ(image.Pixel(0, 0), 0xABCDEFu);
    EXPECT_EQ(image.Pixel(1, 0), 0x123456u);

    // 1 bit: 0b10100000.
    std::string one = Header(3, 1, 1, 0, 0, 54 + 8) + Le(0x000000, 4) + Le(0xFFFFFF, 4) + std::string("\xA0\0\0\0", 4);
    ASSERT_TRUE(image.Parse(reinterpret_cast<const std::uint8_t*>(one.data()), one.size()));
    EXPECT_EQ(image.Pixel(0, 0), 0xFFFFFFu);
    EXPECT_EQ(image.Pixel(1, 0), 0x000000u);
    EXPECT_EQ(image.Pixel(2, 0), 0xFFFFFFu);

    // 16 bits, 5-5-5: pure red and pure blue.
    std::string sixteen = Header(2, 1, 16, 0, 0, 54) + Le(0x7C00, 2) + Le(0x001F, 2);
    ASSERT_TRUE(image.Parse(reinterpret_cast<const std::uint8_t*>(sixteen.data()), sixteen.size()));
    EXPECT_EQ(image.Pixel(0, 0), 0xFF0000u);
    EXPECT_EQ(image.Pixel(1, 0), 0x0000FFu);

    // 32 bits with bit fields after the header: red in the low byte.
    std::string bitfields
        = Header(1, 1, 32, 3, 0, 54 + 12) + Le(0xFF, 4) + Le(0xFF00, 4) + Le(0xFF0000, 4) + Le(0x00332211, 4);
    ASSERT_TRUE(image.Parse(reinterpret_cast<const std::uint8_t*>(bitfields.data()), bitfields.size()));
    EXPECT_EQ(image.Pixel(0, 0), 0x112233u);
}

TEST_F(BmpFiles, DamagedOrForeignFilesDoNotOpen)
{
    BmpImage image;
    const std::string png = std::string("\x89PNG\r\n\x1a\n", 8) + std::string(64, '\0');
    EXPECT_FALSE(image.Parse(reinterpret_cast<const std::uint8_t*>(png.data()), png.size()));
    std::string huge = Header(60000, 60000, 24, 0, 0, 54) + std::string(100, '\0');
    EXPECT_FALSE(image.Parse(reinterpret_cast<const std::uint8_t*>(huge.data()), huge.size()))
        << "pixels beyond the file";
    std::string rle = Header(2, 2, 8, 1, 0, 54) + std::string(64, '\0');
    EXPECT_FALSE(image.Parse(reinterpret_cast<const std::uint8_t*>(rle.data()), rle.size())) << "compressed";
    std::string whole = Header(5, 3, 24, 0, 0, 54) + std::string(16 * 3, '\x7F');
    for (std::size_t n = 0; n < whole.size(); ++n) {
        const bool opened = image.Parse(reinterpret_cast<const std::uint8_t*>(whole.data()), n);
        EXPECT_FALSE(opened) << n;
    }
    EXPECT_TRUE(image.Parse(reinterpret_cast<const std::uint8_t*>(whole.data()), whole.size()));
    EXPECT_FALSE(image.Open("/nonexistent/KAWalllpaper.bmp"));
}

} // namespace
