#pragma once
#include <memory>
#include <string>

namespace kdx::platform {

enum class RegRead { Ok, Absent, WrongType, Failed };

struct RegString {
    RegRead status = RegRead::Absent;
    std::string value;
};

// One open key; closed when the object goes away.
class IRegKey {
public:
    virtual ~IRegKey() = default;
    virtual RegString QueryString(const std::string& name) = 0;
    virtual bool SetString(const std::string& name, const std::string& value) = 0;
    virtual bool ValueExists(const std::string& name) = 0;
    virtual bool DeleteValue(const std::string& name) = 0;
};

// The registry under HKEY_CURRENT_USER. Key paths use "\" as on Windows.
class IRegistry {
public:
    virtual ~IRegistry() = default;
    // RegCreateKeyEx with full access: the key is created when missing. Null on failure.
    virtual std::unique_ptr<IRegKey> CreateKey(const std::string& path) = 0;
    // RegOpenKeyEx: null when the key is missing or cannot be opened.
    virtual std::unique_ptr<IRegKey> OpenKey(const std::string& path) = 0;
};

} // namespace kdx::platform
