// Where the companion finds the agent and its settings, wherever the companion itself is kept.
#include "saver/AgentPlace.h"
#include "settings/TConfig.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace kdx;
using namespace kdx::saver;
using kdx::test::Sandbox;

namespace {

class AgentPlaceTest : public ::testing::Test {
protected:
    Sandbox box;
    std::string systemFolder = box.Root() + "/system32";

    void SetUp() override
    {
        std::filesystem::create_directories(box.InstallDir());
        std::filesystem::create_directories(systemFolder);
        Sandbox::Write(box.ProgramFile(), "agent");
    }
    std::string StoredInstallFolder()
    {
        const auto key = platform::Current().registry->OpenKey(reg::ProductKey);
        return key ? key->QueryString(reg::InstalledPathValue).value : std::string();
    }
};

// A companion in the system folder before the agent ever ran would otherwise store the system
// folder as the agent's, and the agent would look for its lists there for good.
TEST_F(AgentPlaceTest, ACompanionAwayFromTheAgentNeitherReadsNorStoresAnInstallFolderBeforeTheAgentDid)
{
    box.SetProgramFile(systemFolder + "/KDXSaver.SCR");
    EXPECT_FALSE(SettingsKnown("KDX3"));
    EXPECT_EQ(StoredInstallFolder(), "");
    EXPECT_TRUE(AgentCandidates("KDX3").empty()) << "nothing says where the agent is";

    // Once the agent has stored its folder, the companion reads the lists there and finds the agent.
    box.SetProgramFile(box.ProgramFile());
    const TConfig agent;
    box.SetProgramFile(systemFolder + "/KDXSaver.SCR");
    EXPECT_TRUE(SettingsKnown("KDX3"));
    EXPECT_EQ(TConfig().InstalledPath, box.InstallDir());
    EXPECT_EQ(AgentCandidates("KDX3"), std::vector<std::string> {box.ProgramFile()});
}

TEST_F(AgentPlaceTest, ACompanionBesideTheAgentStoresTheAgentsFolderAsTheAgentWould)
{
    box.SetProgramFile(box.InstallDir() + "/KDXSaver.SCR");
    ASSERT_TRUE(SettingsKnown("KDX3"));
    EXPECT_EQ(TConfig().InstalledPath, box.InstallDir());
    EXPECT_EQ(AgentCandidates("KDX3"), std::vector<std::string> {box.ProgramFile()}) << "found once, not twice";
}

TEST_F(AgentPlaceTest, AnEmptyStoredFolderCountsAsNone)
{
    box.SetProgramFile(systemFolder + "/KDXSaver.SCR");
    platform::Current().registry->CreateKey(reg::ProductKey)->SetString(reg::InstalledPathValue, "");
    EXPECT_FALSE(SettingsKnown("KDX3"));
    platform::Current().registry->CreateKey(reg::ProductKey)->SetString(reg::InstalledPathValue, systemFolder);
    EXPECT_TRUE(SettingsKnown("KDX3"));
    EXPECT_TRUE(AgentCandidates("KDX3").empty()) << "a stored folder without the agent names no agent";
}

} // namespace
