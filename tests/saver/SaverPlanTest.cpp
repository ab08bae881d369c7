// Which list the screensaver shows, read from KDX.ini through the agent's own settings store.
#include "saver/SaverPlan.h"
#include "saver/posix/PosixSaverSystem.h"
#include "settings/TConfig.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace kdx;
using namespace kdx::saver;
using kdx::test::Sandbox;

namespace {

class SaverPlanTest : public ::testing::Test {
protected:
    Sandbox box;
    std::string wine = "/usr/lib/wine/wine64";
    int lastN = -1;
    int pick = 0;

    std::string File(const std::string& name, const std::string& bytes = "MZ")
    {
        const std::string path = box.Root() + "/" + name;
        Sandbox::Write(path, bytes);
        return path;
    }

    SaverPlan Plan(const std::string& ini)
    {
        std::filesystem::create_directories(box.InstallDir());
        Sandbox::Write(box.IniPath(), ini);
        TConfig config;
        // This build's own rule for what is a screensaver program; Wine as the test says.
        return ChoosePlan(config,
            {wine.empty() ? texts::NoWine : "",
                [](const std::string& path) { return posix::PosixSaverSystem().IsSaverProgram(path); },
                [this](int n) {
                    lastN = n;
                    return pick;
                }});
    }
};

TEST_F(SaverPlanTest, NoChosenListSaysWhereToChooseOne)
{
    const SaverPlan plan = Plan("[ImageList]\n0=" + File("a.jpg") + "\n");
    EXPECT_EQ(plan.kind, ShowKind::Nothing);
    EXPECT_EQ(plan.message, std::string(texts::NothingChosen) + ".");
}

TEST_F(SaverPlanTest, FlashAloneSaysInWordsThatItCannotBePlayed)
{
    const SaverPlan plan = Plan("[RandomWhat]\n0=1\n[FlashList]\n0=" + File("movie.swf") + "\n");
    EXPECT_EQ(plan.kind, ShowKind::Nothing);
    EXPECT_EQ(plan.message, "Flash movies cannot be played here: there is no Flash player for this system.");
}

TEST_F(SaverPlanTest, EachUnusableKindGivesItsReasonOnOneLine)
{
    EXPECT_EQ(Plan("[RandomWhat]\n0=2\n").message, "The picture list is empty.");
    EXPECT_EQ(Plan("[RandomWhat]\n0=0\n").message, "The screensaver list is empty.");
    EXPECT_EQ(
        Plan("[RandomWhat]\n0=0\n[SaverList]\n0=/nowhere/a.scr\n").message, "None of the listed screensavers exists.");
    wine.clear();
    EXPECT_EQ(Plan("[RandomWhat]\n0=0\n[SaverList]\n0=" + File("a.scr") + "\n").message,
        "Screensaver programs need Wine, which is not installed.");
    const SaverPlan all = Plan("[RandomWhat]\n0=0\n1=1\n2=2\n[SaverList]\n0=" + File("b.scr") + "\n");
    EXPECT_EQ(all.kind, ShowKind::Nothing);
    EXPECT_EQ(all.message,
        "Nothing to show: screensaver programs need Wine, which is not installed; Flash movies cannot be "
        "played here: there is no Flash player for this system; the picture list is empty.");
}

TEST_F(SaverPlanTest, PicturesAreTakenAsListedUncheckedAndOptionsInRange)
{
    const std::string a = File("a.jpg"), b = File("b.BMP");
    SaverPlan plan = Plan(
        "[RandomWhat]\n0=2\n[ImageList]\n0=" + a + "\n1=/nowhere/x.jpg\n2=" + b + "\n[Image]\nInterval=0\nSize=2\n");
    EXPECT_EQ(plan.kind, ShowKind::Pictures);
    EXPECT_EQ(plan.items, (TStrings {a, "/nowhere/x.jpg", b})) << "each is checked when the show picks it";
    plan = Plan("[RandomWhat]\n0=2\n[ImageList]\n0=/nowhere/a.jpg\n");
    EXPECT_EQ(plan.kind, ShowKind::Pictures) << "the show says so when none can be read";
    plan = Plan(
        "[RandomWhat]\n0=2\n[ImageList]\n0=" + a + "\n1=/nowhere/x.jpg\n2=" + b + "\n[Image]\nInterval=0\nSize=2\n");
    EXPECT_EQ(plan.intervalSeconds, 1);
    EXPECT_EQ(plan.size, 2);
    plan = Plan("[RandomWhat]\n0=2\n[ImageList]\n0=" + a + "\n[Image]\nInterval=5000\nSize=7\n");
    EXPECT_EQ(plan.intervalSeconds, 999);
    EXPECT_EQ(plan.size, 0) << "a size no editor offers shows at full size";
    plan = Plan("[RandomWhat]\n0=2\n[ImageList]\n0=" + a + "\n");
    EXPECT_EQ(plan.intervalSeconds, 5) << "the agent's default";
}

TEST_F(SaverPlanTest, ScreensaverProgramsAreWindowsProgramsOnly)
{
    const std::string scr = File("a.scr");
    const std::string native = File("KDXSaver.SCR", "#!/bin/sh\n");
    std::filesystem::permissions(native, std::filesystem::perms::owner_all);
    const SaverPlan plan
        = Plan("[RandomWhat]\n0=0\n[SaverList]\n0=" + native + "\n1=" + scr + "\n[Saver]\nRandomType=1\nInterval=30\n");
    EXPECT_EQ(plan.kind, ShowKind::Programs);
    EXPECT_EQ(plan.items, (TStrings {scr})) << "a program built for this system could be this very companion";
    EXPECT_EQ(plan.randomType, 1);
    EXPECT_EQ(plan.intervalSeconds, 30);
    EXPECT_EQ(
        Plan("[RandomWhat]\n0=0\n[SaverList]\n0=" + native + "\n").message, "None of the listed screensavers exists.");
}

TEST_F(SaverPlanTest, TheKindIsChosenAtRandomAmongTheUsableOnesOnly)
{
    const std::string ini
        = "[RandomWhat]\n0=0\n1=1\n2=2\n[SaverList]\n0=" + File("a.scr") + "\n[ImageList]\n0=" + File("a.jpg") + "\n";
    pick = 0;
    EXPECT_EQ(Plan(ini).kind, ShowKind::Programs);
    EXPECT_EQ(lastN, 2) << "Flash is never among them";
    pick = 1;
    EXPECT_EQ(Plan(ini).kind, ShowKind::Pictures);
    wine.clear();
    pick = 0;
    EXPECT_EQ(Plan(ini).kind, ShowKind::Pictures);
    EXPECT_EQ(lastN, 1);
}

TEST_F(SaverPlanTest, ReadingWritesNothingToTheSettingsFile)
{
    const std::string ini = "[RandomWhat]\n0=2\n; mine\n[ImageList]\n0=" + File("a.jpg") + "\n";
    Plan(ini);
    EXPECT_EQ(Sandbox::Read(box.IniPath()), ini);
}

} // namespace
