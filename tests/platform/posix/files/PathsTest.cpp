// The per-user folders and file URIs.
#include "platform/posix/files/Paths.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>
#include <unistd.h>

using namespace kdx::platform::posix;
using kdx::test::Sandbox;

namespace {

TEST(Paths, FileUrisAreAbsoluteAndEscaped)
{
    EXPECT_EQ(FileUri("/pictures/a b/it's,100%.jpg"), "file:///pictures/a%20b/it%27s%2C100%25.jpg");
    EXPECT_EQ(FileUri("/\xC3\xA9t\xC3\xA9.bmp"), "file:///%C3%A9t%C3%A9.bmp");
    char cwd[4096];
    ASSERT_TRUE(getcwd(cwd, sizeof cwd));
    EXPECT_EQ(FileUri("rel.jpg"), FileUri(std::string(cwd) + "/rel.jpg"));
}

TEST(Paths, TheSessionsSharedFilesLiveInTheRuntimeFolderElseTheDataFolder)
{
    Sandbox box;
    box.SetEnv("XDG_RUNTIME_DIR", box.Root() + "/runtime");
    EXPECT_EQ(RuntimeFolder(), box.Root() + "/runtime");
    box.SetEnv("XDG_RUNTIME_DIR", "");
    EXPECT_EQ(RuntimeFolder(), box.DataHome() + "/kaleidra-agent");
}

} // namespace
