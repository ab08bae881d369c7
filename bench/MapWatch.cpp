// Times a program from its start to the X server mapping its first top-level window of a
// given class, or with --docked to a tray taking in its tray icon (the tray moves the icon's
// window into its own), by listening for the event itself rather than polling the window tree,
// so the measurement takes no processor time from the program it measures.
// Usage: map_watch [--docked] CLASS PROGRAM [ARGS...]; prints the milliseconds, then ends the
// program.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

bool HasClass(Display* display, Window window, const char* wanted)
{
    XClassHint hint {};
    if (!XGetClassHint(display, window, &hint))
        return false;
    const bool match = (hint.res_name && std::strcmp(hint.res_name, wanted) == 0)
        || (hint.res_class && std::strcmp(hint.res_class, wanted) == 0);
    XFree(hint.res_name);
    XFree(hint.res_class);
    return match;
}

} // namespace

int main(int argc, char** argv)
{
    const bool docked = argc > 1 && std::strcmp(argv[1], "--docked") == 0;
    if (docked) {
        --argc;
        ++argv;
    }
    if (argc < 3) {
        std::fprintf(stderr, "usage: map_watch [--docked] CLASS PROGRAM [ARGS...]\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "map_watch: no X server\n");
        return 1;
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[2], argv + 2);
        _exit(127);
    }
    int status = 0;
    for (;;) {
        // Waits for the next event, or notices that the program ended without a window.
        while (!XPending(display)) {
            if (waitpid(child, &status, WNOHANG) == child) {
                std::fprintf(stderr, "map_watch: %s ended before showing a window\n", argv[2]);
                return 1;
            }
            pollfd connection {ConnectionNumber(display), POLLIN, 0};
            poll(&connection, 1, 5);
        }
        XEvent event;
        XNextEvent(display, &event);
        if (!docked && event.type == MapNotify && HasClass(display, event.xmap.window, argv[1]))
            break;
        if (docked && event.type == ReparentNotify && event.xreparent.parent != DefaultRootWindow(display)
            && HasClass(display, event.xreparent.window, argv[1]))
            break;
    }
    const auto took = std::chrono::steady_clock::now() - start;
    std::printf("%lld\n", static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    XCloseDisplay(display);
    return 0;
}
