#include "Win32Registry.h"

#include "RegHandle.h"

#include <vector>

namespace kdx::platform::win32 {

namespace {

// Reads and writes the key; enough for everything the agent does with an open key.
constexpr REGSAM Access = KEY_READ | KEY_WRITE;

class Win32RegKey final : public IRegKey {
public:
    explicit Win32RegKey(HKEY key) : key_(key) { }

    RegString QueryString(const std::string& name) override { return QueryRegString(key_.get(), name.c_str()); }

    bool SetString(const std::string& name, const std::string& value) override
    {
        // REG_SZ holds the text with its terminating zero.
        return RegSetValueExA(key_.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   DWORD(value.size() + 1))
            == ERROR_SUCCESS;
    }

    bool ValueExists(const std::string& name) override
    {
        return RegQueryValueExA(key_.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    }

    bool DeleteValue(const std::string& name) override
    {
        return RegDeleteValueA(key_.get(), name.c_str()) == ERROR_SUCCESS;
    }

private:
    RegHandle key_;
};

} // namespace

RegString QueryRegString(HKEY key, const char* name)
{
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD type = 0;
        DWORD size = 0;
        LONG rc = RegQueryValueExA(key, name, nullptr, &type, nullptr, &size);
        if (rc == ERROR_FILE_NOT_FOUND)
            return {RegRead::Absent, {}};
        if (rc != ERROR_SUCCESS)
            return {RegRead::Failed, {}};
        if (type != REG_SZ && type != REG_EXPAND_SZ)
            return {RegRead::WrongType, {}};
        std::vector<char> data(size + 1, '\0');
        rc = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
        if (rc == ERROR_MORE_DATA)
            continue;
        if (rc != ERROR_SUCCESS)
            return {RegRead::Failed, {}};
        // The text ends at its terminating zero, or with the data when that is missing.
        return {RegRead::Ok, std::string(data.data())};
    }
    return {RegRead::Failed, {}};
}

std::unique_ptr<IRegKey> Win32Registry::CreateKey(const std::string& path)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(
            HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, Access, nullptr, &key, nullptr)
        != ERROR_SUCCESS)
        return nullptr;
    return std::make_unique<Win32RegKey>(key);
}

std::unique_ptr<IRegKey> Win32Registry::OpenKey(const std::string& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, Access, &key) != ERROR_SUCCESS)
        return nullptr;
    return std::make_unique<Win32RegKey>(key);
}

} // namespace kdx::platform::win32
