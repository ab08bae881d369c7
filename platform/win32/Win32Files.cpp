#include "Win32Files.h"

#include <cerrno>
#include <cstring>
#include <io.h>
#include <windows.h>

#include <vector>

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

namespace {

// The pixels of a bitmap loaded by the system, as 32-bit words, rows top down.
class GdiBitmap final : public IBitmapPixels {
public:
    GdiBitmap(unsigned width, unsigned height) : words(std::size_t(width) * height), width_(width), height_(height) { }
    unsigned Width() const override { return width_; }
    unsigned Height() const override { return height_; }
    std::uint32_t Pixel(unsigned x, unsigned y) const override
    {
        return words[std::size_t(y) * width_ + x] & 0xFFFFFFu;
    }

    std::vector<std::uint32_t> words;

private:
    unsigned width_, height_;
};

} // namespace

std::unique_ptr<IBitmapPixels> Win32Files::OpenBitmap(const std::string& path)
{
    const HBITMAP loaded = static_cast<HBITMAP>(
        LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    if (!loaded)
        return nullptr;
    BITMAP shape {};
    std::unique_ptr<GdiBitmap> bitmap;
    if (GetObjectA(loaded, sizeof shape, &shape) && shape.bmWidth > 0 && shape.bmHeight > 0) {
        bitmap = std::make_unique<GdiBitmap>(unsigned(shape.bmWidth), unsigned(shape.bmHeight));
        BITMAPINFO format {};
        format.bmiHeader.biSize = sizeof format.bmiHeader;
        format.bmiHeader.biWidth = shape.bmWidth;
        format.bmiHeader.biHeight = -shape.bmHeight; // top down
        format.bmiHeader.biPlanes = 1;
        format.bmiHeader.biBitCount = 32;
        format.bmiHeader.biCompression = BI_RGB;
        const HDC screen = GetDC(nullptr);
        if (GetDIBits(screen, loaded, 0, UINT(shape.bmHeight), bitmap->words.data(), &format, DIB_RGB_COLORS)
            != shape.bmHeight)
            bitmap.reset();
        ReleaseDC(nullptr, screen);
    }
    DeleteObject(loaded);
    return bitmap;
}

} // namespace kdx::platform::win32
