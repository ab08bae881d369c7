#include "PosixRegistry.h"

#include "platform/AsciiCase.h"
#include "platform/posix/files/FileText.h"
#include "platform/posix/files/IniText.h"
#include "platform/posix/files/Paths.h"

#include <cctype>
#include <cstdio>

namespace kdx::platform::posix {

namespace {

bool IsHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

int HexValue(char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; }

bool IsStandardKey(const std::string& path) { return EqualAscii(path, "Control Panel\\Desktop"); }

// Reads the store; false when it exists but cannot be read, so nothing overwrites it.
bool LoadStore(std::string& bytes) { return ReadTextFile(PosixRegistry::StoreFile(), bytes) != ReadResult::Unreadable; }

template <typename EditFn> bool EditStore(EditFn edit)
{
    const std::string file = PosixRegistry::StoreFile();
    std::string bytes;
    const size_t slash = file.rfind('/');
    if (!LoadStore(bytes) || !MakeFolders(file.substr(0, slash)))
        return false;
    IniText text(std::move(bytes));
    return !edit(text) || ReplaceFile(file, text.Bytes());
}

class PosixRegKey final : public IRegKey {
public:
    explicit PosixRegKey(std::string path) : path_(std::move(path)) { }

    RegString QueryString(const std::string& name) override
    {
        std::string bytes;
        if (!LoadStore(bytes))
            return {RegRead::Failed, {}};
        const auto raw = IniText(std::move(bytes)).Value(path_, EscapeRegText(name));
        if (!raw)
            return {RegRead::Absent, {}};
        if (raw->empty() || raw->front() != '"')
            return {RegRead::WrongType, {}};
        RegString result {RegRead::Ok, {}};
        if (!UnescapeRegText(*raw, result.value))
            return {RegRead::Failed, {}};
        return result;
    }

    bool SetString(const std::string& name, const std::string& value) override
    {
        return EditStore([&](IniText& t) { return t.Set(path_, EscapeRegText(name), EscapeRegText(value)); });
    }

    bool ValueExists(const std::string& name) override
    {
        std::string bytes;
        return LoadStore(bytes) && IniText(std::move(bytes)).Value(path_, EscapeRegText(name)).has_value();
    }

    bool DeleteValue(const std::string& name) override
    {
        bool existed = false;
        const bool stored = EditStore([&](IniText& t) { return existed = t.EraseKey(path_, EscapeRegText(name)); });
        return stored && existed;
    }

private:
    std::string path_;
};

} // namespace

std::string EscapeRegText(const std::string& text)
{
    std::string out = "\"";
    for (const unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20 || c == 0x7f || c == '=' || c == '[' || c == ']') {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

bool UnescapeRegText(const std::string& quoted, std::string& out)
{
    out.clear();
    if (quoted.size() < 2 || quoted.front() != '"' || quoted.back() != '"')
        return false;
    for (size_t i = 1; i + 1 < quoted.size(); ++i) {
        const char c = quoted[i];
        if (c == '"')
            return false;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (i + 2 >= quoted.size())
            return false;
        const char e = quoted[++i];
        if (e == '"' || e == '\\') {
            out += e;
        } else if (e == 'x' && i + 3 < quoted.size() && IsHex(quoted[i + 1]) && IsHex(quoted[i + 2])) {
            out += char(HexValue(quoted[i + 1]) * 16 + HexValue(quoted[i + 2]));
            i += 2;
        } else {
            return false;
        }
    }
    return true;
}

std::string PosixRegistry::StoreFile() { return ConfigHome() + "/kaleidra-agent/registry.ini"; }

std::unique_ptr<IRegKey> PosixRegistry::CreateKey(const std::string& path)
{
    if (!EditStore([&](IniText& t) { return t.AddSection(path); }))
        return nullptr;
    return std::make_unique<PosixRegKey>(path);
}

std::unique_ptr<IRegKey> PosixRegistry::OpenKey(const std::string& path)
{
    std::string bytes;
    if (!LoadStore(bytes))
        return nullptr;
    if (!IniText(std::move(bytes)).HasSection(path)) {
        // Every Windows user has the desktop key; the stand-in makes it when first opened, so
        // that what opens it without creating it (the wallpaper) finds it as on Windows.
        if (!IsStandardKey(path) || !EditStore([&](IniText& t) { return t.AddSection(path); }))
            return nullptr;
    }
    return std::make_unique<PosixRegKey>(path);
}

} // namespace kdx::platform::posix
