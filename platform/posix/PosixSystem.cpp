#include "PosixSystem.h"

#include "FileText.h"

#include <climits>
#include <cstdio>
#include <ctime>
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

} // namespace

std::string UserDataFolder()
{
    const std::string folder = DataHome() + "/kaleidra-agent";
    return MakeFolders(folder) ? folder : std::string();
}

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
    return fallback.empty() ? programFolder : fallback;
}

std::string PosixSystem::WindowsDirectory() { return UserDataFolder(); }

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
