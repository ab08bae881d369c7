#pragma once
#include <functional>

namespace kdx::platform {

// How a tray hands the user's click on the icon to its program.
enum class TrayActivation {
    DoubleClick, // the Windows notification area and XEmbed trays: a left double-click
    Click, // StatusNotifier hosts: one click, which the host sends as its Activate call
};

// One kind of tray that can hold the agent's icon: a probe that says whether such a tray runs
// in this session now, and what opening the icon means there.
class ITrayHost {
public:
    virtual ~ITrayHost() = default;
    virtual bool Present() = 0;
    virtual TrayActivation Activation() const = 0;
    // Changed runs on the event loop's thread whenever such a tray appears or goes (an empty
    // function stops the calls).
    virtual void Watch(std::function<void()> changed) = 0;
};

// The session's kinds of tray, in the order the toolkit picks among them.
class ITrayHosts {
public:
    virtual ~ITrayHosts() = default;
    // The first kind present now; null when the session has no tray at all.
    virtual ITrayHost* Find() = 0;
    // As ITrayHost::Watch, for every kind.
    virtual void Watch(std::function<void()> changed) = 0;
};

} // namespace kdx::platform
