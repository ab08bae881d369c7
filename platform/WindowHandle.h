#pragma once
#include <cstdint>

namespace kdx::platform {

// A top-level window as the platform knows it (an HWND on Windows, an X window id on Linux);
// 0 stands for no window.
using WindowHandle = std::uintptr_t;

} // namespace kdx::platform
