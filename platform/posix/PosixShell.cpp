#include "PosixShell.h"

#include "PosixSystem.h"
#include "platform/AsciiCase.h"
#include "platform/Platform.h"
#include "platform/posix/files/FileText.h"
#include "platform/posix/files/Paths.h"
#include "platform/posix/files/PeStrings.h"
#include "platform/posix/process/NativeProgram.h"
#include "platform/posix/process/Process.h"
#include "platform/posix/process/Wine.h"

#include <cstdlib>
#include <unistd.h>

namespace kdx::platform::posix {

namespace {

std::string ExtensionOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return std::string();
    return LowerAscii(path.substr(dot));
}

bool IsWindowsProgram(const std::string& path)
{
    const std::string ext = ExtensionOf(path);
    return ext == ".exe" || ext == ".com" || ext == ".scr";
}

bool IsFile(const std::string& path) { return PosixFiles().FileExists(path); }

std::string FolderOf(const std::string& file)
{
    const std::size_t slash = file.rfind('/');
    return slash == std::string::npos ? std::string() : file.substr(0, slash == 0 ? 1 : slash);
}

// A bare program name, found where Windows' ShellExecute looks: the program's folder, the
// current folder, the Windows folder, then the search path.
std::string LocateBareName(const std::string& name)
{
    ISystem* system = Current().system;
    std::vector<std::string> folders;
    if (system)
        folders.push_back(FolderOf(system->ModuleFileName()));
    folders.push_back(CurrentFolder());
    if (system)
        folders.push_back(system->WindowsDirectory());
    for (const std::string& folder : folders) {
        if (folder.empty())
            continue;
        const std::string candidate = folder + (folder.back() == '/' ? "" : "/") + name;
        if (IsFile(candidate))
            return candidate;
    }
    const char* path = std::getenv("PATH");
    const std::string dirs = path ? path : "";
    for (std::size_t begin = 0; begin < dirs.size();) {
        std::size_t end = dirs.find(':', begin);
        if (end == std::string::npos)
            end = dirs.size();
        const std::string candidate = dirs.substr(begin, end - begin) + "/" + name;
        if (end > begin && IsFile(candidate))
            return candidate;
        begin = end + 1;
    }
    return std::string();
}

// Windows parameters split at blanks, a double-quoted run kept whole.
std::vector<std::string> SplitParams(const std::string& params)
{
    std::vector<std::string> out;
    std::string current;
    bool quoted = false, any = false;
    for (const char c : params) {
        if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (any)
                out.push_back(current);
            current.clear();
            any = false;
        } else {
            current += c;
            any = true;
        }
    }
    if (any)
        out.push_back(current);
    return out;
}

} // namespace

std::vector<std::string> ShellCommand(const std::string& verb, const std::string& file, const std::string& params)
{
    std::string target = file;
    if (file.find('/') == std::string::npos && file.find(':') == std::string::npos) {
        const std::string found = LocateBareName(file);
        if (!found.empty())
            target = found;
    }
    if (IsWindowsProgram(target) && IsFile(target)) {
        // A program built for this system under its Windows name runs by itself, not under Wine.
        const bool native = IsNativeProgram(target);
        const std::string wine = native ? std::string() : WineLoader();
        if (native || !wine.empty()) {
            std::vector<std::string> command {target};
            if (!native)
                command.insert(command.begin(), wine);
            if (ExtensionOf(target) == ".scr") {
                if (LowerAscii(verb) != "config")
                    command.push_back("/S");
            } else {
                for (std::string& p : SplitParams(params))
                    command.push_back(std::move(p));
            }
            return command;
        }
    }
    const std::string opener = FindProgram("xdg-open");
    if (opener.empty())
        return {};
    return {opener, target};
}

std::vector<std::string> PropertiesCommand(const std::string& path)
{
    const std::string uri = FileUri(path);
    const std::string gdbus = FindProgram("gdbus");
    if (!gdbus.empty())
        return {gdbus, "call", "--session", "--dest", "org.freedesktop.FileManager1", "--object-path",
            "/org/freedesktop/FileManager1", "--method", "org.freedesktop.FileManager1.ShowItemProperties",
            "['" + uri + "']", ""};
    const std::string dbusSend = FindProgram("dbus-send");
    if (!dbusSend.empty())
        return {dbusSend, "--session", "--type=method_call", "--dest=org.freedesktop.FileManager1",
            "/org/freedesktop/FileManager1", "org.freedesktop.FileManager1.ShowItemProperties", "array:string:" + uri,
            "string:"};
    return {};
}

void PosixShell::Execute(const std::string& verb, const std::string& file, const std::string& params)
{
    StartDetached(ShellCommand(verb, file, params));
}

void PosixShell::ShowProperties(const std::string& path) { StartDetached(PropertiesCommand(path)); }

std::string PosixShell::DisplayName(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string PosixShell::ResourceString(const std::string& path, unsigned id)
{
    return PeStringResourceOfFile(path, id, UserLanguage());
}

} // namespace kdx::platform::posix
