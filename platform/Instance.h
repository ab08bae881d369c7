#pragma once
#include <functional>
#include <string>

namespace kdx::platform {

// The name under which the running agent can be found, and the message that a second start
// hands it: "show yourself".
inline constexpr const char* AgentName = "KaleidraAgent";
inline constexpr unsigned WM_AGENT_ACTIVATE = 0x1400; // WM_USER + 0x1000

// The single-instance rendezvous between a starting program and the one already running.
class IInstance {
public:
    virtual ~IInstance() = default;
    using Receiver = std::function<void(unsigned message)>;

    // FindWindowA(Name) and, when found, PostMessageA(message, 0, 0). True when a running agent
    // was found; whether it handled the message is not known.
    virtual bool PostToRunning(const std::string& name, unsigned message) = 0;
    // Makes this process the one that PostToRunning finds under Name. Each message arriving later
    // is given to Receiver from the event loop. False when another live process holds the name.
    virtual bool Listen(const std::string& name, Receiver receiver) = 0;
    // Gives the name up; PostToRunning finds nobody afterwards.
    virtual void StopListening() = 0;
};

} // namespace kdx::platform
