#pragma once
#include "platform/HotKeys.h"
#include "platform/posix/session/DesktopSession.h"

#include <functional>
#include <string>
#include <vector>

namespace kdx::platform::posix {

// The last way of hot keys, for a desktop that binds no keys for programs (sway, Hyprland and
// other compositors): nothing is registered, and the preference dialog shows the lines of the
// desktop's own configuration that bind the keys to the agent's switches ("KDX3 /show"), which
// reach the running agent through the hand-over.
class ConfigLineHotKeys final : public IHotKeys {
public:
    // ProgramFile gives the agent's program, for the lines' commands.
    explicit ConfigLineHotKeys(std::function<std::string()> programFile) : programFile_(std::move(programFile)) { }

    bool RegisterHotKey(WindowHandle, int, unsigned, unsigned) override { return false; }
    bool UnregisterHotKey(WindowHandle, int) override { return false; }
    void SetHandler(WindowHandle, Handler) override { }
    bool GlobalKeysAvailable() override { return false; }
    HotKeyWay Way() override { return HotKeyWay::ConfigLines; }
    HotKeyLines ConfigurationLines(const std::vector<HotKeyBinding>& keys) override;

private:
    std::function<std::string()> programFile_;
};

// The lines for Session's desktop: sway's bindsym, Hyprland's bind, else the commands with their
// keys for the desktop's keyboard settings. A key without a name here is left out.
HotKeyLines HotKeyLinesFor(
    const DesktopSession& session, const std::string& programFile, const std::vector<HotKeyBinding>& keys);

} // namespace kdx::platform::posix
