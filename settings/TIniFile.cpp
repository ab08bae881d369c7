#include "TIniFile.h"

#include "Errors.h"
#include "platform/Platform.h"

namespace kdx {

namespace {

platform::IProfileFile& Profile() { return *platform::Current().profile; }

int DigitValue(char c, int base)
{
    int v = -1;
    if (c >= '0' && c <= '9')
        v = c - '0';
    else if (c >= 'a' && c <= 'f')
        v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        v = c - 'A' + 10;
    return v < base ? v : -1;
}

} // namespace

std::int32_t ParseIniInteger(const std::string& text, std::int32_t fallback)
{
    std::string s = text;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X'))
        s.replace(0, 2, "$");
    size_t pos = 0;
    while (pos < s.size() && s[pos] == ' ')
        ++pos;
    bool negative = false;
    if (pos < s.size() && (s[pos] == '+' || s[pos] == '-'))
        negative = s[pos++] == '-';
    int base = 10;
    if (pos < s.size() && s[pos] == '$') {
        base = 16;
        ++pos;
    } else if (pos + 1 < s.size() && s[pos] == '0' && (s[pos + 1] == 'x' || s[pos + 1] == 'X')) {
        base = 16;
        pos += 2;
    }
    if (pos >= s.size())
        return fallback;
    // Hexadecimal covers the whole 32-bit pattern (so $FFFFFFFF is -1); decimal must fit.
    const std::uint64_t limit = base == 16 ? 0xFFFFFFFFULL : (negative ? 0x80000000ULL : 0x7FFFFFFFULL);
    std::uint64_t value = 0;
    for (; pos < s.size(); ++pos) {
        const int d = DigitValue(s[pos], base);
        if (d < 0)
            return fallback;
        value = value * std::uint64_t(base) + std::uint64_t(d);
        if (value > limit)
            return fallback;
    }
    const auto bits = std::uint32_t(value);
    return negative ? std::int32_t(0U - bits) : std::int32_t(bits);
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key, const std::string& fallback) const
{
    return Profile().GetString(fileName_, section, key, fallback);
}

std::int32_t TIniFile::ReadInteger(const std::string& section, const std::string& key, std::int32_t fallback) const
{
    return ParseIniInteger(ReadString(section, key, ""), fallback);
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool fallback) const
{
    return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

TDateTime TIniFile::ReadDateTime(const std::string& section, const std::string& key, TDateTime fallback) const
{
    TDateTime value;
    return StrToDateTime(ReadString(section, key, ""), value) ? value : fallback;
}

std::string TIniFile::ReadSectionLines(const std::string& section) const
{
    return Profile().GetSection(fileName_, section);
}

void TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) const
{
    if (!Profile().WriteString(fileName_, section, key, value))
        Raise(texts::UnableToWrite, fileName_);
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, std::int32_t value) const
{
    WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& key, bool value) const
{
    WriteString(section, key, value ? "1" : "0");
}

void TIniFile::WriteDateTime(const std::string& section, const std::string& key, TDateTime value) const
{
    WriteString(section, key, DateTimeToStr(value));
}

void TIniFile::WriteBatch(const std::vector<platform::ProfileWrite>& writes) const
{
    if (!Profile().WriteBatch(fileName_, writes))
        Raise(texts::UnableToWrite, fileName_);
}

void TIniWrites::WriteString(const std::string& section, const std::string& key, const std::string& value)
{
    writes_.push_back({platform::ProfileWrite::Kind::Key, section, key, value, {}, {}});
}

void TIniWrites::WriteInteger(const std::string& section, const std::string& key, std::int32_t value)
{
    WriteString(section, key, std::to_string(value));
}

void TIniWrites::WriteBool(const std::string& section, const std::string& key, bool value)
{
    WriteString(section, key, value ? "1" : "0");
}

void TIniWrites::WriteDateTime(const std::string& section, const std::string& key, TDateTime value)
{
    WriteString(section, key, DateTimeToStr(value));
}

void TIniWrites::WriteList(const std::string& section, const std::vector<std::string>& list)
{
    using Kind = platform::ProfileWrite::Kind;
    writes_.push_back({list.empty() ? Kind::EraseSection : Kind::ReplaceSection, section, {}, {}, {}, list});
}

void TIniFile::UpdateFile() const { Profile().Flush(fileName_); }

std::string TIniFile::ReadProblem() const { return Profile().ReadProblem(fileName_); }

} // namespace kdx
