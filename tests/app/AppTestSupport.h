#pragma once
#include "platform/Platform.h"

#include <string>
#include <vector>

namespace kdx::test {

// Records the shell's launches instead of making them; the other shell calls are not used by
// the forms under test.
class RecordingShell : public platform::IShell {
public:
    void Execute(const std::string& verb, const std::string& file, const std::string& params) override
    {
        launches.push_back(verb + "|" + file + "|" + params);
    }
    void ShowProperties(const std::string& path) override { launches.push_back("properties|" + path); }
    std::string DisplayName(const std::string&) override { return {}; }
    std::string ResourceString(const std::string&, unsigned) override { return {}; }

    std::vector<std::string> launches;
};

// The platform with a recording shell, for as long as it lives.
class ShellRecorder {
public:
    ShellRecorder() : scope_(WithShell(&shell)) { }
    RecordingShell shell;

private:
    static platform::Services WithShell(platform::IShell* shell)
    {
        platform::Services services = platform::Current();
        services.shell = shell;
        return services;
    }
    platform::ScopedServices scope_;
};

} // namespace kdx::test
