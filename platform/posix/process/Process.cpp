#include "Process.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace kdx::platform::posix {

namespace {

// posix_spawn's objects, set up for a child that starts clean: default signal handling, no
// blocked signals, standard input and error on /dev/null, and no inherited descriptors.
class SpawnSetup {
public:
    explicit SpawnSetup(bool newSession)
    {
        posix_spawn_file_actions_init(&actions_);
        posix_spawnattr_init(&attr_);
        sigset_t none, defaults;
        sigemptyset(&none);
        sigemptyset(&defaults);
        for (const int sig : {SIGPIPE, SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGCHLD, SIGUSR1, SIGUSR2})
            sigaddset(&defaults, sig);
        posix_spawnattr_setsigmask(&attr_, &none);
        posix_spawnattr_setsigdefault(&attr_, &defaults);
        short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
        if (newSession)
            flags |= POSIX_SPAWN_SETSID;
        posix_spawnattr_setflags(&attr_, flags);
        posix_spawn_file_actions_addopen(&actions_, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions_, 2, "/dev/null", O_WRONLY, 0);
    }
    ~SpawnSetup()
    {
        posix_spawn_file_actions_destroy(&actions_);
        posix_spawnattr_destroy(&attr_);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    void StdoutTo(int fd) { posix_spawn_file_actions_adddup2(&actions_, fd, 1); }
    void StdoutToNull() { posix_spawn_file_actions_addopen(&actions_, 1, "/dev/null", O_WRONLY, 0); }

    pid_t Spawn(const std::vector<std::string>& argv)
    {
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
        posix_spawn_file_actions_addclosefrom_np(&actions_, 3);
#endif
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        pid_t pid = -1;
        if (argv.empty() || posix_spawn(&pid, args[0], &actions_, &attr_, args.data(), environ) != 0)
            return -1;
        return pid;
    }

private:
    posix_spawn_file_actions_t actions_;
    posix_spawnattr_t attr_;
};

bool IsExecutableFile(const std::string& path)
{
    struct stat st { };
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

int WaitFor(pid_t pid, int options)
{
    int status = 0;
    pid_t r;
    do
        r = waitpid(pid, &status, options);
    while (r < 0 && errno == EINTR);
    if (r == 0)
        return -2; // still running
    return r == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

std::string FindProgram(const std::string& name)
{
    if (name.empty())
        return std::string();
    if (name.find('/') != std::string::npos)
        return IsExecutableFile(name) ? name : std::string();
    const char* path = std::getenv("PATH");
    const std::string dirs = path && *path ? path : "/usr/local/bin:/usr/bin:/bin";
    for (std::size_t begin = 0; begin <= dirs.size();) {
        std::size_t end = dirs.find(':', begin);
        if (end == std::string::npos)
            end = dirs.size();
        const std::string dir = end > begin ? dirs.substr(begin, end - begin) : ".";
        const std::string candidate = dir + "/" + name;
        if (IsExecutableFile(candidate))
            return candidate;
        begin = end + 1;
    }
    return std::string();
}

void StartDetached(const std::vector<std::string>& argv)
{
    if (argv.empty())
        return;
    // The shell starts the program in the background and ends; the program is then a child of
    // init (or of the session's subreaper), not of the agent.
    std::vector<std::string> shell {"/bin/sh", "-c", "\"$@\" >/dev/null 2>&1 </dev/null &", "kdx-start"};
    shell.insert(shell.end(), argv.begin(), argv.end());
    SpawnSetup setup(true);
    setup.StdoutToNull();
    const pid_t pid = setup.Spawn(shell);
    if (pid > 0)
        WaitFor(pid, 0);
}

int StartChild(const std::vector<std::string>& argv)
{
    SpawnSetup setup(true);
    setup.StdoutToNull();
    return setup.Spawn(argv);
}

bool ChildRunsAfter(int pid, int waitMs)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(waitMs);
    do {
        if (WaitFor(pid, WNOHANG) != -2)
            return false;
        usleep(10000);
    } while (Clock::now() < deadline);
    return WaitFor(pid, WNOHANG) == -2;
}

void EndChild(int pid)
{
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    WaitFor(pid, 0);
}

int RunAndWait(const std::vector<std::string>& argv, int timeoutMs, std::string* output, std::size_t maxOutput)
{
    int pipeFds[2] = {-1, -1};
    if (output && pipe2(pipeFds, O_CLOEXEC) != 0)
        return -1;
    SpawnSetup setup(false);
    if (output)
        setup.StdoutTo(pipeFds[1]);
    else
        setup.StdoutToNull();
    const pid_t pid = setup.Spawn(argv);
    if (output)
        close(pipeFds[1]);
    if (pid <= 0) {
        if (output)
            close(pipeFds[0]);
        return -1;
    }

    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    const auto remaining = [&] {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        return left > 0 ? int(left) : 0;
    };
    if (output) {
        output->clear();
        for (;;) {
            pollfd p {pipeFds[0], POLLIN, 0};
            const int ready = poll(&p, 1, remaining());
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready <= 0)
                break;
            char buf[4096];
            const ssize_t n = read(pipeFds[0], buf, sizeof buf);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            output->append(buf, std::min(std::size_t(n), maxOutput - std::min(maxOutput, output->size())));
        }
        close(pipeFds[0]);
    }
    for (;;) {
        const int status = WaitFor(pid, WNOHANG);
        if (status != -2)
            return status;
        if (remaining() == 0) {
            kill(pid, SIGKILL);
            WaitFor(pid, 0);
            return -1;
        }
        usleep(5000);
    }
}

std::string ShellWord(const std::string& word)
{
    const bool plain = !word.empty()
        && word.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                  "0123456789/._-+:@")
            == std::string::npos;
    if (plain)
        return word;
    std::string quoted = "'";
    for (const char c : word)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

} // namespace kdx::platform::posix
