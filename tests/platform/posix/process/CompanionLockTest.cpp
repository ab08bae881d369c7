// The mark of a running companion screensaver: one holder at a time, gone with its holder.
#include "platform/posix/process/CompanionLock.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

using kdx::platform::posix::CompanionLock;
using kdx::test::Sandbox;

namespace {

TEST(CompanionLock, OneHolderAtATimeInTheSessionsRuntimeFolder)
{
    Sandbox box;
    box.SetEnv("WAYLAND_DISPLAY", "");
    box.SetEnv("DISPLAY", "");
    EXPECT_EQ(CompanionLock::LockFile(), box.Root() + "/runtime/KDXSaver.lock");
    EXPECT_FALSE(CompanionLock::Held());
    {
        CompanionLock first;
        ASSERT_TRUE(first.Acquire());
        EXPECT_TRUE(CompanionLock::Held());
        CompanionLock second;
        EXPECT_FALSE(second.Acquire());
    }
    EXPECT_FALSE(CompanionLock::Held()) << "let go with its holder";
    CompanionLock again;
    EXPECT_TRUE(again.Acquire());
}

// As the agent is one per graphical session, so is its screensaver: one running on the display
// :1 keeps none from starting on :0.
TEST(CompanionLock, EachGraphicalSessionHasItsOwn)
{
    Sandbox box;
    box.SetEnv("WAYLAND_DISPLAY", "");
    box.SetEnv("DISPLAY", ":1.0");
    EXPECT_EQ(CompanionLock::LockFile(), box.Root() + "/runtime/KDXSaver-:1.lock");
    CompanionLock one;
    ASSERT_TRUE(one.Acquire());
    box.SetEnv("DISPLAY", ":0");
    EXPECT_FALSE(CompanionLock::Held());
    CompanionLock other;
    EXPECT_TRUE(other.Acquire());
    box.SetEnv("WAYLAND_DISPLAY", "wayland-1");
    EXPECT_EQ(CompanionLock::LockFile(), box.Root() + "/runtime/KDXSaver-wayland-1.lock");
    box.SetEnv("DISPLAY", ":1");
    box.SetEnv("WAYLAND_DISPLAY", "");
    EXPECT_TRUE(CompanionLock::Held()) << "the same session's one still holds it";
}

TEST(CompanionLock, AKilledHolderLeavesNoMarkAndAStartedProgramInheritsNone)
{
    Sandbox box;
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t holder = fork();
    if (holder == 0) {
        CompanionLock lock;
        const char ok = lock.Acquire() ? 1 : 0;
        // A program it starts keeps running after it is killed; the mark must not stay with it.
        // Ready only once that program runs: until its exec the forked copy holds what we hold.
        int started[2];
        if (pipe2(started, O_CLOEXEC) != 0)
            _exit(1);
        if (fork() == 0) {
            execl("/bin/sleep", "sleep", "2", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(started[1]);
        char none = 0;
        [[maybe_unused]] const auto execed = read(started[0], &none, 1); // the end of the pipe at exec
        [[maybe_unused]] const auto written = write(ready[1], &ok, 1);
        pause();
        _exit(0);
    }
    char ok = 0;
    ASSERT_EQ(read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, 1);
    EXPECT_TRUE(CompanionLock::Held());
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    EXPECT_FALSE(CompanionLock::Held());
    close(ready[0]);
    close(ready[1]);
}

TEST(CompanionLock, WithoutARuntimeFolderTheUsersDataFolderHoldsIt)
{
    Sandbox box;
    box.SetEnv("WAYLAND_DISPLAY", "");
    box.SetEnv("DISPLAY", "");
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(CompanionLock::LockFile(), box.DataHome() + "/kaleidra-agent/KDXSaver.lock");
    CompanionLock lock;
    EXPECT_TRUE(lock.Acquire());
    EXPECT_TRUE(CompanionLock::Held());
}

} // namespace
