#pragma once
#include <string>
#include <vector>

namespace kdx::saver {

// What the screensaver is asked to do, by the Windows screensaver switches.
enum class SaverMode {
    Run, // "/s": the shell's "open" on a screensaver adds it
    Preview, // "/p <window>": draw inside another program's window
    Configure, // "/c", "/c:<window>", or on Linux nothing at all (the shell's "config"): the settings live in the agent
    Password, // "/a": Windows 95's password change; nothing to do here
    Usage, // anything else
};

struct SaverCommand {
    SaverMode mode = SaverMode::Configure;
    unsigned long long window = 0; // the window of "/p"
};

// Reads the switches as Windows screensavers do: "/" or "-", any letter case, the window of
// "/p" and "/c" after a colon, joined on, or as the next argument, in decimal or "0x" hex. A
// command line without a switch asks for WithoutSwitch.
SaverCommand ParseSaverCommand(const std::vector<std::string>& args, SaverMode withoutSwitch);

// One line on what the program takes, for a wrong command line.
inline constexpr const char* SaverUsage
    = "usage: KDXSaver.SCR [/s | /p <window> | /c]  (/s: run now; /p: show inside the window <window>; /c: open "
      "Kaleidra Agent, where the screensaver's lists are set)";

} // namespace kdx::saver
