// A different picture on each monitor: the picks, the bitmaps made to each monitor's size (checked
// against djpeg's own decoding), the picture over the whole desktop, and the change as a whole.
#include "ShellTestSupport.h"
#include "shell/BitmapFile.h"
#include "shell/MonitorBitmap.h"
#include "shell/MonitorPictures.h"
#include "shell/TPublicUnit.h"
#include "support/Sandbox.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <set>
#include <sys/stat.h>

using namespace kdx;
using kdx::test::Sandbox;

namespace {

constexpr std::uint32_t Red = 0xFF0000, Green = 0x00FF00, Blue = 0x0000FF, White = 0xFFFFFF, Black = 0;

platform::Monitor Screen(const std::string& name, int x, int y, unsigned w, unsigned h, bool primary = false)
{
    return {name, x, y, w, h, primary};
}

// Random numbers from a fixed sequence, so a test sees every order it asks for.
std::function<int(int)> Sequence(std::vector<int> values)
{
    auto next = std::make_shared<std::size_t>(0);
    return [values, next](int n) { return values[(*next)++ % values.size()] % n; };
}

// Sizes from a table; a picture not in it has none.
std::function<std::optional<PictureSize>(const std::string&)> Sizes(std::map<std::string, PictureSize> table)
{
    return [table](const std::string& path) -> std::optional<PictureSize> {
        const auto found = table.find(path);
        if (found == table.end())
            return std::nullopt;
        return found->second;
    };
}

const auto Landscape = PictureSize {1600, 1000}, Portrait = PictureSize {1000, 1600};

TEST(MonitorPicks, NoPictureTwiceWhileTheListHasEnough)
{
    const std::vector<platform::Monitor> three
        = {Screen("A", 0, 0, 800, 600, true), Screen("B", 800, 0, 800, 600), Screen("C", 1600, 0, 800, 600)};
    for (int seed = 0; seed < 20; ++seed) {
        const auto picks = PlanRotation(three, {"a", "b", "c", "a"}, {}, Sequence({seed, seed * 7 + 1, 3}), Sizes({}));
        ASSERT_EQ(picks.size(), 3u);
        std::set<std::string> pictures;
        for (const MonitorPick& pick : picks) {
            pictures.insert(pick.picture);
            EXPECT_TRUE(pick.remake && pick.fresh);
        }
        EXPECT_EQ(pictures.size(), 3u) << "a duplicate entry of the list is still one picture";
    }
    // Two pictures for three monitors: one comes twice, as it must.
    const auto picks = PlanRotation(three, {"a", "b"}, {}, Sequence({0}), Sizes({}));
    EXPECT_EQ(std::set<std::string>({picks[0].picture, picks[1].picture}).size(), 2u);
}

TEST(MonitorPicks, AMonitorDoesNotGetWhatItShowsWhileTheListHasAnother)
{
    const std::vector<platform::Monitor> one = {Screen("A", 0, 0, 800, 600, true)};
    const MonitorRecords records {{"A", {"a", 800, 600}}};
    for (int seed = 0; seed < 10; ++seed)
        EXPECT_NE(PlanRotation(one, {"a", "b"}, records, Sequence({seed}), Sizes({}))[0].picture, "a");
    EXPECT_EQ(PlanRotation(one, {"a"}, records, Sequence({0}), Sizes({}))[0].picture, "a") << "the only one";
    // Two monitors, two pictures: each gets the other's, since none may come twice.
    const std::vector<platform::Monitor> two = {Screen("A", 0, 0, 800, 600, true), Screen("B", 800, 0, 800, 600)};
    const auto picks
        = PlanRotation(two, {"a", "b"}, {{"A", {"a", 800, 600}}, {"B", {"b", 800, 600}}}, Sequence({0}), Sizes({}));
    EXPECT_EQ(picks[0].picture, "b");
    EXPECT_EQ(picks[1].picture, "a");
}

TEST(MonitorPicks, APortraitMonitorGetsAPortraitPictureWhenTheListHasOne)
{
    const std::vector<platform::Monitor> monitors
        = {Screen("wide", 0, 0, 1920, 1080, true), Screen("tall", 1920, 0, 1080, 1920)};
    const auto sizes = Sizes({{"l1", Landscape}, {"l2", Landscape}, {"l3", Landscape}, {"p", Portrait}});
    for (int seed = 0; seed < 20; ++seed) {
        const auto picks = PlanRotation(monitors, {"l1", "l2", "p", "l3"}, {}, Sequence({seed, seed + 3}), sizes);
        EXPECT_NE(picks[0].picture, "p") << "the landscape monitor prefers a landscape picture";
        EXPECT_EQ(picks[1].picture, "p");
    }
    // None fits: a picture all the same, and the unknown sizes do not stop the pick.
    const auto picks = PlanRotation({Screen("tall", 0, 0, 1080, 1920, true)}, {"l1", "x"}, {}, Sequence({0}), sizes);
    EXPECT_TRUE(picks[0].picture == "l1" || picks[0].picture == "x");
}

TEST(MonitorPicks, ALongListCostsOnlyAFewSizes)
{
    TStrings items;
    for (int i = 0; i < 5000; ++i)
        items.push_back("/p/" + std::to_string(i) + ".jpg");
    int asked = 0;
    const auto sizeOf = [&asked](const std::string&) -> std::optional<PictureSize> {
        ++asked;
        return Landscape;
    };
    PickPicture(items, {}, 1080, 1920, Sequence({17, 4000, 3}), sizeOf);
    EXPECT_LE(asked, 24);
}

// A pick draws the same few random numbers however long the list: its time does not grow with it.
TEST(MonitorPicks, APickInAListOfAMillionTakesTheSameFewSteps)
{
    TStrings items;
    for (int i = 0; i < 1000000; ++i)
        items.push_back("/p/" + std::to_string(i) + ".jpg");
    std::mt19937 rng(7);
    int draws = 0;
    const auto random = [&](int n) {
        ++draws;
        return std::uniform_int_distribution<int>(0, n - 1)(rng);
    };
    const std::string picked = PickPicture(items, {"/p/1.jpg", "/p/2.jpg"}, 800, 600, random, Sizes({}));
    EXPECT_NE(picked, "/p/1.jpg");
    EXPECT_LE(draws, 30);
}

TEST(MonitorPicks, AChangeLeavesOutTheShownPictureAndKeepsTheOthersEquallyLikely)
{
    const TStrings items {"a", "b", "a", "c"};
    std::mt19937 rng(3);
    const auto random = [&rng](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    std::map<std::string, int> count;
    for (int i = 0; i < 4000; ++i)
        ++count[items[IndexOtherThanShown(items, "a", std::size_t(random(4)), random)]];
    EXPECT_EQ(count.count("a"), 0u);
    EXPECT_NEAR(count["b"], 2000, 200);
    EXPECT_NEAR(count["c"], 2000, 200);
    EXPECT_EQ(IndexOtherThanShown(items, "b", 3, random), 3u) << "a draw of another picture stands";
    EXPECT_EQ(IndexOtherThanShown({"a", "a"}, "a", 1, random), 1u) << "nothing else to show";
}

TEST(MonitorPicks, AChangeOfMonitorsKeepsWhatEachShowedAndGivesANewOneItsOwn)
{
    const TStrings items {"a", "b", "c", "d"};
    const auto usable = [](const std::string& p) { return p != "gone"; };
    const platform::Monitor left = Screen("L", 0, 0, 1280, 800, true), right = Screen("R", 1280, 0, 1280, 800);
    MonitorRecords records {{"L", {"a", 1280, 800}}, {"R", {"b", 1280, 800}}};

    // R unplugged: L keeps its picture and bitmap, and is not handed anew.
    auto picks = PlanMonitorChange({left}, {left, right}, items, records, Sequence({0}), Sizes({}), usable);
    ASSERT_EQ(picks.size(), 1u);
    EXPECT_EQ(picks[0].picture, "a");
    EXPECT_FALSE(picks[0].remake);
    EXPECT_FALSE(picks[0].fresh);

    // R plugged back: its own picture again, its bitmap as it was, but handed to the desktop.
    picks = PlanMonitorChange({left, right}, {left}, items, records, Sequence({0}), Sizes({}), usable);
    ASSERT_EQ(picks.size(), 2u);
    EXPECT_EQ(picks[1].picture, "b");
    EXPECT_FALSE(picks[1].remake);
    EXPECT_TRUE(picks[1].fresh);
    EXPECT_FALSE(picks[0].fresh);

    // R turned: the same picture made anew for the new size.
    const platform::Monitor turned = Screen("R", 1280, 0, 800, 1280);
    picks = PlanMonitorChange({left, turned}, {left, right}, items, records, Sequence({0}), Sizes({}), usable);
    EXPECT_EQ(picks[1].picture, "b");
    EXPECT_TRUE(picks[1].remake && picks[1].fresh);
    EXPECT_FALSE(picks[0].remake || picks[0].fresh);

    // A new monitor: a picture no other shows.
    const platform::Monitor third = Screen("T", 0, 800, 1280, 800);
    for (int seed = 0; seed < 8; ++seed) {
        picks = PlanMonitorChange(
            {left, right, third}, {left, right}, items, records, Sequence({seed}), Sizes({}), usable);
        EXPECT_TRUE(picks[2].picture == "c" || picks[2].picture == "d") << picks[2].picture;
        EXPECT_TRUE(picks[2].remake && picks[2].fresh);
    }

    // R comes back while L shows what R had: R gets another one.
    records["L"].picture = "b";
    picks = PlanMonitorChange({left, right}, {left}, items, records, Sequence({0}), Sizes({}), usable);
    EXPECT_EQ(picks[0].picture, "b");
    EXPECT_NE(picks[1].picture, "b");
    EXPECT_TRUE(picks[1].remake);

    // A picture whose file went is not made again: the monitor gets another.
    records = {{"L", {"gone", 1280, 800}}};
    picks = PlanMonitorChange(
        {Screen("L", 0, 0, 1024, 768, true)}, {left}, items, records, Sequence({0}), Sizes({}), usable);
    EXPECT_NE(picks[0].picture, "gone");
    // With no list, a new monitor is left alone.
    EXPECT_TRUE(PlanMonitorChange({third}, {}, {}, {}, Sequence({0}), Sizes({}), usable).empty());
}

TEST(MonitorPicks, SizesComeFromTheHeaders)
{
    Sandbox box;
    const std::string ppm = box.Root() + "/p.ppm", jpeg = box.Root() + "/Tall.JPG", bmp = box.Root() + "/w.bmp";
    test::WritePpm(ppm, 30, 70);
    test::MakeJpeg(ppm, jpeg);
    test::WriteBmp24(bmp, 90, 20, [](unsigned, unsigned) { return Red; });
    const auto tall = ReadPictureSize(jpeg), wide = ReadPictureSize(bmp);
    ASSERT_TRUE(tall && wide);
    EXPECT_EQ(tall->width, 30u);
    EXPECT_EQ(tall->height, 70u);
    EXPECT_EQ(wide->width, 90u);
    EXPECT_EQ(wide->height, 20u);
    EXPECT_FALSE(ReadPictureSize(box.Root() + "/none.jpg"));
    Sandbox::Write(box.Root() + "/text.bmp", "not a picture at all");
    EXPECT_FALSE(ReadPictureSize(box.Root() + "/text.bmp"));
    TPictureSizes sizes;
    EXPECT_TRUE(sizes.Of(jpeg));
    std::filesystem::remove(jpeg);
    EXPECT_TRUE(sizes.Of(jpeg)) << "read once per run";
}

class MonitorBitmaps : public ::testing::Test {
protected:
    Sandbox box;

    std::string In(const std::string& name) const { return box.Root() + "/" + name; }

    std::string Jpeg(const std::string& name, unsigned w, unsigned h)
    {
        test::WritePpm(In(name + ".ppm"), w, h);
        test::MakeJpeg(In(name + ".ppm"), In(name), {"-quality", "95"});
        return In(name);
    }

    test::Picture Make(const std::string& picture, int style, unsigned w, unsigned h)
    {
        const std::string out = In("monitor.bmp");
        picture::MakeMonitorBitmap({picture, style, w, h, out});
        return test::ReadBmp(out);
    }
};

// A bitmap picture of four quarters, red, green, blue and white from the top left, with a black
// frame one pixel wide.
std::uint32_t Quarters(unsigned x, unsigned y, unsigned w, unsigned h)
{
    if (x == 0 || y == 0 || x == w - 1 || y == h - 1)
        return Black;
    return y < h / 2 ? (x < w / 2 ? Red : Green) : (x < w / 2 ? Blue : White);
}

TEST_F(MonitorBitmaps, EachStyleFillsTheMonitorAsItSays)
{
    test::WriteBmp24(In("q.bmp"), 40, 20, [](unsigned x, unsigned y) { return Quarters(x, y, 40, 20); });
    // Stretch: the quarters fill the quarters of the monitor, the frame at its edges.
    test::Picture p = Make(In("q.bmp"), 2, 200, 300);
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.width, 200u);
    EXPECT_EQ(p.height, 300u);
    EXPECT_EQ(p.At(50, 75), Red);
    EXPECT_EQ(p.At(150, 75), Green);
    EXPECT_EQ(p.At(50, 225), Blue);
    EXPECT_EQ(p.At(150, 225), White);
    EXPECT_EQ(p.At(0, 150), Black);
    EXPECT_EQ(p.At(199, 299), Black);
    // Center: at its own size in the middle, black around it.
    p = Make(In("q.bmp"), 0, 100, 60);
    EXPECT_EQ(p.At(30, 20), Black) << "the frame's corner";
    EXPECT_EQ(p.At(31, 21), Red);
    EXPECT_EQ(p.At(68, 38), White);
    EXPECT_EQ(p.At(10, 10), Black);
    EXPECT_EQ(p.At(90, 50), Black);
    // Center, the picture the larger: its middle.
    p = Make(In("q.bmp"), 7, 10, 6);
    EXPECT_EQ(p.At(4, 2), Red) << "any other style centres";
    EXPECT_EQ(p.At(5, 3), White);
    // Tile: repeated from the top left.
    p = Make(In("q.bmp"), 1, 100, 50);
    for (const unsigned x : {1u, 41u, 81u})
        EXPECT_EQ(p.At(x, 1), Red) << x;
    EXPECT_EQ(p.At(61, 21), Green);
    EXPECT_EQ(p.At(40, 20), Black);
}

TEST_F(MonitorBitmaps, AJpegIsTheScaledPictureDjpegDecodes)
{
    // 1600 x 1200 stretched over 380 x 290: a quarter is enough, so libjpeg decodes at 2/8.
    const std::string jpeg = Jpeg("photo.jpg", 1600, 1200);
    test::RunTool("djpeg", {"-scale", "2/8", "-bmp", "-outfile", In("quarter.bmp"), jpeg});
    const test::Picture reference = test::ReadBmp(In("quarter.bmp"));
    const test::Picture p = Make(jpeg, 2, 380, 290);
    ASSERT_TRUE(p.ok && reference.ok);
    long differ = 0;
    for (unsigned y = 0; y < p.height; ++y)
        for (unsigned x = 0; x < p.width; ++x)
            differ += p.At(x, y)
                != reference.At(unsigned((2ull * x + 1) * reference.width / (2ull * p.width)),
                    unsigned((2ull * y + 1) * reference.height / (2ull * p.height)));
    EXPECT_EQ(differ, 0) << "each monitor pixel is the scaled picture's pixel at its centre";
}

TEST_F(MonitorBitmaps, ALargeJpegCentredShowsItsMiddlePixelForPixel)
{
    const std::string jpeg = Jpeg("big.jpg", 900, 700);
    test::Djpeg(jpeg, In("whole.bmp"));
    const test::Picture whole = test::ReadBmp(In("whole.bmp"));
    const test::Picture p = Make(jpeg, 0, 301, 203);
    ASSERT_TRUE(p.ok && whole.ok);
    long differ = 0;
    for (unsigned y = 0; y < p.height; ++y)
        for (unsigned x = 0; x < p.width; ++x)
            differ += p.At(x, y) != whole.At(x + 299, y + 248);
    EXPECT_EQ(differ, 0) << "only the middle is decoded, and it matches the whole picture's";
}

TEST_F(MonitorBitmaps, WhatCannotBeReadRaisesItsErrorAndLeavesEveryBitmap)
{
    test::WriteBmp24(In("red.bmp"), 8, 8, [](unsigned, unsigned) { return Red; });
    Sandbox::Write(In("bad.jpg"), "\xFF\xD8\xFF not really");
    Sandbox::Write(In("a.bmp"), "old a");
    Sandbox::Write(In("b.bmp"), "old b");
    const std::vector<picture::MonitorBitmapJob> jobs
        = {{In("red.bmp"), 2, 16, 16, In("a.bmp")}, {In("bad.jpg"), 2, 16, 16, In("b.bmp")}};
    EXPECT_EQ(
        test::ErrorOf([&] { picture::MakeMonitorBitmaps(jobs, ".part"); }).rfind("The picture " + In("bad.jpg"), 0),
        0u);
    EXPECT_EQ(Sandbox::Read(In("a.bmp")), "old a") << "nothing is replaced when one fails";
    EXPECT_EQ(Sandbox::Read(In("b.bmp")), "old b");
    EXPECT_FALSE(std::filesystem::exists(In("a.bmp.part")));
    EXPECT_EQ(test::ErrorOf([&] {
        picture::MakeMonitorBitmap({In("text.png"), 2, 4, 4, In("c.bmp")});
    }),
        "Cannot open file " + In("text.png"));

    picture::MakeMonitorBitmaps({jobs[0], {In("red.bmp"), 0, 4, 4, In("b.bmp")}}, ".part");
    EXPECT_EQ(test::ReadBmp(In("a.bmp")).width, 16u);
    EXPECT_EQ(test::ReadBmp(In("b.bmp")).width, 4u);
}

TEST_F(MonitorBitmaps, TheSpannedPictureHoldsEachMonitorInItsPlace)
{
    const std::string a = In("a.bmp"), b = In("b.bmp");
    test::WriteBmp24(In("red.bmp"), 4, 4, [](unsigned, unsigned) { return Red; });
    test::WriteBmp24(In("blue.bmp"), 4, 4, [](unsigned, unsigned) { return Blue; });
    picture::MakeMonitorBitmap({In("red.bmp"), 2, 30, 20, a});
    picture::MakeMonitorBitmap({In("blue.bmp"), 2, 10, 40, b});
    // An L: B below and right of A, reaching further down; the box starts at A's corner.
    std::vector<platform::MonitorWallpaper> monitors
        = {{Screen("A", -30, 0, 30, 20, true), a, true}, {Screen("B", 0, 10, 10, 40), b, true}};
    ASSERT_TRUE(picture::ComposeSpannedBitmap(monitors, In("span.bmp")));
    const test::Picture span = test::ReadBmp(In("span.bmp"));
    ASSERT_TRUE(span.ok);
    EXPECT_EQ(span.width, 40u);
    EXPECT_EQ(span.height, 50u);
    EXPECT_EQ(span.At(0, 0), Red);
    EXPECT_EQ(span.At(29, 19), Red);
    EXPECT_EQ(span.At(30, 9), Black) << "no monitor there";
    EXPECT_EQ(span.At(30, 10), Blue);
    EXPECT_EQ(span.At(39, 49), Blue);
    EXPECT_EQ(span.At(5, 30), Black);
}

TEST(SpannedBitmap, AMonitorBitmapThatIsNotOursComposesAsBlack)
{
    Sandbox box;
    Sandbox::Write(box.Root() + "/odd.bmp", "BM but nothing else");
    ASSERT_TRUE(picture::ComposeSpannedBitmap(
        {{Screen("A", 0, 0, 8, 8, true), box.Root() + "/odd.bmp", true}}, box.Root() + "/span.bmp"));
    const test::Picture span = test::ReadBmp(box.Root() + "/span.bmp");
    EXPECT_EQ(span.At(3, 3), Black);
    EXPECT_FALSE(picture::ComposeSpannedBitmap({}, box.Root() + "/none.bmp"));
}

// The change as a whole, against a desktop that records what it was handed.
class RecordingMonitorsDesktop final : public platform::IDesktop {
public:
    std::vector<platform::MonitorWallpapers> handed;
    std::string spanned;
    platform::WallpaperOutcome ApplyWallpaperSettings() override { return {true, "single"}; }
    platform::WallpaperOutcome ApplyMonitorWallpapers(const platform::MonitorWallpapers& w) override
    {
        handed.push_back(w);
        spanned = w.spanned();
        return {true, "recorded", {{w.monitors.front().monitor.name, true, "here"}}};
    }
};

class MonitorChange : public ::testing::Test {
protected:
    Sandbox box;
    TPublicUnit unit;
    RecordingMonitorsDesktop desktop;
    test::ServicesWith services {[this](platform::Services& s) { s.desktop = &desktop; }};
    std::string windows = box.DataHome() + "/kaleidra-agent";

    std::string Picture(const std::string& name, std::uint32_t colour)
    {
        const std::string path = box.Root() + "/" + name;
        test::WriteBmp24(path, 6, 4, [colour](unsigned, unsigned) { return colour; });
        return path;
    }
    std::string Value(const char* name)
    {
        const auto read = platform::Native().registry->OpenKey(desktop::Key)->QueryString(name);
        return read.status == platform::RegRead::Ok ? read.value : "(absent)";
    }
};

TEST_F(MonitorChange, EachMonitorGetsItsBitmapAndThePrimarysIsTheWallpaperBitmap)
{
    const platform::Monitor left = Screen("DP-1", 0, 0, 64, 40, true), right = Screen("HDMI/2", 64, 0, 40, 64);
    unit.SetMonitorWallpapers(
        {{left, Picture("red.bmp", Red), true, true}, {right, Picture("blue.bmp", Blue), true, true}}, 2);

    ASSERT_EQ(desktop.handed.size(), 1u);
    const auto& handed = desktop.handed[0].monitors;
    ASSERT_EQ(handed.size(), 2u);
    EXPECT_EQ(handed[0].bitmap, windows + "/KAWalllpaper[DP-1].bmp");
    EXPECT_EQ(handed[1].bitmap, windows + "/KAWalllpaper[HDMI_2].bmp") << "a name is made safe for a file";
    const test::Picture l = test::ReadBmp(handed[0].bitmap), r = test::ReadBmp(handed[1].bitmap);
    EXPECT_EQ(l.width, 64u);
    EXPECT_EQ(l.At(63, 39), Red);
    EXPECT_EQ(r.height, 64u);
    EXPECT_EQ(r.At(0, 0), Blue);
    EXPECT_EQ(Sandbox::Read(windows + "/KAWalllpaper.bmp"), Sandbox::Read(handed[0].bitmap));
    EXPECT_EQ(Value("Wallpaper"), windows + "/KAWalllpaper.bmp");
    EXPECT_EQ(Value("TileWallpaper"), "0");
    EXPECT_EQ(Value("WallpaperStyle"), "2");
    // The whole desktop's picture, made when the desktop asked for it.
    EXPECT_EQ(desktop.spanned, windows + "/KAWalllpaper-spanned.bmp");
    EXPECT_EQ(test::ReadBmp(desktop.spanned).width, 104u);
}

TEST_F(MonitorChange, ABitmapNotToRemakeStaysAsItWas)
{
    const platform::Monitor left = Screen("L", 0, 0, 32, 20, true);
    unit.SetMonitorWallpapers({{left, Picture("red.bmp", Red), true, true}}, 2);
    struct stat before { };
    stat((windows + "/KAWalllpaper[L].bmp").c_str(), &before);
    // Its picture gone: no matter, the bitmap is not made again.
    std::filesystem::remove(box.Root() + "/red.bmp");
    unit.SetMonitorWallpapers({{left, box.Root() + "/red.bmp", false, true}}, 2);
    struct stat after { };
    stat((windows + "/KAWalllpaper[L].bmp").c_str(), &after);
    EXPECT_EQ(before.st_ino, after.st_ino);
    EXPECT_EQ(desktop.handed.size(), 2u);
    // To be made from a picture that went: the error, and the desktop is not told.
    EXPECT_EQ(test::ErrorOf([&] {
        unit.SetMonitorWallpapers({{left, box.Root() + "/red.bmp", true, true}}, 2);
    }),
        "Cannot open file " + box.Root() + "/red.bmp");
    EXPECT_EQ(desktop.handed.size(), 2u);
}

} // namespace
