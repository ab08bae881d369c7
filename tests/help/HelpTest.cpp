#include "../app/AppTestSupport.h"
#include "help/TfrmAbout.h"
#include "help/hh.h"
#include "settings/Errors.h"
#include "support/Sandbox.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>

namespace kdx::test {
namespace {

// A class registry and a library loader that the test fills in, so that the loader's rules can
// be seen on Linux too, where no help control is ever registered.
class HelpControlForTests : public platform::IHelpControl {
public:
    platform::RegString ClassesRootDefault(const std::string& key) override
    {
        auto it = keys.find(key);
        return it == keys.end() ? platform::RegString {platform::RegRead::Absent, {}}
                                : platform::RegString {platform::RegRead::Ok, it->second};
    }
    Module LoadLibrary(const std::string& path) override
    {
        loads.push_back(path);
        return loadable ? Module(0x1000) : 0;
    }
    void* ProcAddress(Module, const std::string& name) override
    {
        return name == "HtmlHelpA" ? &entryA : name == "HtmlHelpW" ? &entryW : nullptr;
    }
    void FreeLibrary(Module module) override { freed.push_back(module); }
    void CallHtmlHelp(void* entry, const std::string& topic, unsigned command, std::uintptr_t) override
    {
        calls.push_back((entry == &entryA ? "A|" : "?|") + topic + "|" + std::to_string(command));
    }

    std::map<std::string, std::string> keys;
    bool loadable = true;
    std::vector<std::string> loads, calls;
    std::vector<Module> freed;
    int entryA = 0, entryW = 0;
};

class HelpTest : public ::testing::Test {
protected:
    HelpTest() : scope_(WithHelp(&control, &recorder.shell)) { }
    ~HelpTest() override { UnloadHelpControl(); }

    static platform::Services WithHelp(platform::IHelpControl* help, platform::IShell* shell)
    {
        platform::Services services = platform::Current();
        services.helpControl = help;
        services.shell = shell;
        return services;
    }

    void Register(const std::string& path) { control.keys[hh::ControlKey] = path; }

    Sandbox sandbox;
    HelpControlForTests control;
    ShellRecorder recorder;

private:
    platform::ScopedServices scope_;
};

TEST_F(HelpTest, AMissingKeyOrAMissingFileFindsNoControlAndLoadsNothing)
{
    EXPECT_EQ(HelpControlPath(), "");
    LoadHelpControl();
    Register(sandbox.Root() + "/hhctrl.ocx");
    EXPECT_EQ(HelpControlPath(), "");
    LoadHelpControl();
    EXPECT_TRUE(control.loads.empty());
    EXPECT_EQ(hh::Loaded().HtmlHelp, nullptr);
}

TEST_F(HelpTest, ARegisteredControlLoadsOnceWithItsEntries)
{
    const std::string path = sandbox.Root() + "/hhctrl.ocx";
    Sandbox::Write(path, "MZ");
    Register(path);
    EXPECT_EQ(HelpControlPath(), path);
    LoadHelpControl();
    LoadHelpControl();
    EXPECT_EQ(control.loads, std::vector<std::string> {path});
    EXPECT_EQ(hh::Loaded().HtmlHelpA, &control.entryA);
    EXPECT_EQ(hh::Loaded().HtmlHelpW, &control.entryW);
    EXPECT_EQ(hh::Loaded().HtmlHelp, &control.entryA);

    ShowHelpTopic(texts::PreferenceTopic);
    EXPECT_EQ(control.calls, std::vector<std::string> {"A|" + sandbox.InstallDir() + "/kdx3.chm::/preference.html|0"});
    EXPECT_TRUE(recorder.shell.launches.empty());

    UnloadHelpControl();
    EXPECT_EQ(control.freed.size(), 1u);
    EXPECT_EQ(hh::Loaded().Handle, 0u);
    EXPECT_EQ(hh::Loaded().HtmlHelp, nullptr);
    UnloadHelpControl();
    EXPECT_EQ(control.freed.size(), 1u);
}

TEST_F(HelpTest, AControlThatDoesNotLoadLeavesTheEntriesAbsent)
{
    const std::string path = sandbox.Root() + "/hhctrl.ocx";
    Sandbox::Write(path, "not a library");
    Register(path);
    control.loadable = false;
    LoadHelpControl();
    EXPECT_EQ(hh::Loaded().Handle, 0u);
    EXPECT_EQ(hh::Loaded().HtmlHelp, nullptr);
}

// Writes the pages a help request may open into Folder.
void WritePages(const std::string& folder)
{
    std::filesystem::create_directories(folder);
    for (const char* page : {"index.html", "preference.html"})
        Sandbox::Write(folder + "/" + page, "<html></html>");
}

TEST_F(HelpTest, WithoutTheControlTheTopicsPageOpensBesideTheProgramOrUnderItsPrefix)
{
    WritePages(sandbox.InstallDir() + "/help");
    ShowHelpTopic(texts::PreferenceTopic);
    OpenHelpFile();
    EXPECT_EQ(recorder.shell.launches,
        (std::vector<std::string> {"open|" + sandbox.InstallDir() + "/help/preference.html|",
            "open|" + sandbox.InstallDir() + "/help/index.html|"}));

    // An installed copy: the program in bin/, the pages under share/.
    recorder.shell.launches.clear();
    const std::string prefix = sandbox.Root() + "/usr";
    sandbox.SetProgramFile(prefix + "/bin/KDX3");
    WritePages(prefix + "/share/kaleidra-agent/help");
    ShowHelpTopic(texts::PreferenceTopic);
    OpenHelpFile();
    const std::string installed = prefix + "/share/kaleidra-agent/help/";
    EXPECT_EQ(recorder.shell.launches,
        (std::vector<std::string> {"open|" + installed + "preference.html|", "open|" + installed + "index.html|"}));
}

TEST_F(HelpTest, AHelpRequestWithoutItsPageSaysWhichFileIsMissing)
{
    const std::string page = sandbox.Root() + "/share/kaleidra-agent/help/preference.html";
    try {
        ShowHelpTopic(texts::PreferenceTopic);
        ADD_FAILURE() << "no error raised";
    } catch (const EKaleidraError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file " + page);
    }
    EXPECT_TRUE(recorder.shell.launches.empty());
}

// Each topic the agent asks for, and each link between the pages, names a page of the help the
// build puts beside the program.
TEST_F(HelpTest, EveryTopicAndEveryLinkOfTheBuiltHelpResolvesToAPage)
{
    sandbox.SetProgramFile(std::string(KDX_AGENT_FOLDER) + "/KDX3");
    for (const std::string& topic : {std::string(), std::string(texts::PreferenceTopic)})
        EXPECT_TRUE(std::filesystem::is_regular_file(HelpPagePath(topic))) << HelpPagePath(topic);

    const std::regex link(R"(href="([^"#:]+)(#[^"]*)?")");
    int links = 0;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(KDX_AGENT_FOLDER) + "/help")) {
        std::ifstream in(entry.path());
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        for (std::sregex_iterator it(text.begin(), text.end(), link), end; it != end; ++it, ++links)
            EXPECT_TRUE(std::filesystem::is_regular_file(entry.path().parent_path() / (*it)[1].str()))
                << entry.path().filename() << " links to " << (*it)[1];
    }
    EXPECT_GT(links, 20);
}

TEST_F(HelpTest, TheLinuxSystemHasNoHelpControl)
{
    platform::ScopedServices native(platform::Native());
    EXPECT_EQ(HelpControlPath(), "");
    LoadHelpControl();
    EXPECT_EQ(hh::Loaded().Handle, 0u);
}

TEST_F(HelpTest, AboutBoxLayoutAndItsWebsitePicture)
{
    TfrmAbout about;
    EXPECT_EQ(about.windowTitle(), "About Kaleidra Manager");
    // The design's places, moved down and the box made taller only as far as this system's face
    // needs for the notice (TextFitTest checks that every text fits).
    EXPECT_EQ(about.width(), 434);
    EXPECT_GE(about.height(), 400);
    EXPECT_EQ(about.minimumSize(), about.maximumSize());
    const int taller = about.height() - 400;
    EXPECT_EQ(about.palMain->geometry(), QRect(16, 16, 401, 345 + taller));
    EXPECT_EQ(about.Label1->text(), "Kaleidra Manager 3.00");
    EXPECT_EQ(about.Image2->geometry().size(), QSize(88, 86));
    EXPECT_GE(about.Image2->y(), 176);
    EXPECT_EQ(about.Image2->toolTip(), "Visit the Kaleidra website ---- https://www.tembrix.com/");
    EXPECT_EQ(about.btOK->geometry(), QRect(328, 368 + taller, 75, 25));
    EXPECT_TRUE(about.btOK->isDefault());
    EXPECT_EQ(about.btOK->parentWidget(), &about);

    about.show();
    QTest::mouseClick(about.Image2, Qt::LeftButton);
    EXPECT_EQ(recorder.shell.launches, std::vector<std::string> {"open|https://www.tembrix.com/|"});
    QTest::mouseClick(about.btOK, Qt::LeftButton);
    EXPECT_EQ(about.result(), QDialog::Accepted);
    EXPECT_FALSE(about.isVisible());
}

} // namespace
} // namespace kdx::test
