#include "PosixProfileFile.h"

#include "platform/posix/files/FileText.h"
#include "platform/posix/files/IniText.h"

#include <charconv>
#include <cstring>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <time.h>

namespace kdx::platform::posix {

namespace {

constexpr size_t ReadBufferChars = 2048;

// How long a file must have stood unchanged before its stamp alone vouches for it: longer than
// the file-time tick of its file system. The local Linux file systems stamp with the kernel's
// coarse clock (a tick of at most 10 ms); others (FAT's 2 s, a network server's clock) get 2 s.
constexpr std::int64_t LocalSettleNs = 50'000'000;
constexpr std::int64_t OtherSettleNs = 2'000'000'000;

std::int64_t SettleNs(const std::string& file)
{
    struct statfs fs { };
    if (statfs(file.c_str(), &fs) != 0)
        return OtherSettleNs;
    switch (static_cast<unsigned long>(fs.f_type)) {
    case 0xEF53: // ext2, ext3, ext4
    case 0x58465342: // xfs
    case 0x9123683E: // btrfs
    case 0x01021994: // tmpfs
    case 0xF2F52010: // f2fs
    case 0x794C7630: // overlayfs
        return LocalSettleNs;
    default:
        return OtherSettleNs;
    }
}

// A line break would end the line early and turn the rest into lines of their own, in a value
// as in a section or key name.
bool HasLineBreak(std::string_view text)
{
    return std::memchr(text.data(), '\n', text.size()) || std::memchr(text.data(), '\r', text.size());
}

std::int64_t Ns(const timespec& t) { return std::int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec; }

// The stamp of a plain file (a link followed); nothing for anything else.
std::optional<PosixProfileFile::FileStamp> StampOf(const std::string& file)
{
    struct stat st { };
    if (stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return PosixProfileFile::FileStamp {
        std::uint64_t(st.st_dev), std::uint64_t(st.st_ino), st.st_size, Ns(st.st_mtim), Ns(st.st_ctim)};
}

bool Settled(const std::string& file, const PosixProfileFile::FileStamp& stamp)
{
    timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    return Ns(now) - std::max(stamp.modified, stamp.changed) > SettleNs(file);
}

// One write made on the text; false when it cannot be made at all. Changed tells whether the
// text changed.
bool Apply(IniText& text, const ProfileWrite& w, bool& changed)
{
    if (HasLineBreak(w.section))
        return false;
    if (w.kind == ProfileWrite::Kind::Key) {
        if (HasLineBreak(w.key) || HasLineBreak(w.value))
            return false;
        changed = text.Set(w.section, w.key, w.value) || changed;
        return true;
    }
    if (w.kind == ProfileWrite::Kind::EraseSection) {
        changed = text.EraseSection(w.section) || changed;
        return true;
    }
    // The lines made in one piece: a list of 100,000 entries is one save.
    const std::string eol = text.Eol();
    std::string body;
    const auto add = [&body, &eol](std::string_view key, const std::string& value) {
        if (HasLineBreak(key) || HasLineBreak(value))
            return false;
        body += key;
        body += '=';
        body.append(value, std::min(value.find_first_not_of(" \t"), value.size()));
        body += eol;
        return true;
    };
    size_t size = 0;
    for (const auto& [key, value] : w.entries)
        size += key.size() + value.size() + 1 + eol.size();
    for (const std::string& value : w.numbered)
        size += value.size() + 8 + eol.size();
    body.reserve(size);
    for (const auto& [key, value] : w.entries)
        if (!add(key, value))
            return false;
    char number[24];
    for (size_t n = 0; n < w.numbered.size(); ++n)
        if (!add(std::string_view(number, size_t(std::to_chars(number, number + sizeof number, n).ptr - number)),
                w.numbered[n]))
            return false;
    changed = text.ReplaceSectionBody(w.section, std::move(body)) || changed;
    return true;
}

} // namespace

PosixProfileFile::PosixProfileFile() = default;
PosixProfileFile::~PosixProfileFile() = default;

std::string ProfileReadValue(std::string raw)
{
    if (raw.size() >= 2 && (raw.front() == '"' || raw.front() == '\'') && raw.back() == raw.front())
        raw = raw.substr(1, raw.size() - 2);
    if (raw.size() > ReadBufferChars - 1)
        raw.resize(ReadBufferChars - 1);
    return raw;
}

std::shared_ptr<const IniText> PosixProfileFile::Parsed(const std::string& file, bool* unreadable)
{
    const std::lock_guard<std::mutex> hold(lock_);
    // The stamp before the bytes: a change between the two then shows at the next look.
    const std::optional<FileStamp> stamp = StampOf(file);
    if (stamp && cached_ && file == cachedFile_ && *stamp == cachedStamp_ && settled_)
        return cached_;
    std::string bytes;
    const ReadResult result = ReadTextFile(file, bytes);
    if (unreadable)
        *unreadable = result == ReadResult::Unreadable;
    if (result != ReadResult::Ok)
        return nullptr;
    std::shared_ptr<IniText> text = cached_ && file == cachedFile_ && cached_->Bytes() == bytes
        ? cached_
        : std::make_shared<IniText>(std::move(bytes));
    if (stamp) {
        cachedFile_ = file;
        cachedStamp_ = *stamp;
        settled_ = Settled(file, *stamp);
        cached_ = text;
    }
    return text;
}

std::shared_ptr<IniText> PosixProfileFile::Own(std::shared_ptr<const IniText> parsed)
{
    {
        const std::lock_guard<std::mutex> hold(lock_);
        if (parsed && parsed == cached_) {
            std::shared_ptr<IniText> mine = std::move(cached_);
            parsed.reset();
            if (mine.use_count() == 1)
                return mine; // no reader holds it: edited in place, not copied
            return std::make_shared<IniText>(*mine);
        }
    }
    return std::make_shared<IniText>(parsed ? *parsed : IniText(std::string()));
}

void PosixProfileFile::Keep(const std::string& file, std::shared_ptr<IniText> text)
{
    const std::lock_guard<std::mutex> hold(lock_);
    const std::optional<FileStamp> stamp = StampOf(file);
    cached_ = stamp ? std::move(text) : nullptr;
    cachedFile_ = file;
    cachedStamp_ = stamp.value_or(FileStamp {});
    settled_ = false; // just written: the bytes are compared at the next read
}

std::string PosixProfileFile::GetString(
    const std::string& file, const std::string& section, const std::string& key, const std::string& fallback)
{
    const std::shared_ptr<const IniText> text = Parsed(file);
    const auto value = text ? text->Value(section, key) : std::nullopt;
    return ProfileReadValue(value ? *value : fallback);
}

std::string PosixProfileFile::GetSection(const std::string& file, const std::string& section)
{
    const std::shared_ptr<const IniText> text = Parsed(file);
    return text ? text->SectionLines(section) : std::string();
}

bool PosixProfileFile::WriteString(
    const std::string& file, const std::string& section, const std::string& key, const std::string& value)
{
    return WriteBatch(file, {ProfileWrite {ProfileWrite::Kind::Key, section, key, value, {}, {}}});
}

bool PosixProfileFile::EraseSection(const std::string& file, const std::string& section)
{
    return WriteBatch(file, {ProfileWrite {ProfileWrite::Kind::EraseSection, section, {}, {}, {}, {}}});
}

bool PosixProfileFile::ReplaceSection(const std::string& file, const std::string& section,
    const std::vector<std::pair<std::string, std::string>>& entries)
{
    return WriteBatch(file, {ProfileWrite {ProfileWrite::Kind::ReplaceSection, section, {}, {}, entries, {}}});
}

// The writes are made on the parsed text in turn and the file replaced once. A value that is
// there already needs no write, so a batch of only such values succeeds also where the file may
// not be written (read-only), as with the Windows functions; a section's write needs a
// writable file in any case, as with the single calls.
bool PosixProfileFile::WriteBatch(const std::string& file, const std::vector<ProfileWrite>& writes)
{
    if (writes.empty())
        return true;
    bool unreadable = false;
    std::shared_ptr<const IniText> parsed = Parsed(file, &unreadable);
    if (unreadable)
        return false;
    const std::shared_ptr<IniText> text = Own(std::move(parsed));
    bool changed = false, whole = false;
    for (const ProfileWrite& w : writes) {
        if (!Apply(*text, w, changed))
            return false;
        whole = whole || w.kind != ProfileWrite::Kind::Key;
    }
    if (!changed) {
        Keep(file, text); // as it was read
        return !whole || MayReplaceFile(file);
    }
    if (!ReplaceFile(file, text->Bytes()))
        return false;
    Keep(file, text);
    return true;
}

void PosixProfileFile::Flush(const std::string& file)
{
    {
        const std::lock_guard<std::mutex> hold(lock_);
        if (file == cachedFile_)
            cached_.reset();
    }
    SyncFile(file);
}

std::string PosixProfileFile::ReadProblem(const std::string& file)
{
    std::string bytes, problem;
    return ReadTextFile(file, bytes, &problem) == ReadResult::Unreadable ? problem : std::string();
}

} // namespace kdx::platform::posix
