#pragma once
#include "platform/HotKeys.h"

#include <map>

namespace kdx::platform::win32 {

// RegisterHotKey on the owner's window. WM_HOTKEY arrives at that window's procedure, which
// belongs to whoever made the window (the user-interface toolkit): a subclass procedure on the
// window takes the message to the handler before the window's own procedure sees it.
class Win32HotKeys final : public IHotKeys {
public:
    ~Win32HotKeys() override;

    bool RegisterHotKey(WindowHandle window, int id, unsigned modifiers, unsigned virtualKey) override;
    bool UnregisterHotKey(WindowHandle window, int id) override;
    void SetHandler(WindowHandle window, Handler handler) override;

private:
    std::map<WindowHandle, Handler> handlers_;
};

} // namespace kdx::platform::win32
