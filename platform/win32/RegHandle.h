#pragma once
#include "platform/Registry.h"

#include <windows.h>

namespace kdx::platform::win32 {

// An open registry key, closed when the holder goes away.
class RegHandle {
public:
    RegHandle() = default;
    explicit RegHandle(HKEY key) : key_(key) { }
    ~RegHandle()
    {
        if (key_)
            RegCloseKey(key_);
    }
    RegHandle(const RegHandle&) = delete;
    RegHandle& operator=(const RegHandle&) = delete;

    HKEY get() const { return key_; }
    explicit operator bool() const { return key_ != nullptr; }

private:
    HKEY key_ = nullptr;
};

// A string value of an open key (Name null: the key's default value). A value that grows between
// asking its size and reading it is asked for again.
RegString QueryRegString(HKEY key, const char* name);

} // namespace kdx::platform::win32
