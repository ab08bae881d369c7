#pragma once
#include "platform/TrayHosts.h"

#include <memory>

namespace kdx::platform::posix {

class X11EventListener;

// The XEmbed system trays of X11 (trayer, stalonetray, older panels): the owner of the
// selection _NET_SYSTEM_TRAY_S<screen>, announced to every client by a MANAGER message.
class XEmbedTray final : public ITrayHost {
public:
    XEmbedTray();
    ~XEmbedTray() override;
    bool Present() override;
    TrayActivation Activation() const override { return TrayActivation::DoubleClick; }
    void Watch(std::function<void()> changed) override;

private:
    // Asks for the current owner's end, so that its going is noticed too.
    void FollowOwner();

    std::function<void()> changed_;
    std::unique_ptr<X11EventListener> listener_;
};

} // namespace kdx::platform::posix
