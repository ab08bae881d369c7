#include "GnomeShortcuts.h"

#include "platform/posix/process/Process.h"
#include "platform/posix/session/DesktopSession.h"
#include "platform/posix/x11/VirtualKeys.h"

#include <algorithm>

namespace kdx::platform::posix {

namespace {

// The desktops whose settings daemon runs the custom shortcuts of GNOME's schema.
constexpr std::string_view GnomeDesktops[]
    = {"gnome", "ubuntu", "gnome-classic", "gnome-flashback", "budgie", "budgie-desktop", "pantheon"};

constexpr int ToolTimeoutMs = 5000;
const std::string EntryPrefix = "kaleidra-agent-";

// Runs gsettings with Arguments; its output in Output when given. False when it failed.
bool Gsettings(const std::vector<std::string>& arguments, std::string* output = nullptr)
{
    const std::string gsettings = FindProgram("gsettings");
    if (gsettings.empty())
        return false;
    std::vector<std::string> argv {gsettings};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return RunAndWait(argv, ToolTimeoutMs, output) == 0;
}

// The paths of the custom shortcuts, in the user's order; nothing when they cannot be read.
std::optional<std::vector<std::string>> ReadList()
{
    std::string text;
    if (!Gsettings({"get", GnomeShortcuts::ListSchema, GnomeShortcuts::ListKey}, &text))
        return std::nullopt;
    return GVariantStrings(text);
}

bool WriteList(const std::vector<std::string>& paths)
{
    std::string text = "[";
    for (const std::string& path : paths)
        text += (text.size() > 1 ? ", " : "") + GVariantText(path);
    text += "]";
    // An empty array needs its type, which gsettings cannot guess from "[]".
    return Gsettings({"set", GnomeShortcuts::ListSchema, GnomeShortcuts::ListKey, paths.empty() ? "@as []" : text});
}

bool IsOurs(const std::string& path) { return path.rfind(GnomeShortcuts::Folder + EntryPrefix, 0) == 0; }

std::string Relocated(const std::string& path) { return std::string(GnomeShortcuts::EntrySchema) + ":" + path; }

} // namespace

GnomeShortcuts::GnomeShortcuts(std::function<std::string()> programFile) : programFile_(std::move(programFile)) { }

std::string GnomeShortcuts::EntryPath(const std::string& verb) { return Folder + EntryPrefix + verb + "/"; }

bool GnomeShortcuts::Offered()
{
    if (!ApplicationOnDesktop())
        return false;
    const DesktopSession session = CurrentSession();
    const bool gnome = std::any_of(std::begin(GnomeDesktops), std::end(GnomeDesktops),
        [&](std::string_view desktop) { return session.Is({desktop}); });
    return gnome && Gsettings({"list-keys", ListSchema});
}

std::string GtkAccelerator(unsigned modifiers, unsigned virtualKey)
{
    const std::string name = KeySymName(virtualKey);
    if (name.empty())
        return {};
    std::string accelerator;
    for (const auto& [flag, word] : {std::pair {ModControl, "<Control>"}, std::pair {ModAlt, "<Alt>"},
             std::pair {ModShift, "<Shift>"}, std::pair {ModWin, "<Super>"}})
        if (modifiers & flag)
            accelerator += word;
    return accelerator + name;
}

std::string GVariantText(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text) {
        if (c == '\'' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "'";
}

std::vector<std::string> GVariantStrings(const std::string& text)
{
    std::vector<std::string> strings;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char quote = text[i];
        if (quote != '\'' && quote != '"')
            continue;
        std::string item;
        for (++i; i < text.size() && text[i] != quote; ++i) {
            if (text[i] == '\\' && i + 1 < text.size())
                ++i;
            item += text[i];
        }
        strings.push_back(item);
    }
    return strings;
}

HotKeyAction GnomeShortcuts::ActionOf(const Owner& owner) const
{
    const auto found = actions_.find(owner);
    if (found != actions_.end())
        return found->second;
    const std::string name = "key" + std::to_string(owner.second);
    return {name, name};
}

bool GnomeShortcuts::DesktopShortcutsAllowed()
{
    // Read each time: the user may take the entries out in GNOME's own settings meanwhile.
    const std::optional<std::vector<std::string>> list = ApplicationOnDesktop() ? ReadList() : std::nullopt;
    return list && std::any_of(list->begin(), list->end(), IsOurs);
}

void GnomeShortcuts::AllowDesktopShortcuts(bool allowed)
{
    if (!ApplicationOnDesktop())
        return;
    allowedInRun_ = allowed;
    if (allowed) {
        for (const auto& [owner, key] : keys_)
            Write(ActionOf(owner), key);
        return;
    }
    if (const std::optional<std::vector<std::string>> list = ReadList()) {
        std::vector<std::string> ours;
        std::copy_if(list->begin(), list->end(), std::back_inserter(ours), IsOurs);
        Remove(ours);
    }
}

bool GnomeShortcuts::Write(const HotKeyAction& action, const Key& key)
{
    const std::string binding = GtkAccelerator(key.modifiers, key.virtualKey);
    if (binding.empty())
        return false;
    const std::string path = EntryPath(action.verb);
    const std::string entry = Relocated(path);
    // The entry first, then its place in the list, so the daemon never meets an entry half made.
    // The settings daemon splits the command as a shell does, and runs it in the session.
    const std::string command = ShellWord(programFile_()) + " /" + action.verb;
    const bool written = Gsettings({"set", entry, "name", GVariantText("Kaleidra Agent: " + action.title)})
        && Gsettings({"set", entry, "command", GVariantText(command)})
        && Gsettings({"set", entry, "binding", GVariantText(binding)});
    if (!written)
        return false;
    // Read right before it is written, so a change the user makes meanwhile is kept.
    std::optional<std::vector<std::string>> list = ReadList();
    if (!list)
        return false;
    if (std::find(list->begin(), list->end(), path) == list->end()) {
        list->push_back(path);
        return WriteList(*list);
    }
    return true;
}

void GnomeShortcuts::Remove(const std::vector<std::string>& paths)
{
    std::optional<std::vector<std::string>> list = ReadList();
    if (!list)
        return;
    const auto end = std::remove_if(list->begin(), list->end(),
        [&](const std::string& path) { return std::find(paths.begin(), paths.end(), path) != paths.end(); });
    if (end == list->end())
        return; // none of them is there: nothing of the user's to touch
    list->erase(end, list->end());
    WriteList(*list);
    // Keys back to their defaults: dconf keeps nothing of the entry then.
    for (const std::string& path : paths)
        for (const char* key : {"name", "command", "binding"})
            Gsettings({"reset", Relocated(path), key});
}

bool GnomeShortcuts::RegisterHotKey(WindowHandle window, int id, unsigned modifiers, unsigned virtualKey)
{
    const Key key {modifiers, virtualKey};
    if (GtkAccelerator(modifiers, virtualKey).empty() || !ApplicationOnDesktop())
        return false;
    // Like Windows, one key combination belongs to one hot key, ours included.
    for (const auto& [owner, known] : keys_)
        if (known.modifiers == modifiers && known.virtualKey == virtualKey && owner != Owner {window, id})
            return false;
    keys_[{window, id}] = key;
    // An entry is written with the leave the user gave in this run, and otherwise kept in step
    // only where it is there: one the user took out in GNOME's settings stays out.
    const HotKeyAction action = ActionOf({window, id});
    if (!allowedInRun_) {
        const std::optional<std::vector<std::string>> list = ReadList();
        if (!list || std::find(list->begin(), list->end(), EntryPath(action.verb)) == list->end())
            return false;
    }
    return Write(action, key);
}

bool GnomeShortcuts::UnregisterHotKey(WindowHandle window, int id)
{
    // The entry stays: it is the user's setting, and the agent's next start keeps it in step.
    return keys_.erase({window, id}) > 0;
}

void GnomeShortcuts::DropHotKey(WindowHandle window, int id)
{
    keys_.erase({window, id});
    if (ApplicationOnDesktop())
        Remove({EntryPath(ActionOf({window, id}).verb)});
}

void GnomeShortcuts::DescribeHotKey(WindowHandle window, int id, const HotKeyAction& action)
{
    actions_[{window, id}] = action;
}

} // namespace kdx::platform::posix
