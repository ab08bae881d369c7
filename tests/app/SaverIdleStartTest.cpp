// The agent's start of the companion screensaver when the session's screen-saver timer fires.
// The X server's own timer and the real companion are driven end to end in
// tests/saver/agent-saver-e2e.sh; here the timer is the test's, to cover every rule.
#include "app/SaverIdleStart.h"
#include "AppTestSupport.h"
#include "settings/TConfig.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

using namespace kdx;

namespace {

class TestTimer final : public platform::IScreenSaverTimer {
public:
    bool Watch(Handler h) override
    {
        handler = std::move(h);
        return offered;
    }
    bool DesktopSaverPresent() override { return desktopSaver; }
    bool CompanionRunning() override { return companion; }

    bool offered = true, desktopSaver = false, companion = false;
    Handler handler;
};

class SaverIdleStartTest : public ::testing::Test {
protected:
    test::Sandbox box;
    test::ShellRecorder recorder;
    TestTimer timer;
    platform::ScopedServices scope {WithTimer(&timer)};

    static platform::Services WithTimer(platform::IScreenSaverTimer* timer)
    {
        platform::Services services = platform::Current();
        services.screenSaverTimer = timer;
        return services;
    }

    void SetSystemSaver(const std::string& value)
    {
        platform::Current().registry->CreateKey(reg::DesktopKey)->SetString(reg::ScreenSaverValue, value);
    }

    std::vector<std::string>& Launches() { return recorder.shell.launches; }
};

TEST_F(SaverIdleStartTest, StartsTheCompanionByItsBareNameWhileTheSystemSaverNamesIt)
{
    const SaverIdleStart idle;
    EXPECT_TRUE(idle.Watching());
    ASSERT_TRUE(timer.handler);
    timer.handler();
    EXPECT_TRUE(Launches().empty()) << "no system screensaver set";
    TConfig().SetSystemSaver(true);
    timer.handler();
    EXPECT_EQ(Launches(), (std::vector<std::string> {"open|KDXSaver.SCR|"}));
    TConfig().SetSystemSaver(false); // "Disable Screensaver"
    timer.handler();
    EXPECT_EQ(Launches().size(), 1u);
}

TEST_F(SaverIdleStartTest, NeverWhileTheCompanionRunsOrADesktopSaverLooksAfterIdleTime)
{
    const SaverIdleStart idle;
    TConfig().SetSystemSaver(true);
    timer.companion = true;
    timer.handler();
    timer.companion = false;
    timer.desktopSaver = true;
    timer.handler();
    EXPECT_TRUE(Launches().empty());
}

TEST_F(SaverIdleStartTest, StopsListeningWhenItEnds)
{
    {
        const SaverIdleStart idle;
        EXPECT_TRUE(timer.handler);
    }
    EXPECT_FALSE(timer.handler);
    timer.offered = false;
    EXPECT_FALSE(SaverIdleStart().Watching());
}

TEST(SaverIdleStartNames, TheCompanionInAnyCaseWithOrWithoutQuotesAndFolder)
{
    for (const char* value :
        {"\"KDXSaver.SCR\"", "KDXSaver.SCR", "kdxsaver.scr", "C:\\Windows\\KDXSAVER.SCR", "\"/usr/bin/KDXSaver.SCR\""})
        EXPECT_TRUE(NamesCompanion(value)) << value;
    for (const char* value : {"\"\"", "", "\"other.scr\"", "KDXSaver.SCR.bak", "\"KDXSaver.SCR", "MyKDXSaver.SCR"})
        EXPECT_FALSE(NamesCompanion(value)) << value;
}

} // namespace
