#pragma once
#include "platform/AsciiCase.h"
#include "platform/HotKeys.h"

#include <string>

namespace kdx {

namespace texts {
// What a hot-key box shows before its letter: 13 characters ending in a blank.
inline constexpr const char* HotKeyPrefix = "Ctrl + Alt + ";
// The two keys' commands as a desktop that lists keys shows them.
inline constexpr const char* ActivateHotKeyTitle = "Show the window";
inline constexpr const char* ExecuteHotKeyTitle = "Execute Screensaver";
} // namespace texts

// RegisterHotKey's modifiers of both keys: always Ctrl + Alt (3).
inline constexpr unsigned HotKeyModifiers = platform::ModControl | platform::ModAlt;

// The virtual-key code of a hot key's text: the code of its first character, 0 for no text.
// A lower-case letter counts as its capital, since the code of "a" (0x61) is the numeric
// keypad's 1, not the key the letter stands for.
inline unsigned HotKeyVirtualKey(const std::string& keyText)
{
    return keyText.empty() ? 0u : static_cast<unsigned char>(UpperAscii(keyText[0]));
}

} // namespace kdx
