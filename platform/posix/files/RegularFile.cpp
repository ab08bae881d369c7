#include "RegularFile.h"

#include "platform/Files.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kdx::platform::posix {

namespace {

std::string KindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return "it is a folder, not a file";
    if (S_ISFIFO(mode))
        return "it is a named pipe, not a file";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "it is a device, not a file";
    if (S_ISSOCK(mode))
        return "it is a socket, not a file";
    return "it is not a regular file";
}

std::string OpenProblem(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return std::string();
    case ENXIO: // a socket, or a device without its driver
        return "it is not a regular file";
    case EACCES:
    case EPERM:
        return "permission denied";
    default:
        return std::strerror(error);
    }
}

} // namespace

int OpenRegularFileDescriptor(const std::string& path, std::string* problem)
{
    std::string why;
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    struct stat st { };
    if (fd < 0) {
        why = OpenProblem(errno);
    } else if (fstat(fd, &st) != 0) {
        why = std::strerror(errno);
    } else if (!S_ISREG(st.st_mode)) {
        why = KindOf(st.st_mode);
    } else if (!(st.st_mode & S_IRUSR) && st.st_uid == geteuid()) {
        why = "permission denied";
    } else {
        // Reads of a regular file never wait on a writer; the flag is taken off all the same.
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        return fd;
    }
    if (fd >= 0)
        close(fd);
    if (problem)
        *problem = why;
    return -1;
}

} // namespace kdx::platform::posix

namespace kdx::platform {

std::FILE* OpenRegularFile(const std::string& path, std::string* problem)
{
    const int fd = posix::OpenRegularFileDescriptor(path, problem);
    if (fd < 0)
        return nullptr;
    std::FILE* file = fdopen(fd, "rb");
    if (!file) {
        if (problem)
            *problem = std::strerror(errno);
        close(fd);
    }
    return file;
}

} // namespace kdx::platform
