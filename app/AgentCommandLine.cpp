#include "AgentCommandLine.h"

#include <algorithm>
#include <string_view>

namespace kdx {

namespace {

constexpr std::string_view NoMinimize = "nominimize";

// "/name" or "-name", exactly, in its own letter case.
bool IsSwitch(std::string_view argument, std::string_view name)
{
    return argument.size() == name.size() + 1 && (argument[0] == '/' || argument[0] == '-')
        && argument.substr(1) == name;
}

} // namespace

TCommandLine ParseCommandLine(int argc, const char* const* argv)
{
    TCommandLine line;
    // An empty argument (a script's unset variable) is no switch: a plain start.
    if (argc < 2 || !*argv[1])
        return line;
    line.argument = argv[1];
    const std::string_view argument = line.argument;
    if (IsSwitch(argument, NoMinimize)) {
        line.kind = TCommandLine::StartShown;
        return line;
    }
    for (const char* help : {"?", "h", "help"})
        if (IsSwitch(argument, help) || argument == "--help") {
            line.kind = TCommandLine::Help;
            return line;
        }
    for (const platform::AgentVerb& verb : platform::AgentVerbs)
        if (IsSwitch(argument, verb.name)) {
            line.kind = TCommandLine::Verb;
            line.verb = &verb;
            return line;
        }
    line.kind = TCommandLine::Unknown;
    return line;
}

std::string Usage()
{
    std::string text
        = "Usage: KDX3 [SWITCH]\n"
          "Kaleidra Agent keeps the random lists of the Kaleidra screensaver and rotates the wallpaper.\n"
          "Without a switch it starts in the tray; while it runs, a start without a switch shows its window.\n\n"
          "  /nominimize     start with the window shown\n";
    for (const platform::AgentVerb& verb : platform::AgentVerbs) {
        std::string name = std::string("/") + verb.name;
        name.resize(std::max<std::size_t>(name.size() + 1, 16), ' ');
        text += "  " + name + verb.help + "\n";
    }
    text += "  /?              print this list (also -h and --help)\n\n"
            "Each switch may begin with \"-\" instead of \"/\". The commands reach the agent running in this\n"
            "session and change nothing when none runs (exit status 1); an unknown switch is refused (2).\n";
    return text;
}

std::string UnknownSwitch(const std::string& argument)
{
    return "KDX3: unknown switch \"" + argument + "\"; KDX3 /? lists the switches.";
}

int RunVerb(platform::IInstance& instance, const platform::AgentVerb& verb, IConsole& console, int timeoutMs)
{
    std::string answer;
    switch (instance.SendToRunning(platform::AgentName, verb.message, answer, timeoutMs)) {
    case platform::HandOver::NoAgent:
        console.Error(texts::NoAgentRunning);
        return ExitNoAgent;
    case platform::HandOver::NotTaken:
        console.Error(texts::CommandNotTaken);
        return ExitNotTaken;
    case platform::HandOver::Taken:
        break;
    }
    if (!answer.empty())
        console.Out(answer);
    return ExitDone;
}

} // namespace kdx
