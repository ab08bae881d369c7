#pragma once
#include "platform/Registry.h"

namespace kdx::platform::posix {

// The registry stand-in: one file per user ($XDG_CONFIG_HOME/kaleidra-agent/registry.ini),
// a section per key path, each value written as "name"="text" with escapes, so every byte of
// a string (quotes and blanks at its ends included) reads back as written.
class PosixRegistry final : public IRegistry {
public:
    std::unique_ptr<IRegKey> CreateKey(const std::string& path) override;
    std::unique_ptr<IRegKey> OpenKey(const std::string& path) override;

    static std::string StoreFile();
};

// The escaped forms used in the stand-in file; exposed for the tests.
std::string EscapeRegText(const std::string& text);
bool UnescapeRegText(const std::string& quoted, std::string& out);

} // namespace kdx::platform::posix
