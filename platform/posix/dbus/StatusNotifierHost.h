#pragma once
#include "platform/TrayHosts.h"

namespace kdx::platform::posix {

// The StatusNotifier trays (KDE Plasma, xfce4-panel's status tray, GNOME's AppIndicator
// extension): a watcher service on the session bus with at least one host registered there.
class StatusNotifierHost final : public ITrayHost {
public:
    bool Present() override;
    TrayActivation Activation() const override { return TrayActivation::Click; }
    void Watch(std::function<void()> changed) override;

private:
    std::function<void()> changed_;
    bool watching_ = false;
};

} // namespace kdx::platform::posix
