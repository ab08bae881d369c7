#include "PosixSystem.h"

#include "platform/AsciiCase.h"
#include "platform/posix/files/BmpImage.h"
#include "platform/posix/files/FileText.h"
#include "platform/posix/files/Paths.h"
#include "platform/posix/files/RegularFile.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace kdx::platform::posix {

namespace {

CivilTime FromTm(const std::tm& tm, long nanoseconds)
{
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, int(nanoseconds / 1000000)};
}

template <typename SplitFn> CivilTime Now(SplitFn split)
{
    timespec ts {};
    clock_gettime(CLOCK_REALTIME, &ts);
    std::tm tm {};
    split(&ts.tv_sec, &tm);
    return FromTm(tm, ts.tv_nsec);
}

bool UnderSystemPrefix(const std::string& folder)
{
    for (const char* prefix : {"/usr", "/opt", "/snap", "/bin", "/sbin", "/lib"}) {
        const std::string p(prefix);
        if (folder == p || folder.rfind(p + "/", 0) == 0)
            return true;
    }
    return false;
}

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeapYear(y) ? 29 : days[m - 1];
}

// Reads exactly Width digits at Pos.
bool Digits(const std::string& s, size_t& pos, size_t width, int& out)
{
    if (pos + width > s.size())
        return false;
    out = 0;
    for (size_t i = 0; i < width; ++i) {
        const char c = s[pos + i];
        if (c < '0' || c > '9')
            return false;
        out = out * 10 + (c - '0');
    }
    pos += width;
    return true;
}

bool Expect(const std::string& s, size_t& pos, char c)
{
    if (pos >= s.size() || s[pos] != c)
        return false;
    ++pos;
    return true;
}

std::string DesktopExecQuote(const std::string& path)
{
    // The Exec key quotes its argument and escapes four characters in it; the desktop file's
    // own string rules then double every backslash once more.
    std::string arg = "\"";
    for (const char c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            arg += '\\';
        arg += c;
    }
    arg += '"';
    std::string out;
    for (const char c : arg)
        out += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return out;
}

// The settings file's name, as the settings store puts it in the install folder.
constexpr const char* SettingsFileName = "KDX.ini";

// Moving to the user's data folder, the settings go on from the file beside the program (lists a
// copy was installed or handed round with) where the data folder has none yet: copied once,
// whole, and never over a file that is there.
void CarrySettingsFile(const std::string& programFolder, const std::string& dataFolder)
{
    const std::string target = dataFolder + "/" + SettingsFileName;
    std::string bytes;
    struct stat st { };
    if (lstat(target.c_str(), &st) == 0 || errno != ENOENT
        || ReadTextFile(programFolder + "/" + SettingsFileName, bytes) != ReadResult::Ok)
        return;
    CreateFileWith(target, bytes);
}

} // namespace

std::string PosixSystem::ModuleFileName()
{
    const std::string sandboxed = EnvOr("KALEIDRA_PROGRAM_FILE", "");
    if (!sandboxed.empty())
        return sandboxed;
    char buf[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, size_t(n)) : std::string();
}

std::string PosixSystem::InstallFolderFor(const std::string& programFolder)
{
    struct stat st { };
    const bool writable = stat(programFolder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_IWUSR)
        && access(programFolder.c_str(), W_OK) == 0 && !UnderSystemPrefix(programFolder);
    if (writable)
        return programFolder;
    const std::string fallback = UserDataFolder();
    if (fallback.empty())
        return programFolder;
    CarrySettingsFile(programFolder, fallback);
    return fallback;
}

std::string PosixSystem::WindowsDirectory() { return UserDataFolder(); }

std::string PosixSystem::HelpFolderFor(const std::string& programFolder)
{
    const std::string beside = programFolder + "/help";
    std::error_code error;
    const auto installed = std::filesystem::weakly_canonical(programFolder + "/../share/kaleidra-agent/help", error);
    struct stat st { };
    return stat((beside + "/index.html").c_str(), &st) == 0 ? beside : installed.string();
}

CivilTime PosixSystem::LocalTime() { return Now(localtime_r); }

CivilTime PosixSystem::SystemTime() { return Now(gmtime_r); }

std::string PosixRegional::FormatDate(const CivilTime& t)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", t.year, t.month, t.day);
    return buf;
}

std::string PosixRegional::FormatTime(const CivilTime& t)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    return buf;
}

bool PosixRegional::ParseDateTime(const std::string& text, CivilTime& out)
{
    CivilTime t;
    size_t pos = 0;
    if (!Digits(text, pos, 4, t.year) || !Expect(text, pos, '-') || !Digits(text, pos, 2, t.month)
        || !Expect(text, pos, '-') || !Digits(text, pos, 2, t.day))
        return false;
    if (pos < text.size()) {
        if (!Expect(text, pos, ' ') || !Digits(text, pos, 2, t.hour) || !Expect(text, pos, ':')
            || !Digits(text, pos, 2, t.minute) || !Expect(text, pos, ':') || !Digits(text, pos, 2, t.second)
            || pos != text.size())
            return false;
    }
    if (t.year < 1 || t.month < 1 || t.month > 12 || t.day < 1 || t.day > DaysInMonth(t.year, t.month) || t.hour > 23
        || t.minute > 59 || t.second > 59)
        return false;
    out = t;
    return true;
}

std::string PosixAutostart::EntryFile() { return ConfigHome() + "/autostart/kaleidra-agent.desktop"; }

bool PosixAutostart::Enable(const std::string& programFile)
{
    const std::string file = EntryFile();
    if (!MakeFolders(file.substr(0, file.rfind('/'))))
        return false;
    const std::string entry = "[Desktop Entry]\n"
                              "Type=Application\n"
                              "Name=Kaleidra Agent\n"
                              "Comment=Random screensaver and wallpaper agent\n"
                              "Exec="
        + DesktopExecQuote(programFile)
        + "\n"
          "Terminal=false\n"
          "X-GNOME-Autostart-enabled=true\n";
    return ReplaceFile(file, entry);
}

void PosixAutostart::Disable() { unlink(EntryFile().c_str()); }

bool PosixFiles::FileExists(const std::string& path)
{
    struct stat st { };
    return stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

} // namespace kdx::platform::posix

namespace kdx::platform::posix {

namespace {

bool Match(const char* name, const char* mask)
{
    for (; *mask; ++mask, ++name) {
        if (*mask == '*') {
            while (mask[1] == '*')
                ++mask;
            for (const char* rest = name;; ++rest) {
                if (Match(rest, mask + 1))
                    return true;
                if (!*rest)
                    return false;
            }
        }
        if (!*name || (*mask != '?' && LowerAscii(*mask) != LowerAscii(*name)))
            return false;
    }
    return !*name;
}

// Read relative to the open folder, which spares resolving the whole path for every entry.
std::uint32_t AttributesOf(int folder, const std::string& name)
{
    struct stat st { };
    if (fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return 0;
    std::uint32_t attrs = 0;
    if (S_ISLNK(st.st_mode)) {
        attrs |= AttrReparsePoint;
        struct stat target { };
        if (fstatat(folder, name.c_str(), &target, 0) == 0 && S_ISDIR(target.st_mode))
            attrs |= AttrDirectory;
    } else if (S_ISDIR(st.st_mode)) {
        attrs |= AttrDirectory;
    }
    if (name[0] == '.' && name != "." && name != "..")
        attrs |= AttrHidden;
    if (!(st.st_mode & S_IWUSR))
        attrs |= AttrReadOnly;
    return attrs ? attrs : AttrNormal;
}

bool MatchesMask(const char* name, const std::string& mask) { return mask == "*.*" || Match(name, mask.c_str()); }

} // namespace

bool MatchesMask(const std::string& name, const std::string& mask) { return MatchesMask(name.c_str(), mask); }

std::vector<FoundEntry> PosixFiles::FindFiles(const std::string& pattern)
{
    std::vector<FoundEntry> found;
    const size_t slash = pattern.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : pattern.substr(0, slash + 1);
    const std::string mask = slash == std::string::npos ? pattern : pattern.substr(slash + 1);
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return found;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (MatchesMask(name, mask))
            found.push_back({name, AttributesOf(dirfd(dir), name)});
    }
    closedir(dir);
    return found;
}

bool IsSubFolderEntry(int folder, const char* name, unsigned char type)
{
    // Hidden by its name, or a type that is never a plain folder (a link, a file, a device).
    if (name[0] == '.' || (type != DT_DIR && type != DT_UNKNOWN))
        return false;
    return IsSubFolder(name, AttributesOf(folder, name));
}

FolderScan PosixFiles::ScanFolder(const std::string& folder, const std::string& mask, bool withSubFolders)
{
    FolderScan scan;
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return scan;
    while (const dirent* entry = readdir(dir)) {
        if (withSubFolders && IsSubFolderEntry(dirfd(dir), entry->d_name, entry->d_type))
            scan.subFolders.emplace_back(entry->d_name);
        if (MatchesMask(entry->d_name, mask))
            scan.matches.emplace_back(entry->d_name);
    }
    closedir(dir);
    return scan;
}

bool PosixFiles::DeleteFile(const std::string& path)
{
    struct stat st { };
    // A read-only file stays, as Windows keeps a file with the read-only attribute.
    if (lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode) || !(st.st_mode & S_IWUSR))
        return false;
    return unlink(path.c_str()) == 0;
}

bool PosixFiles::CopyFile(const std::string& from, const std::string& to, bool failIfExists)
{
    const int in = OpenRegularFileDescriptor(from);
    if (in < 0)
        return false;
    struct stat st { };
    if (fstat(in, &st) != 0) {
        close(in);
        return false;
    }
    const int out
        = open(to.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | (failIfExists ? O_EXCL : O_TRUNC), st.st_mode & 0777);
    if (out < 0) {
        close(in);
        return false;
    }
    char buf[65536];
    bool ok = true;
    for (;;) {
        const ssize_t n = read(in, buf, sizeof buf);
        if (n == 0)
            break;
        if (n < 0 || write(out, buf, size_t(n)) != n) {
            ok = false;
            break;
        }
    }
    close(in);
    ok = close(out) == 0 && ok;
    if (!ok)
        unlink(to.c_str());
    return ok;
}

namespace {

class MappedBitmap final : public IBitmapPixels {
public:
    unsigned Width() const override { return image.Width(); }
    unsigned Height() const override { return image.Height(); }
    std::uint32_t Pixel(unsigned x, unsigned y) const override { return image.Pixel(x, y); }
    BmpImage image;
};

} // namespace

std::unique_ptr<IBitmapPixels> PosixFiles::OpenBitmap(const std::string& path)
{
    auto bitmap = std::make_unique<MappedBitmap>();
    if (!bitmap->image.Open(path))
        return nullptr;
    return bitmap;
}

} // namespace kdx::platform::posix
