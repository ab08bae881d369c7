#pragma once
#include "platform/Registry.h"

namespace kdx::platform::win32 {

// HKEY_CURRENT_USER through the registry functions; each key object holds one open handle.
class Win32Registry final : public IRegistry {
public:
    std::unique_ptr<IRegKey> CreateKey(const std::string& path) override;
    std::unique_ptr<IRegKey> OpenKey(const std::string& path) override;
};

} // namespace kdx::platform::win32
