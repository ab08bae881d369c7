// The one-pass folder read of a search against the two enumerations it replaces, on real
// folders with odd names, links, read-only and unreadable folders.
#include "platform/posix/PosixSystem.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kdx::platform;
using kdx::platform::posix::IsSubFolderEntry;
using kdx::platform::posix::PosixFiles;
using kdx::test::Sandbox;
namespace fs = std::filesystem;

namespace {

class FolderScanTest : public ::testing::Test {
protected:
    Sandbox box;
    PosixFiles files;
    std::string dir = box.Root() + "/scan/";

    void SetUp() override { fs::create_directories(dir); }
    void Touch(const std::string& name) { Sandbox::Write(dir + name, "x"); }
    void Folder(const std::string& name, mode_t mode = 0755)
    {
        fs::create_directory(dir + name);
        chmod((dir + name).c_str(), mode);
    }

    // What a search took from a folder before: the "*.*" enumeration filtered by the
    // sub-folder rule, and the mask's own enumeration.
    FolderScan TwoEnumerations(const std::string& mask)
    {
        FolderScan scan;
        for (const auto& entry : files.FindFiles(dir + "*.*"))
            if (IsSubFolder(entry.name, entry.attributes))
                scan.subFolders.push_back(entry.name);
        for (const auto& entry : files.FindFiles(dir + mask))
            scan.matches.push_back(entry.name);
        return scan;
    }

    static std::vector<std::string> Sorted(std::vector<std::string> names)
    {
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(FolderScanTest, OneReadGivesWhatTheTwoEnumerationsGaveInTheSameOrder)
{
    for (const char* name : {"a.scr", "B.SCR", "c.Scr", ".hidden.scr", "note.txt", "with space.scr", "star*.scr",
             "q?.scr", "line\nbreak.scr", "\xff\xfe latin.scr", "-dash.scr", "a.scr.txt", "scr", ".scr"})
        Touch(name);
    Folder("plain");
    Folder("folder.scr"); // a folder matching the mask is a hit as well as a sub-folder
    Folder("locked", 0555); // read-only: never entered
    Folder(".hidden"); // hidden: never entered
    fs::create_directory_symlink(dir + "plain", dir + "link");
    fs::create_directory_symlink(dir + "plain", dir + "link.scr");
    fs::create_symlink(dir + "missing", dir + "dangling.scr");
    ASSERT_EQ(mkfifo((dir + "pipe.scr").c_str(), 0644), 0);

    const FolderScan scan = files.ScanFolder(dir, "*.scr", true);
    const FolderScan before = TwoEnumerations("*.scr");
    EXPECT_EQ(scan.subFolders, before.subFolders);
    EXPECT_EQ(scan.matches, before.matches);

    EXPECT_EQ(Sorted(scan.subFolders), (std::vector<std::string> {"folder.scr", "plain"}));
    EXPECT_EQ(Sorted(scan.matches),
        Sorted({"\xff\xfe latin.scr", "-dash.scr", ".hidden.scr", ".scr", "B.SCR", "a.scr", "c.Scr", "dangling.scr",
            "folder.scr", "line\nbreak.scr", "link.scr", "pipe.scr", "q?.scr", "star*.scr", "with space.scr"}));
}

TEST_F(FolderScanTest, WithoutSubFoldersOnlyTheMatchesAndNothingFromAMissingFolderOrAFile)
{
    Touch("a.swf");
    Folder("sub");
    const FolderScan scan = files.ScanFolder(dir, "*.SWF", false);
    EXPECT_TRUE(scan.subFolders.empty());
    EXPECT_EQ(scan.matches, std::vector<std::string> {"a.swf"});

    for (const std::string& folder : {dir + "missing/", dir + "a.swf/"}) {
        const FolderScan none = files.ScanFolder(folder, "*.*", true);
        EXPECT_TRUE(none.subFolders.empty() && none.matches.empty()) << folder;
    }
}

// Some file systems leave the type out of the directory entry; the entry's own status decides.
TEST_F(FolderScanTest, AnEntryOfUnknownTypeIsAskedForAndFollowsTheSameRules)
{
    Touch("file");
    Folder("plain");
    Folder("locked", 0555);
    Folder(".hidden");
    fs::create_directory_symlink(dir + "plain", dir + "link");
    const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    EXPECT_TRUE(IsSubFolderEntry(fd, "plain", DT_UNKNOWN));
    EXPECT_TRUE(IsSubFolderEntry(fd, "plain", DT_DIR));
    for (const char* name : {"file", "locked", ".hidden", "link", "gone"})
        EXPECT_FALSE(IsSubFolderEntry(fd, name, DT_UNKNOWN)) << name;
    EXPECT_FALSE(IsSubFolderEntry(fd, "locked", DT_DIR)) << "the write bit is read even when the type is known";
    EXPECT_FALSE(IsSubFolderEntry(fd, ".", DT_DIR));
    EXPECT_FALSE(IsSubFolderEntry(fd, "..", DT_DIR));
    EXPECT_FALSE(IsSubFolderEntry(fd, "link", DT_LNK));
    close(fd);
}

// Root reads every folder, so the unreadable case runs as an unprivileged user in a child.
TEST_F(FolderScanTest, AnUnreadableFolderGivesNothing)
{
    Folder("closed", 0);
    Sandbox::Write(dir + "closed/a.scr", "x");
    chmod(box.Root().c_str(), 0755);
    chmod(dir.c_str(), 0755);
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && setuid(65534) != 0)
            _exit(2);
        if (files.ScanFolder(dir, "*.*", true).matches.empty())
            _exit(3); // the folder around it must still be readable, or this proves nothing
        const FolderScan scan = files.ScanFolder(dir + "closed/", "*.*", true);
        _exit(scan.matches.empty() && scan.subFolders.empty() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

} // namespace
