// Folder enumeration with the system's attributes, copies and deletions, and the lookup and
// loading of the HTML Help control through the class registry.
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32HelpControl.h"
#include "support/Sandbox.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <windows.h>

// The interfaces keep the plain names that windows.h turns into macros.
#undef CopyFile
#undef DeleteFile
#undef LoadLibrary

using namespace kdx::platform;
using kdx::test::Sandbox;

namespace {

std::uint32_t AttributesOf(const std::vector<FoundEntry>& found, const std::string& name)
{
    const auto it = std::find_if(found.begin(), found.end(), [&](const FoundEntry& e) { return e.name == name; });
    return it == found.end() ? 0xFFFFFFFFu : it->attributes;
}

TEST(Win32Files, EnumerationReportsTheSystemsAttributes)
{
    Sandbox box;
    win32::Win32Files files;
    const std::string dir = box.Root() + "\\search";
    std::filesystem::create_directories(dir + "\\sub");
    Sandbox::Write(dir + "\\a.scr", "x");
    Sandbox::Write(dir + "\\hidden.scr", "x");
    Sandbox::Write(dir + "\\b.txt", "x");
    SetFileAttributesA((dir + "\\hidden.scr").c_str(), FILE_ATTRIBUTE_HIDDEN);

    const auto all = files.FindFiles(dir + "\\*.*");
    EXPECT_TRUE(AttributesOf(all, "sub") & AttrDirectory);
    EXPECT_TRUE(AttributesOf(all, "hidden.scr") & AttrHidden);
    EXPECT_FALSE(AttributesOf(all, "a.scr") & (AttrDirectory | AttrHidden));
    EXPECT_NE(AttributesOf(all, "."), 0xFFFFFFFFu) << "the folder's own entries come too";

    const auto savers = files.FindFiles(dir + "\\*.SCR");
    EXPECT_EQ(savers.size(), 2u) << "masks ignore case";
    EXPECT_TRUE(files.FindFiles(box.Root() + "\\none\\*.*").empty());

    EXPECT_TRUE(files.FileExists(dir + "\\a.scr"));
    EXPECT_FALSE(files.FileExists(dir + "\\sub")) << "a folder is no file";
    EXPECT_TRUE(files.CopyFile(dir + "\\a.scr", dir + "\\c.scr", true));
    EXPECT_FALSE(files.CopyFile(dir + "\\b.txt", dir + "\\c.scr", true)) << "fails when the target exists";
    EXPECT_EQ(Sandbox::Read(dir + "\\c.scr"), "x");
    EXPECT_TRUE(files.DeleteFile(dir + "\\c.scr"));
    EXPECT_FALSE(files.DeleteFile(dir + "\\c.scr"));
}

TEST(Win32HelpControl, TheRegisteredControlIsFoundAndLoaded)
{
    win32::Win32HelpControl help;
    EXPECT_EQ(help.ClassesRootDefault("CLSID\\{00000000-0000-0000-0000-00000000dead}\\InprocServer32").status,
        RegRead::Absent);
    const RegString path = help.ClassesRootDefault("CLSID\\{adb880a6-d8ff-11cf-9377-00aa003b7a11}\\InprocServer32");
    if (path.status != RegRead::Ok)
        GTEST_SKIP() << "this system has no HTML Help control registered";
    const IHelpControl::Module module = help.LoadLibrary(path.value);
    ASSERT_NE(module, 0u) << path.value;
    EXPECT_TRUE(help.ProcAddress(module, "HtmlHelpA"));
    EXPECT_TRUE(help.ProcAddress(module, "HtmlHelpW"));
    EXPECT_FALSE(help.ProcAddress(module, "NoSuchEntry"));
    help.FreeLibrary(module);
}

} // namespace
