#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace kdx::platform::posix {

// The full name of an executable program: Name itself when it holds a "/", otherwise the
// first match on PATH. Empty when there is none.
std::string FindProgram(const std::string& name);

// Word as one word of a POSIX shell's command line (and of GLib's, sway's and Hyprland's, which
// split theirs the same way): as it is when it holds only characters no shell treats specially,
// else in single quotes.
std::string ShellWord(const std::string& word);

// Starts Argv (Argv[0] a full program name) detached from the agent: through a shell that
// puts it in the background and ends at once, so the program is nobody's child to wait for,
// in a session of its own, with standard input and output on /dev/null and none of the
// agent's other files open. The outcome is not reported.
void StartDetached(const std::vector<std::string>& argv);

// Starts Argv as the agent's own child, in a session of its own with standard input and output
// on /dev/null, for a program that must run on (a background drawer). Its process id, or -1.
int StartChild(const std::vector<std::string>& argv);
// Whether the child Pid still runs WaitMs milliseconds from now; one that ended is reaped.
bool ChildRunsAfter(int pid, int waitMs);
// Ends the child Pid (SIGTERM) and reaps it.
void EndChild(int pid);

// Runs Argv and waits for it to end, at most TimeoutMs milliseconds, after which it is killed.
// Its standard output, up to MaxOutput bytes, goes to Output when given; standard input and
// error are /dev/null. The exit status, or -1 when it could not start or did not end in time.
int RunAndWait(
    const std::vector<std::string>& argv, int timeoutMs, std::string* output = nullptr, std::size_t maxOutput = 65536);

} // namespace kdx::platform::posix
