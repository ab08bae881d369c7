// Where a picture goes on the screen for each Size, and how little of it is decoded for that.
#include "saver/PictureLayout.h"

#include <gtest/gtest.h>

using namespace kdx::saver;

namespace {

TEST(PictureLayout, FullSizeCentresASmallPictureAndShowsTheMiddleOfALargeOne)
{
    EXPECT_EQ(PlacePicture(64, 32, 640, 480, SizeMode::FullSize), (Placement {{0, 0, 64, 32}, {288, 224, 64, 32}}));
    EXPECT_EQ(PlacePicture(6000, 4000, 1280, 1024, SizeMode::FullSize),
        (Placement {{2360, 1488, 1280, 1024}, {0, 0, 1280, 1024}}));
    EXPECT_EQ(
        PlacePicture(2000, 100, 1280, 1024, SizeMode::FullSize), (Placement {{360, 0, 1280, 100}, {0, 462, 1280, 100}}))
        << "wider than the screen, lower than it";
}

TEST(PictureLayout, FitKeepsTheShapeAtTheLargestSizeTheScreenAllows)
{
    EXPECT_EQ(PlacePicture(64, 32, 640, 480, SizeMode::Fit), (Placement {{0, 0, 64, 32}, {0, 80, 640, 320}}));
    EXPECT_EQ(
        PlacePicture(4000, 6000, 1280, 1024, SizeMode::Fit), (Placement {{0, 0, 4000, 6000}, {298, 0, 683, 1024}}))
        << "a tall picture: bars left and right";
    EXPECT_EQ(PlacePicture(640, 480, 640, 480, SizeMode::Fit).target, (Box {0, 0, 640, 480}));
    EXPECT_EQ(PlacePicture(10000, 1, 640, 480, SizeMode::Fit).target, (Box {0, 239, 640, 1}))
        << "never thinner than a pixel";
}

TEST(PictureLayout, FullScreenStretchesOverTheWholeScreen)
{
    EXPECT_EQ(PlacePicture(64, 32, 640, 480, SizeMode::FullScreen), (Placement {{0, 0, 64, 32}, {0, 0, 640, 480}}));
}

TEST(PictureLayout, ALargePictureIsDecodedScaledDownAsFarAsTheScreenAllows)
{
    // 6000 x 4000 fitted into 1280 x 1024 shows at 1280 x 853: a quarter, 1500 x 1000, is enough.
    const kdx::picture::DecodeRegion fit
        = JpegRegionFor(PlacePicture(6000, 4000, 1280, 1024, SizeMode::Fit), 6000, 4000);
    EXPECT_EQ(fit.scaleEighths, 2u);
    EXPECT_EQ(fit.width, 0u) << "the whole picture";
    // Stretched, each side needs its own pixels: 4000 rows onto 1024 need 3/8.
    EXPECT_EQ(JpegRegionFor(PlacePicture(6000, 4000, 1280, 1024, SizeMode::FullScreen), 6000, 4000).scaleEighths, 3u);
    // A picture shown larger than it is is decoded at full size.
    EXPECT_EQ(JpegRegionFor(PlacePicture(64, 32, 640, 480, SizeMode::Fit), 64, 32).scaleEighths, 8u);
}

TEST(PictureLayout, AtFullSizeOnlyTheShownMiddleIsDecoded)
{
    const kdx::picture::DecodeRegion region
        = JpegRegionFor(PlacePicture(6000, 4000, 1280, 1024, SizeMode::FullSize), 6000, 4000);
    EXPECT_EQ(region.scaleEighths, 8u);
    EXPECT_EQ(region.x, 2360u);
    EXPECT_EQ(region.y, 1488u);
    EXPECT_EQ(region.width, 1280u);
    EXPECT_EQ(region.height, 1024u);
}

TEST(PictureLayout, ABitmapIsReadEveryFewPixelsButNeverBelowTheShownSize)
{
    EXPECT_EQ(BitmapStepFor(PlacePicture(6000, 4000, 1280, 1024, SizeMode::Fit)), 4u);
    EXPECT_EQ(BitmapStepFor(PlacePicture(6000, 4000, 1280, 1024, SizeMode::FullScreen)), 3u);
    EXPECT_EQ(BitmapStepFor(PlacePicture(64, 32, 640, 480, SizeMode::Fit)), 1u);
    EXPECT_EQ(BitmapStepFor(PlacePicture(6000, 4000, 1280, 1024, SizeMode::FullSize)), 1u);
}

} // namespace
