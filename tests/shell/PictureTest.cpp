// Picture decoding with libjpeg and the wallpaper bitmap, compared with djpeg -bmp.
#include "ShellTestSupport.h"
#include "shell/BitmapFile.h"
#include "shell/JpegDecoder.h"
#include "support/Sandbox.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
// jerror.h names libjpeg's message numbers.
#include <jerror.h>
#include <jpeglib.h>

using namespace kdx;
using kdx::test::Sandbox;

namespace {

// The end of the text of a picture that does not decode, and that end of a text; the words before
// it name the picture and say what is wrong.
std::string JpegError(int code) { return "(JPEG error #" + std::to_string(code) + ")"; }
std::string JpegCode(const std::string& text)
{
    const std::size_t at = text.rfind("(JPEG error #");
    return at == std::string::npos ? text : text.substr(at);
}

class PictureDecoding : public ::testing::Test {
protected:
    Sandbox box;

    std::string In(const std::string& name) const { return box.Root() + "/" + name; }

    // A generated picture, through cjpeg with Options.
    std::string Jpeg(const std::string& name, unsigned w, unsigned h, const std::vector<std::string>& options = {})
    {
        const std::string ppm = In(name + ".ppm");
        test::WritePpm(ppm, w, h);
        test::MakeJpeg(ppm, In(name), options);
        return In(name);
    }

    // Ours and djpeg's bitmaps of the same JPEG: the number of pixels that differ.
    long CompareWithDjpeg(const std::string& jpeg)
    {
        picture::WriteJpegAsBitmap(jpeg, jpeg + ".ours.bmp");
        test::Djpeg(jpeg, jpeg + ".djpeg.bmp");
        return test::PixelDifferences(test::ReadBmp(jpeg + ".ours.bmp"), test::ReadBmp(jpeg + ".djpeg.bmp"));
    }
};

TEST_F(PictureDecoding, BaselineMatchesDjpegPixelForPixel)
{
    EXPECT_EQ(CompareWithDjpeg(Jpeg("base.jpg", 61, 37)), 0) << "odd width: padded rows";
    EXPECT_EQ(CompareWithDjpeg(Jpeg("one.jpg", 1, 1)), 0);
    EXPECT_EQ(CompareWithDjpeg(Jpeg("h1v1.jpg", 64, 48, {"-sample", "1x1"})), 0);
    EXPECT_EQ(CompareWithDjpeg(Jpeg("h2v1.jpg", 63, 47, {"-sample", "2x1"})), 0);
    EXPECT_EQ(CompareWithDjpeg(Jpeg("restart.jpg", 90, 70, {"-restart", "1"})), 0);
}

TEST_F(PictureDecoding, APictureOfSeveralBlocksMatchesDjpeg)
{
    // 4 MiB blocks of rows: 1700 x 1500 takes two, the second one short.
    EXPECT_EQ(CompareWithDjpeg(Jpeg("big.jpg", 1700, 1500)), 0);
}

TEST_F(PictureDecoding, ProgressiveMatchesDjpeg)
{
    EXPECT_EQ(CompareWithDjpeg(Jpeg("prog.jpg", 201, 133, {"-progressive"})), 0);
}

TEST_F(PictureDecoding, GrayscaleMatchesDjpeg)
{
    // djpeg writes an 8-bit bitmap with a grey colour table; ours is 24-bit with the same greys.
    EXPECT_EQ(CompareWithDjpeg(Jpeg("gray.jpg", 77, 51, {"-grayscale"})), 0);
    EXPECT_EQ(CompareWithDjpeg(Jpeg("grayprog.jpg", 77, 51, {"-grayscale", "-progressive"})), 0);
}

TEST_F(PictureDecoding, CmykAndYcckMatchDjpeg)
{
    test::WriteCmykJpeg(In("cmyk.jpg"), 45, 33, false, true);
    EXPECT_EQ(CompareWithDjpeg(In("cmyk.jpg")), 0) << "Adobe CMYK, inverted";
    test::WriteCmykJpeg(In("ycck.jpg"), 45, 33, true, true);
    EXPECT_EQ(CompareWithDjpeg(In("ycck.jpg")), 0);
    test::WriteCmykJpeg(In("plain-cmyk.jpg"), 45, 33, false, false);
    EXPECT_EQ(CompareWithDjpeg(In("plain-cmyk.jpg")), 0) << "without the Adobe marker, taken as djpeg takes it";
}

TEST_F(PictureDecoding, TheBitmapIsAnUncompressedBottomUp24BitFile)
{
    const std::string jpeg = Jpeg("hdr.jpg", 61, 37);
    picture::WriteJpegAsBitmap(jpeg, In("hdr.bmp"));
    const std::string bmp = Sandbox::Read(In("hdr.bmp"));
    const auto le = [&](std::size_t at, int n) {
        std::uint32_t v = 0;
        for (int i = n - 1; i >= 0; --i)
            v = v << 8 | (unsigned char)bmp[at + std::size_t(i)];
        return v;
    };
    const std::size_t stride = (61 * 3 + 3) / 4 * 4;
    ASSERT_EQ(bmp.size(), 54 + stride * 37);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(le(2, 4), bmp.size());
    EXPECT_EQ(le(10, 4), 54u);
    EXPECT_EQ(le(14, 4), 40u);
    EXPECT_EQ(le(18, 4), 61u);
    EXPECT_EQ(le(22, 4), 37u) << "positive height: bottom-up";
    EXPECT_EQ(le(26, 2), 1u);
    EXPECT_EQ(le(28, 2), 24u);
    EXPECT_EQ(le(30, 4), 0u) << "BI_RGB";
    EXPECT_EQ(le(34, 4), stride * 37);
    for (unsigned y = 0; y < 37; ++y)
        for (std::size_t pad = 61 * 3; pad < stride; ++pad)
            EXPECT_EQ(bmp[54 + y * stride + pad], '\0');
}

TEST_F(PictureDecoding, ThePictureInMemoryMatchesTheBitmap)
{
    const std::string jpeg = Jpeg("mem.jpg", 50, 40, {"-progressive"});
    const picture::RgbPicture picture = picture::DecodeJpegPicture(picture::JpegInput::File(jpeg));
    test::Djpeg(jpeg, In("mem.bmp"));
    const test::Picture reference = test::ReadBmp(In("mem.bmp"));
    ASSERT_EQ(picture.width, reference.width);
    ASSERT_EQ(picture.height, reference.height);
    long differ = 0;
    for (unsigned y = 0; y < picture.height; ++y)
        for (unsigned x = 0; x < picture.width; ++x) {
            const std::uint8_t* p = &picture.pixels[(std::size_t(y) * picture.width + x) * 3];
            differ += (std::uint32_t(p[0]) << 16 | std::uint32_t(p[1]) << 8 | p[2]) != reference.At(x, y);
        }
    EXPECT_EQ(differ, 0);

    const std::string bytes = Sandbox::Read(jpeg);
    const auto same = picture::DecodeJpegPicture(picture::JpegInput::Bytes(bytes.data(), bytes.size()));
    EXPECT_EQ(same.pixels, picture.pixels);
}

// Collects what the decoder gives for the region it is told to choose.
class RegionSink final : public picture::RowSink {
public:
    explicit RegionSink(picture::DecodeRegion region) : region_(region) { }
    picture::DecodeRegion Choose(unsigned width, unsigned height) override
    {
        asked = {width, height};
        return region_;
    }
    void Begin(unsigned w, unsigned h) override
    {
        width = w;
        height = h;
        pixels.assign(std::size_t(w) * h * 3, 0);
    }
    unsigned Reserve(unsigned y, unsigned max, std::uint8_t** rows) override
    {
        for (unsigned i = 0; i < max; ++i)
            rows[i] = pixels.data() + std::size_t(y + i) * width * 3;
        return max;
    }
    void Commit(unsigned) override { }
    std::uint32_t At(unsigned x, unsigned y) const
    {
        const std::uint8_t* p = &pixels[(std::size_t(y) * width + x) * 3];
        return std::uint32_t(p[0]) << 16 | std::uint32_t(p[1]) << 8 | p[2];
    }

    std::pair<unsigned, unsigned> asked;
    unsigned width = 0, height = 0;
    std::vector<std::uint8_t> pixels;

private:
    picture::DecodeRegion region_;
};

TEST_F(PictureDecoding, APartOfAScaledPictureMatchesDjpegsScaledPicture)
{
    const std::string kinds[] = {Jpeg("part.jpg", 203, 151), Jpeg("partp.jpg", 203, 151, {"-progressive"}),
        Jpeg("partg.jpg", 203, 151, {"-grayscale"}), Jpeg("part11.jpg", 203, 151, {"-sample", "1x1"})};
    test::WriteCmykJpeg(In("partc.jpg"), 203, 151, false, true);
    std::vector<std::string> files(std::begin(kinds), std::end(kinds));
    files.push_back(In("partc.jpg"));
    for (const std::string& jpeg : files) {
        for (const unsigned k : {1u, 3u, 4u, 8u}) {
            const std::string scaled = jpeg + "." + std::to_string(k) + ".bmp";
            ASSERT_TRUE(test::RunTool("djpeg", {"-scale", std::to_string(k) + "/8", "-bmp", "-outfile", scaled, jpeg}));
            const test::Picture reference = test::ReadBmp(scaled);
            ASSERT_TRUE(reference.ok);
            // A part away from every edge, one on the edges of libjpeg's blocks, and one that runs
            // past the right and bottom edges.
            for (const auto& [x, y, w, h] : {std::array<unsigned, 4> {reference.width / 3, reference.height / 4,
                                                 reference.width / 2, reference.height / 3},
                     std::array<unsigned, 4> {16, 16, 16, 16},
                     std::array<unsigned, 4> {reference.width / 2 + 1, reference.height / 2, 999, 999}}) {
                RegionSink sink({k, x, y, w, h});
                picture::DecodeJpeg(picture::JpegInput::File(jpeg), picture::PixelOrder::Rgb, sink);
                EXPECT_EQ(sink.asked, std::make_pair(203u, 151u));
                ASSERT_EQ(sink.width, std::min(w, reference.width - x)) << jpeg << " at " << k << "/8";
                ASSERT_EQ(sink.height, std::min(h, reference.height - y));
                long differ = 0;
                for (unsigned row = 0; row < sink.height; ++row)
                    for (unsigned column = 0; column < sink.width; ++column)
                        differ += sink.At(column, row) != reference.At(x + column, y + row);
                EXPECT_EQ(differ, 0) << jpeg << " at " << k << "/8, part at " << x << "," << y;
            }
        }
    }
}

// Collects whole rows of any pixel size.
class BytesSink final : public picture::RowSink {
public:
    explicit BytesSink(unsigned bytes) : bytes_(bytes) { }
    void Begin(unsigned w, unsigned h) override
    {
        width = w;
        pixels.assign(std::size_t(w) * h * bytes_, 0);
    }
    unsigned Reserve(unsigned y, unsigned max, std::uint8_t** rows) override
    {
        for (unsigned i = 0; i < max; ++i)
            rows[i] = pixels.data() + std::size_t(y + i) * width * bytes_;
        return max;
    }
    void Commit(unsigned) override { }
    std::vector<std::uint8_t> pixels;
    unsigned width = 0;

private:
    unsigned bytes_;
};

TEST_F(PictureDecoding, FourBytePixelsHoldTheSameColoursWithAFullFiller)
{
    test::WriteCmykJpeg(In("four-cmyk.jpg"), 37, 21, false, true);
    for (const std::string& jpeg :
        {Jpeg("four.jpg", 37, 21), Jpeg("four-gray.jpg", 37, 21, {"-grayscale"}), In("four-cmyk.jpg")}) {
        const picture::RgbPicture rgb = picture::DecodeJpegPicture(picture::JpegInput::File(jpeg));
        for (const auto& [order, at] : {std::pair {picture::PixelOrder::Bgrx, std::array<int, 4> {2, 1, 0, 3}},
                 std::pair {picture::PixelOrder::Xrgb, std::array<int, 4> {1, 2, 3, 0}}}) {
            BytesSink sink(4);
            picture::DecodeJpeg(picture::JpegInput::File(jpeg), order, sink);
            ASSERT_EQ(sink.pixels.size(), rgb.pixels.size() / 3 * 4);
            long differ = 0;
            for (std::size_t p = 0; p < rgb.pixels.size() / 3; ++p) {
                const std::uint8_t* four = &sink.pixels[p * 4];
                differ += four[at[0]] != rgb.pixels[p * 3] || four[at[1]] != rgb.pixels[p * 3 + 1]
                    || four[at[2]] != rgb.pixels[p * 3 + 2] || four[at[3]] != 255;
            }
            EXPECT_EQ(differ, 0) << jpeg;
        }
    }
}

TEST_F(PictureDecoding, AMissingPictureCannotBeOpened)
{
    EXPECT_EQ(test::ErrorOf([&] { picture::WriteJpegAsBitmap(In("none.jpg"), In("out.bmp")); }),
        "Cannot open file " + In("none.jpg"));
    EXPECT_FALSE(Sandbox::Exists(In("out.bmp")));
}

// A named pipe or a device among the pictures is never waited on (a pipe held the agent at its
// start for good): it is refused at once, by its name and kind.
TEST_F(PictureDecoding, WhatIsNoFileIsRefusedAtOnceByNameAndKind)
{
    ASSERT_EQ(mkfifo(In("pipe.jpg").c_str(), 0644), 0);
    EXPECT_EQ(test::ErrorOf([&] { picture::DecodeJpegPicture(picture::JpegInput::File(In("pipe.jpg"))); }),
        "Cannot open file " + In("pipe.jpg") + ": it is a named pipe, not a file");
    EXPECT_EQ(test::ErrorOf([&] { picture::WriteJpegAsBitmap("/dev/zero", In("out.bmp")); }),
        "Cannot open file /dev/zero: it is a device, not a file");
    std::filesystem::create_directories(In("folder.jpg"));
    EXPECT_EQ(test::ErrorOf([&] { picture::WriteJpegAsBitmap(In("folder.jpg"), In("out.bmp")); }),
        "Cannot open file " + In("folder.jpg") + ": it is a folder, not a file");
    EXPECT_FALSE(Sandbox::Exists(In("out.bmp")));
}

std::string Claiming(const std::string& jpeg, unsigned width, unsigned height);

// What is wrong with a picture is said in words, with its name; libjpeg's number stays at the end.
TEST_F(PictureDecoding, ErrorsSayInWordsWhatIsWrongWithWhichPicture)
{
    Sandbox::Write(In("text.jpg"), "This is not a picture.");
    EXPECT_EQ(test::ErrorOf([&] { picture::DecodeJpegPicture(picture::JpegInput::File(In("text.jpg"))); }),
        "The picture " + In("text.jpg") + " cannot be shown: it is not a JPEG picture (JPEG error #"
            + std::to_string(int(JERR_NO_SOI)) + ")");
    Sandbox::Write(In("huge.jpg"), Claiming(Jpeg("small.jpg", 16, 16), 60000, 60000));
    EXPECT_EQ(test::ErrorOf([&] { picture::WriteJpegAsBitmap(In("huge.jpg"), In("huge.bmp")); }),
        "The picture " + In("huge.jpg")
            + " cannot be shown: it has 60000 x 60000 pixels, more than the 100 "
              "megapixels a picture may have (JPEG error #"
            + std::to_string(int(JERR_IMAGE_TOO_BIG)) + ")");
    Sandbox::Write(In("empty.jpg"), "");
    EXPECT_EQ(test::ErrorOf([&] { picture::DecodeJpegPicture(picture::JpegInput::File(In("empty.jpg"))); }),
        "The picture " + In("empty.jpg") + " cannot be shown: the file is empty (JPEG error #"
            + std::to_string(int(JERR_INPUT_EMPTY)) + ")");
}

// A picture whose end marker is missing, followed by gigabytes of zeros (a sparse file here):
// libjpeg reads on through them looking for a marker, which took 56 s. A baseline picture is
// whole once its last row is read; a progressive one is refused once its data runs far past what
// its pixels need.
TEST_F(PictureDecoding, ZerosAfterAPictureWithoutItsEndAreNotReadThrough)
{
    for (const bool progressive : {false, true}) {
        SCOPED_TRACE(progressive ? "progressive" : "baseline");
        std::string bytes = Sandbox::Read(Jpeg("whole.jpg", 64, 48,
            progressive ? std::vector<std::string> {"-progressive"} : std::vector<std::string> {}));
        ASSERT_EQ(bytes.substr(bytes.size() - 2), "\xFF\xD9");
        bytes.resize(bytes.size() - 2);
        Sandbox::Write(In("zeros.jpg"), bytes);
        ASSERT_EQ(truncate(In("zeros.jpg").c_str(), off_t(bytes.size()) + (off_t(8) << 30)), 0);
        const auto start = std::chrono::steady_clock::now();
        const std::string error = test::ErrorOf([&] { picture::WriteJpegAsBitmap(In("zeros.jpg"), In("zeros.bmp")); });
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
        if (progressive) {
            EXPECT_EQ(error,
                "The picture " + In("zeros.jpg")
                    + " cannot be shown: its data goes on far past what "
                      "its pixels need (is its end missing?) (JPEG error #"
                    + std::to_string(int(JERR_IMAGE_TOO_BIG)) + ")");
        } else {
            EXPECT_EQ(error, "(no error)");
            EXPECT_TRUE(Sandbox::Exists(In("zeros.bmp")));
        }
        std::filesystem::remove(In("zeros.jpg"));
    }
}

TEST_F(PictureDecoding, WhatIsNoJpegRaisesLibjpegsMessageNumber)
{
    Sandbox::Write(In("text.jpg"), "This is not a picture.");
    EXPECT_EQ(JpegCode(test::ErrorOf([&] { picture::WriteJpegAsBitmap(In("text.jpg"), In("out.bmp")); })),
        JpegError(JERR_NO_SOI));
    Sandbox::Write(In("empty.jpg"), "");
    EXPECT_EQ(JpegCode(test::ErrorOf([&] { picture::WriteJpegAsBitmap(In("empty.jpg"), In("out.bmp")); })),
        JpegError(JERR_INPUT_EMPTY));
    EXPECT_EQ(JpegCode(test::ErrorOf([&] { picture::DecodeJpegPicture(picture::JpegInput::Bytes("", 0)); })),
        JpegError(JERR_INPUT_EMPTY));
    EXPECT_FALSE(Sandbox::Exists(In("out.bmp")));
}

TEST_F(PictureDecoding, ABitmapThatCannotBeCreatedSaysSo)
{
    const std::string jpeg = Jpeg("ok.jpg", 20, 20);
    const std::string bitmap = In("no/such/folder/out.bmp");
    EXPECT_EQ(test::ErrorOf([&] { picture::WriteJpegAsBitmap(jpeg, bitmap); }), "Cannot create file " + bitmap);
}

TEST_F(PictureDecoding, ADamagedPictureLeavesNoPartOfABitmap)
{
    const std::string whole = Sandbox::Read(Jpeg("whole.jpg", 64, 64, {"-progressive"}));
    std::string damaged = whole;
    // A second start-of-frame inside the scans is fatal to libjpeg.
    const std::size_t sos = damaged.find("\xFF\xDA");
    ASSERT_NE(sos, std::string::npos);
    damaged.insert(sos, whole.substr(whole.find("\xFF\xC2"), 19));
    Sandbox::Write(In("bad.jpg"), damaged);
    const std::string error = test::ErrorOf([&] { picture::WriteJpegAsBitmap(In("bad.jpg"), In("bad.bmp")); });
    EXPECT_EQ(error.rfind("The picture " + In("bad.jpg") + " cannot be shown: it is damaged (", 0), 0u) << error;
    EXPECT_FALSE(Sandbox::Exists(In("bad.bmp")));
}

// A small real JPEG whose frame header claims Width x Height.
std::string Claiming(const std::string& jpeg, unsigned width, unsigned height)
{
    std::string bytes = Sandbox::Read(jpeg);
    const std::size_t sof = bytes.find("\xFF\xC0");
    EXPECT_NE(sof, std::string::npos);
    bytes[sof + 5] = char(height >> 8);
    bytes[sof + 6] = char(height);
    bytes[sof + 7] = char(width >> 8);
    bytes[sof + 8] = char(width);
    return bytes;
}

long PeakKiB()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TEST_F(PictureDecoding, AHugeDeclaredSizeIsRefusedBeforeAnythingIsAllocated)
{
    Sandbox::Write(In("huge.jpg"), Claiming(Jpeg("small.jpg", 16, 16), 60000, 60000));
    ASSERT_LT(Sandbox::Read(In("huge.jpg")).size(), 2000u);
    const long before = PeakKiB();
    EXPECT_EQ(JpegCode(test::ErrorOf([&] { picture::WriteJpegAsBitmap(In("huge.jpg"), In("huge.bmp")); })),
        JpegError(JERR_IMAGE_TOO_BIG));
    EXPECT_EQ(JpegCode(test::ErrorOf([&] { picture::DecodeJpegPicture(picture::JpegInput::File(In("huge.jpg"))); })),
        JpegError(JERR_IMAGE_TOO_BIG));
    EXPECT_LT(PeakKiB() - before, 64 * 1024) << "no large allocation";
    EXPECT_FALSE(Sandbox::Exists(In("huge.bmp")));
}

TEST_F(PictureDecoding, TheLimitIsOnPixels)
{
    const std::string jpeg = Jpeg("limit.jpg", 100, 100);
    picture::DecodeLimits limits;
    limits.maxPixels = 100 * 100;
    EXPECT_NO_THROW(picture::WriteJpegAsBitmap(jpeg, In("limit.bmp"), "", limits));
    limits.maxPixels = 100 * 100 - 1;
    EXPECT_EQ(JpegCode(test::ErrorOf([&] { picture::WriteJpegAsBitmap(jpeg, In("limit2.bmp"), "", limits); })),
        JpegError(JERR_IMAGE_TOO_BIG));
    EXPECT_EQ(picture::DecodeLimits().maxPixels, 100'000'000u);
}

TEST_F(PictureDecoding, LibjpegsWorkingMemoryIsCapped)
{
    const std::string jpeg = Jpeg("capped.jpg", 400, 400, {"-progressive"});
    picture::DecodeLimits limits;
    limits.maxDecoderMemory = 256 * 1024; // a progressive picture needs all its coefficients
    EXPECT_EQ(JpegCode(test::ErrorOf([&] { picture::WriteJpegAsBitmap(jpeg, In("capped.bmp"), "", limits); })),
        JpegError(JERR_NO_BACKING_STORE));
    EXPECT_FALSE(Sandbox::Exists(In("capped.bmp")));
}

// A flat grey picture of Width x Height, progressive as cjpeg writes it (ten scans). Its
// second scan (the first band of the first component) is a few bytes, since every block is
// empty, yet decoding it walks every block of the picture.
std::string FlatProgressive(const std::string& ppm, unsigned width, unsigned height)
{
    {
        std::ofstream out(ppm, std::ios::binary);
        out << "P6\n" << width << " " << height << "\n255\n" << std::string(std::size_t(width) * height * 3, '\x80');
    }
    test::MakeJpeg(ppm, ppm + ".jpg", {"-progressive"});
    return Sandbox::Read(ppm + ".jpg");
}

// The scan FlatProgressive repeats.
constexpr std::size_t CheapScan = 1;

double ThreadSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

TEST_F(PictureDecoding, MoreScansThanEncodersWriteAreRefusedAtOnce)
{
    // Ten scans as cjpeg writes them, one repeated: 100 in all decode, 101 do not.
    const std::string flat = FlatProgressive(In("flat.ppm"), 3000, 2000);
    Sandbox::Write(In("100.jpg"), test::RepeatScan(flat, CheapScan, 90));
    Sandbox::Write(In("101.jpg"), test::RepeatScan(flat, CheapScan, 91));
    EXPECT_EQ(picture::DecodeJpegPicture(picture::JpegInput::File(In("100.jpg"))).width, 3000u);
    EXPECT_EQ(JpegCode(test::ErrorOf([&] { picture::DecodeJpegPicture(picture::JpegInput::File(In("101.jpg"))); })),
        JpegError(JERR_IMAGE_TOO_BIG));

    // 17 bytes a scan, a pass over six megapixels each: without the limit, about 10 s here.
    Sandbox::Write(In("hostile.jpg"), test::RepeatScan(flat, CheapScan, 20000));
    ASSERT_LT(Sandbox::Read(In("hostile.jpg")).size(), 500'000u);
    picture::DecodeLimits unhurried;
    unhurried.maxMilliseconds = 3'600'000;
    const double start = ThreadSeconds();
    EXPECT_EQ(JpegCode(test::ErrorOf(
                  [&] { picture::WriteJpegAsBitmap(In("hostile.jpg"), In("hostile.bmp"), "", unhurried); })),
        JpegError(JERR_IMAGE_TOO_BIG));
    EXPECT_LT(ThreadSeconds() - start, 2.0);
    EXPECT_FALSE(Sandbox::Exists(In("hostile.bmp")));
    EXPECT_EQ(picture::DecodeLimits().maxScans, 100);
}

TEST_F(PictureDecoding, NoPictureHoldsTheThreadPastItsTime)
{
    const std::string flat = FlatProgressive(In("slow.ppm"), 3000, 2000);
    Sandbox::Write(In("slow.jpg"), test::RepeatScan(flat, CheapScan, 80));
    picture::DecodeLimits limits;
    limits.maxMilliseconds = 5;
    const double start = ThreadSeconds();
    EXPECT_EQ(
        JpegCode(test::ErrorOf([&] { picture::DecodeJpegPicture(picture::JpegInput::File(In("slow.jpg")), limits); })),
        JpegError(JERR_IMAGE_TOO_BIG));
    EXPECT_LT(ThreadSeconds() - start, 0.5) << "ended soon after its time";
    EXPECT_EQ(picture::DecodeLimits().maxMilliseconds, 4000u);
}

} // namespace
