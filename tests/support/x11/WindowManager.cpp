#include "WindowManager.h"

#include "TestWindows.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

namespace kdx::test {

namespace {

// A manager that has gone can leave its root-window property behind; the check window it
// names must exist and name itself.
bool HasWindowManager(Display* display)
{
    const auto check = Property32(display, DefaultRootWindow(display), "_NET_SUPPORTING_WM_CHECK", XA_WINDOW);
    return !check.empty() && Property32(display, check[0], "_NET_SUPPORTING_WM_CHECK", XA_WINDOW) == check;
}

bool Manages(Display* display, Window window)
{
    const auto managed = Property32(display, DefaultRootWindow(display), "_NET_CLIENT_LIST", XA_WINDOW);
    return std::find(managed.begin(), managed.end(), window) != managed.end();
}

bool WaitFor(Display* display, bool (*condition)(Display*, Window), Window window, int ms)
{
    for (int waited = 0; waited < ms; waited += 20) {
        XSync(display, False);
        if (condition(display, window))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

// A manager that is still starting may drop a map request, so the probe asks again.
bool ManagesNewWindows(Display* display)
{
    const Window probe = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 10, 10, 0, 0, 0);
    bool managed = false;
    for (int attempt = 0; attempt < 10 && !managed; ++attempt) {
        XMapWindow(display, probe);
        managed = WaitFor(display, &Manages, probe, 500);
    }
    XDestroyWindow(display, probe);
    XSync(display, False);
    return managed;
}

} // namespace

ScopedWindowManager::ScopedWindowManager()
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return;
    auto previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    if (!HasWindowManager(display)) {
        char program[] = "openbox";
        char option[] = "--sm-disable";
        char* argv[] = {program, option, nullptr};
        if (posix_spawnp(&pid_, program, nullptr, nullptr, argv, environ) != 0)
            pid_ = 0;
        WaitFor(
            display, [](Display* d, Window) { return HasWindowManager(d); }, 0, 5000);
    }
    running_ = HasWindowManager(display) && ManagesNewWindows(display);
    XSetErrorHandler(previous);
    XCloseDisplay(display);
}

ScopedWindowManager::~ScopedWindowManager()
{
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
}

} // namespace kdx::test
