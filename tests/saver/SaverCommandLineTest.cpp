// The Windows screensaver switches as the companion reads them.
#include "saver/SaverCommandLine.h"

#include <gtest/gtest.h>

using namespace kdx::saver;

namespace {

SaverMode Mode(const std::vector<std::string>& args) { return ParseSaverCommand(args, SaverMode::Configure).mode; }

TEST(SaverCommandLine, RunsOnS)
{
    for (const char* s : {"/s", "/S", "-s", "-S"})
        EXPECT_EQ(Mode({s}), SaverMode::Run) << s;
    EXPECT_EQ(Mode({"/s", "more"}), SaverMode::Usage);
    EXPECT_EQ(Mode({"/screen"}), SaverMode::Usage);
}

TEST(SaverCommandLine, PreviewTakesTheWindowJoinedAfterAColonOrAsTheNextArgument)
{
    for (const auto& args :
        std::vector<std::vector<std::string>> {{"/p", "4194305"}, {"/p:4194305"}, {"/P4194305"}, {"-p", "0x400001"}}) {
        const SaverCommand command = ParseSaverCommand(args, SaverMode::Configure);
        EXPECT_EQ(command.mode, SaverMode::Preview) << args[0];
        EXPECT_EQ(command.window, 0x400001u) << args[0];
    }
    for (const auto& args : std::vector<std::vector<std::string>> {{"/p"}, {"/p", "abc"}, {"/p", "0"}, {"/p", "-5"},
             {"/p", "12x"}, {"/p12", "13"}, {"/p", "99999999999999999999999"}})
        EXPECT_EQ(Mode(args), SaverMode::Usage) << args[0] << " " << (args.size() > 1 ? args[1] : "");
}

TEST(SaverCommandLine, ConfigureWithOrWithoutTheAskingWindowOrOnNothingAtAllAndTheOldPasswordSwitch)
{
    EXPECT_EQ(Mode({}), SaverMode::Configure) << "the shell's config, as any Windows screensaver";
    EXPECT_EQ(Mode({"/c"}), SaverMode::Configure);
    EXPECT_EQ(Mode({"/c:1234"}), SaverMode::Configure);
    EXPECT_EQ(Mode({"-C", "1234"}), SaverMode::Configure);
    EXPECT_EQ(Mode({"/a", "1234"}), SaverMode::Password);
    // Where the agent's "open" reaches the program bare (Windows without the shell's "/s").
    EXPECT_EQ(ParseSaverCommand({}, SaverMode::Run).mode, SaverMode::Run);
    EXPECT_EQ(ParseSaverCommand({"/c"}, SaverMode::Run).mode, SaverMode::Configure);
}

TEST(SaverCommandLine, AnythingElseIsAWrongCommandLine)
{
    for (const char* arg : {"/x", "s", "/", "-", "--s", "picture.jpg"})
        EXPECT_EQ(Mode({arg}), SaverMode::Usage) << arg;
}

} // namespace
