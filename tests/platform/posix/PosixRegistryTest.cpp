// The registry stand-in keeps the registry's contract and reports types and failures.
#include "platform/posix/PosixRegistry.h"
#include "platform/RegistryContract.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace kdx::platform;
using kdx::platform::posix::PosixRegistry;
using kdx::test::Sandbox;

namespace {

struct StandInStore {
    Sandbox box;
    PosixRegistry registry;
    std::string path = "Software\\Kaleidra Agent Tests";
};
INSTANTIATE_TYPED_TEST_SUITE_P(StandIn, RegistryContract, StandInStore);

class RegistryStore : public ::testing::Test {
protected:
    Sandbox box;
    PosixRegistry registry;
};

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
