#include "InputHooks.h"

#include "saver/SaverWindow.h"

#include <windows.h>

#include <bitset>
#include <cstdlib>

namespace kdx::saver::win32 {

namespace {

struct Watch {
    std::function<void()> input;
    std::bitset<256> held; // virtual keys down at the start and not released since
    POINT anchor {};
    HHOOK keyboard = nullptr;
    HHOOK mouse = nullptr;
};
Watch* watch = nullptr;

LRESULT CALLBACK KeyboardHook(int code, WPARAM message, LPARAM data)
{
    if (code == HC_ACTION && watch) {
        const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(data);
        const unsigned vk = key->vkCode & 0xFF;
        const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
        // A key held down repeats its press without a release: only a press after a release counts.
        if (!down)
            watch->held.reset(vk);
        else if (!watch->held.test(vk))
            watch->input();
    }
    return CallNextHookEx(nullptr, code, message, data);
}

LRESULT CALLBACK MouseHook(int code, WPARAM message, LPARAM data)
{
    if (code == HC_ACTION && watch) {
        const auto* mouse = reinterpret_cast<const MSLLHOOKSTRUCT*>(data);
        if (message == WM_MOUSEMOVE) {
            if (std::abs(mouse->pt.x - watch->anchor.x) > MouseJitterPixels
                || std::abs(mouse->pt.y - watch->anchor.y) > MouseJitterPixels)
                watch->input();
        } else {
            watch->input();
        }
    }
    return CallNextHookEx(nullptr, code, message, data);
}

} // namespace

InputHooks::InputHooks(std::function<void()> input)
{
    watch = new Watch;
    watch->input = std::move(input);
    for (int vk = 1; vk < 256; ++vk)
        if (GetAsyncKeyState(vk) & 0x8000)
            watch->held.set(std::size_t(vk));
    GetCursorPos(&watch->anchor);
    const HINSTANCE module = GetModuleHandleW(nullptr);
    watch->keyboard = SetWindowsHookExW(WH_KEYBOARD_LL, KeyboardHook, module, 0);
    watch->mouse = SetWindowsHookExW(WH_MOUSE_LL, MouseHook, module, 0);
}

InputHooks::~InputHooks()
{
    if (watch->keyboard)
        UnhookWindowsHookEx(watch->keyboard);
    if (watch->mouse)
        UnhookWindowsHookEx(watch->mouse);
    delete watch;
    watch = nullptr;
}

} // namespace kdx::saver::win32
