// The Linux profile-file implementation against what the Windows profile functions do.
#include "platform/posix/PosixProfileFile.h"
#include "support/Sandbox.h"

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using kdx::platform::posix::PosixProfileFile;
using kdx::test::Sandbox;

namespace {

class ProfileFile : public ::testing::Test {
protected:
    Sandbox box;
    PosixProfileFile profile;
    std::string file = box.Root() + "/test.ini";

    std::string Get(const std::string& s, const std::string& k, const std::string& d = "<none>")
    {
        return profile.GetString(file, s, k, d);
    }
    std::string Text() { return Sandbox::Read(file); }
};

TEST_F(ProfileFile, AbsentFileReadsAsAbsentKeysAndFirstWriteCreatesIt)
{
    EXPECT_EQ(Get("Saver", "Interval", "60"), "60");
    EXPECT_FALSE(Sandbox::Exists(file));
    ASSERT_TRUE(profile.WriteString(file, "Saver", "Interval", "30"));
    EXPECT_EQ(Text(), "[Saver]\r\nInterval=30\r\n");
    EXPECT_EQ(Get("saver", "INTERVAL"), "30");
}

TEST_F(ProfileFile, MissingFolderRefusesTheWrite)
{
    EXPECT_FALSE(profile.WriteString(box.Root() + "/no/such/KDX.ini", "A", "b", "c"));
    EXPECT_FALSE(profile.EraseSection(box.Root() + "/no/such/KDX.ini", "A"));
}

TEST_F(ProfileFile, ReadingTrimsBlanksAndOneQuotePair)
{
    Sandbox::Write(file,
        "[S]\n  a  =  spaced value  \nb=\"quoted\"\nc='single'\nd=\"\"two\"\"\ne=\"open\nf=\n"
        "g\nh = \"  inner  \" \n");
    EXPECT_EQ(Get("S", "a"), "spaced value");
    EXPECT_EQ(Get("S", "b"), "quoted");
    EXPECT_EQ(Get("S", "c"), "single");
    EXPECT_EQ(Get("S", "d"), "\"two\"");
    EXPECT_EQ(Get("S", "e"), "\"open");
    EXPECT_EQ(Get("S", "f"), "") << "a present empty value is empty, not the default";
    EXPECT_EQ(Get("S", "g"), "<none>") << "a line without '=' has no value";
    EXPECT_EQ(Get("S", "h"), "  inner  ");
    EXPECT_EQ(Get(" S ", " a "), "spaced value") << "requested names are trimmed";
}

TEST_F(ProfileFile, ValuesAreCutTo2047Characters)
{
    const std::string longValue(5000, 'x');
    ASSERT_TRUE(profile.WriteString(file, "S", "k", longValue));
    EXPECT_EQ(Get("S", "k"), std::string(2047, 'x'));
    EXPECT_NE(Text().find(longValue), std::string::npos) << "the file keeps the whole value";
}

TEST_F(ProfileFile, CrlfLfAndLoneCrLineEndsAllRead)
{
    Sandbox::Write(file, "[A]\r\nk=crlf\r\n[B]\nk=lf\n[C]\rk=lone-cr\r\rm=after a blank\n\rn=lf then cr");
    EXPECT_EQ(Get("A", "k"), "crlf");
    EXPECT_EQ(Get("B", "k"), "lf");
    EXPECT_EQ(Get("C", "k"), "lone-cr");
    EXPECT_EQ(Get("C", "m"), "after a blank");
    EXPECT_EQ(Get("C", "n"), "lf then cr");
}

TEST_F(ProfileFile, AFileWithLoneCrLineEndsIsEditedInItsOwnLineEnds)
{
    Sandbox::Write(file, "[A]\rk=1\r[B]\rk=2");
    ASSERT_TRUE(profile.WriteString(file, "B", "k", "3"));
    EXPECT_EQ(Text(), "[A]\rk=1\r[B]\rk=3");
    ASSERT_TRUE(profile.WriteString(file, "A", "j", "4"));
    ASSERT_TRUE(profile.WriteString(file, "C", "i", "5"));
    EXPECT_EQ(Text(), "[A]\rk=1\rj=4\r[B]\rk=3\r[C]\ri=5\r");
    ASSERT_TRUE(profile.ReplaceSection(file, "b", {{"0", "x"}}));
    EXPECT_EQ(Text(), "[A]\rk=1\rj=4\r[B]\r0=x\r[C]\ri=5\r");
    ASSERT_TRUE(profile.EraseSection(file, "A"));
    EXPECT_EQ(Text(), "[B]\r0=x\r[C]\ri=5\r");
}

// Windows Notepad begins a file it saves as UTF-8 with a byte-order mark; the profile functions
// read past it and keep it, so the first section is the first section.
TEST_F(ProfileFile, AByteOrderMarkAtTheStartIsReadPastAndKept)
{
    const std::string mark = "\xEF\xBB\xBF";
    Sandbox::Write(file, mark + "[Saver]\r\nInterval=5\r\n[Misc]\r\nx=" + mark + "y\r\n" + mark + "[Late]\r\nz=1\r\n");
    EXPECT_EQ(Get("Saver", "Interval"), "5");
    EXPECT_EQ(Get("Misc", "x"), mark + "y") << "the same bytes elsewhere are text";
    EXPECT_EQ(Get("Misc", "z"), "1") << "a line that begins with them is no section";
    EXPECT_EQ(Get("Late", "z"), "<none>");
    ASSERT_TRUE(profile.WriteString(file, "saver", "Interval", "7"));
    EXPECT_EQ(Text(), mark + "[Saver]\r\nInterval=7\r\n[Misc]\r\nx=" + mark + "y\r\n" + mark + "[Late]\r\nz=1\r\n");
    ASSERT_TRUE(profile.EraseSection(file, "Saver"));
    ASSERT_TRUE(profile.ReplaceSection(file, "SaverList", {{"0", "/a.scr"}}));
    EXPECT_EQ(Text(), mark + "[Misc]\r\nx=" + mark + "y\r\n" + mark + "[Late]\r\nz=1\r\n[SaverList]\r\n0=/a.scr\r\n");

    Sandbox::Write(file, mark);
    ASSERT_TRUE(profile.WriteString(file, "S", "k", "v"));
    EXPECT_EQ(Text(), mark + "[S]\r\nk=v\r\n") << "no blank line after a mark alone";
}

TEST_F(ProfileFile, ReplacesInPlaceAndKeepsEveryOtherByte)
{
    const std::string before = "; made by hand\n\n[Saver]\nUnknown = kept  \n Interval=5\nodd line\n\n[Other]\nx=1\n";
    Sandbox::Write(file, before);
    ASSERT_TRUE(profile.WriteString(file, "SAVER", "interval", "60"));
    EXPECT_EQ(Text(), "; made by hand\n\n[Saver]\nUnknown = kept  \nInterval=60\nodd line\n\n[Other]\nx=1\n");
}

TEST_F(ProfileFile, NewKeysGoToTheEndOfTheirSectionBeforeBlankLines)
{
    Sandbox::Write(file, "[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n");
    ASSERT_TRUE(profile.WriteString(file, "a", "z", "3"));
    EXPECT_EQ(Text(), "[A]\r\nx=1\r\nz=3\r\n\r\n[B]\r\ny=2\r\n");
    ASSERT_TRUE(profile.WriteString(file, "C", "w", "4"));
    EXPECT_EQ(Text(), "[A]\r\nx=1\r\nz=3\r\n\r\n[B]\r\ny=2\r\n[C]\r\nw=4\r\n");
}

TEST_F(ProfileFile, LastLineWithoutLineEndStaysWhole)
{
    Sandbox::Write(file, "[A]\nx=1");
    ASSERT_TRUE(profile.WriteString(file, "A", "y", "2"));
    EXPECT_EQ(Text(), "[A]\nx=1\ny=2\n");
    ASSERT_TRUE(profile.WriteString(file, "B", "z", "3"));
    EXPECT_EQ(Text(), "[A]\nx=1\ny=2\n[B]\nz=3\n");
}

TEST_F(ProfileFile, OnlyTheFirstOfDuplicateSectionsAndKeysCounts)
{
    Sandbox::Write(file, "[S]\nk=first\nk=second\n[s]\nk=third\nonly=later\n");
    EXPECT_EQ(Get("S", "k"), "first");
    EXPECT_EQ(Get("S", "only"), "<none>");
    ASSERT_TRUE(profile.WriteString(file, "S", "k", "new"));
    EXPECT_EQ(Text(), "[S]\nk=new\nk=second\n[s]\nk=third\nonly=later\n");
    ASSERT_TRUE(profile.EraseSection(file, "S"));
    EXPECT_EQ(Text(), "[s]\nk=third\nonly=later\n");
}

TEST_F(ProfileFile, EraseSectionTakesHeaderAndAllItsLines)
{
    Sandbox::Write(file, "top=1\n[List]\n0=a\n; note\n1=b\n\n[Keep]\nx=1\n");
    ASSERT_TRUE(profile.EraseSection(file, "list"));
    EXPECT_EQ(Text(), "top=1\n[Keep]\nx=1\n");
    ASSERT_TRUE(profile.EraseSection(file, "Missing")) << "an absent section is no failure";
    EXPECT_EQ(Text(), "top=1\n[Keep]\nx=1\n");
}

TEST_F(ProfileFile, ReplaceSectionKeepsHeaderPlaceAndTrailingBlanks)
{
    Sandbox::Write(file, "[A]\r\nold=1\r\n; c\r\n\r\n[B]\r\nx=2\r\n");
    ASSERT_TRUE(profile.ReplaceSection(file, "a", {{"0", "p"}, {"1", "  q"}}));
    EXPECT_EQ(Text(), "[A]\r\n0=p\r\n1=q\r\n\r\n[B]\r\nx=2\r\n");
    ASSERT_TRUE(profile.ReplaceSection(file, "C", {{"k", "v"}}));
    EXPECT_EQ(Text(), "[A]\r\n0=p\r\n1=q\r\n\r\n[B]\r\nx=2\r\n[C]\r\nk=v\r\n");
    Sandbox::Write(file, "[A]");
    ASSERT_TRUE(profile.ReplaceSection(file, "A", {{"k", "v"}}));
    EXPECT_EQ(Text(), "[A]\r\nk=v\r\n");
    EXPECT_FALSE(profile.ReplaceSection(file, "A", {{"k", "two\nlines"}}));
    EXPECT_EQ(Text(), "[A]\r\nk=v\r\n");
}

TEST_F(ProfileFile, OddSectionLinesAndKeysBeforeAnySection)
{
    Sandbox::Write(file, "loose=1\n[broken\n[Real] trailing\nk=v\n[a]b]\nx=y\n");
    EXPECT_EQ(Get("Real", "k"), "v") << "the name runs to the last ']'";
    EXPECT_EQ(Get("a]b", "x"), "y");
    EXPECT_EQ(Get("broken", "k"), "<none>");
}

TEST_F(ProfileFile, ReplacingASectionEmptiesItsLaterNamesakes)
{
    Sandbox::Write(file, "[List]\n0=a\n[Other]\nx=1\n[LIST]\n0=stale\n1=stale\n");
    ASSERT_TRUE(profile.ReplaceSection(file, "list", {{"0", "b"}}));
    EXPECT_EQ(Text(), "[List]\n0=b\n[Other]\nx=1\n[LIST]\n");
    ASSERT_TRUE(profile.EraseSection(file, "List"));
    EXPECT_EQ(Get("List", "1"), "<none>") << "no stale entry comes to light";
}

TEST_F(ProfileFile, BlanksInsideSectionBracketsDoNotCount)
{
    Sandbox::Write(file, "[ Saver ]\nk=v\n");
    EXPECT_EQ(Get("saver", "k"), "v");
    ASSERT_TRUE(profile.WriteString(file, "Saver", "k", "w"));
    EXPECT_EQ(Text(), "[ Saver ]\nk=w\n") << "the header keeps its layout";
}

TEST_F(ProfileFile, LeadingBlanksOfAWrittenValueAreDropped)
{
    ASSERT_TRUE(profile.WriteString(file, "S", "k", "  value"));
    EXPECT_EQ(Text(), "[S]\r\nk=value\r\n");
}

TEST_F(ProfileFile, LineBreaksInValuesAndNamesAreRefusedSoNoLineCanBeInjected)
{
    Sandbox::Write(file, "[S]\nk=v\n");
    EXPECT_FALSE(profile.WriteString(file, "S", "k", "evil\n[Saver]\nInterval=1"));
    EXPECT_FALSE(profile.WriteString(file, "S", "k", "evil\r[Saver]"));
    EXPECT_FALSE(profile.WriteString(file, "S]\n[Saver", "k", "v"));
    EXPECT_FALSE(profile.WriteString(file, "S", "Interval=1\rk", "v"));
    EXPECT_FALSE(profile.EraseSection(file, "S\n"));
    EXPECT_FALSE(profile.ReplaceSection(file, "S\r\n", {{"0", "a"}}));
    EXPECT_FALSE(profile.ReplaceSection(file, "S", {{"0\n[Saver]\nInterval", "1"}}));
    EXPECT_EQ(Text(), "[S]\nk=v\n");
}

TEST_F(ProfileFile, ReadOnlyFileOrFolderRefusesWritesAndChangesNothing)
{
    Sandbox::Write(file, "[S]\nk=v\n");
    chmod(file.c_str(), 0444);
    EXPECT_FALSE(profile.WriteString(file, "S", "k", "w"));
    EXPECT_TRUE(profile.WriteString(file, "S", "k", " v")) << "a value that is there needs no write";
    EXPECT_FALSE(profile.EraseSection(file, "S"));
    EXPECT_EQ(Text(), "[S]\nk=v\n");
    chmod(file.c_str(), 0644);
    chmod(box.Root().c_str(), 0555);
    EXPECT_FALSE(profile.WriteString(file, "S", "k", "w"));
    EXPECT_EQ(Text(), "[S]\nk=v\n");
}

TEST_F(ProfileFile, WritesReplaceTheFileWholeAndKeepItsMode)
{
    Sandbox::Write(file, "[S]\nk=v\n");
    chmod(file.c_str(), 0600);
    struct stat before { };
    stat(file.c_str(), &before);
    ASSERT_TRUE(profile.WriteString(file, "S", "k", "w"));
    struct stat after { };
    stat(file.c_str(), &after);
    EXPECT_NE(before.st_ino, after.st_ino) << "a new file was renamed into place";
    EXPECT_EQ(after.st_mode & 0777, 0600u);
    for (const auto& e : std::filesystem::directory_iterator(box.Root()))
        EXPECT_EQ(e.path().filename().string().rfind("test.ini.", 0), std::string::npos) << "temporary file left";
}

TEST_F(ProfileFile, TemporaryFilesLeftByAKilledSaveAreRemovedOnceStale)
{
    Sandbox::Write(file, "[S]\nk=v\n");
    for (const char* name : {"test.ini.Ab12Cd", "test.ini.Fresh1", "test.ini.bak", "test.ini.Ab12Cd.x"})
        Sandbox::Write(box.Root() + "/" + name, "left over");
    const timespec old[2] = {{0, UTIME_OMIT}, {time(nullptr) - 3600, 0}};
    for (const char* name : {"test.ini.Ab12Cd", "test.ini.bak", "test.ini.Ab12Cd.x"})
        ASSERT_EQ(utimensat(AT_FDCWD, (box.Root() + "/" + name).c_str(), old, 0), 0);
    ASSERT_TRUE(profile.WriteString(file, "S", "k", "w"));
    EXPECT_FALSE(Sandbox::Exists(box.Root() + "/test.ini.Ab12Cd")) << "stale: removed";
    EXPECT_TRUE(Sandbox::Exists(box.Root() + "/test.ini.Fresh1")) << "may belong to a save still running";
    EXPECT_TRUE(Sandbox::Exists(box.Root() + "/test.ini.bak")) << "not a temporary file of ours";
    EXPECT_TRUE(Sandbox::Exists(box.Root() + "/test.ini.Ab12Cd.x"));
}

TEST_F(ProfileFile, WritesThroughASymbolicLinkUpdateItsTarget)
{
    const std::string target = box.Root() + "/real.ini";
    Sandbox::Write(target, "[S]\nk=v\n");
    ASSERT_EQ(symlink(target.c_str(), file.c_str()), 0);
    ASSERT_TRUE(profile.WriteString(file, "S", "k", "w"));
    EXPECT_EQ(Sandbox::Read(target), "[S]\nk=w\n");
    struct stat st { };
    lstat(file.c_str(), &st);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
}

// A link whose file is missing (a settings file kept on a drive not there yet, say): the save
// creates the file where the link points and the link stays, rather than a plain file taking the
// link's place without a word; with nowhere to create it, the save fails and the link stays.
TEST_F(ProfileFile, ASaveThroughADanglingLinkKeepsTheLink)
{
    std::filesystem::create_directories(box.Root() + "/elsewhere");
    ASSERT_EQ(symlink("elsewhere/real.ini", file.c_str()), 0);
    ASSERT_TRUE(profile.WriteString(file, "S", "k", "w"));
    EXPECT_EQ(Sandbox::Read(box.Root() + "/elsewhere/real.ini"), "[S]\r\nk=w\r\n");
    struct stat st { };
    ASSERT_EQ(lstat(file.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode)) << "still a link";

    const std::string nowhere = box.Root() + "/nowhere.ini";
    ASSERT_EQ(symlink((box.Root() + "/missing/folder/real.ini").c_str(), nowhere.c_str()), 0);
    EXPECT_FALSE(profile.WriteString(nowhere, "S", "k", "w"));
    ASSERT_EQ(lstat(nowhere.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode)) << "not replaced by a plain file";
}

// Settings that are no file are never waited on (a named pipe held the agent's start for good):
// reads give defaults at once, writes fail, and the reason is there for the agent to tell.
TEST_F(ProfileFile, WhatIsNoFileIsNeitherWaitedOnNorReplaced)
{
    ASSERT_EQ(mkfifo(file.c_str(), 0644), 0);
    EXPECT_EQ(Get("S", "k"), "<none>");
    EXPECT_FALSE(profile.WriteString(file, "S", "k", "w"));
    profile.Flush(file);
    EXPECT_EQ(profile.ReadProblem(file), "it is a named pipe, not a file");
    struct stat st { };
    ASSERT_EQ(lstat(file.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    std::filesystem::remove(file);
    std::filesystem::create_directories(file);
    EXPECT_EQ(profile.ReadProblem(file), "it is a folder, not a file");
    std::filesystem::remove(file);
    Sandbox::Write(file, "[S]\nk=v\n");
    EXPECT_EQ(profile.ReadProblem(file), "");
    chmod(file.c_str(), 0200);
    EXPECT_EQ(profile.ReadProblem(file), "permission denied") << "the owner-read bit counts for root too";
    EXPECT_FALSE(profile.WriteString(file, "S", "k", "w")) << "a file that cannot be read is not replaced";
    chmod(file.c_str(), 0644);
    EXPECT_EQ(Text(), "[S]\nk=v\n");
    std::filesystem::remove(file);
    EXPECT_EQ(profile.ReadProblem(file), "") << "a missing file is no problem";
}

TEST_F(ProfileFile, AHugeFileIsNotLoadedAndNotOverwritten)
{
    {
        std::ofstream out(file, std::ios::binary);
        out << "[S]\nk=v\n";
        out.seekp(65LL * 1024 * 1024);
        out << "end\n";
    }
    EXPECT_EQ(Get("S", "k"), "<none>");
    EXPECT_FALSE(profile.WriteString(file, "S", "k", "w"));
}

} // namespace

namespace {

using kdx::platform::ProfileWrite;

TEST_F(ProfileFile, ASectionReadGivesItsLinesAsTheyAreWritten)
{
    Sandbox::Write(file,
        "[Other]\r\n0=no\r\n[ List ]\r\n  0 =  \"quoted\"  \r\n\r\n; a comment\r\nbare\r\n=no name\r\n# hash\r\n"
        "1=" + std::string(3000, 'v')
            + "\r\n[list]\r\n9=later namesake\r\n");
    EXPECT_EQ(profile.GetSection(file, "LIST"),
        std::string("0=\"quoted\"\0bare\0=no name\0# hash\0", 32) + "1=" + std::string(3000, 'v') + '\0')
        << "the first section of the name, values neither unquoted nor cut";
    EXPECT_TRUE(profile.GetSection(file, "Missing").empty());
    EXPECT_TRUE(profile.GetSection(box.Root() + "/absent.ini", "List").empty());
}

// Another program's change is seen at the next read, also one of the same size made in place
// within the same tick of the file times, which leaves the file's stamp as it was.
TEST_F(ProfileFile, AChangeByAnotherProgramIsReadAtOnce)
{
    Sandbox::Write(file, "[S]\nk=1\n");
    EXPECT_EQ(Get("S", "k"), "1");
    std::ofstream(file, std::ios::binary | std::ios::trunc) << "[S]\nk=2\n";
    EXPECT_EQ(Get("S", "k"), "2");
    PosixProfileFile other;
    ASSERT_TRUE(other.WriteString(file, "S", "k", "3"));
    EXPECT_EQ(Get("S", "k"), "3");
    EXPECT_EQ(profile.GetSection(file, "S"), std::string("k=3\0", 4));

    // A file that stood unchanged for a while is vouched for by its stamp alone; a change
    // gives it a new one.
    std::this_thread::sleep_for(std::chrono::milliseconds(2100));
    EXPECT_EQ(Get("S", "k"), "3");
    std::ofstream(file, std::ios::binary | std::ios::trunc) << "[S]\nk=4\n";
    EXPECT_EQ(Get("S", "k"), "4");
}

// The writes of one save are made in one rewrite; the file ends as the single calls leave it,
// and a batch that cannot be made leaves it as it was.
TEST_F(ProfileFile, ABatchEndsAsTheSingleCallsAndFailsWhole)
{
    Sandbox::Write(file, "[Image]\nSize=1\n\n[ImageList]\n0=old\n");
    const std::vector<ProfileWrite> save = {
        {ProfileWrite::Kind::ReplaceSection, "ImageList", {}, {}, {{"0", "/a.jpg"}, {"1", " /b.jpg"}}, {}},
        {ProfileWrite::Kind::Key, "Image", "Interval", "5", {}, {}},
        {ProfileWrite::Kind::Key, "Image", "Size", "1", {}, {}},
        {ProfileWrite::Kind::EraseSection, "Gone", {}, {}, {}, {}},
    };
    ASSERT_TRUE(profile.WriteBatch(file, save));
    EXPECT_EQ(Text(), "[Image]\nSize=1\nInterval=5\n\n[ImageList]\n0=/a.jpg\n1=/b.jpg\n");
    std::vector<ProfileWrite> refused = save;
    refused.push_back({ProfileWrite::Kind::Key, "Image", "Size", "2\n[Injected]", {}, {}});
    refused[1].value = "9";
    EXPECT_FALSE(profile.WriteBatch(file, refused));
    EXPECT_EQ(Text(), "[Image]\nSize=1\nInterval=5\n\n[ImageList]\n0=/a.jpg\n1=/b.jpg\n");
    chmod(file.c_str(), 0444);
    EXPECT_TRUE(profile.WriteBatch(file, {save[1], save[2]})) << "values already there need no write";
    EXPECT_FALSE(profile.WriteBatch(file, save)) << "a section's write needs a writable file";

    // A list written as numbered values is the same as its "0", "1", ... entries.
    chmod(file.c_str(), 0644);
    const std::vector<std::string> list = {"/x.jpg", "  /y.jpg"};
    ASSERT_TRUE(profile.WriteBatch(file, {{ProfileWrite::Kind::ReplaceSection, "ImageList", {}, {}, {}, list}}));
    EXPECT_EQ(Text(), "[Image]\nSize=1\nInterval=5\n\n[ImageList]\n0=/x.jpg\n1=/y.jpg\n");
}

// Random edits of random files: the incremental re-parse after each edit must read as a file
// parsed afresh, and a batch must leave the same bytes as the single calls.
TEST_F(ProfileFile, RandomEditsReadAsAFreshParseAndBatchesAsSingleCalls)
{
    std::mt19937 rng(24);
    const auto pick = [&rng](const std::vector<std::string>& from) {
        return from[std::uniform_int_distribution<size_t>(0, from.size() - 1)(rng)];
    };
    const std::vector<std::string> sections = {"A", "b", "List", "a"}, keys = {"0", "1", "k", "K", "x y"};
    const std::vector<std::string> values = {"", "1", " lead", "v=w", "\"q\"", "long value here"};
    const std::vector<std::string> lines = {"[A]", "[List]", "[ b ]", "0=x", "k = y", "bare", "; c", "", "  ", "1=z"};
    const std::vector<std::string> ends = {"\n", "\r\n", "\r"};
    const std::string batched = box.Root() + "/batched.ini";
    for (int round = 0; round < 150; ++round) {
        std::string initial = round % 7 == 0 ? "\xEF\xBB\xBF" : "";
        for (int i = std::uniform_int_distribution<int>(0, 12)(rng); i > 0; --i)
            initial += pick(lines) + (i > 1 || round % 3 ? pick(ends) : "");
        Sandbox::Write(file, initial);
        Sandbox::Write(batched, initial);
        std::vector<ProfileWrite> writes;
        for (int i = std::uniform_int_distribution<int>(1, 8)(rng); i > 0; --i) {
            ProfileWrite w;
            w.kind = ProfileWrite::Kind(std::uniform_int_distribution<int>(0, 2)(rng));
            w.section = pick(sections);
            w.key = pick(keys);
            w.value = pick(values);
            for (int n = std::uniform_int_distribution<int>(0, 3)(rng); n > 0; --n)
                w.entries.emplace_back(pick(keys), pick(values));
            writes.push_back(w);
            const bool single = w.kind == ProfileWrite::Kind::Key ? profile.WriteString(file, w.section, w.key, w.value)
                : w.kind == ProfileWrite::Kind::EraseSection      ? profile.EraseSection(file, w.section)
                                                                  : profile.ReplaceSection(file, w.section, w.entries);
            ASSERT_TRUE(single);
            PosixProfileFile fresh;
            for (const std::string& s : sections) {
                ASSERT_EQ(profile.GetSection(file, s), fresh.GetSection(file, s)) << "round " << round;
                for (const std::string& k : keys)
                    ASSERT_EQ(Get(s, k), fresh.GetString(file, s, k, "<none>")) << "round " << round;
            }
        }
        PosixProfileFile other;
        ASSERT_TRUE(other.WriteBatch(batched, writes));
        ASSERT_EQ(Sandbox::Read(batched), Text()) << "round " << round;
    }
}

} // namespace
