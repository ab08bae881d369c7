// Differential test of the profile-file implementation: the same seeded random sequences of
// reads, section reads, writes, section erases and section replacements run through our Linux implementation and, by a
// helper program under Wine, through the Windows profile functions. Every value read and every result must agree, and
// so must the resulting files: byte for byte, or, where Wine has rewritten the whole file in its own layout, section by
// section and key by key.
//
// Usage: profile_differential ORACLE.exe WINE-RUNNER SEED SEQUENCES OPERATIONS-PER-SEQUENCE
#include "ProfileScript.h"
#include "platform/posix/PosixProfileFile.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <random>
#include <sstream>

namespace fs = std::filesystem;
using namespace kdx::test::profile;

namespace {

using Rng = std::mt19937;

template <typename T> const T& Pick(Rng& rng, const std::vector<T>& items)
{
    return items[std::uniform_int_distribution<size_t>(0, items.size() - 1)(rng)];
}

bool Chance(Rng& rng, int percent) { return std::uniform_int_distribution<int>(0, 99)(rng) < percent; }

// The UTF-8 byte-order mark: read past at the start of a file, ordinary text anywhere else.
const std::string ByteOrderMark = "\xEF\xBB\xBF";

const std::vector<std::string> Sections
    = {"Saver", "saver", "SAVER", " Saver ", "Misc", "misc", "List", "a b", "Empty"};
const std::vector<std::string> Keys = {"Interval", "interval", "INTERVAL", "0", "1", "2", "Key", " Key ", "k y"};

std::vector<std::string> Values()
{
    return {"", "1", "60", "  lead", "trail  ", " both ", "\"quoted\"", "'single'", "\"open", "close\"", "a=b",
        "semi;colon", "x\"y\"", "\"\"", "''", "\" spaced \"", "tab\there", "\xe9t\xe9", "[not a section]",
        std::string(1500, 'v'), std::string(2047, 'w') + "tail", "C:\\Program Files\\KDX\\", "0x3C",
        "mid" + ByteOrderMark + "text"};
}

// In a file that begins with a byte-order mark Windows converts the text between UTF-8 and the
// ANSI code page, which Linux, whose code page is UTF-8, has no need of: such files get ASCII
// values only.
std::vector<std::string> AsciiOnly(const std::vector<std::string>& values)
{
    std::vector<std::string> ascii;
    for (const std::string& value : values)
        if (std::all_of(value.begin(), value.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
            ascii.push_back(value);
    return ascii;
}

// A section read of a file with the mark as the ANSI call gives it on Windows, which reads the
// file as UTF-8: the mark's bytes elsewhere (in a name, the only text beyond ASCII such a file
// holds) are a character the ANSI code page lacks, so "?".
std::string AsAnsi(const std::string& hex)
{
    std::string text, ansi;
    FromHex(hex, text);
    for (size_t at = 0, mark; at < text.size(); at = mark + ByteOrderMark.size()) {
        mark = std::min(text.find(ByteOrderMark, at), text.size());
        ansi += text.substr(at, mark - at);
        if (mark < text.size())
            ansi += '?';
    }
    return ToHex(ansi);
}

// One line of a hand-made file: sections, keys with and without blanks, lines without "=",
// comments and blank lines.
std::string RandomLine(Rng& rng, const std::vector<std::string>& values)
{
    switch (std::uniform_int_distribution<int>(0, 9)(rng)) {
    case 0:
    case 1:
        return "[" + Pick(rng, Sections) + "]";
    case 2:
        return Pick(rng, Keys) + " = " + Pick(rng, values);
    case 3:
        return Pick(rng, Keys);
    case 4:
        return Chance(rng, 50) ? "; a comment" : "# hash note";
    case 5:
        return Chance(rng, 50) ? "" : "   ";
    case 6:
        if (Chance(rng, 30)) // the mark's bytes where they are no mark
            return ByteOrderMark + (Chance(rng, 50) ? "[" + Pick(rng, Sections) + "]" : Pick(rng, Keys) + "=1");
        [[fallthrough]];
    default:
        return Pick(rng, Keys) + "=" + Pick(rng, values);
    }
}

std::string RandomFile(Rng& rng, const std::vector<std::string>& values, bool mark)
{
    static const std::vector<std::string> ends = {"\n", "\r\n", "\r"};
    const int style = std::uniform_int_distribution<int>(0, 3)(rng); // LF, CRLF, lone CR, mixed
    const int lines = std::uniform_int_distribution<int>(0, 14)(rng);
    std::string text = mark ? ByteOrderMark : std::string();
    bool content = false;
    for (int i = 0; i < lines; ++i) {
        std::string line = RandomLine(rng, values);
        // The mark's bytes begin a line only after one that is not blank: at the start of a
        // file they are the mark, and Wine drops blank lines when it rewrites a file.
        while (!content && line.compare(0, ByteOrderMark.size(), ByteOrderMark) == 0)
            line = RandomLine(rng, values);
        content = content || line.find_first_not_of(' ') != std::string::npos;
        text += line;
        if (i + 1 < lines || Chance(rng, 80))
            text += style < 3 ? ends[size_t(style)] : Pick(rng, ends);
    }
    return text;
}

Command RandomCommand(Rng& rng, const std::string& file, const std::vector<std::string>& values)
{
    Command c;
    c.file = file;
    const int roll = std::uniform_int_distribution<int>(0, 99)(rng);
    c.op = roll < 34 ? Op::Read : roll < 42 ? Op::Section : roll < 80 ? Op::Write : roll < 90 ? Op::Erase : Op::Replace;
    c.section = Pick(rng, Sections);
    // Wine finds a section for a read or a write with the requested name trimmed, but erases,
    // empties or reads a whole one only under the exact name; ours trims throughout, and the
    // agent passes no blanks around a section name.
    if (c.op == Op::Erase || c.op == Op::Replace || c.op == Op::Section)
        c.section = c.section.substr(
            c.section.find_first_not_of(' '), c.section.find_last_not_of(' ') + 1 - c.section.find_first_not_of(' '));
    c.key = Pick(rng, Keys);
    c.value = c.op == Op::Read ? Pick(rng, std::vector<std::string> {"", "dflt", "60", "\"q\""}) : Pick(rng, values);
    if (c.op == Op::Replace) { // a list as the settings store writes it: keys "0", "1", ...
        c.value.clear();
        const int count = std::uniform_int_distribution<int>(1, 4)(rng);
        for (int n = 0; n < count; ++n)
            c.value += std::to_string(n) + "=" + Pick(rng, values) + '\0';
    }
    return c;
}

// The zero-ended "key=value" lines of a replacement as pairs.
std::vector<std::pair<std::string, std::string>> Entries(const std::string& block)
{
    std::vector<std::pair<std::string, std::string>> entries;
    for (size_t start = 0, end; (end = block.find('\0', start)) != std::string::npos; start = end + 1) {
        const std::string line = block.substr(start, end - start);
        const size_t eq = line.find('=');
        entries.emplace_back(line.substr(0, eq), line.substr(eq + 1));
    }
    return entries;
}

std::string Run(kdx::platform::posix::PosixProfileFile& profile, const Command& c, const std::string& file)
{
    switch (c.op) {
    case Op::Read:
        return ToHex(profile.GetString(file, c.section, c.key, c.value));
    case Op::Write:
        return profile.WriteString(file, c.section, c.key, c.value) ? "1" : "0";
    case Op::Erase:
        return profile.EraseSection(file, c.section) ? "1" : "0";
    case Op::Replace:
        return profile.ReplaceSection(file, c.section, Entries(c.value)) ? "1" : "0";
    case Op::Section: {
        return ToHex(profile.GetSection(file, c.section));
    }
    }
    return "?";
}

// A file as a reader sees it: each line that is not blank, in order, as a section name or a
// key name with its value (none for a line without "="), blanks trimmed; lines end at CR, LF
// or both, and a byte-order mark at the start is no text.
std::string Parsed(const std::string& bytes)
{
    auto trim = [](std::string s) {
        const char* blanks = " \t\r\n\v\f\x1a";
        s.erase(0, s.find_first_not_of(blanks));
        s.erase(s.find_last_not_of(blanks) + 1);
        return s;
    };
    std::string out;
    const size_t begin = bytes.compare(0, ByteOrderMark.size(), ByteOrderMark) == 0 ? ByteOrderMark.size() : 0;
    for (size_t pos = begin, end; pos < bytes.size(); pos = end + 1) {
        end = std::min(bytes.find_first_of("\r\n", pos), bytes.size());
        std::string line = trim(bytes.substr(pos, end - pos));
        if (line.empty())
            continue;
        const size_t close = line.rfind(']');
        if (line[0] == '[' && close != std::string::npos) {
            out += "section <" + trim(line.substr(1, close - 1)) + ">\n";
            continue;
        }
        const size_t eq = line.find('=');
        out += "key <" + trim(line.substr(0, eq)) + ">";
        out += eq == std::string::npos ? " (no value)\n" : " = <" + trim(line.substr(eq + 1)) + ">\n";
    }
    return out;
}

std::string Read(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::optional<std::string> ReadIfExists(const std::string& path)
{
    return fs::exists(path) ? std::optional<std::string>(Read(path)) : std::nullopt;
}

void Write(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

std::string WindowsName(const std::string& path)
{
    std::string name = "Z:" + path;
    for (char& c : name)
        if (c == '/')
            c = '\\';
    return name;
}

std::string Show(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = text[i];
        size_t run = 1;
        while (i + run < text.size() && text[i + run] == char(c))
            ++run;
        if (run > 8) { // long values shown by their length
            out += std::string(1, char(c)) + "{" + std::to_string(run) + "}";
            i += run - 1;
            continue;
        }
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n\n    ";
        else if (c < 0x20 || c >= 0x7f) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else
            out += char(c);
    }
    return out;
}

struct Sequence {
    std::string linuxFile, wineFile, initial;
    bool absent = false, mark = false;
    std::vector<Command> commands;
    std::vector<std::string> results;
};

struct Tally {
    long operations = 0, readDiffs = 0, resultDiffs = 0, fileDiffs = 0, rewrittenOnly = 0, identical = 0;
    int reported = 0;
};

void Report(Tally& tally, const Sequence& s, size_t at, const std::string& what)
{
    if (tally.reported++ >= 12)
        return;
    std::cerr << "DIFFERENCE " << what << "\n  initial file" << (s.absent ? " (absent)" : "") << ":\n    "
              << Show(s.initial) << "\n  operations:\n";
    for (size_t i = 0; i < s.commands.size() && i <= at; ++i) {
        const Command& c = s.commands[i];
        std::cerr << "    " << char(c.op) << " [" << Show(c.section) << "] <" << Show(c.key) << "> <" << Show(c.value)
                  << ">\n";
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 6) {
        std::cerr << "usage: profile_differential ORACLE.exe WINE-RUNNER SEED SEQUENCES OPERATIONS\n";
        return 2;
    }
    const std::string oracle = argv[1], runner = argv[2];
    const unsigned seed = unsigned(std::stoul(argv[3]));
    const int sequenceCount = std::stoi(argv[4]), operationCount = std::stoi(argv[5]);

    std::string pattern = (fs::temp_directory_path() / "kdx-diff-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        std::cerr << "cannot create a work folder\n";
        return 2;
    }
    const std::string dir = pattern;
    Rng rng(seed);
    const std::vector<std::string> values = Values(), asciiValues = AsciiOnly(values);
    kdx::platform::posix::PosixProfileFile profile;

    std::vector<Sequence> sequences(static_cast<size_t>(sequenceCount));
    std::ofstream script(dir + "/script.txt", std::ios::binary);
    for (int n = 0; n < sequenceCount; ++n) {
        Sequence& s = sequences[size_t(n)];
        s.linuxFile = dir + "/s" + std::to_string(n) + "-linux.ini";
        s.wineFile = dir + "/s" + std::to_string(n) + "-wine.ini";
        s.absent = Chance(rng, 10);
        s.mark = !s.absent && Chance(rng, 15);
        const std::vector<std::string>& fileValues = s.mark ? asciiValues : values;
        if (!s.absent) {
            s.initial = RandomFile(rng, fileValues, s.mark);
            Write(s.linuxFile, s.initial);
            Write(s.wineFile, s.initial);
        }
        for (int i = 0; i < operationCount; ++i) {
            s.commands.push_back(RandomCommand(rng, WindowsName(s.wineFile), fileValues));
            s.results.push_back(Run(profile, s.commands.back(), s.linuxFile));
            if (s.mark && s.commands.back().op == Op::Section)
                s.results.back() = AsAnsi(s.results.back());
            script << FormatCommand(s.commands.back()) << '\n';
        }
    }
    script.close();

    const std::string command = "'" + runner + "' '" + oracle + "' '" + WindowsName(dir + "/script.txt") + "' '"
        + WindowsName(dir + "/results.txt") + "'";
    if (std::system(command.c_str()) != 0) {
        std::cerr << "the Windows helper failed: " << command << "\n";
        return 2;
    }
    std::ifstream results(dir + "/results.txt", std::ios::binary);
    Tally tally;
    for (Sequence& s : sequences) {
        for (size_t i = 0; i < s.commands.size(); ++i) {
            std::string wine;
            if (!std::getline(results, wine)) {
                std::cerr << "the Windows helper gave too few results\n";
                return 2;
            }
            ++tally.operations;
            if (wine == s.results[i])
                continue;
            std::string ours = s.results[i], theirs = wine;
            const bool read = s.commands[i].op == Op::Read || s.commands[i].op == Op::Section;
            if (read) {
                FromHex(s.results[i], ours);
                FromHex(wine, theirs);
            }
            ++(read ? tally.readDiffs : tally.resultDiffs);
            Report(tally, s, i,
                "in the result of operation " + std::to_string(i) + ": ours <" + Show(ours) + ">, Windows <"
                    + Show(theirs) + ">");
        }
        const auto ours = ReadIfExists(s.linuxFile), theirs = ReadIfExists(s.wineFile);
        if (ours == theirs)
            ++tally.identical;
        else if (ours && theirs && Parsed(*ours) == Parsed(*theirs))
            ++tally.rewrittenOnly;
        else {
            ++tally.fileDiffs;
            Report(tally, s, s.commands.size(),
                "in the resulting file:\n  ours:\n    " + Show(ours.value_or("(absent)")) + "\n  Windows:\n    "
                    + Show(theirs.value_or("(absent)")));
        }
    }
    std::cout << "profile differential: seed " << seed << ", " << sequenceCount << " sequences, " << tally.operations
              << " operations; results differing: " << tally.readDiffs << " reads, " << tally.resultDiffs
              << " writes, erases or replacements; files identical " << tally.identical
              << ", same content in Wine's layout " << tally.rewrittenOnly << ", differing " << tally.fileDiffs << "\n";
    const bool same = tally.readDiffs == 0 && tally.resultDiffs == 0 && tally.fileDiffs == 0;
    if (same)
        fs::remove_all(dir);
    else
        std::cerr << "files kept in " << dir << "\n";
    return same ? 0 : 1;
}
