// Times a program from its start to its first picture on the X screen: the moment the middle of
// the screen, black before, shows anything else. It looks with one small XGetImage every 2 ms,
// which costs the measured program next to nothing. Then it reads the program's memory while
// the picture shows, and ends it.
// Usage: picture_watch PROGRAM [ARGS...]
// Prints: milliseconds, processor milliseconds used by then (all threads, user and system),
// resident KiB while showing, peak resident KiB.
// The reference, a program that decodes and ends, is timed to its end instead:
//        picture_watch --run PROGRAM [ARGS...]
// Prints: milliseconds, processor milliseconds, peak resident KiB.
// The processor time tells the work apart from the waiting on a busy machine.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr int Side = 64;

bool MiddleLit(Display* display)
{
    const Screen* screen = DefaultScreenOfDisplay(display);
    XImage* image = XGetImage(display, DefaultRootWindow(display), WidthOfScreen(screen) / 2 - Side / 2,
        HeightOfScreen(screen) / 2 - Side / 2, Side, Side, AllPlanes, ZPixmap);
    if (!image)
        return false;
    bool lit = false;
    for (int y = 0; y < Side && !lit; ++y)
        for (int x = 0; x < Side && !lit; ++x)
            lit = (XGetPixel(image, x, y) & 0xFFFFFF) != 0;
    XDestroyImage(image);
    return lit;
}

long StatusKiB(pid_t pid, const std::string& field)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.compare(0, field.size() + 1, field + ":") == 0)
            return std::stol(line.substr(field.size() + 1));
    return -1;
}

// Runs a program to its end: its time and peak memory.
int TimeToEnd(char** argv)
{
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[0], argv);
        _exit(127);
    }
    int status = 0;
    rusage usage {};
    if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "picture_watch: %s failed\n", argv[0]);
        return 1;
    }
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const double cpu = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0
        + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
    std::printf("%.0f %.0f %ld\n", ms, cpu, usage.ru_maxrss);
    return 0;
}

// User and system time of a running process so far, from /proc (clock ticks).
double ProcessorMs(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // The fields after the command name, which may hold blanks, in its parentheses.
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string field;
    unsigned long long user = 0, system = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14)
            user = std::stoull(field);
        if (i == 15)
            system = std::stoull(field);
    }
    return double(user + system) * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: picture_watch PROGRAM [ARGS...]\n");
        return 2;
    }
    if (std::string(argv[1]) == "--run")
        return argc > 2 ? TimeToEnd(argv + 2) : 2;
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "picture_watch: no X server\n");
        return 1;
    }
    if (MiddleLit(display)) {
        std::fprintf(stderr, "picture_watch: the middle of the screen is not black to begin with\n");
        return 1;
    }
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[1], argv + 1);
        _exit(127);
    }
    int status = 0;
    while (!MiddleLit(display)) {
        if (waitpid(child, &status, WNOHANG) == child) {
            std::fprintf(stderr, "picture_watch: %s ended without a picture\n", argv[1]);
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const double cpu = ProcessorMs(child);
    // Settled: the picture shows and nothing more is being read.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const long rss = StatusKiB(child, "VmRSS"), peak = StatusKiB(child, "VmHWM");
    kill(child, SIGTERM);
    waitpid(child, &status, 0);
    // The screen is black again before the next run.
    while (MiddleLit(display))
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::printf("%.0f %.0f %ld %ld\n", ms, cpu, rss, peak);
    XCloseDisplay(display);
    return 0;
}
