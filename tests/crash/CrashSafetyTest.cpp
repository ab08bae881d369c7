// Kills a process that saves lists through the real settings store at random moments, many
// times, and checks after each kill that the settings file is whole: it parses, each list
// section is entirely the old or the new list, each other key holds its old or new value, and
// everything written by hand that the store does not own is still there.
#include "SaveContents.h"
#include "settings/TConfig.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <poll.h>
#include <random>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

using namespace kdx;
using kdx::test::Sandbox;

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

// An independent reading of the file's text, stricter than the store's: every line must be
// blank, a comment, a section header or "key=value", and no section may appear twice.
struct ParsedIni {
    std::map<std::string, Entries> sections;
    std::map<std::string, std::vector<std::string>> comments; // by section, "" before the first
    std::string error;
};

std::string Trim(const std::string& s)
{
    const size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos)
        return {};
    return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

ParsedIni Parse(const std::string& text)
{
    ParsedIni ini;
    std::istringstream in(text);
    std::string line, section;
    bool inSection = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::string t = Trim(line);
        if (t.empty())
            continue;
        if (t[0] == ';' || t[0] == '#') {
            ini.comments[section].push_back(t);
        } else if (t[0] == '[' && t.back() == ']') {
            section = t.substr(1, t.size() - 2);
            if (ini.sections.count(section))
                ini.error = "section [" + section + "] twice";
            ini.sections[section];
            inSection = true;
        } else if (const size_t eq = t.find('='); eq != std::string::npos && inSection) {
            ini.sections[section].emplace_back(Trim(t.substr(0, eq)), Trim(t.substr(eq + 1)));
        } else {
            ini.error = "unreadable line: " + line;
        }
    }
    return ini;
}

const char* const ListSections[] = {"SaverList", "PaperList", "RandomWhat"};
const char* const ValueSections[] = {"Saver", "Wallpaper", "Misc"};

// What a user wrote by hand: comments, an unknown section, and unknown keys beside the
// store's own, some of them spaced and quoted.
const char* const HandWritten = "; Kaleidra settings, edited by hand\n"
                                "[Saver]\n"
                                "; my favourite interval\n"
                                "Custom = spaced value\n"
                                "[UserNotes]\n"
                                "Note=\"keep this\"\n"
                                "Other=42\n"
                                "[Wallpaper]\n"
                                "Monitor2=/pictures/second.jpg\n"
                                "[Misc]\n"
                                "# hash comment\n"
                                "Theme=dark\n";

std::optional<std::string> Value(const Entries& entries, const std::string& key)
{
    for (const auto& [k, v] : entries)
        if (k == key)
            return v;
    return std::nullopt;
}

class CrashSafety : public ::testing::Test {
protected:
    Sandbox box;
    ParsedIni stateA, stateB, handWritten;

    void SetUp() override
    {
        Sandbox::Write(box.IniPath(), HandWritten);
        handWritten = Parse(HandWritten);
        stateA = SaveInProcess(kdx::test::ContentsA());
        stateB = SaveInProcess(kdx::test::ContentsB());
        ASSERT_EQ(stateA.error, "");
        ASSERT_EQ(stateB.error, "");
    }

    ParsedIni SaveInProcess(const kdx::test::SaveContents& c)
    {
        TConfig config;
        config.SaveSavers(c.savers);
        config.SaveWallpaper(c.paper);
        config.SaveMisc(c.misc);
        config.ReleaseFile();
        return Parse(Sandbox::Read(box.IniPath()));
    }

    // Starts the save loop, waits for its first save to begin, kills it after Delay.
    void RunAndKill(std::chrono::microseconds delay)
    {
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            dup2(fds[1], STDOUT_FILENO);
            execl(KDX_SAVE_LOOP, KDX_SAVE_LOOP, static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        pollfd ready {fds[0], POLLIN, 0};
        char byte = 0;
        const bool started = poll(&ready, 1, 30000) == 1 && read(fds[0], &byte, 1) == 1;
        close(fds[0]);
        if (started)
            usleep(static_cast<useconds_t>(delay.count()));
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        ASSERT_TRUE(started) << "the save loop never started";
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
            << "the save loop stopped by itself, status " << status;
    }

    // Returns which whole list ("A" or "B") the section holds, or an empty text when neither.
    std::string WhichList(const ParsedIni& ini, const std::string& section)
    {
        const auto it = ini.sections.find(section);
        if (it == ini.sections.end())
            return {};
        if (it->second == stateA.sections.at(section))
            return "A";
        if (it->second == stateB.sections.at(section))
            return "B";
        return {};
    }

    void ExpectValuesOldOrNew(const ParsedIni& ini, const std::string& section)
    {
        const Entries& a = stateA.sections.at(section);
        const Entries& b = stateB.sections.at(section);
        const auto it = ini.sections.find(section);
        ASSERT_NE(it, ini.sections.end()) << "[" << section << "] lost";
        EXPECT_EQ(it->second.size(), a.size()) << "[" << section << "] gained or lost keys";
        for (const auto& [key, value] : it->second) {
            const auto va = Value(a, key), vb = Value(b, key);
            EXPECT_TRUE((va && value == *va) || (vb && value == *vb))
                << "[" << section << "] " << key << "=" << value << " is neither old nor new";
        }
    }

    void ExpectHandWrittenKept(const ParsedIni& ini)
    {
        for (const auto& [section, entries] : handWritten.sections) {
            const auto it = ini.sections.find(section);
            ASSERT_NE(it, ini.sections.end()) << "[" << section << "] lost";
            for (const auto& [key, value] : entries)
                EXPECT_EQ(Value(it->second, key), value) << "[" << section << "] " << key << " lost";
        }
        for (const auto& [section, lines] : handWritten.comments) {
            const auto kept = ini.comments.find(section);
            ASSERT_NE(kept, ini.comments.end()) << "comments of [" << section << "] lost";
            for (const std::string& line : lines)
                EXPECT_NE(std::find(kept->second.begin(), kept->second.end(), line), kept->second.end())
                    << "comment lost: " << line;
        }
    }

    // The store's own reading agrees: each list is entirely one of the two.
    void ExpectStoreReadsWholeLists()
    {
        TConfig config;
        const auto a = kdx::test::ContentsA(), b = kdx::test::ContentsB();
        TSavers savers;
        config.LoadSavers(savers);
        EXPECT_TRUE(savers.Items == a.savers.Items || savers.Items == b.savers.Items);
        TWallpaper paper;
        config.LoadWallpaper(paper);
        EXPECT_TRUE(paper.Items == a.paper.Items || paper.Items == b.paper.Items);
        TMisc misc;
        config.LoadMisc(misc);
        EXPECT_TRUE(misc.RandomWhat == a.misc.RandomWhat || misc.RandomWhat == b.misc.RandomWhat);
    }

    size_t LeftoverFiles()
    {
        size_t n = 0;
        for (const auto& entry : std::filesystem::directory_iterator(box.InstallDir()))
            n += entry.path().filename() != "KDX.ini";
        return n;
    }
};

TEST_F(CrashSafety, EveryKillLeavesAWholeSettingsFile)
{
    const char* fixed = std::getenv("KDX_CRASH_SEED");
    const unsigned seed = fixed ? static_cast<unsigned>(std::strtoul(fixed, nullptr, 10)) : std::random_device {}();
    RecordProperty("seed", std::to_string(seed));
    SCOPED_TRACE("KDX_CRASH_SEED=" + std::to_string(seed));
    std::mt19937 random(seed);
    // Up to a few dozen save rounds, so kills land anywhere in the first round and beyond.
    std::uniform_int_distribution<int> delayUs(0, 20000);
    std::map<std::string, int> seen;
    int mixed = 0;
    // bench/soak asks for more kills than a test run can afford.
    const char* asked = std::getenv("KDX_CRASH_KILLS");
    const int Kills = asked ? std::max(1, std::atoi(asked)) : 250;
    for (int kill = 0; kill < Kills && !HasFatalFailure() && !HasFailure(); ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill));
        RunAndKill(std::chrono::microseconds(delayUs(random)));
        const ParsedIni ini = Parse(Sandbox::Read(box.IniPath()));
        ASSERT_EQ(ini.error, "");
        std::string lists;
        for (const char* section : ListSections) {
            const std::string which = WhichList(ini, section);
            EXPECT_NE(which, "") << "[" << section << "] is neither the old nor the new list";
            lists += which;
        }
        ++seen[lists];
        mixed += lists != "AAA" && lists != "BBB";
        for (const char* section : ValueSections)
            ExpectValuesOldOrNew(ini, section);
        ExpectHandWrittenKept(ini);
        ExpectStoreReadsWholeLists();
    }
    // Kills that always landed in the same state would prove nothing.
    EXPECT_GE(seen.size(), 2u) << "every kill found the same lists";
    std::cout << Kills << " kills; list states (SaverList, PaperList, RandomWhat) seen:";
    for (const auto& [state, n] : seen)
        std::cout << " " << state << "=" << n;
    std::cout << "; " << mixed << " between two saves; " << LeftoverFiles() << " temporary files left beside KDX.ini\n";
}

} // namespace
