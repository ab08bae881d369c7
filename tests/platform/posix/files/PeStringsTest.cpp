// Our reader of string resources in PE files: LoadString's answers, and safety on any bytes.
#include "platform/posix/files/PeStrings.h"
#include "ShellTestSupport.h"
#include "support/Sandbox.h"

#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kdx::platform::posix;
using kdx::test::PeFixture;
using kdx::test::Sandbox;

namespace {

// Each test in a sandbox of its own, though the reader writes nothing.
class PeStrings : public ::testing::Test {
protected:
    Sandbox box;
};

constexpr LangId German = 0x0407, Austrian = 0x0C07, French = 0x040C, Japanese = 0x0411, EnglishUk = 0x0809;

std::string String(const std::string& fixture, unsigned id, LangId user = 0)
{
    return PeStringResourceOfFile(PeFixture(fixture), id, user);
}

TEST_F(PeStrings, StringOneOfAScreensaver)
{
    EXPECT_EQ(String("describe", 1), "Kaleidra Test Saver");
    EXPECT_EQ(String("describe32", 1), "Kaleidra Test Saver") << "a 32-bit (PE32) program";
}

TEST_F(PeStrings, StringsLiveInBlocksOfSixteen)
{
    EXPECT_EQ(String("describe", 0), "zero");
    EXPECT_EQ(String("describe", 2), "two");
    EXPECT_EQ(String("describe", 17), "seventeen") << "block 2, entry 1";
    EXPECT_EQ(String("describe", 31), "thirty-one") << "block 2, entry 15";
    EXPECT_EQ(String("describe", 3), "") << "an empty entry";
    EXPECT_EQ(String("describe", 33), "") << "a missing block";
    EXPECT_EQ(String("describe", 0x100000), "") << "beyond the 16-bit names";
}

TEST_F(PeStrings, AStringEndsAtItsFirstNul) { EXPECT_EQ(String("describe", 5), "before"); }

TEST_F(PeStrings, NoTableOrNoStringGivesNothing)
{
    EXPECT_EQ(String("plain", 1), "");
    EXPECT_EQ(String("nostring1", 1), "");
    EXPECT_EQ(String("nostring1", 2), "two");
    EXPECT_EQ(String("missing-file", 1), "");
}

TEST_F(PeStrings, AtMost255CharactersAsLoadStringsBufferHolds)
{
    std::string expected;
    for (int i = 0; i < 255; ++i)
        expected += char('a' + i % 26);
    EXPECT_EQ(String("long", 1), expected);
}

TEST_F(PeStrings, TextComesOutAsUtf8)
{
    EXPECT_EQ(String("long", 2),
        "\xC3\x89"
        "cran \xE2\x9C\x93 \xF0\x9F\x98\x80 fin");
    EXPECT_EQ(String("long", 3), "lone \xEF\xBF\xBD surrogate");
}

TEST_F(PeStrings, TheUsersLanguageComesFirst)
{
    EXPECT_EQ(String("languages", 1, German), "Deutsche Beschreibung");
    EXPECT_EQ(String("languages", 1, Austrian), "Deutsche Beschreibung") << "the same primary language";
    EXPECT_EQ(String("languages", 1, French),
        "Description fran\xC3\xA7"
        "aise");
    EXPECT_EQ(String("languages", 1, LangEnglishUs), "English description");
    EXPECT_EQ(String("languages", 1, EnglishUk), "English description");
    EXPECT_EQ(String("languages", 1, Japanese), "English description") << "no Japanese: English (US)";
    EXPECT_EQ(String("languages", 1, 0), "English description") << "no language known: English (US)";
}

TEST_F(PeStrings, NeutralComesBeforeEnglishAfterTheUsersLanguage)
{
    EXPECT_EQ(String("neutral", 1, Austrian), "Beschreibung");
    EXPECT_EQ(String("neutral", 1, German), "Beschreibung");
    EXPECT_EQ(String("neutral", 1, French), "Neutral description");
    EXPECT_EQ(String("neutral", 1, 0), "Neutral description");
}

TEST_F(PeStrings, OtherwiseTheFirstLanguage)
{
    EXPECT_EQ(String("foreign", 1, French), "Nur Deutsch") << "German (0x0407) is listed before Japanese";
    EXPECT_EQ(String("foreign", 1, Japanese), "Japanese");
}

TEST_F(PeStrings, TheLocaleGivesTheLanguage)
{
    EXPECT_EQ(LanguageOfLocale("de_DE.UTF-8"), 0x0407);
    EXPECT_EQ(LanguageOfLocale("de_AT.UTF-8@euro"), 0x0C07);
    EXPECT_EQ(LanguageOfLocale("pt_BR.UTF-8"), 0x0416);
    EXPECT_EQ(LanguageOfLocale("C.UTF-8"), 0);
    EXPECT_EQ(LanguageOfLocale("xx_YY"), 0);
}

TEST_F(PeStrings, TheEnvironmentChoosesTheLocaleAsSetlocaleDoes)
{
    box.SetEnv("LC_ALL", "");
    box.SetEnv("LC_MESSAGES", "de_AT.UTF-8");
    box.SetEnv("LANG", "fr_FR.UTF-8");
    EXPECT_EQ(UserLanguage(), 0x0C07);
    box.SetEnv("LC_ALL", "en_GB.UTF-8");
    EXPECT_EQ(UserLanguage(), 0x0809);
}

// Every prefix of a real file (a truncated copy) gives the whole answer or nothing.
TEST_F(PeStrings, TruncatedFilesGiveNothing)
{
    const std::string whole = Sandbox::Read(PeFixture("describe"));
    ASSERT_GT(whole.size(), 1000u);
    for (std::size_t n = 0; n <= whole.size(); ++n) {
        const std::string got = PeStringResource(whole.data(), n, 1, 0);
        ASSERT_TRUE(got.empty() || got == "Kaleidra Test Saver") << n;
    }
    EXPECT_EQ(PeStringResource(whole.data(), whole.size(), 1, 0), "Kaleidra Test Saver");
    EXPECT_EQ(PeStringResource(nullptr, 0, 1, 0), "");
}

// Changed bytes anywhere give an answer or nothing, never a crash or a hang.
TEST_F(PeStrings, DamagedFilesAreSafe)
{
    const std::string whole = Sandbox::Read(PeFixture("languages"));
    std::uint32_t random = 2463534242u;
    const auto next = [&] {
        random ^= random << 13;
        random ^= random >> 17;
        random ^= random << 5;
        return random;
    };
    const auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < 20000; ++round) {
        std::string bytes = whole;
        for (int flips = 1 + int(next() % 4); flips > 0; --flips) {
            const std::size_t at = next() % bytes.size();
            bytes[at] = char(next() % 3 == 0 ? 0xFF : next());
        }
        PeStringResource(bytes.data(), bytes.size(), next() % 40, LangId(next()));
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

// The offsets of the resource directory of a fixture, found as the reader finds them.
struct Layout {
    std::size_t resourceFile = 0; // file offset of the resource directory
};

Layout ResourceLayout(const std::string& bytes)
{
    const auto le16
        = [&](std::size_t at) { return std::size_t((unsigned char)bytes[at] | (unsigned char)bytes[at + 1] << 8); };
    const auto le32 = [&](std::size_t at) { return le16(at) | le16(at + 2) << 16; };
    const std::size_t nt = le32(0x3C);
    const std::size_t optional = nt + 24;
    const std::size_t optionalSize = le16(nt + 4 + 16);
    const bool pe32plus = le16(optional) == 0x20B;
    const std::size_t rva = le32(optional + (pe32plus ? 112 : 96) + 16);
    const std::size_t sections = le16(nt + 4 + 2);
    for (std::size_t i = 0; i < sections; ++i) {
        const std::size_t s = optional + optionalSize + i * 40;
        const std::size_t va = le32(s + 12), raw = le32(s + 16), ptr = le32(s + 20);
        if (rva >= va && rva < va + raw)
            return {ptr + (rva - va)};
    }
    return {};
}

void Put32(std::string& bytes, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + std::size_t(i)] = char(v >> (8 * i));
}

TEST_F(PeStrings, ADirectoryThatPointsAtItselfEndsTheSearch)
{
    std::string bytes = Sandbox::Read(PeFixture("describe"));
    const Layout layout = ResourceLayout(bytes);
    ASSERT_NE(layout.resourceFile, 0u);
    // The root's first entry (type 6) leads back to the root: a cycle for a walker that follows
    // pointers; ours goes down exactly three levels and finds no string there.
    Put32(bytes, layout.resourceFile + 16 + 4, 0x80000000u);
    EXPECT_EQ(PeStringResource(bytes.data(), bytes.size(), 1, 0), "");
}

TEST_F(PeStrings, HugeEntryCountsAreScannedWithinTheFile)
{
    std::string bytes = Sandbox::Read(PeFixture("describe"));
    const Layout layout = ResourceLayout(bytes);
    ASSERT_NE(layout.resourceFile, 0u);
    bytes[layout.resourceFile + 12] = char(0xFF); // 65535 named and 65535 numbered entries
    bytes[layout.resourceFile + 13] = char(0xFF);
    bytes[layout.resourceFile + 14] = char(0xFF);
    bytes[layout.resourceFile + 15] = char(0xFF);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(PeStringResource(bytes.data(), bytes.size(), 1, 0), "");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

TEST_F(PeStrings, AHugeFileIsReadOnlyWhereNeeded)
{
    const std::string path = box.Root() + "/huge.scr";
    Sandbox::Write(path, Sandbox::Read(PeFixture("describe")));
    ASSERT_EQ(truncate(path.c_str(), off_t(8) << 30), 0); // 8 GiB, sparse
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(PeStringResourceOfFile(path, 1, 0), "Kaleidra Test Saver");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

TEST_F(PeStrings, ANamedPipeIsNoFileToRead)
{
    const std::string path = box.Root() + "/pipe.scr";
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    EXPECT_EQ(PeStringResourceOfFile(path, 1, 0), "") << "and it does not wait for a writer";
    EXPECT_EQ(PeStringResourceOfFile(box.Root(), 1, 0), "") << "nor a folder";
}

} // namespace
