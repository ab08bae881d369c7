// The companion's screensaver programs when they cannot even start.
#include "saver/ProgramShow.h"
#include "saver/posix/WineProgram.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

using namespace kdx::saver;

namespace {

// A Wine that is gone by the time the companion runs: each program fails inside its start, which
// already moves on to the next one; none may be looked at afterwards (the process object of a
// failed start is handed back to the event loop, and there may be none left).
TEST(ProgramShow, ProgramsThatFailToStartEndInTheMessageWithoutACrash)
{
    int argc = 1;
    char name[] = "test_saver";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    SaverPlan plan;
    plan.kind = ShowKind::Programs;
    plan.items = {"/nowhere/a.scr", "/nowhere/b.scr"};
    plan.intervalSeconds = 60;
    plan.randomType = 1;
    // No loader at all fails inside start() itself; one that is missing, a moment later.
    for (const char* wine : {"", "/nowhere/wine"}) {
        SCOPED_TRACE(wine);
        std::vector<std::string> lines;
        {
            ProgramShow show(
                plan, [wine](const std::string& path) { return std::make_unique<posix::WineProgram>(wine, path); },
                [&](const std::string& line) { lines.push_back(line); }, [](int) { return 0; });
            show.Start();
            for (int i = 0; i < 100 && lines.empty(); ++i)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        EXPECT_EQ(lines, std::vector<std::string> {NothingToShow({texts::SaversFailed})});
    }
}

} // namespace
