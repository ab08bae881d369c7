#include "Win32Files.h"

#include <cerrno>
#include <cstring>
#include <io.h>
#include <windows.h>

// The interface keeps the plain names that windows.h turns into macros.
#undef CopyFile
#undef DeleteFile

namespace kdx::platform {

std::FILE* OpenRegularFile(const std::string& path, std::string* problem)
{
    std::string why;
    const DWORD attrs = GetFileAttributesA(path.c_str());
    std::FILE* file = attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY)
        ? nullptr
        : std::fopen(path.c_str(), "rb");
    if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY))
        why = "it is a folder, not a file";
    else if (!file)
        why = attrs == INVALID_FILE_ATTRIBUTES ? std::string() : std::strerror(errno);
    // A device (CON, a pipe) is no file on a disk: reading it could wait for ever.
    else if (GetFileType(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)))) != FILE_TYPE_DISK)
        why = "it is a device or a pipe, not a file";
    if (file && !why.empty()) {
        std::fclose(file);
        file = nullptr;
    }
    if (problem)
        *problem = why;
    return file;
}

} // namespace kdx::platform

namespace kdx::platform::win32 {

bool Win32Files::FileExists(const std::string& path)
{
    const DWORD attrs = GetFileAttributesA(path.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && !(attrs & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<FoundEntry> Win32Files::FindFiles(const std::string& pattern)
{
    std::vector<FoundEntry> found;
    WIN32_FIND_DATAA data {};
    const HANDLE find = FindFirstFileA(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return found;
    do
        found.push_back({data.cFileName, std::uint32_t(data.dwFileAttributes)});
    while (FindNextFileA(find, &data));
    FindClose(find);
    return found;
}

FolderScan Win32Files::ScanFolder(const std::string& folder, const std::string& mask, bool withSubFolders)
{
    FolderScan scan;
    if (withSubFolders) {
        for (const auto& entry : FindFiles(folder + "*.*"))
            if (IsSubFolder(entry.name, entry.attributes))
                scan.subFolders.push_back(entry.name);
    }
    for (auto& entry : FindFiles(folder + mask))
        scan.matches.push_back(std::move(entry.name));
    return scan;
}

bool Win32Files::DeleteFile(const std::string& path) { return DeleteFileA(path.c_str()) != FALSE; }

bool Win32Files::CopyFile(const std::string& from, const std::string& to, bool failIfExists)
{
    return CopyFileA(from.c_str(), to.c_str(), failIfExists) != FALSE;
}

} // namespace kdx::platform::win32
