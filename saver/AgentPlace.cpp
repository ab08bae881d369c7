#include "AgentPlace.h"

#include "platform/Platform.h"
#include "settings/TConfig.h"

#include <algorithm>

namespace kdx::saver {

namespace {

// The stored "InstalledPath", empty when there is none the store would take as it is.
std::string StoredInstallFolder()
{
    const auto key = platform::Current().registry->OpenKey(reg::ProductKey);
    if (!key)
        return {};
    const platform::RegString stored = key->QueryString(reg::InstalledPathValue);
    return stored.status == platform::RegRead::Ok ? stored.value : std::string();
}

std::string Beside(const std::string& folder, const std::string& name)
{
    const bool ends = !folder.empty() && (folder.back() == platform::PathDelim || folder.back() == '/');
    return ends ? folder + name : folder + platform::PathDelim + name;
}

std::string OwnFolder() { return ProgramFolder(platform::Current().system->ModuleFileName()); }

} // namespace

bool SettingsKnown(const std::string& agentProgram)
{
    if (const auto key = platform::Current().registry->OpenKey(reg::ProductKey)) {
        const platform::RegString stored = key->QueryString(reg::InstalledPathValue);
        // A value the store cannot take (another type) is for the store to report.
        if (stored.status == platform::RegRead::WrongType || stored.status == platform::RegRead::Failed
            || !stored.value.empty())
            return true;
    }
    return platform::Current().files->FileExists(Beside(OwnFolder(), agentProgram));
}

std::vector<std::string> AgentCandidates(const std::string& agentProgram)
{
    std::vector<std::string> found;
    for (const std::string& folder : {OwnFolder(), StoredInstallFolder()}) {
        if (folder.empty())
            continue;
        const std::string program = Beside(folder, agentProgram);
        if (platform::Current().files->FileExists(program)
            && std::find(found.begin(), found.end(), program) == found.end())
            found.push_back(program);
    }
    return found;
}

} // namespace kdx::saver
