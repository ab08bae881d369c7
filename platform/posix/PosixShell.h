#pragma once
#include "platform/Shell.h"

#include <string>
#include <vector>

namespace kdx::platform::posix {

// The shell on a freedesktop system. Launches are detached and their outcome is not reported:
// a Windows program (".exe", ".com", ".scr", any case) runs under Wine when Wine is installed
// ("open" on a screensaver runs it with "/S", "config" with no argument, as the Windows shell's
// screensaver verbs do; other programs get Params split at blanks); everything else, and a
// Windows program without Wine, goes to xdg-open. A bare file name such as "KDXSaver.SCR" is
// looked for as Windows' search does: the program's folder, the current folder, the Windows
// folder stand-in, then PATH. Properties go to the file manager through the freedesktop
// FileManager1 D-Bus interface (ShowItemProperties), by gdbus or else dbus-send. The display
// name is the file name; the string resources are read from the PE file by our own reader,
// in the user's language (PeStrings.h).
class PosixShell final : public IShell {
public:
    void Execute(const std::string& verb, const std::string& file, const std::string& params) override;
    void ShowProperties(const std::string& path) override;
    std::string DisplayName(const std::string& path) override;
    std::string ResourceString(const std::string& path, unsigned id) override;
};

// The command line Execute starts (exposed for the tests); empty when there is nothing to run.
std::vector<std::string> ShellCommand(const std::string& verb, const std::string& file, const std::string& params);
// The command line ShowProperties starts; empty when neither gdbus nor dbus-send is there.
std::vector<std::string> PropertiesCommand(const std::string& path);
} // namespace kdx::platform::posix
