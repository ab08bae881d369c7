#include "SwaybgRoute.h"

#include "SwayRoute.h"
#include "platform/posix/process/Process.h"

#include <algorithm>
#include <csignal>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace kdx::platform::posix {

namespace {

// The words of a process's command line.
std::vector<std::string> CommandLine(const std::string& pid)
{
    std::ifstream in("/proc/" + pid + "/cmdline", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> words;
    for (std::size_t begin = 0; begin < bytes.size();) {
        const std::size_t end = std::min(bytes.find('\0', begin), bytes.size());
        words.push_back(bytes.substr(begin, end - begin));
        begin = end + 1;
    }
    return words;
}

bool IsSwaybgWord(const std::string& word) { return word.substr(word.rfind('/') + 1) == "swaybg"; }

} // namespace

std::vector<int> SessionSwaybgs(const std::string& picture)
{
    // "KAWalllpaper-:0-" of ".../KAWalllpaper-:0-1765201234.bmp": every name this session hands.
    const std::size_t dash = picture.rfind('-'), slash = picture.rfind('/');
    const std::string stem = dash == std::string::npos || (slash != std::string::npos && dash < slash)
        ? picture
        : picture.substr(0, dash + 1);
    std::vector<int> found;
    DIR* proc = opendir("/proc");
    if (!proc)
        return found;
    while (const dirent* entry = readdir(proc)) {
        const std::string pid = entry->d_name;
        struct stat st { };
        if (pid.find_first_not_of("0123456789") != std::string::npos || stat(("/proc/" + pid).c_str(), &st) != 0
            || st.st_uid != getuid())
            continue;
        const std::vector<std::string> words = CommandLine(pid);
        bool swaybg = false;
        for (std::size_t i = 0; i + 1 < words.size(); ++i) {
            swaybg = swaybg || IsSwaybgWord(words[i]);
            if (swaybg && words[i] == "-i" && words[i + 1].rfind(stem, 0) == 0) {
                found.push_back(std::stoi(pid));
                break;
            }
        }
    }
    closedir(proc);
    return found;
}

std::string SwaybgRoute::Replace(const std::vector<std::string>& arguments)
{
    const std::string swaybg = FindProgram("swaybg");
    if (swaybg.empty())
        return ToolMissing("swaybg");
    std::vector<std::string> command {swaybg};
    command.insert(command.end(), arguments.begin(), arguments.end());
    const int started = StartChild(command);
    // swaybg reads the picture and binds to the compositor at once; it ends at once when either fails.
    constexpr int SettleMs = 500;
    if (started <= 0 || !ChildRunsAfter(started, SettleMs))
        return "swaybg ended at once (no layer-shell in this compositor, or an unreadable picture)";
    // The one of the change before, and those an earlier run of the agent in this session left.
    EndChild(running_);
    const auto picture = std::find(arguments.begin(), arguments.end(), "-i");
    if (picture != arguments.end() && picture + 1 != arguments.end())
        for (const int pid : SessionSwaybgs(*(picture + 1)))
            if (pid != started)
                kill(pid, SIGTERM);
    running_ = started;
    return std::string();
}

std::string SwaybgRoute::Apply(const HandedPicture& picture)
{
    return Replace({"-i", picture.file, "-m", SwaybgMode(picture.layout)});
}

MonitorsTaken SwaybgRoute::ApplyMonitors(const HandedMonitors& handed)
{
    std::vector<std::string> arguments;
    for (const HandedMonitor& m : handed.monitors) {
        if (m.monitor.name.empty())
            return ApplyPrimaryOnly(handed);
        arguments.insert(arguments.end(), {"-o", m.monitor.name, "-i", m.bitmap, "-m", "stretch"});
    }
    if (std::string failure = Replace(arguments); !failure.empty())
        return {failure, {}};
    return {"", AllMonitors(handed, true, Name())};
}

} // namespace kdx::platform::posix
