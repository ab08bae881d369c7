#pragma once
#include <string>

namespace kdx::platform::posix {

// The mark of a running companion screensaver: a lock on "KDXSaver-<display>.lock" in
// $XDG_RUNTIME_DIR (the per-user data folder when that is unset), one per graphical session
// (SessionDisplayName), held for the companion's whole run. The
// system lets go of it however the companion ends, so a killed one leaves no stale mark.
class CompanionLock {
public:
    CompanionLock() = default;
    ~CompanionLock();
    CompanionLock(const CompanionLock&) = delete;
    CompanionLock& operator=(const CompanionLock&) = delete;

    // Takes the lock; false when another companion holds it (or the file cannot be made).
    bool Acquire();
    // True while some companion holds the lock.
    static bool Held();
    static std::string LockFile();

private:
    int fd_ = -1;
};

} // namespace kdx::platform::posix
