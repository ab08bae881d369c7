// The registry stand-in keeps every string exactly and reports types and failures.
#include "platform/posix/PosixRegistry.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace kdx::platform;
using kdx::platform::posix::PosixRegistry;
using kdx::test::Sandbox;

namespace {

class RegistryStore : public ::testing::Test {
protected:
    Sandbox box;
    PosixRegistry registry;
};

TEST_F(RegistryStore, StringsRoundTripByteForByte)
{
    auto key = registry.CreateKey("Control Panel\\Desktop");
    ASSERT_TRUE(key);
    const std::string odd[] = {"\"KDXSaver.SCR\"", "\"\"", "  blanks  ", "back\\slash", "a=b[c]", "tab\tline\nend",
        std::string("\x01\x7f\xe9", 3), ""};
    for (const auto& value : odd) {
        ASSERT_TRUE(key->SetString("SCRNSAVE.EXE", value));
        const RegString read = registry.OpenKey("control panel\\desktop")->QueryString("scrnsave.exe");
        EXPECT_EQ(read.status, RegRead::Ok);
        EXPECT_EQ(read.value, value);
    }
}

TEST_F(RegistryStore, KeysAndValuesAreCreatedTestedAndDeleted)
{
    EXPECT_FALSE(registry.OpenKey("Software\\X")) << "OpenKey does not create";
    auto key = registry.CreateKey("Software\\X");
    ASSERT_TRUE(key);
    EXPECT_TRUE(registry.OpenKey("Software\\X"));
    EXPECT_EQ(key->QueryString("v").status, RegRead::Absent);
    EXPECT_FALSE(key->ValueExists("v"));
    ASSERT_TRUE(key->SetString("v", "1"));
    EXPECT_TRUE(key->ValueExists("V"));
    EXPECT_TRUE(key->DeleteValue("v"));
    EXPECT_FALSE(key->ValueExists("v"));
    EXPECT_FALSE(key->DeleteValue("v")) << "deleting an absent value fails";
}

TEST_F(RegistryStore, OtherTypesAndDamagedValuesAreReportedAsSuch)
{
    registry.CreateKey("K");
    Sandbox::Write(PosixRegistry::StoreFile(), "[K]\n\"dw\"=dword:00000001\n\"bad\"=\"unterminated\\\"\n");
    auto key = registry.OpenKey("K");
    ASSERT_TRUE(key);
    EXPECT_EQ(key->QueryString("dw").status, RegRead::WrongType);
    EXPECT_EQ(key->QueryString("bad").status, RegRead::Failed);
}

TEST_F(RegistryStore, AReadOnlyStoreRefusesWrites)
{
    auto key = registry.CreateKey("K");
    ASSERT_TRUE(key->SetString("v", "old"));
    chmod(PosixRegistry::StoreFile().c_str(), 0444);
    EXPECT_FALSE(key->SetString("v", "new"));
    EXPECT_FALSE(registry.CreateKey("Other"));
    EXPECT_EQ(key->QueryString("v").value, "old");
}

TEST_F(RegistryStore, LivesUnderTheConfigHome)
{
    EXPECT_EQ(PosixRegistry::StoreFile(), box.ConfigHome() + "/kaleidra-agent/registry.ini");
}

} // namespace
