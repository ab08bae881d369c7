#include "Win32HotKeys.h"

#include <windows.h>

#include <commctrl.h>

namespace kdx::platform::win32 {

namespace {

constexpr UINT_PTR SubclassId = 0x4B44; // ours among the subclasses of a window

LRESULT CALLBACK HotKeyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data)
{
    if (message == WM_HOTKEY) {
        const auto& handler = *reinterpret_cast<const IHotKeys::Handler*>(data);
        handler(int(wParam));
        return 0;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

HWND Hwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }

} // namespace

Win32HotKeys::~Win32HotKeys()
{
    for (const auto& [window, handler] : handlers_)
        RemoveWindowSubclass(Hwnd(window), HotKeyProc, SubclassId);
}

bool Win32HotKeys::RegisterHotKey(WindowHandle window, int id, unsigned modifiers, unsigned virtualKey)
{
    return ::RegisterHotKey(Hwnd(window), id, modifiers, virtualKey) != FALSE;
}

bool Win32HotKeys::UnregisterHotKey(WindowHandle window, int id)
{
    return ::UnregisterHotKey(Hwnd(window), id) != FALSE;
}

void Win32HotKeys::SetHandler(WindowHandle window, Handler handler)
{
    RemoveWindowSubclass(Hwnd(window), HotKeyProc, SubclassId);
    if (!handler) {
        handlers_.erase(window);
        return;
    }
    // The map keeps the handler at one address for as long as the subclass refers to it.
    Handler& kept = handlers_[window] = std::move(handler);
    SetWindowSubclass(Hwnd(window), HotKeyProc, SubclassId, reinterpret_cast<DWORD_PTR>(&kept));
}

} // namespace kdx::platform::win32
