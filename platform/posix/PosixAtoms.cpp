#include "PosixAtoms.h"

#include "platform/AsciiCase.h"
#include "platform/posix/files/FileText.h"
#include "platform/posix/files/Paths.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <sstream>

namespace kdx::platform::posix {

namespace {

constexpr std::size_t MaxAtomName = 255;

struct Entry {
    unsigned count = 0;
    std::string name;
};

using Table = std::map<std::uint16_t, Entry>;

// Lines "C000 1 Name"; anything malformed is dropped.
Table Parse(const std::string& text)
{
    Table table;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        unsigned atom = 0, count = 0;
        int used = 0;
        if (std::sscanf(line.c_str(), "%4X %u %n", &atom, &count, &used) != 2 || used <= 0)
            continue;
        if (atom < FirstStringAtom || atom > 0xFFFF || count == 0 || line.size() <= std::size_t(used))
            continue;
        table[std::uint16_t(atom)] = {count, line.substr(std::size_t(used))};
    }
    return table;
}

std::string Format(const Table& table)
{
    std::string text;
    char head[32];
    for (const auto& [atom, entry] : table) {
        std::snprintf(head, sizeof head, "%04X %u ", unsigned(atom), entry.count);
        text += head + entry.name + "\n";
    }
    return text;
}

// "#n" with n below 0xC000 names the integer atom n.
std::optional<std::uint16_t> IntegerAtom(const std::string& name)
{
    if (name.size() < 2 || name[0] != '#' || name.size() > 6)
        return std::nullopt;
    unsigned value = 0;
    for (std::size_t i = 1; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9')
            return std::nullopt;
        value = value * 10 + unsigned(name[i] - '0');
    }
    return value >= 1 && value < FirstStringAtom ? std::optional<std::uint16_t>(std::uint16_t(value)) : std::nullopt;
}

// The table file opened and locked for the life of the object.
class LockedTable {
public:
    LockedTable() : fd_(open(PosixAtoms::TableFile().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600))
    {
        if (fd_ >= 0 && flock(fd_, LOCK_EX) != 0) {
            close(fd_);
            fd_ = -1;
        }
    }
    ~LockedTable()
    {
        if (fd_ >= 0)
            close(fd_); // also drops the lock
    }
    LockedTable(const LockedTable&) = delete;
    LockedTable& operator=(const LockedTable&) = delete;

    bool Ok() const { return fd_ >= 0; }

    Table Read()
    {
        std::string text;
        char buf[4096];
        ssize_t n;
        off_t at = 0;
        while ((n = pread(fd_, buf, sizeof buf, at)) > 0) {
            text.append(buf, std::size_t(n));
            at += n;
        }
        return Parse(text);
    }

    bool Write(const Table& table)
    {
        const std::string text = Format(table);
        return ftruncate(fd_, 0) == 0 && pwrite(fd_, text.data(), text.size(), 0) == ssize_t(text.size());
    }

private:
    int fd_;
};

} // namespace

std::string PosixAtoms::TableFile() { return RuntimeFolder() + "/kaleidra-global-atoms"; }

std::uint16_t PosixAtoms::GlobalAddAtom(const std::string& name)
{
    if (const auto integer = IntegerAtom(name))
        return *integer;
    if (name.empty() || name.size() > MaxAtomName || name.find_first_of("\r\n") != std::string::npos)
        return 0;
    LockedTable file;
    if (!file.Ok())
        return 0;
    Table table = file.Read();
    for (auto& [atom, entry] : table) {
        if (EqualAscii(entry.name, name)) {
            ++entry.count;
            return file.Write(table) ? atom : 0;
        }
    }
    std::uint32_t atom = FirstStringAtom;
    while (atom <= 0xFFFF && table.count(std::uint16_t(atom)))
        ++atom;
    if (atom > 0xFFFF)
        return 0;
    table[std::uint16_t(atom)] = {1, name};
    return file.Write(table) ? std::uint16_t(atom) : 0;
}

std::uint16_t PosixAtoms::GlobalDeleteAtom(std::uint16_t atom)
{
    if (atom < FirstStringAtom)
        return 0;
    LockedTable file;
    if (!file.Ok())
        return atom;
    Table table = file.Read();
    const auto it = table.find(atom);
    if (it == table.end())
        return atom;
    if (--it->second.count == 0)
        table.erase(it);
    return file.Write(table) ? 0 : atom;
}

} // namespace kdx::platform::posix
