#pragma once
#include "platform/posix/dbus/StatusNotifierHost.h"
#include "platform/posix/x11/XEmbedTray.h"

namespace kdx::platform::posix {

// StatusNotifier hosts before XEmbed trays, the toolkit's own order: where both run, the icon
// goes to the StatusNotifier host.
class PosixTrayHosts final : public ITrayHosts {
public:
    ITrayHost* Find() override;
    void Watch(std::function<void()> changed) override;

private:
    StatusNotifierHost statusNotifier_;
    XEmbedTray xembed_;
};

} // namespace kdx::platform::posix
