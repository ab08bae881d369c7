// The settings store on a full disk: a file size limit set in a child process makes every write
// past it fail as a full disk does, without needing a mount.
#include "settings/Errors.h"
#include "settings/TConfig.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kdx;
using kdx::test::Sandbox;

namespace {

// Runs Body in a child whose files cannot grow past Limit bytes; gives its exit code.
template <typename Body> int WithFileSizeLimit(rlim_t limit, Body body)
{
    const pid_t pid = fork();
    if (pid == 0) {
        signal(SIGXFSZ, SIG_IGN); // the write fails with EFBIG instead of killing the process
        const rlimit r {limit, limit};
        setrlimit(RLIMIT_FSIZE, &r);
        _exit(body());
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST(FullDisk, ASaveThatDoesNotFitRaisesUnableToWriteAndKeepsTheFile)
{
    Sandbox box;
    const std::string before = "; mine\n[SaverList]\n0=/old/one.scr\n[Saver]\nInterval=5\n";
    Sandbox::Write(box.IniPath(), before);
    TSavers big;
    for (int n = 0; n < 100; ++n)
        big.Items.push_back("/a/rather/long/folder/name/for/the/screensaver/number/" + std::to_string(n) + ".scr");

    const int code = WithFileSizeLimit(1024, [&] {
        try {
            TConfig config;
            config.SaveSavers(big);
        } catch (const EKaleidraError& e) {
            return std::string(e.what()) == "Unable to write to " + box.IniPath() ? 0 : 2;
        }
        return 1;
    });

    EXPECT_EQ(code, 0) << "1: the save reported success; 2: another error";
    EXPECT_EQ(Sandbox::Read(box.IniPath()), before);
    size_t others = 0;
    for (const auto& entry : std::filesystem::directory_iterator(box.InstallDir()))
        others += entry.path().filename() != "KDX.ini";
    EXPECT_EQ(others, 0u) << "the failed write left its temporary file";
}

} // namespace
