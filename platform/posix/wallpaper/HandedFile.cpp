#include "HandedFile.h"

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kdx::platform::posix {

namespace {

bool Exists(const std::string& path, struct stat* st) { return lstat(path.c_str(), st) == 0; }

bool NewerChange(const struct stat& a, const struct stat& b)
{
    if (a.st_ctim.tv_sec != b.st_ctim.tv_sec)
        return a.st_ctim.tv_sec > b.st_ctim.tv_sec;
    return a.st_ctim.tv_nsec > b.st_ctim.tv_nsec;
}

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

std::pair<std::string, std::string> HandedNames(const std::string& bitmap)
{
    const std::size_t slash = bitmap.rfind('/');
    std::size_t dot = bitmap.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        dot = bitmap.size();
    const std::string stem = bitmap.substr(0, dot), extension = bitmap.substr(dot);
    return {stem + "-1" + extension, stem + "-2" + extension};
}

std::string MakeHandedFile(const std::string& bitmap)
{
    const auto [first, second] = HandedNames(bitmap);
    struct stat a {
    }, b {};
    const bool hasFirst = Exists(first, &a), hasSecond = Exists(second, &b);
    const std::string& target = !hasFirst ? first : !hasSecond ? second : NewerChange(a, b) ? second : first;
    const std::string part = target + ".part";
    unlink(part.c_str()); // left by an interrupted change
    const bool made = link(bitmap.c_str(), part.c_str()) == 0 || CopyBytes(bitmap, part);
    if (!made || std::rename(part.c_str(), target.c_str()) != 0) {
        unlink(part.c_str());
        return bitmap;
    }
    return target;
}

void DropOtherHandedFile(const std::string& bitmap, const std::string& handed)
{
    const auto [first, second] = HandedNames(bitmap);
    if (handed == first)
        unlink(second.c_str());
    else if (handed == second)
        unlink(first.c_str());
}

} // namespace kdx::platform::posix
