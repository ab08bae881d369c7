#include "CompanionLock.h"

#include "platform/posix/files/FileText.h"
#include "platform/posix/files/Paths.h"
#include "platform/posix/session/DesktopSession.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace kdx::platform::posix {

CompanionLock::~CompanionLock()
{
    if (fd_ >= 0)
        close(fd_);
}

std::string CompanionLock::LockFile()
{
    // One per graphical session, as the agent is: a screensaver on one display keeps none from
    // another.
    const std::string session = SessionDisplayName();
    return RuntimeFolder() + "/KDXSaver" + (session.empty() ? "" : "-" + session) + ".lock";
}

bool CompanionLock::Acquire()
{
    if (fd_ >= 0)
        return true;
    // Close-on-exec: a program the companion starts must not keep the mark after it ends.
    const int fd = open(LockFile().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

bool CompanionLock::Held()
{
    const int fd = open(LockFile().c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool held = flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    close(fd);
    return held;
}

} // namespace kdx::platform::posix
