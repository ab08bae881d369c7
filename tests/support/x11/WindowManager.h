#pragma once
#include <sys/types.h>

namespace kdx::test {

// A window manager (openbox) on $DISPLAY for as long as the object lives, started only when
// none runs; it is up once it manages a window. Focus and stacking then behave as on a desktop.
class ScopedWindowManager {
public:
    ScopedWindowManager();
    ~ScopedWindowManager();
    ScopedWindowManager(const ScopedWindowManager&) = delete;
    ScopedWindowManager& operator=(const ScopedWindowManager&) = delete;

    bool Running() const { return running_; }

private:
    pid_t pid_ = 0;
    bool running_ = false;
};

} // namespace kdx::test
