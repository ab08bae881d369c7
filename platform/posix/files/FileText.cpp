#include "FileText.h"

#include "RegularFile.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kdx::platform::posix {

namespace {

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a path names after following symbolic links, so a linked settings file is updated
// where it lives instead of being replaced by a plain file. A link whose file is missing names
// where that file is to be: a save creates it there and the link stays.
std::string ResolvedTarget(const std::string& path)
{
    char buf[PATH_MAX];
    struct stat st { };
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    if (realpath(path.c_str(), buf))
        return buf;
    std::string at = path;
    for (int hops = 0; hops < 40 && lstat(at.c_str(), &st) == 0 && S_ISLNK(st.st_mode); ++hops) {
        const ssize_t n = readlink(at.c_str(), buf, sizeof buf - 1);
        if (n <= 0)
            return path;
        const std::string link(buf, size_t(n));
        at = link[0] == '/' ? link : FolderOf(at) + "/" + link;
    }
    return at;
}

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) { }
    ~Fd()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

bool WriteAll(int fd, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

bool IsTemporaryName(const std::string& name, const std::string& base)
{
    if (name.size() != base.size() + 7 || name.compare(0, base.size() + 1, base + ".") != 0)
        return false;
    for (size_t i = base.size() + 1; i < name.size(); ++i)
        if (!std::isalnum(static_cast<unsigned char>(name[i])))
            return false;
    return true;
}

// A save killed between writing its temporary file and renaming it leaves the temporary file
// behind; one older than a minute belongs to no save still running, so the next save removes it.
void RemoveStaleTemporaries(const std::string& target)
{
    const std::string folder = FolderOf(target);
    const std::string base = target.substr(target.rfind('/') + 1);
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return;
    const time_t now = time(nullptr);
    while (const dirent* entry = readdir(dir)) {
        struct stat st { };
        if (IsTemporaryName(entry->d_name, base) && fstatat(dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0
            && S_ISREG(st.st_mode) && now - st.st_mtime > 60)
            unlinkat(dirfd(dir), entry->d_name, 0);
    }
    closedir(dir);
}

} // namespace

ReadResult ReadTextFile(const std::string& path, std::string& out, std::string* problem)
{
    out.clear();
    std::string why;
    Fd fd(OpenRegularFileDescriptor(path, &why));
    if (problem)
        *problem = why;
    if (fd.get() < 0)
        return why.empty() ? ReadResult::Absent : ReadResult::Unreadable;
    struct stat st { };
    if (fstat(fd.get(), &st) != 0 || st.st_size > MaxTextFileSize) {
        if (problem)
            *problem = "it is larger than 64 MiB";
        return ReadResult::Unreadable;
    }
    out.reserve(size_t(st.st_size));
    char buf[65536];
    for (;;) {
        const ssize_t n = read(fd.get(), buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return ReadResult::Unreadable;
        if (n == 0)
            break;
        if (out.size() + size_t(n) > size_t(MaxTextFileSize))
            return ReadResult::Unreadable;
        out.append(buf, size_t(n));
    }
    return ReadResult::Ok;
}

bool MayReplaceFile(const std::string& path)
{
    const std::string target = ResolvedTarget(path);
    struct stat st { };
    if (stat(FolderOf(target).c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || !(st.st_mode & S_IWUSR))
        return false;
    if (stat(target.c_str(), &st) == 0)
        return S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR);
    return errno == ENOENT;
}

bool ReplaceFile(const std::string& path, const std::string& bytes)
{
    if (!MayReplaceFile(path))
        return false;
    const std::string target = ResolvedTarget(path);
    RemoveStaleTemporaries(target);
    std::string temp = target + ".XXXXXX";
    Fd fd(mkstemp(temp.data()));
    if (fd.get() < 0)
        return false;
    struct stat st { };
    const mode_t mode = stat(target.c_str(), &st) == 0 ? st.st_mode & 07777 : 0644 & ~[] {
        const mode_t mask = umask(0);
        umask(mask);
        return mask;
    }();
    const bool ok
        = WriteAll(fd.get(), bytes) && fchmod(fd.get(), mode) == 0 && rename(temp.c_str(), target.c_str()) == 0;
    if (!ok)
        unlink(temp.c_str());
    return ok;
}

bool CreateFileWith(const std::string& path, const std::string& bytes)
{
    std::string temp = path + ".XXXXXX";
    Fd fd(mkstemp(temp.data()));
    if (fd.get() < 0)
        return false;
    const mode_t mask = umask(0);
    umask(mask);
    // A link to the finished temporary file fails where the file exists already.
    const bool ok = WriteAll(fd.get(), bytes) && fchmod(fd.get(), 0644 & ~mask) == 0 && fsync(fd.get()) == 0
        && link(temp.c_str(), path.c_str()) == 0;
    unlink(temp.c_str());
    return ok;
}

void SyncFile(const std::string& path)
{
    const std::string target = ResolvedTarget(path);
    for (const std::string& name : {target, FolderOf(target)}) {
        // Never waiting on a named pipe put in the file's place.
        Fd fd(open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
        if (fd.get() >= 0)
            fsync(fd.get());
    }
}

bool MakeFolders(const std::string& path)
{
    struct stat st { };
    if (stat(path.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode);
    const std::string parent = FolderOf(path);
    if (parent != path && !MakeFolders(parent))
        return false;
    return mkdir(path.c_str(), 0755) == 0 || errno == EEXIST;
}

} // namespace kdx::platform::posix
