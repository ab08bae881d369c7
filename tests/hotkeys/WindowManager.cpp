#include "WindowManager.h"

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

std::vector<unsigned long> WindowsOf(Display* display, Window window, const char* name)
{
    Atom actual = None;
    int format = 0;
    unsigned long count = 0, rest = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> items;
    if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 1024, False, XA_WINDOW, &actual,
            &format, &count, &rest, &data)
            == Success
        && data && format == 32)
        items.assign(reinterpret_cast<unsigned long*>(data), reinterpret_cast<unsigned long*>(data) + count);
    if (data)
        XFree(data);
    return items;
}

// A manager that has gone can leave its root-window property behind; the check window it
// names must exist and name itself.
bool HasWindowManager(Display* display)
{
    const auto check = WindowsOf(display, DefaultRootWindow(display), "_NET_SUPPORTING_WM_CHECK");
    return !check.empty() && WindowsOf(display, check[0], "_NET_SUPPORTING_WM_CHECK") == check;
}

bool Manages(Display* display, Window window)
{
    const auto managed = WindowsOf(display, DefaultRootWindow(display), "_NET_CLIENT_LIST");
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
