#pragma once
// The command script that the differential test hands to the Windows helper, and the results
// it gets back: one line per operation, every text field hex-encoded so that any byte passes.
#include <cstdio>
#include <string>
#include <vector>

namespace kdx::test::profile {

// Replace holds the new "key=value" lines of the section in Value, each ended by a zero byte;
// a section read gives its lines the same way.
enum class Op : char { Read = 'R', Write = 'W', Erase = 'E', Replace = 'S', Section = 'G' };

struct Command {
    Op op = Op::Read;
    std::string file, section, key, value; // Value is the default of a read
};

inline std::string ToHex(const std::string& text)
{
    static const char digits[] = "0123456789abcdef";
    std::string out = "x"; // never empty, so a field is never lost between tabs
    for (const unsigned char c : text) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

inline bool FromHex(const std::string& hex, std::string& out)
{
    auto value = [](char c) { return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1; };
    out.clear();
    if (hex.empty() || hex[0] != 'x' || hex.size() % 2 == 0)
        return false;
    for (size_t i = 1; i + 1 < hex.size(); i += 2) {
        const int hi = value(hex[i]), lo = value(hex[i + 1]);
        if (hi < 0 || lo < 0)
            return false;
        out += char(hi * 16 + lo);
    }
    return true;
}

inline std::vector<std::string> SplitTabs(const std::string& line)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
        fields.push_back(line.substr(start, tab - start));
    fields.push_back(line.substr(start));
    return fields;
}

inline std::string FormatCommand(const Command& c)
{
    return std::string(1, char(c.op)) + "\t" + ToHex(c.file) + "\t" + ToHex(c.section) + "\t" + ToHex(c.key) + "\t"
        + ToHex(c.value);
}

inline bool ParseCommand(const std::string& line, Command& c)
{
    const auto f = SplitTabs(line);
    if (f.size() != 5 || f[0].size() != 1 || !FromHex(f[1], c.file) || !FromHex(f[2], c.section)
        || !FromHex(f[3], c.key) || !FromHex(f[4], c.value))
        return false;
    c.op = Op(f[0][0]);
    return c.op == Op::Read || c.op == Op::Write || c.op == Op::Erase || c.op == Op::Replace || c.op == Op::Section;
}

} // namespace kdx::test::profile
