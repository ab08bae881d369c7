#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kdx::platform::posix {

// The text of an INI file, edited the way the Windows profile functions edit it, except that
// every line the edit does not concern is kept byte for byte. Section and key names match
// without regard to ASCII letter case; only the first section of a name and the first key of
// a name in it count. A line ends at CR LF, LF or a lone CR; a UTF-8 byte-order mark at the
// start of the file is read past and kept (the same bytes anywhere else are ordinary text).
class IniText {
public:
    explicit IniText(std::string bytes);

    const std::string& Bytes() const { return bytes_; }

    // The text after "=" with blanks trimmed, or nothing when the section, the key or its "="
    // is missing.
    std::optional<std::string> Value(std::string_view section, std::string_view key) const;
    bool HasSection(std::string_view section) const;
    // The lines of the section as GetPrivateProfileSection gives them, in order, each ended by a
    // zero byte: "key=value" with both trimmed and the value as written (quotes kept, not cut),
    // or the name alone for a line without "="; blank lines and comments (";" first) left out.
    // Empty when the section is missing.
    std::string SectionLines(std::string_view section) const;

    // Each returns true when the text changed.
    bool Set(std::string_view section, std::string_view key, std::string_view value);
    bool AddSection(std::string_view section);
    bool EraseSection(std::string_view section);
    bool EraseKey(std::string_view section, std::string_view key);
    // Puts Lines (each without its line end) in place of the section's own lines, keeping its
    // header and the blank lines that end it; adds the section at the end when absent. Later
    // sections of the name are emptied, as Windows empties them: their old keys would otherwise
    // come to light when the first section is erased.
    bool ReplaceSection(std::string_view section, const std::vector<std::string>& lines);
    // The same with the lines given as Body, each ended by Eol().
    bool ReplaceSectionBody(std::string_view section, std::string body);

    // The line end of new lines: the file's first one (CR LF in a file without any).
    std::string Eol() const;

private:
    enum class Kind { Blank, Section, Key };
    bool EmptyLaterSections(std::string_view section);
    // Offsets into the text (a file is at most 64 MiB), so an edit moves the lines after it by
    // adding to them rather than parsing them again.
    struct Line {
        std::uint32_t begin = 0, end = 0, next = 0; // content [begin, end), terminator up to next
        std::uint32_t nameAt = 0, nameSize = 0; // section or key name
        std::uint32_t valueAt = 0, valueSize = 0;
        Kind kind = Kind::Blank;
        bool hasValue = false;
    };
    struct Span {
        size_t header = 0, first = 0, last = 0; // header line; lines of the section [first, last)
    };

    void Parse();
    Line ParseLine(size_t pos) const;
    std::string_view Name(const Line& line) const
    {
        return std::string_view(bytes_).substr(line.nameAt, line.nameSize);
    }
    std::optional<std::string_view> ValueOf(const Line& line) const;
    std::optional<Span> FindSection(std::string_view section) const;
    std::optional<size_t> FindKey(const Span& span, std::string_view key) const;
    void Replace(size_t from, size_t to, const std::string& text);
    // Whether the file's last line lacks its line end.
    bool EndsOpen() const;

    std::string bytes_;
    size_t start_ = 0; // where the text begins, after a byte-order mark
    std::vector<Line> lines_;
};

// Blank as the Windows profile functions see it: white space, carriage return and Ctrl+Z.
bool IsIniBlank(char c);
std::string_view TrimIni(std::string_view s);

} // namespace kdx::platform::posix
