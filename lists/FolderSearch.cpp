#include "FolderSearch.h"

#include "platform/Platform.h"

namespace kdx {

namespace {

std::string Trimmed(const std::string& s)
{
    const size_t first = s.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : s.substr(first, s.find_last_not_of(' ') - first + 1);
}

} // namespace

bool FolderSearch::SearchFolder(
    const std::string& folder, const std::string& mask, bool recurse, std::vector<std::string>& results)
{
    if (Trimmed(mask).empty())
        return true;
    const platform::FolderScan scan = platform::Current().files->ScanFolder(folder, mask, recurse);
    for (const auto& name : scan.matches)
        if (hooks_.isHit(folder, name))
            results.push_back(folder + name);
    for (const auto& sub : scan.subFolders) {
        if (hooks_.stopped())
            return true;
        const std::string path = folder + sub + platform::PathDelim;
        hooks_.entering(path);
        if (!SearchFolder(path, mask, recurse, results))
            return false;
        if (!hooks_.yield())
            return false;
    }
    return true;
}

} // namespace kdx
