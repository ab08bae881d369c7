#include "HandedFile.h"

#include "platform/posix/session/DesktopSession.h"

#include <cstdio>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace kdx::platform::posix {

namespace {

// The bitmap's folder, and its name split around the number: "KAWalllpaper-" and ".bmp", with
// the session's display in the first part ("KAWalllpaper-:0-"), so that the user's sessions, which
// share the folder, each keep the name its desktop shows.
struct HandedNames {
    std::string folder, stem, extension;

    explicit HandedNames(const std::string& bitmap)
    {
        const std::size_t slash = bitmap.rfind('/');
        folder = slash == std::string::npos ? "." : bitmap.substr(0, slash == 0 ? 1 : slash);
        const std::string name = slash == std::string::npos ? bitmap : bitmap.substr(slash + 1);
        const std::size_t dot = name.rfind('.');
        const std::string session = SessionDisplayName();
        stem = name.substr(0, dot) + "-" + (session.empty() ? "" : session + "-");
        extension = dot == std::string::npos ? "" : name.substr(dot);
    }

    std::string Path(unsigned long long number) const
    {
        return (folder == "/" ? "" : folder) + "/" + stem + std::to_string(number) + extension;
    }

    // The numbers of the handed names in the folder.
    std::vector<unsigned long long> Present() const
    {
        std::vector<unsigned long long> numbers;
        DIR* dir = opendir(folder.c_str());
        if (!dir)
            return numbers;
        while (const dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.size() <= stem.size() + extension.size() || name.compare(0, stem.size(), stem) != 0
                || name.compare(name.size() - extension.size(), extension.size(), extension) != 0)
                continue;
            const std::string digits = name.substr(stem.size(), name.size() - stem.size() - extension.size());
            if (digits.size() > 18 || digits.find_first_not_of("0123456789") != std::string::npos)
                continue;
            numbers.push_back(std::stoull(digits));
        }
        closedir(dir);
        return numbers;
    }
};

bool CopyBytes(const std::string& from, const std::string& to)
{
    const int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    const int out = open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    bool ok = out >= 0;
    char buf[65536];
    for (ssize_t n; ok && (n = read(in, buf, sizeof buf)) != 0;)
        ok = n > 0 && write(out, buf, size_t(n)) == n;
    close(in);
    if (out >= 0)
        ok = close(out) == 0 && ok;
    return ok;
}

} // namespace

std::string MakeHandedFile(const std::string& bitmap)
{
    const HandedNames names(bitmap);
    // Numbered from the clock's seconds, so that the numbers go on even where the folder was
    // emptied since a desktop was last handed a name; past the last number when changes come
    // faster.
    unsigned long long next = static_cast<unsigned long long>(std::time(nullptr));
    for (const unsigned long long number : names.Present())
        next = number >= next ? number + 1 : next;
    const std::string handed = names.Path(next);
    const std::string part = handed + ".part";
    unlink(part.c_str()); // left by an interrupted change
    const bool made = link(bitmap.c_str(), part.c_str()) == 0 || CopyBytes(bitmap, part);
    if (!made || std::rename(part.c_str(), handed.c_str()) != 0) {
        unlink(part.c_str());
        return bitmap;
    }
    return handed;
}

void DropHandedFile(const std::string& bitmap, const std::string& handed)
{
    if (handed != bitmap)
        unlink(handed.c_str());
}

void DropOtherHandedFiles(const std::string& bitmap, const std::string& handed)
{
    const HandedNames names(bitmap);
    for (const unsigned long long number : names.Present()) {
        const std::string path = names.Path(number);
        if (path != handed)
            unlink(path.c_str());
    }
}

} // namespace kdx::platform::posix
