#pragma once
#include "platform/Instance.h"

#include <string>

namespace kdx {

// What the first argument of the command line asks for; the others are never looked at.
struct TCommandLine {
    enum Kind {
        Start, // no argument (or an empty one): the agent in the tray, or the running agent's window
        StartShown, // "/nominimize" or "-nominimize": the same, with the window shown at start
        Verb, // a command for the running agent ("/status")
        Help, // "/?", "-h", "--help": the list of switches
        Unknown, // anything else, which is refused and never taken for a start
    };
    Kind kind = Start;
    const platform::AgentVerb* verb = nullptr; // for Verb
    std::string argument; // the first argument as given
};

TCommandLine ParseCommandLine(int argc, const char* const* argv);

// Exit statuses of a start that hands a command over, or refuses its switch.
inline constexpr int ExitDone = 0;
inline constexpr int ExitNoAgent = 1;
inline constexpr int ExitUnknownSwitch = 2;
inline constexpr int ExitNotTaken = 3;

namespace texts {
inline constexpr const char* NoAgentRunning = "Kaleidra Agent is not running in this session: nothing was done.";
inline constexpr const char* CommandNotTaken = "The running Kaleidra Agent did not take the command.";
} // namespace texts

// The list of switches that "/?" prints.
std::string Usage();
// Why an argument is refused, naming it.
std::string UnknownSwitch(const std::string& argument);

// Where a start that only hands a command over says what it has to say.
class IConsole {
public:
    virtual ~IConsole() = default;
    virtual void Out(const std::string& text) = 0;
    virtual void Error(const std::string& text) = 0;
};

// The console the program was started from (on Windows, where a windowed program has none of
// its own, the one of the program that started it, else a message box).
IConsole& StartingConsole();

// Hands Verb to the agent running in this session and waits for it to take it; prints its answer
// (the status) or why nothing was done. The exit status. Without a running agent nothing is done,
// Next Wallpaper included: changing the wallpaper belongs to the agent's rotation, whose
// settings and reports live in the agent.
int RunVerb(platform::IInstance& instance, const platform::AgentVerb& verb, IConsole& console, int timeoutMs = 10000);

} // namespace kdx
