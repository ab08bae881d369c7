#include "IniText.h"
#include "platform/AsciiCase.h"

#include <algorithm>

namespace kdx::platform::posix {

bool IsIniBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == 0x1a;
}

std::string_view TrimIni(std::string_view s)
{
    while (!s.empty() && IsIniBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsIniBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

namespace {

// The UTF-8 byte-order mark that Windows Notepad puts at the start of a file it saves.
constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

} // namespace

IniText::IniText(std::string bytes) : bytes_(std::move(bytes)) { Parse(); }

void IniText::Parse()
{
    lines_.clear();
    const std::string_view all(bytes_);
    size_t pos = all.substr(0, ByteOrderMark.size()) == ByteOrderMark ? ByteOrderMark.size() : 0;
    start_ = pos;
    while (pos < all.size()) {
        Line line;
        line.begin = pos;
        // A line ends at a carriage return, a line feed or the pair of them, as Windows reads it.
        line.end = std::min(all.find_first_of("\r\n", pos), all.size());
        line.next = line.end;
        if (line.next < all.size())
            line.next += all.compare(line.end, 2, "\r\n") == 0 ? 2 : 1;
        const std::string_view text = TrimIni(all.substr(pos, line.end - pos));
        if (!text.empty()) {
            const size_t close = text.rfind(']');
            if (text.front() == '[' && close != std::string_view::npos) {
                line.kind = Kind::Section;
                line.name = TrimIni(text.substr(1, close - 1));
            } else {
                line.kind = Kind::Key;
                const size_t eq = text.find('=');
                line.name = TrimIni(text.substr(0, eq));
                if (eq != std::string_view::npos)
                    line.value = TrimIni(text.substr(eq + 1));
            }
        }
        lines_.push_back(line);
        pos = line.next;
    }
}

std::optional<IniText::Span> IniText::FindSection(std::string_view section) const
{
    section = TrimIni(section);
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].kind != Kind::Section || !EqualAscii(lines_[i].name, section))
            continue;
        Span span {i, i + 1, i + 1};
        while (span.last < lines_.size() && lines_[span.last].kind != Kind::Section)
            ++span.last;
        return span;
    }
    return std::nullopt;
}

std::optional<size_t> IniText::FindKey(const Span& span, std::string_view key) const
{
    key = TrimIni(key);
    for (size_t i = span.first; i < span.last; ++i)
        if (lines_[i].kind == Kind::Key && EqualAscii(lines_[i].name, key))
            return i;
    return std::nullopt;
}

std::optional<std::string> IniText::Value(std::string_view section, std::string_view key) const
{
    const auto span = FindSection(section);
    if (!span)
        return std::nullopt;
    const auto at = FindKey(*span, key);
    if (!at || !lines_[*at].value)
        return std::nullopt;
    return std::string(*lines_[*at].value);
}

bool IniText::HasSection(std::string_view section) const { return FindSection(section).has_value(); }

std::string IniText::Eol() const
{
    const size_t at = bytes_.find_first_of("\r\n", start_);
    if (at == std::string::npos || bytes_.compare(at, 2, "\r\n") == 0)
        return "\r\n";
    return std::string(1, bytes_[at]);
}

bool IniText::EndsOpen() const { return bytes_.size() > start_ && bytes_.back() != '\n' && bytes_.back() != '\r'; }

void IniText::Replace(size_t from, size_t to, const std::string& text)
{
    bytes_.replace(from, to - from, text);
    Parse();
}

bool IniText::Set(std::string_view section, std::string_view key, std::string_view value)
{
    key = TrimIni(key);
    while (!value.empty() && IsIniBlank(value.front()))
        value.remove_prefix(1);
    const std::string eol = Eol();
    const auto span = FindSection(section);
    if (!span) {
        std::string add = EndsOpen() ? eol : std::string();
        add += "[" + std::string(TrimIni(section)) + "]" + eol;
        add += std::string(key) + "=" + std::string(value) + eol;
        Replace(bytes_.size(), bytes_.size(), add);
        return true;
    }
    if (const auto at = FindKey(*span, key)) {
        const Line& line = lines_[*at];
        if (line.value && *line.value == value)
            return false;
        Replace(line.begin, line.end, std::string(line.name) + "=" + std::string(value));
        return true;
    }
    // After the last line of the section that is not blank, so blank separators stay put.
    size_t after = span->header;
    for (size_t i = span->first; i < span->last; ++i)
        if (lines_[i].kind != Kind::Blank)
            after = i;
    std::string add = std::string(key) + "=" + std::string(value) + eol;
    size_t at = lines_[after].next;
    if (at == bytes_.size() && EndsOpen())
        add = eol + add;
    Replace(at, at, add);
    return true;
}

bool IniText::AddSection(std::string_view section)
{
    if (FindSection(section))
        return false;
    const std::string eol = Eol();
    std::string add = EndsOpen() ? eol : std::string();
    add += "[" + std::string(TrimIni(section)) + "]" + eol;
    Replace(bytes_.size(), bytes_.size(), add);
    return true;
}

bool IniText::EraseSection(std::string_view section)
{
    const auto span = FindSection(section);
    if (!span)
        return false;
    const size_t from = lines_[span->header].begin;
    const size_t to = span->last < lines_.size() ? lines_[span->last].begin : bytes_.size();
    Replace(from, to, {});
    return true;
}

bool IniText::ReplaceSection(std::string_view section, const std::vector<std::string>& lines)
{
    const std::string eol = Eol();
    std::string body;
    for (const std::string& line : lines)
        body += line + eol;
    const bool emptied = EmptyLaterSections(section);
    const auto span = FindSection(section);
    if (!span) {
        std::string add = EndsOpen() ? eol : std::string();
        add += "[" + std::string(TrimIni(section)) + "]" + eol + body;
        Replace(bytes_.size(), bytes_.size(), add);
        return true;
    }
    size_t end = span->header;
    for (size_t i = span->first; i < span->last; ++i)
        if (lines_[i].kind != Kind::Blank)
            end = i;
    size_t from = lines_[span->header].next;
    const size_t to = lines_[end].next;
    if (from == bytes_.size() && EndsOpen())
        body = eol + body;
    if (bytes_.compare(from, to - from, body) == 0)
        return emptied;
    Replace(from, to, body);
    return true;
}

bool IniText::EmptyLaterSections(std::string_view section)
{
    const auto first = FindSection(section);
    if (!first)
        return false;
    bool emptied = false;
    for (size_t i = first->last; i < lines_.size(); ++i) {
        if (lines_[i].kind != Kind::Section || !EqualAscii(lines_[i].name, TrimIni(section)))
            continue;
        size_t end = i + 1;
        while (end < lines_.size() && lines_[end].kind != Kind::Section)
            ++end;
        const size_t from = lines_[i].next;
        const size_t to = end < lines_.size() ? lines_[end].begin : bytes_.size();
        if (from < to) {
            Replace(from, to, {}); // the lines before the header and the header keep their places
            emptied = true;
        }
    }
    return emptied;
}

bool IniText::EraseKey(std::string_view section, std::string_view key)
{
    const auto span = FindSection(section);
    if (!span)
        return false;
    const auto at = FindKey(*span, key);
    if (!at)
        return false;
    Replace(lines_[*at].begin, lines_[*at].next, {});
    return true;
}

} // namespace kdx::platform::posix
