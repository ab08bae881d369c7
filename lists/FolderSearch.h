#pragma once
#include <functional>
#include <string>
#include <vector>

namespace kdx {

// The folder walk of the list editors: a folder's own hits first, then its plain sub-folders
// (platform::IsSubFolder) depth first, in the platform's enumeration order, each folder scanned
// once. Between sub-folders it hands control back to its owner, which is how a Stop (or anything
// else) gets a chance to run.
class FolderSearch {
public:
    struct Hooks {
        // Whether the entry Name found in Folder belongs in the results.
        std::function<bool(const std::string& folder, const std::string& name)> isHit;
        // Called with each sub-folder path before it is searched.
        std::function<void(const std::string& path)> entering;
        // Lets pending events run; returns false when the owner is gone and the walk must
        // unwind at once without touching anything.
        std::function<bool()> yield;
        // True once the user asked the walk to stop.
        std::function<bool()> stopped;
    };

    explicit FolderSearch(Hooks hooks) : hooks_(std::move(hooks)) { }

    // Appends every hit under Folder (which ends in the folder separator) to Results.
    // Returns false when the owner went away during the walk.
    bool SearchFolder(
        const std::string& folder, const std::string& mask, bool recurse, std::vector<std::string>& results);

private:
    Hooks hooks_;
};

} // namespace kdx
