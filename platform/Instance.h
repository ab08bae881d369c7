#pragma once
#include <functional>
#include <optional>
#include <string>

namespace kdx::platform {

// The name under which the running agent can be found.
inline constexpr const char* AgentName = "KaleidraAgent";

// The messages a starting program hands the running agent, wParam and lParam 0: "show yourself"
// (a second start), and the commands of the command-line switches below.
inline constexpr unsigned WM_AGENT_ACTIVATE = 0x1400; // WM_USER + 0x1000
inline constexpr unsigned WM_AGENT_EXECUTE = 0x1401; // Execute Screensaver
inline constexpr unsigned WM_AGENT_NEXT_WALLPAPER = 0x1402; // Next Wallpaper
inline constexpr unsigned WM_AGENT_CLEAR_DESKTOP = 0x1403; // Clear Desktop
inline constexpr unsigned WM_AGENT_STATUS = 0x1404; // answered with the agent's state, as text

// The switches ("KDX3 /show") that hand a message to the running agent and end: the commands of
// the tray and the hot keys for the desktop's panels, keys and scripts.
struct AgentVerb {
    const char* name; // the switch without its "/" or "-"
    unsigned message;
    const char* help; // one line for "KDX3 /?"
};
inline constexpr const char* ShowVerb = "show";
inline constexpr const char* ExecuteVerb = "saver";
inline constexpr AgentVerb AgentVerbs[] = {
    {ShowVerb, WM_AGENT_ACTIVATE, "show the running agent's window (the first hot key)"},
    {ExecuteVerb, WM_AGENT_EXECUTE, "start the screensaver now (the second hot key)"},
    {"nextwallpaper", WM_AGENT_NEXT_WALLPAPER, "change the wallpaper now (the tray's Next Wallpaper)"},
    {"cleardesktop", WM_AGENT_CLEAR_DESKTOP, "hide the desktop icons and minimise the windows (Clear Desktop)"},
    {"status", WM_AGENT_STATUS, "print the current wallpaper, the next change and the lists' sizes"},
};

// How a message handed to the running agent fared.
enum class HandOver {
    NoAgent, // nobody answers under the name
    NotTaken, // the agent did not take it: it does not know the message, or did not answer in time
    Taken,
};

// The single-instance rendezvous between a starting program and the one already running.
class IInstance {
public:
    virtual ~IInstance() = default;
    // What the agent answers a message: nothing when it does not know it, else its answer (empty
    // for a command that has nothing to tell).
    using Receiver = std::function<std::optional<std::string>(unsigned message)>;

    // FindWindowA(Name) and, when found, PostMessageA(message, 0, 0). True when a running agent
    // was found; whether it handled the message is not known.
    virtual bool PostToRunning(const std::string& name, unsigned message) = 0;
    // Hands Message to the agent under Name and waits, at most TimeoutMs, until it has taken it;
    // its answer goes to Answer.
    virtual HandOver SendToRunning(const std::string& name, unsigned message, std::string& answer, int timeoutMs) = 0;
    // Makes this process the one that PostToRunning finds under Name. Each message arriving later
    // is given to Receiver from the event loop. False when another live process holds the name.
    virtual bool Listen(const std::string& name, Receiver receiver) = 0;
    // Gives the name up; PostToRunning finds nobody afterwards.
    virtual void StopListening() = 0;
};

} // namespace kdx::platform
