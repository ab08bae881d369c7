#pragma once
#include <cstdint>
#include <cstdio>
#include <memory>
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

// A sub-folder that a folder search enters: exactly the directory attribute (a read-only,
// hidden or linked folder is left alone), and not "." or "..".
inline bool IsSubFolder(const std::string& name, std::uint32_t attributes)
{
    return attributes == AttrDirectory && name != "." && name != "..";
}

// What a folder search needs of one folder, each list in the platform's enumeration order.
struct FolderScan {
    std::vector<std::string> subFolders; // the names for which IsSubFolder holds
    std::vector<std::string> matches; // every entry whose name matches the mask, folders too
};

// Opens Path for reading only when it is a regular file: what is not one (a named pipe, a device,
// a folder) is never waited on, and is told apart on the opened file itself, so nothing can be
// put in its place between a check and the open. Null otherwise, with Problem saying why in words
// ("it is a named pipe, not a file"), or empty when the file is missing.
std::FILE* OpenRegularFile(const std::string& path, std::string* problem = nullptr);
// A Windows bitmap file opened for reading its pixels.
class IBitmapPixels {
public:
    virtual ~IBitmapPixels() = default;
    virtual unsigned Width() const = 0;
    virtual unsigned Height() const = 0;
    // The pixel at X, Y (Y counted from the top) as 0xRRGGBB.
    virtual std::uint32_t Pixel(unsigned x, unsigned y) const = 0;
};

class IFiles {
public:
    virtual ~IFiles() = default;
    // True when a file (not a folder) of that name exists.
    virtual bool FileExists(const std::string& path) = 0;
    // FindFirstFile/FindNextFile/FindClose over Pattern (a folder followed directly by a mask
    // such as "*.*" or "*.scr"), in the platform's order; empty when nothing matches or the
    // folder cannot be read.
    virtual std::vector<FoundEntry> FindFiles(const std::string& pattern) = 0;
    // The sub-folders (when WithSubFolders) and the matches of Mask in Folder, which ends in
    // the separator; empty lists when it cannot be read. The same entries as FindFiles over
    // Folder + "*.*" and Folder + Mask, but as cheap as the platform allows.
    virtual FolderScan ScanFolder(const std::string& folder, const std::string& mask, bool withSubFolders) = 0;
    virtual bool DeleteFile(const std::string& path) = 0;
    virtual bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) = 0;
    // The pixels of a Windows bitmap file; null when the file is none the platform reads.
    virtual std::unique_ptr<IBitmapPixels> OpenBitmap(const std::string& /*path*/) { return nullptr; }
};

} // namespace kdx::platform
