#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace kdx::platform {

// FILE_ATTRIBUTE_* values, as the folder enumeration reports them.
enum FileAttribute : std::uint32_t {
    AttrReadOnly = 0x01,
    AttrHidden = 0x02,
    AttrSystem = 0x04,
    AttrDirectory = 0x10,
    AttrArchive = 0x20,
    AttrNormal = 0x80,
    AttrReparsePoint = 0x400,
};

struct FoundEntry {
    std::string name; // the entry's name, without its folder
    std::uint32_t attributes = 0;
};

class IFiles {
public:
    virtual ~IFiles() = default;
    // True when a file (not a folder) of that name exists.
    virtual bool FileExists(const std::string& path) = 0;
};

} // namespace kdx::platform
