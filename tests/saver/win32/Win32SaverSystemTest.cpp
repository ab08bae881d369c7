// The Windows companion's dealings with the system, under Wine against the real Windows API.
#include "saver/win32/Win32SaverSystem.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>

using kdx::saver::win32::Win32SaverSystem;

namespace {

std::string OwnFile()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

std::string TempFile(const char* name, const std::string& bytes)
{
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

TEST(Win32SaverSystem, OneRunAtATimeUntilTheFirstEnds)
{
    Win32SaverSystem system;
    auto first = system.TakeRunLock();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(system.TakeRunLock(), nullptr) << "a second companion leaves the screen to the first";
    first.reset();
    EXPECT_NE(system.TakeRunLock(), nullptr);
}

// A hand-edited list may name the companion itself, or anything that is no program.
TEST(Win32SaverSystem, ScreensaverProgramsAreWindowsProgramsButNeverTheCompanionItself)
{
    Win32SaverSystem system;
    const std::string program = TempFile("kdx-other.scr", std::string("MZ") + std::string(200, '\0'));
    const std::string text = TempFile("kdx-text.scr", "not a program");
    EXPECT_TRUE(system.IsSaverProgram(program));
    EXPECT_FALSE(system.IsSaverProgram(text));
    EXPECT_FALSE(system.IsSaverProgram(OwnFile())) << "the running program itself";
    // The same file under another spelling of its name is still itself.
    std::string upper = OwnFile();
    CharUpperA(upper.data());
    EXPECT_FALSE(system.IsSaverProgram(upper));
    EXPECT_TRUE(system.ProgramsCannotRun().empty());
    DeleteFileA(program.c_str());
    DeleteFileA(text.c_str());
}

TEST(Win32SaverSystem, ThePreviewFollowsItsHostWindowUntilItIsGone)
{
    Win32SaverSystem system;
    const HWND host
        = CreateWindowExA(0, "STATIC", "host", WS_POPUP, 0, 0, 152, 112, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(host, nullptr);
    const auto handle = static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(host));
    EXPECT_EQ(system.HostWindowSize(handle), QSize(152, 112));
    SetWindowPos(host, nullptr, 0, 0, 200, 150, SWP_NOZORDER | SWP_NOMOVE);
    EXPECT_EQ(system.HostWindowSize(handle), QSize(200, 150));
    DestroyWindow(host);
    EXPECT_FALSE(system.HostWindowSize(handle).has_value());
}

} // namespace
