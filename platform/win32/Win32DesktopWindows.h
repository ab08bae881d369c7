#pragma once
#include "platform/DesktopWindows.h"

namespace kdx::platform::win32 {

// The window functions on other programs' top-level windows.
class Win32DesktopWindows final : public IDesktopWindows {
public:
    WindowHandle FindDesktopIconsWindow() override;
    void ShowWindow(WindowHandle window, bool show) override;
    WindowHandle NextWindow(WindowHandle window) override;
    bool IsWindowVisible(WindowHandle window) override;
    void Minimize(WindowHandle window) override;
};

} // namespace kdx::platform::win32
