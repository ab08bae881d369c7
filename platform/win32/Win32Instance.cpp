#include "Win32Instance.h"

namespace kdx::platform::win32 {

namespace {

// Messages a program defines for itself; system messages keep their default handling.
bool IsOwnMessage(UINT message) { return message >= WM_USER && message < 0xC000; }

} // namespace

Win32Instance::~Win32Instance() { StopListening(); }

bool Win32Instance::PostToRunning(const std::string& name, unsigned message)
{
    const HWND running = FindWindowA(name.c_str(), nullptr);
    if (!running)
        return false;
    PostMessageA(running, message, 0, 0);
    return true;
}

bool Win32Instance::Listen(const std::string& name, Receiver receiver)
{
    StopListening();
    if (FindWindowA(name.c_str(), nullptr))
        return false;
    WNDCLASSA windowClass {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = name.c_str();
    if (!RegisterClassA(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return false;
    className_ = name;
    receiver_ = std::move(receiver);
    window_ = CreateWindowExA(
        0, name.c_str(), name.c_str(), WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (!window_)
        return false;
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return true;
}

void Win32Instance::StopListening()
{
    if (window_)
        DestroyWindow(window_);
    window_ = nullptr;
    if (!className_.empty())
        UnregisterClassA(className_.c_str(), GetModuleHandleA(nullptr));
    className_.clear();
    receiver_ = nullptr;
}

LRESULT CALLBACK Win32Instance::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<Win32Instance*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && self->receiver_ && IsOwnMessage(message)) {
        self->receiver_(message);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace kdx::platform::win32
