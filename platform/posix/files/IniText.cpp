#include "IniText.h"
#include "platform/AsciiCase.h"

#include <algorithm>
#include <cstring>

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

// A section's header line, its line end included.
std::string Header(std::string_view section, const std::string& eol)
{
    std::string line = "[";
    line += TrimIni(section);
    line += ']';
    line += eol;
    return line;
}

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
    lines_.reserve(size_t(std::count(all.begin(), all.end(), '\n')) + 1);
    while (pos < all.size()) {
        lines_.push_back(ParseLine(pos));
        pos = lines_.back().next;
    }
}

IniText::Line IniText::ParseLine(size_t pos) const
{
    const std::string_view all(bytes_);
    Line line;
    line.begin = line.nameAt = line.valueAt = std::uint32_t(pos); // so every offset moves in range
    // A line ends at a carriage return, a line feed or the pair of them, as Windows reads it.
    const char* at = all.data() + pos;
    const size_t rest = all.size() - pos;
    const auto* lf = static_cast<const char*>(std::memchr(at, '\n', rest));
    const size_t upTo = lf ? size_t(lf - at) : rest;
    const auto* cr = static_cast<const char*>(std::memchr(at, '\r', upTo));
    const size_t end = pos + (cr ? size_t(cr - at) : upTo);
    size_t next = end;
    if (next < all.size())
        next += all.compare(end, 2, "\r\n") == 0 ? 2 : 1;
    line.end = std::uint32_t(end);
    line.next = std::uint32_t(next);
    const auto offset = [&all](std::string_view part) { return std::uint32_t(part.data() - all.data()); };
    const std::string_view text = TrimIni(all.substr(pos, end - pos));
    if (text.empty())
        return line;
    const size_t close = text.rfind(']');
    std::string_view name;
    if (text.front() == '[' && close != std::string_view::npos) {
        line.kind = Kind::Section;
        name = TrimIni(text.substr(1, close - 1));
    } else {
        line.kind = Kind::Key;
        const size_t eq = text.find('=');
        name = TrimIni(text.substr(0, eq));
        if (eq != std::string_view::npos) {
            const std::string_view value = TrimIni(text.substr(eq + 1));
            line.hasValue = true;
            line.valueAt = offset(value.empty() ? text.substr(eq + 1) : value);
            line.valueSize = std::uint32_t(value.size());
        }
    }
    if (!name.empty())
        line.nameAt = offset(name);
    line.nameSize = std::uint32_t(name.size());
    return line;
}

std::optional<std::string_view> IniText::ValueOf(const Line& line) const
{
    if (!line.hasValue)
        return std::nullopt;
    return std::string_view(bytes_).substr(line.valueAt, line.valueSize);
}

std::optional<IniText::Span> IniText::FindSection(std::string_view section) const
{
    section = TrimIni(section);
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].kind != Kind::Section || !EqualAscii(Name(lines_[i]), section))
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
        if (lines_[i].kind == Kind::Key && EqualAscii(Name(lines_[i]), key))
            return i;
    return std::nullopt;
}

std::optional<std::string> IniText::Value(std::string_view section, std::string_view key) const
{
    const auto span = FindSection(section);
    if (!span)
        return std::nullopt;
    const auto at = FindKey(*span, key);
    if (!at || !lines_[*at].hasValue)
        return std::nullopt;
    return std::string(*ValueOf(lines_[*at]));
}

bool IniText::HasSection(std::string_view section) const { return FindSection(section).has_value(); }

std::string IniText::SectionLines(std::string_view section) const
{
    std::string out;
    const auto span = FindSection(section);
    if (!span)
        return out;
    if (span->first < span->last)
        out.reserve(lines_[span->last - 1].next - lines_[span->first].begin);
    for (size_t i = span->first; i < span->last; ++i) {
        const Line& line = lines_[i];
        const std::string_view name = Name(line);
        if (line.kind != Kind::Key || (!name.empty() && name.front() == ';'))
            continue;
        out += name;
        if (const auto value = ValueOf(line)) {
            out += '=';
            out += *value;
        }
        out += '\0';
    }
    return out;
}

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
    const auto delta = std::uint32_t(text.size() - (to - from)); // wraps for a shrink, as intended
    // Only the lines from the one before From change: an edit can join the line end before it
    // (a lone CR before a new LF). From an old line that begins at or after To and is met
    // again at its shifted place, the old lines hold, moved by Delta.
    auto first = size_t(std::upper_bound(lines_.begin(), lines_.end(), from, [](size_t at, const Line& line) {
        return at < line.begin;
    }) - lines_.begin());
    first = first > 1 ? first - 2 : 0;
    size_t pos = first < lines_.size() ? lines_[first].begin : start_;
    size_t keep = first;
    std::vector<Line> fresh;
    fresh.reserve(size_t(std::count(text.begin(), text.end(), '\n')) + 2);
    while (pos < bytes_.size()) {
        while (keep < lines_.size() && (lines_[keep].begin < to || std::uint32_t(lines_[keep].begin + delta) < pos))
            ++keep;
        if (keep < lines_.size() && std::uint32_t(lines_[keep].begin + delta) == pos)
            break;
        fresh.push_back(ParseLine(pos));
        pos = fresh.back().next;
    }
    if (pos >= bytes_.size())
        keep = lines_.size();
    for (size_t i = keep; i < lines_.size(); ++i) {
        Line& line = lines_[i];
        line.begin += delta;
        line.end += delta;
        line.next += delta;
        line.nameAt += delta;
        line.valueAt += delta;
    }
    lines_.erase(lines_.begin() + std::ptrdiff_t(first), lines_.begin() + std::ptrdiff_t(keep));
    lines_.insert(lines_.begin() + std::ptrdiff_t(first), fresh.begin(), fresh.end());
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
        add += Header(section, eol);
        add += std::string(key) + "=" + std::string(value) + eol;
        Replace(bytes_.size(), bytes_.size(), add);
        return true;
    }
    if (const auto at = FindKey(*span, key)) {
        const Line& line = lines_[*at];
        if (ValueOf(line) == value)
            return false;
        Replace(line.begin, line.end, std::string(Name(line)) + "=" + std::string(value));
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
    add += Header(section, eol);
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
    return ReplaceSectionBody(section, std::move(body));
}

bool IniText::ReplaceSectionBody(std::string_view section, std::string body)
{
    const std::string eol = Eol();
    const bool emptied = EmptyLaterSections(section);
    const auto span = FindSection(section);
    if (!span) {
        std::string add = EndsOpen() ? eol : std::string();
        add += Header(section, eol) + body;
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
        if (lines_[i].kind != Kind::Section || !EqualAscii(Name(lines_[i]), TrimIni(section)))
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
