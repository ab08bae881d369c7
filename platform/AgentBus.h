#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace kdx::platform {

// What the agent tells the desktop's programs (a panel, a widget, a script) about itself.
struct AgentState {
    // The picture the agent last put on the desktop in this run; empty before its first.
    std::string currentWallpaper;
    // When the rotation changes the wallpaper next, in seconds since 1970-01-01 UTC; 0 when no
    // change is due in this run.
    std::int64_t nextChange = 0;
    // The sizes of the four lists.
    int savers = 0;
    int flashMovies = 0;
    int pictures = 0;
    int wallpapers = 0;
};

// The agent as a service of the desktop's message bus, for the programs of the user's session:
// commands without arguments, its state, and word of each wallpaper change. Nothing reached
// through it runs a program or opens a file that the caller names.
class IAgentBus {
public:
    struct Commands {
        std::function<void()> showWindow;
        std::function<void()> executeScreensaver;
        std::function<void()> nextWallpaper;
        std::function<void()> clearDesktop;
        // The lists' sizes are counted only WithLists: counting reads the settings file.
        std::function<AgentState(bool withLists)> state;
    };

    virtual ~IAgentBus() = default;
    // Offers the commands under the agent's name. False where there is no bus, or another agent
    // of the user owns the name already: this one then stays off the bus.
    virtual bool Publish(Commands commands) = 0;
    // The current wallpaper or the next change may have moved: listeners are told what did.
    virtual void StateChanged(const AgentState& state) = 0;
    // The agent has put Picture on the desktop.
    virtual void WallpaperChanged(const std::string& picture) = 0;
    // Gives the name up.
    virtual void Withdraw() = 0;
};

} // namespace kdx::platform
