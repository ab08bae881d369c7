// TConfig against real settings files in a sandbox: defaults, round trips and list rules.
#include "settings/Errors.h"
#include "settings/TConfig.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace kdx;
using kdx::test::Sandbox;

namespace {

class SettingsStore : public ::testing::Test {
protected:
    Sandbox box;
    std::string Ini() { return Sandbox::Read(box.IniPath()); }
};

TEST_F(SettingsStore, EveryDefaultWithoutASettingsFile)
{
    TConfig config;
    const TDateTime before = TDateTime::Now();
    TSavers savers;
    config.LoadSavers(savers);
    EXPECT_TRUE(savers.Items.empty());
    EXPECT_EQ(savers.RandomType, 0);
    EXPECT_EQ(savers.Interval, 60);

    TFlashs flashs;
    config.LoadFlashs(flashs);
    EXPECT_TRUE(flashs.Items.empty());
    EXPECT_EQ(flashs.RandomType, 0);
    EXPECT_EQ(flashs.Size, 0);

    TImages images;
    config.LoadImages(images);
    EXPECT_EQ(images.Interval, 5);
    EXPECT_EQ(images.Size, 0);

    TWallpaper paper;
    config.LoadWallpaper(paper);
    EXPECT_TRUE(paper.Items.empty());
    EXPECT_EQ(paper.Style, 0);
    EXPECT_EQ(paper.Interval, 60);
    EXPECT_EQ(paper.Cycle, 0);
    EXPECT_TRUE(paper.Activate);
    EXPECT_GE(paper.PrevChange, before);
    EXPECT_LT(paper.PrevChange.Ms() - before.Ms(), 5000);

    TMisc misc;
    config.LoadMisc(misc);
    EXPECT_TRUE(misc.RandomWhat.empty());
    EXPECT_FALSE(misc.Sub);
    EXPECT_TRUE(misc.AutoSave);
    EXPECT_EQ(misc.ActivateHotKey, "A");
    EXPECT_EQ(misc.ExecuteHotKey, "E");
    EXPECT_FALSE(misc.Startup);

    EXPECT_TRUE(config.ReadFlag("Misc", "Sub")) << "the editors' flag read defaults to true";
    EXPECT_TRUE(config.IsAutoSave());
    EXPECT_FALSE(Sandbox::Exists(box.IniPath())) << "reading creates no file";
}

TEST_F(SettingsStore, EveryRecordRoundTripsInTheCompanionsFormat)
{
    TConfig config;
    TSavers savers;
    savers.Items = {"/scr/a.scr", "/scr/b.scr"};
    savers.RandomType = 1;
    savers.Interval = 30;
    config.SaveSavers(savers);
    TFlashs flashs;
    flashs.Items = {"/f/x.swf"};
    flashs.RandomType = 1;
    flashs.Size = 1;
    config.SaveFlashs(flashs);
    TImages images;
    images.Items = {"/p/1.jpg"};
    images.Interval = 9;
    images.Size = 2;
    config.SaveImages(images);
    TWallpaper paper;
    paper.Items = {"/w/1.bmp", "/w/2.jpg"};
    paper.Style = 2;
    paper.Interval = 120;
    paper.Cycle = 2;
    paper.PrevChange = TDateTime::FromCivil({2026, 12, 8, 14, 5, 9, 0});
    paper.Activate = false;
    config.SaveWallpaper(paper);

    EXPECT_EQ(Ini(),
        "[SaverList]\r\n0=/scr/a.scr\r\n1=/scr/b.scr\r\n"
        "[Saver]\r\nInterval=30\r\nRandomType=1\r\n"
        "[FlashList]\r\n0=/f/x.swf\r\n"
        "[Flash]\r\nRandomType=1\r\nSize=1\r\n"
        "[ImageList]\r\n0=/p/1.jpg\r\n"
        "[Image]\r\nInterval=9\r\nSize=2\r\n"
        "[PaperList]\r\n0=/w/1.bmp\r\n1=/w/2.jpg\r\n"
        "[Wallpaper]\r\nInterval=120\r\nStyle=2\r\nCycle=2\r\nPrevChange="
            + DateTimeToStr(paper.PrevChange) + "\r\nActivate=0\r\n");

    TConfig other;
    TSavers s2;
    other.LoadSavers(s2);
    EXPECT_EQ(s2.Items, savers.Items);
    EXPECT_EQ(s2.RandomType, 1);
    EXPECT_EQ(s2.Interval, 30);
    TFlashs f2;
    other.LoadFlashs(f2);
    EXPECT_EQ(f2.Items, flashs.Items);
    EXPECT_EQ(f2.Size, 1);
    TImages i2;
    other.LoadImages(i2);
    EXPECT_EQ(i2.Interval, 9);
    EXPECT_EQ(i2.Size, 2);
    TWallpaper p2;
    other.LoadWallpaper(p2);
    EXPECT_EQ(p2.Items, paper.Items);
    EXPECT_EQ(p2.Style, 2);
    EXPECT_EQ(p2.Interval, 120);
    EXPECT_EQ(p2.Cycle, 2);
    EXPECT_EQ(p2.PrevChange, paper.PrevChange);
    EXPECT_FALSE(p2.Activate);
}

TEST_F(SettingsStore, MiscRoundTripWritesKeysInOrder)
{
    TConfig config;
    TMisc misc;
    misc.RandomWhat = {"0", "2"};
    misc.Sub = true;
    misc.Startup = false;
    misc.AutoSave = false;
    misc.ActivateHotKey = "";
    misc.ExecuteHotKey = "Q";
    config.SaveMisc(misc);
    EXPECT_EQ(Ini(),
        "[RandomWhat]\r\n0=0\r\n1=2\r\n"
        "[Misc]\r\nSub=1\r\nStartup=0\r\nAutoSave=0\r\nActivateHotKey=\r\nExecuteHotKey=Q\r\n");
    TMisc back;
    config.LoadMisc(back);
    EXPECT_EQ(back.RandomWhat, misc.RandomWhat);
    EXPECT_TRUE(back.Sub);
    EXPECT_FALSE(back.AutoSave);
    EXPECT_EQ(back.ActivateHotKey, "") << "a present empty letter is not the default";
    EXPECT_EQ(back.ExecuteHotKey, "Q");
}

TEST_F(SettingsStore, ASavedListThatShrankLeavesNoStaleKeys)
{
    Sandbox::Write(box.IniPath(), "[SaverList]\r\n0=old0\r\n1=old1\r\n2=old2\r\n3=old3\r\n[Saver]\r\nInterval=5\r\n");
    TConfig config;
    TSavers savers;
    config.LoadSavers(savers);
    savers.Items = {"new0", "new1"};
    config.SaveSavers(savers);
    EXPECT_EQ(Ini(), "[SaverList]\r\n0=new0\r\n1=new1\r\n[Saver]\r\nInterval=5\r\nRandomType=0\r\n");
}

TEST_F(SettingsStore, AListIsReplacedInOneWriteAndAnEmptyListLeavesNoSection)
{
    // CRLF and no blank lines: Wine's profile functions rewrite a file that way, ours keep it.
    Sandbox::Write(box.IniPath(), "[PaperList]\r\n0=a\r\n; note\r\n1=b\r\n[Wallpaper]\r\nStyle=1\r\n");
    TConfig config;
    config.WriteList("paperlist", {"x"});
    EXPECT_EQ(Ini(), "[PaperList]\r\n0=x\r\n[Wallpaper]\r\nStyle=1\r\n");
    config.WriteList("PaperList", {});
    EXPECT_EQ(Ini(), "[Wallpaper]\r\nStyle=1\r\n");
    EXPECT_THROW(config.WriteList("PaperList", {"/a", "/odd\nname.jpg"}), EKaleidraError);
    EXPECT_EQ(Ini(), "[Wallpaper]\r\nStyle=1\r\n") << "a refused list leaves the file as it was";
}

TEST_F(SettingsStore, AnEmptyEntryEndsTheListOnTheNextLoad)
{
    TConfig config;
    config.WriteList("PaperList", {"a", "", "c"});
    TStrings list;
    config.ReadList("PaperList", list);
    EXPECT_EQ(list, TStrings {"a"});
}

// Every entry is read back, however many: a list read back only in part lost the rest at its
// next save.
TEST_F(SettingsStore, AHundredThousandEntriesReadBackWholeAndSaveAgainByteForByte)
{
#ifdef _WIN32
    // Wine's profile functions walk a section's keys for every key they write: 100,000 take a
    // minute there.
    constexpr int Count = 10000;
#else
    constexpr int Count = 100000;
#endif
    Sandbox::Write(box.IniPath(), "; hand note\r\n[Image]\r\nInterval=7\r\n[Other]\r\nx=1\r\n");
    TConfig config;
    TImages images;
    config.LoadImages(images);
    for (int i = 0; i < Count; ++i)
        images.Items.push_back("/pics/" + std::to_string(i) + " photo.jpg");
    config.SaveImages(images);
    const std::string saved = Ini();
    EXPECT_EQ(
        saved.rfind("; hand note\r\n[Image]\r\nInterval=7\r\nSize=0\r\n[Other]\r\nx=1\r\n[ImageList]\r\n0=/pics/0 "
                    "photo.jpg\r\n",
            0),
        0u);

    TImages back;
    TConfig().LoadImages(back);
    ASSERT_EQ(back.Items.size(), size_t(Count));
    EXPECT_EQ(back.Items, images.Items);
    EXPECT_EQ(back.Interval, 7);
    TConfig().SaveImages(back);
    EXPECT_TRUE(Ini() == saved) << "saved again byte for byte the same";
}

// A hand-edited section in any order: each entry is the first key of its number, written as
// the store writes it, and the list ends at the first number missing or empty.
TEST_F(SettingsStore, AHandEditedListEndsAtItsGapAndTakesTheFirstKeyOfANumber)
{
    Sandbox::Write(box.IniPath(),
        "[PaperList]\r\n2=c\r\n0=a\r\n; 1=comment\r\n1 = 'b' \r\n0=again\r\n01=zero led\r\n4=e\r\n"
        "[Wallpaper]\r\nStyle=1\r\n[RandomWhat]\r\n0=2\r\n1\r\n2=0\r\n");
    TConfig config;
    TWallpaper paper;
    config.LoadWallpaper(paper);
    EXPECT_EQ(paper.Items, (TStrings {"a", "b", "c"})) << "no key 3: the list ends there";
    EXPECT_EQ(paper.Style, 1);
    TMisc misc;
    config.LoadMisc(misc);
    EXPECT_EQ(misc.RandomWhat, TStrings {"2"}) << "a key without \"=\" has no value and ends the list";
}

TEST_F(SettingsStore, HandEditedListsAndValues)
{
    Sandbox::Write(box.IniPath(),
        "[saverlist]\r\n0=a\r\n1 = \"b\" \r\n3=d\r\n[SAVER]\r\nInterval=0x3C\r\nRandomType=abc\r\n"
        "[Wallpaper]\r\nActivate=yes\r\nPrevChange=31/31/2026\r\nStyle=-1\r\n");
    TConfig config;
    TSavers savers;
    config.LoadSavers(savers);
    EXPECT_EQ(savers.Items, (TStrings {"a", "b"})) << "reading stops at the gap";
    EXPECT_EQ(savers.Interval, 60);
    EXPECT_EQ(savers.RandomType, 0);
    const TDateTime before = TDateTime::Now();
    TWallpaper paper;
    config.LoadWallpaper(paper);
    EXPECT_TRUE(paper.Activate) << "a word reads as the default";
    EXPECT_GE(paper.PrevChange, before) << "unparsable date reads as now";
    EXPECT_EQ(paper.Style, -1);
}

TEST_F(SettingsStore, PerMonitorIsWrittenOnlyOnceSwitchedOn)
{
    TConfig config;
    TWallpaper paper;
    config.LoadWallpaper(paper);
    EXPECT_FALSE(paper.PerMonitor) << "missing: one picture for every monitor";
    config.SaveWallpaper(paper);
    EXPECT_EQ(Ini().find("PerMonitor"), std::string::npos) << "off and never on: the file has no such key";

    paper.PerMonitor = true;
    config.SaveWallpaper(paper);
    EXPECT_NE(Ini().find("\r\nPerMonitor=1\r\n"), std::string::npos);
    TWallpaper back;
    config.LoadWallpaper(back);
    EXPECT_TRUE(back.PerMonitor);

    paper.PerMonitor = false;
    config.SaveWallpaper(paper);
    EXPECT_NE(Ini().find("\r\nPerMonitor=0\r\n"), std::string::npos) << "switched off again";
    config.LoadWallpaper(back);
    EXPECT_FALSE(back.PerMonitor);

    Sandbox::Write(box.IniPath(), "[Wallpaper]\r\nPerMonitor=yes\r\n");
    config.LoadWallpaper(back);
    EXPECT_FALSE(back.PerMonitor) << "a word reads as the default";
}

TEST_F(SettingsStore, QuotedOrBlankEntriesDoNotReadBackUnchanged)
{
    TConfig config;
    config.WriteList("FlashList", {"\"/a b.swf\"", " /lead.swf", "/trail.swf  "});
    TStrings list;
    config.ReadList("FlashList", list);
    EXPECT_EQ(list, (TStrings {"/a b.swf", "/lead.swf", "/trail.swf"}));
}

TEST_F(SettingsStore, UnknownKeysSurviveEverySave)
{
    // No blank lines: Wine's profile functions drop them where ours keep them.
    const std::string handMade = "; companion notes\r\n[Saver]\r\nExtra=keep me\r\n[Custom]\r\nx=1\r\n";
    Sandbox::Write(box.IniPath(), handMade);
    TConfig config;
    TSavers savers;
    savers.Items = {"/a.scr"};
    config.SaveSavers(savers);
    TMisc misc;
    config.SaveMisc(misc);
    const TDateTime newYear = TDateTime::FromCivil({2026, 1, 1, 0, 0, 0, 0});
    config.WriteStamp("Wallpaper", "PrevChange", newYear);
    const std::string text = Ini();
    EXPECT_EQ(text.rfind("; companion notes\r\n[Saver]\r\nExtra=keep me\r\nInterval=0\r\nRandomType=0\r\n"
                         "[Custom]\r\nx=1\r\n",
                  0),
        0u)
        << text;
    EXPECT_NE(text.find("[Wallpaper]\r\nPrevChange=" + DateTimeToStr(newYear) + "\r\n"), std::string::npos);
}

TEST_F(SettingsStore, SubFlagDefaultsDifferBetweenMiscAndTheEditors)
{
    TConfig config;
    TMisc misc;
    config.LoadMisc(misc);
    EXPECT_FALSE(misc.Sub);
    EXPECT_TRUE(config.ReadFlag("Misc", "Sub"));
    config.SaveMisc(misc);
    EXPECT_FALSE(config.ReadFlag("Misc", "Sub")) << "saved preferences write Sub=0";
}

TEST_F(SettingsStore, ASaveKeepsTheLaterOfItsOwnAndTheRotationsStamp)
{
    TConfig editor;
    TWallpaper paper;
    editor.LoadWallpaper(paper);
    TConfig main;
    const TDateTime rotated = TDateTime::FromCivil({2030, 1, 1, 10, 0, 0, 0});
    main.WriteStamp("Wallpaper", "PrevChange", rotated);
    editor.SaveWallpaper(paper);
    TWallpaper fresh;
    main.LoadWallpaper(fresh);
    EXPECT_EQ(fresh.PrevChange, rotated) << "a record loaded before the change does not take its stamp back";

    fresh.PrevChange = TDateTime::FromCivil({2031, 2, 3, 4, 5, 6, 0});
    editor.SaveWallpaper(fresh);
    TWallpaper again;
    main.LoadWallpaper(again);
    EXPECT_EQ(again.PrevChange, fresh.PrevChange) << "a later stamp of the record is written";
}

TEST_F(SettingsStore, AReadOnlyFileRaisesUnableToWriteAndKeepsItsText)
{
    Sandbox::Write(box.IniPath(), "[Saver]\nInterval=5\n");
    chmod(box.IniPath().c_str(), 0444);
    TConfig config;
    TSavers savers;
    try {
        config.SaveSavers(savers);
        FAIL() << "no error";
    } catch (const EKaleidraError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + box.IniPath());
    }
    EXPECT_EQ(Ini(), "[Saver]\nInterval=5\n");
}

// A settings file saved by Windows Notepad as UTF-8 begins with a byte-order mark: the first
// section is read, and a save replaces it in place, leaving one section of the name and the mark.
TEST_F(SettingsStore, AByteOrderMarkBeforeTheFirstSectionHidesNothing)
{
    const std::string mark = "\xEF\xBB\xBF";
    Sandbox::Write(box.IniPath(), mark + "[Saver]\r\nRandomType=1\r\nInterval=7\r\n[SaverList]\r\n0=/a.scr\r\n");
    TConfig config;
    TSavers savers;
    config.LoadSavers(savers);
    EXPECT_EQ(savers.RandomType, 1);
    EXPECT_EQ(savers.Interval, 7);
    EXPECT_EQ(savers.Items, TStrings {"/a.scr"});
    savers.Interval = 9;
    config.SaveSavers(savers);
    config.ReleaseFile();
    const std::string ini = Ini();
    EXPECT_EQ(ini.substr(0, 3), mark);
    EXPECT_EQ(ini.find("[Saver]"), 3u);
    EXPECT_EQ(ini.find("[Saver]", 4), std::string::npos) << ini;
    TSavers again;
    TConfig().LoadSavers(again);
    EXPECT_EQ(again.Interval, 9);
}

// A name that would break its line is refused like such a value, whatever the backend.
TEST_F(SettingsStore, NamesWithALineBreakRaiseUnableToWriteAndChangeNothing)
{
    Sandbox::Write(box.IniPath(), "[Misc]\r\nSub=1\r\n");
    TConfig config;
    EXPECT_THROW(config.WriteFlag("Misc]\r\n[Saver", "Interval", true), EKaleidraError);
    EXPECT_THROW(config.WriteFlag("Misc", "Sub\nInterval", false), EKaleidraError);
    EXPECT_THROW(config.WriteList("Recent\rFolder", {"/a/"}), EKaleidraError);
    config.ReleaseFile();
    EXPECT_EQ(Ini(), "[Misc]\r\nSub=1\r\n");
}

// A read-only settings file is never written, but a value already stored needs no write: the
// list panels write "Sub" back as they open, and must not fail for it.
TEST_F(SettingsStore, AReadOnlyFileTakesAValueItAlreadyHoldsWithoutAWrite)
{
    Sandbox::Write(box.IniPath(), "[Misc]\r\nSub=1\r\n");
    chmod(box.IniPath().c_str(), 0444);
    TConfig config;
    EXPECT_NO_THROW(config.WriteFlag("Misc", "Sub", true));
    EXPECT_THROW(config.WriteFlag("Misc", "Sub", false), EKaleidraError);
    EXPECT_THROW(config.WriteFlag("Misc", "AutoSave", true), EKaleidraError) << "a key not there is a change";
    config.ReleaseFile();
    chmod(box.IniPath().c_str(), 0644);
    EXPECT_EQ(Ini(), "[Misc]\r\nSub=1\r\n");
}

TEST_F(SettingsStore, AMissingInstallFolderRaisesUnableToWrite)
{
    TConfig config;
    config.IniFile = std::make_unique<TIniFile>(box.Root() + "/gone/KDX.ini");
    EXPECT_THROW(config.WriteFlag("Misc", "Sub", true), EKaleidraError);
    EXPECT_TRUE(config.ReadFlag("Misc", "Sub")) << "reads still give the default";
}

TEST_F(SettingsStore, SeveralStoresSeeEachOthersWrites)
{
    TConfig a;
    TConfig b;
    a.WriteFlag("Misc", "AutoSave", false);
    EXPECT_FALSE(b.IsAutoSave());
    b.ReleaseFile();
    EXPECT_FALSE(b.IniFile);
    EXPECT_EQ(Ini(), "[Misc]\r\nAutoSave=0\r\n");
}

} // namespace
