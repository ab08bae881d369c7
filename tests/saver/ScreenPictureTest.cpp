// Pictures made ready for the screens: JPEG and bitmap, each Size, damaged files, calling off.
#include "saver/ScreenPicture.h"
#include "ShellTestSupport.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

using namespace kdx;
using namespace kdx::saver;
using kdx::test::Sandbox;

namespace {

constexpr std::uint32_t Red = 0xFF0000, Green = 0x00FF00, Blue = 0x0000FF, White = 0xFFFFFF;

// 64 x 32 in four quadrants: red, green above; blue, white below.
std::uint32_t Quadrant(unsigned x, unsigned y) { return y < 16 ? (x < 32 ? Red : Green) : (x < 32 ? Blue : White); }

class ScreenPictureTest : public ::testing::Test {
protected:
    Sandbox box;
    std::atomic<bool> cancel {false};
    const QSize screen {640, 480};

    std::string In(const std::string& name) const { return box.Root() + "/" + name; }

    static std::uint32_t At(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }

    ScreenPicture One(const std::string& path, SizeMode mode)
    {
        const std::vector<ScreenPicture> prepared = PreparePicture(path, mode, {screen}, cancel);
        EXPECT_EQ(prepared.size(), 1u);
        return prepared.front();
    }
};

TEST_F(ScreenPictureTest, ABitmapIsPlacedAsEachSizeSays)
{
    const std::string bmp = In("quadrants.bmp");
    test::WriteBmp24(bmp, 64, 32, Quadrant);

    const ScreenPicture full = One(bmp, SizeMode::FullSize);
    EXPECT_EQ(full.target, QRect(288, 224, 64, 32));
    ASSERT_EQ(full.image.size(), QSize(64, 32));
    for (unsigned y = 0; y < 32; ++y)
        for (unsigned x = 0; x < 64; ++x)
            ASSERT_EQ(At(full.image, int(x), int(y)), Quadrant(x, y)) << x << "," << y << ": pixel for pixel";

    const ScreenPicture fit = One(bmp, SizeMode::Fit);
    EXPECT_EQ(fit.target, QRect(0, 80, 640, 320));
    ASSERT_EQ(fit.image.size(), QSize(640, 320));
    EXPECT_EQ(At(fit.image, 5, 5), Red);
    EXPECT_EQ(At(fit.image, 634, 314), White);

    const ScreenPicture stretched = One(bmp, SizeMode::FullScreen);
    EXPECT_EQ(stretched.target, QRect(0, 0, 640, 480));
    ASSERT_EQ(stretched.image.size(), QSize(640, 480));
    EXPECT_EQ(At(stretched.image, 634, 5), Green);
    EXPECT_EQ(At(stretched.image, 5, 474), Blue);
}

TEST_F(ScreenPictureTest, ALargeJpegShowsItsMiddlePixelForPixelAtFullSize)
{
    const std::string ppm = In("big.ppm"), jpeg = In("big.jpg");
    test::WritePpm(ppm, 1601, 1203);
    test::MakeJpeg(ppm, jpeg);
    test::Djpeg(jpeg, In("big.bmp"));
    const test::Picture whole = test::ReadBmp(In("big.bmp"));
    ASSERT_TRUE(whole.ok);
    const ScreenPicture full = One(jpeg, SizeMode::FullSize);
    EXPECT_EQ(full.target, QRect(0, 0, 640, 480));
    ASSERT_EQ(full.image.size(), QSize(640, 480));
    long differ = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            differ += At(full.image, x, y) != whole.At(480 + unsigned(x), 361 + unsigned(y));
    EXPECT_EQ(differ, 0);

    const ScreenPicture fit = One(jpeg, SizeMode::Fit);
    EXPECT_EQ(fit.target, QRect(0, 0, 639, 480));
    EXPECT_EQ(fit.image.size(), fit.target.size());
}

TEST_F(ScreenPictureTest, EachScreenSizeGetsAPictureOfItsOwn)
{
    const std::string bmp = In("q.bmp");
    test::WriteBmp24(bmp, 64, 32, Quadrant);
    const auto prepared = PreparePicture(bmp, SizeMode::Fit, {QSize(640, 480), QSize(100, 400)}, cancel);
    ASSERT_EQ(prepared.size(), 2u);
    EXPECT_EQ(prepared[0].target, QRect(0, 80, 640, 320));
    EXPECT_EQ(prepared[1].target, QRect(0, 175, 100, 50));
    EXPECT_EQ(prepared[1].screen, QSize(100, 400));
}

TEST_F(ScreenPictureTest, WhatCannotBeReadRaisesAnError)
{
    EXPECT_EQ(test::ErrorOf([&] { One(In("none.jpg"), SizeMode::Fit); }), "Cannot open file " + In("none.jpg"));
    Sandbox::Write(In("text.jpg"), "not a picture at all");
    EXPECT_NE(test::ErrorOf([&] { One(In("text.jpg"), SizeMode::Fit); }), "(no error)");
    Sandbox::Write(In("broken.jpg"), std::string("\xFF\xD8\xFF\xE0garbage", 11));
    EXPECT_NE(test::ErrorOf([&] { One(In("broken.jpg"), SizeMode::Fit); }).find("JPEG error #"), std::string::npos);
    Sandbox::Write(In("broken.bmp"), "BM and no more");
    EXPECT_NE(test::ErrorOf([&] { One(In("broken.bmp"), SizeMode::Fit); }), "(no error)");
}

TEST_F(ScreenPictureTest, ACalledOffPreparationStopsAtOnce)
{
    const std::string ppm = In("c.ppm"), jpeg = In("c.jpg"), bmp = In("c.bmp");
    test::WritePpm(ppm, 300, 200);
    test::MakeJpeg(ppm, jpeg);
    test::WriteBmp24(bmp, 300, 200, Quadrant);
    cancel = true;
    EXPECT_THROW(One(jpeg, SizeMode::FullScreen), PreparationCancelled);
    EXPECT_THROW(One(bmp, SizeMode::FullScreen), PreparationCancelled);
}

} // namespace
