#include "HotKeyLines.h"

#include "platform/AsciiCase.h"
#include "platform/posix/process/Process.h"
#include "platform/posix/x11/VirtualKeys.h"

#include <utility>

namespace kdx::platform::posix {

namespace {

// The words of the four modifiers in a configuration's language, in the order Ctrl, Alt,
// Shift, Windows key, and what joins them to each other and to the key.
struct Language {
    const char* words[4];
    const char* join;
    const char* beforeKey;
};

std::string Modifiers(unsigned modifiers, const Language& language)
{
    static constexpr unsigned Flags[] = {ModControl, ModAlt, ModShift, ModWin};
    std::string text;
    for (int i = 0; i < 4; ++i)
        if (modifiers & Flags[i])
            text += (text.empty() ? "" : language.join) + std::string(language.words[i]);
    return text.empty() ? text : text + language.beforeKey;
}

} // namespace

HotKeyLines HotKeyLinesFor(
    const DesktopSession& session, const std::string& programFile, const std::vector<HotKeyBinding>& keys)
{
    const bool sway = session.swayIpc || session.Is({"sway"});
    const bool hyprland = session.hyprland || session.Is({"hyprland"});
    HotKeyLines result;
    if (sway)
        result.intro = "sway binds no keys for programs. Add these lines to its configuration "
                       "(~/.config/sway/config), then reload it (swaymsg reload):";
    else if (hyprland)
        result.intro = "Hyprland binds no keys for programs. Add these lines to its configuration "
                       "(~/.config/hypr/hyprland.conf), which it reloads by itself:";
    else
        result.intro = "This desktop binds no keys for programs. Give these commands the keys in its "
                       "keyboard settings:";
    const std::string program = ShellWord(programFile);
    for (const HotKeyBinding& key : keys) {
        const std::string name = KeySymName(key.virtualKey);
        if (name.empty())
            continue;
        const std::string command = program + " /" + key.verb;
        if (sway)
            result.lines += "bindsym " + Modifiers(key.modifiers, {{"Ctrl", "Mod1", "Shift", "Mod4"}, "+", "+"}) + name
                + " exec " + command + "\n";
        else if (hyprland)
            result.lines += "bind = " + Modifiers(key.modifiers, {{"CTRL", "ALT", "SHIFT", "SUPER"}, " ", ""}) + ", "
                + name + ", exec, " + command + "\n";
        else // for people: a letter as its key shows it
            result.lines += Modifiers(key.modifiers, {{"Ctrl", "Alt", "Shift", "Super"}, "+", "+"})
                + (name.size() == 1 ? UpperAscii(name) : name) + ": " + command + "\n";
    }
    return result;
}

HotKeyLines ConfigLineHotKeys::ConfigurationLines(const std::vector<HotKeyBinding>& keys)
{
    return HotKeyLinesFor(CurrentSession(), programFile_(), keys);
}

} // namespace kdx::platform::posix
