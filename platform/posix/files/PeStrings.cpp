#include "PeStrings.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace kdx::platform::posix {

namespace {

std::uint16_t Le16(const std::uint8_t* p) { return std::uint16_t(p[0] | p[1] << 8); }

std::uint32_t Le32(const std::uint8_t* p) { return std::uint32_t(Le16(p)) | std::uint32_t(Le16(p + 2)) << 16; }

constexpr unsigned RtString = 6;
constexpr std::uint32_t HighBit = 0x80000000u;
// Windows XP's own limit on the sections of an image; a file with more is not loaded.
constexpr unsigned MaxSections = 96;
// LoadString's buffer of 256 characters keeps 255 and the terminating NUL.
constexpr unsigned MaxStringUnits = 255;
// Directory entries are read this many at a time.
constexpr unsigned EntriesPerRead = 64;

struct Section {
    std::uint32_t virtualAddress = 0, rawSize = 0, rawOffset = 0;
};

// The parts of a PE image the string lookup needs: its sections, to turn addresses (RVAs)
// into file offsets, and the place and size of its resource directory.
class PeImage {
public:
    explicit PeImage(ByteSource& source) : source_(source) { }

    bool Load()
    {
        std::uint8_t dos[64];
        if (!source_.Read(0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z')
            return false;
        const std::uint64_t nt = Le32(dos + 0x3C);
        std::uint8_t head[24]; // "PE\0\0" and the file header
        if (!source_.Read(nt, head, sizeof head) || std::memcmp(head, "PE\0\0", 4) != 0)
            return false;
        const unsigned sections = Le16(head + 4 + 2);
        const unsigned optionalSize = Le16(head + 4 + 16);
        if (sections > MaxSections)
            return false;

        // The optional header's magic tells where its data directories are: the resource
        // directory is the third (index 2), 8 bytes each.
        std::uint8_t magic[2];
        const std::uint64_t optional = nt + sizeof head;
        if (!source_.Read(optional, magic, sizeof magic))
            return false;
        unsigned countAt = 0, directoriesAt = 0;
        if (Le16(magic) == 0x10B) { // PE32
            countAt = 92;
            directoriesAt = 96;
        } else if (Le16(magic) == 0x20B) { // PE32+
            countAt = 108;
            directoriesAt = 112;
        } else {
            return false;
        }
        const unsigned resourceAt = directoriesAt + 2 * 8;
        std::uint8_t count[4], resource[8];
        if (optionalSize < resourceAt + 8 || !source_.Read(optional + countAt, count, 4) || Le32(count) < 3
            || !source_.Read(optional + resourceAt, resource, 8))
            return false;
        resourceRva_ = Le32(resource);
        resourceSize_ = Le32(resource + 4);
        if (resourceRva_ == 0 || resourceSize_ == 0)
            return false;

        const std::uint64_t table = optional + optionalSize;
        for (unsigned i = 0; i < sections; ++i) {
            std::uint8_t s[40];
            if (!source_.Read(table + i * 40u, s, sizeof s))
                return false;
            sections_[i] = {Le32(s + 12), Le32(s + 16), Le32(s + 20)};
        }
        sectionCount_ = sections;
        return true;
    }

    // Bytes at an address of the loaded image, found in the file through the section that
    // holds them (wholly, within its data in the file).
    bool ReadRva(std::uint64_t rva, void* out, std::size_t size)
    {
        for (unsigned i = 0; i < sectionCount_; ++i) {
            const Section& s = sections_[i];
            if (rva < s.virtualAddress || rva - s.virtualAddress >= s.rawSize)
                continue;
            const std::uint64_t into = rva - s.virtualAddress;
            return into + size <= s.rawSize && source_.Read(s.rawOffset + into, out, size);
        }
        return false;
    }

    // Bytes of the resource directory, at an offset from its start, wholly inside it.
    bool ReadResource(std::uint64_t offset, void* out, std::size_t size)
    {
        return offset + size <= resourceSize_ && ReadRva(resourceRva_ + offset, out, size);
    }

private:
    ByteSource& source_;
    Section sections_[MaxSections];
    unsigned sectionCount_ = 0;
    std::uint32_t resourceRva_ = 0, resourceSize_ = 0;
};

// Calls Visit(id, offsetToData) for each entry named by a number in the resource directory
// at DirOffset, in file order, until Visit returns false. False when the directory is damaged.
template <typename VisitFn> bool ForEachIdEntry(PeImage& image, std::uint32_t dirOffset, VisitFn visit)
{
    std::uint8_t header[16];
    if (!image.ReadResource(dirOffset, header, sizeof header))
        return false;
    const unsigned named = Le16(header + 12);
    const unsigned ids = Le16(header + 14);
    std::uint64_t at = std::uint64_t(dirOffset) + 16 + named * 8ull;
    for (unsigned done = 0; done < ids;) {
        const unsigned n = ids - done < EntriesPerRead ? ids - done : EntriesPerRead;
        std::uint8_t entries[EntriesPerRead * 8];
        if (!image.ReadResource(at, entries, n * 8u))
            return false;
        for (unsigned i = 0; i < n; ++i) {
            const std::uint32_t name = Le32(entries + i * 8);
            if (!(name & HighBit) && !visit(name & 0xFFFFu, Le32(entries + i * 8 + 4)))
                return true;
        }
        done += n;
        at += n * 8ull;
    }
    return true;
}

// The subdirectory of the entry numbered Id in the directory at DirOffset.
std::optional<std::uint32_t> FindSubdirectory(PeImage& image, std::uint32_t dirOffset, unsigned id)
{
    std::optional<std::uint32_t> found;
    const bool intact = ForEachIdEntry(image, dirOffset, [&](unsigned entryId, std::uint32_t data) {
        if (entryId != id)
            return true;
        if (data & HighBit)
            found = data & ~HighBit;
        return false;
    });
    return intact ? found : std::nullopt;
}

// Lower is preferred; see PeStringResource.
int LanguageRank(LangId lang, LangId user)
{
    const auto primary = [](LangId l) { return l & 0x3FF; };
    if (primary(user) != 0) {
        if (lang == user)
            return 0;
        if (lang == primary(user))
            return 1;
        if (primary(lang) == primary(user))
            return 2;
    }
    if (lang == LangNeutral)
        return 3;
    if (primary(lang) == 0)
        return 4;
    if (lang == LangEnglishUs)
        return 5;
    if (primary(lang) == 0x09)
        return 6;
    return 7;
}

void AppendUtf8(std::string& out, std::uint32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | c >> 6);
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | c >> 12);
        out += char(0x80 | (c >> 6 & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | c >> 18);
        out += char(0x80 | (c >> 12 & 0x3F));
        out += char(0x80 | (c >> 6 & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

std::string Utf16ToUtf8(const std::uint16_t* units, unsigned count)
{
    std::string out;
    for (unsigned i = 0; i < count; ++i) {
        const std::uint32_t u = units[i];
        if (u >= 0xD800 && u < 0xDC00 && i + 1 < count && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000) {
            AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u < 0xE000) {
            AppendUtf8(out, 0xFFFD);
        } else {
            AppendUtf8(out, u);
        }
    }
    return out;
}

class MemorySource final : public ByteSource {
public:
    MemorySource(const void* data, std::size_t size) : data_(static_cast<const std::uint8_t*>(data)), size_(size) { }
    bool Read(std::uint64_t offset, void* out, std::size_t size) override
    {
        if (offset > size_ || size > size_ - offset)
            return false;
        if (size)
            std::memcpy(out, data_ + offset, size);
        return true;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

class FileSource final : public ByteSource {
public:
    explicit FileSource(const std::string& path)
    {
        // Non-blocking, so that a FIFO or device by that name cannot hold the open.
        fd_ = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        struct stat st { };
        if (fd_ >= 0 && (fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode))) {
            close(fd_);
            fd_ = -1;
        }
        size_ = fd_ >= 0 ? std::uint64_t(st.st_size) : 0;
    }
    ~FileSource() override
    {
        if (fd_ >= 0)
            close(fd_);
    }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    bool Usable() const { return fd_ >= 0; }

    bool Read(std::uint64_t offset, void* out, std::size_t size) override
    {
        if (fd_ < 0 || offset > size_ || size > size_ - offset)
            return false;
        auto* bytes = static_cast<std::uint8_t*>(out);
        while (size > 0) {
            const ssize_t n = pread(fd_, bytes, size, off_t(offset));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            bytes += n;
            offset += std::uint64_t(n);
            size -= std::size_t(n);
        }
        return true;
    }

private:
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

struct LocaleName {
    const char* code;
    LangId primary;
};

// ISO 639-1 codes and the primary language numbers Windows gives them.
constexpr LocaleName Languages[] = {
    {"af", 0x36},
    {"ar", 0x01},
    {"be", 0x23},
    {"bg", 0x02},
    {"ca", 0x03},
    {"cs", 0x05},
    {"da", 0x06},
    {"de", 0x07},
    {"el", 0x08},
    {"en", 0x09},
    {"es", 0x0A},
    {"et", 0x25},
    {"eu", 0x2D},
    {"fa", 0x29},
    {"fi", 0x0B},
    {"fr", 0x0C},
    {"he", 0x0D},
    {"hi", 0x39},
    {"hr", 0x1A},
    {"hu", 0x0E},
    {"hy", 0x2B},
    {"id", 0x21},
    {"is", 0x0F},
    {"it", 0x10},
    {"ja", 0x11},
    {"ka", 0x37},
    {"kk", 0x3F},
    {"ko", 0x12},
    {"lt", 0x27},
    {"lv", 0x26},
    {"mk", 0x2F},
    {"ms", 0x3E},
    {"nb", 0x14},
    {"nl", 0x13},
    {"nn", 0x14},
    {"no", 0x14},
    {"pl", 0x15},
    {"pt", 0x16},
    {"ro", 0x18},
    {"ru", 0x19},
    {"sk", 0x1B},
    {"sl", 0x24},
    {"sq", 0x1C},
    {"sv", 0x1D},
    {"sw", 0x41},
    {"th", 0x1E},
    {"tr", 0x1F},
    {"uk", 0x22},
    {"ur", 0x20},
    {"vi", 0x2A},
    {"zh", 0x04},
};

struct TerritoryName {
    const char* name; // language_TERRITORY
    LangId id;
};

// Where a language's territories have sublanguages of their own; other territories take the
// language's default sublanguage (1).
constexpr TerritoryName Territories[] = {
    {"de_CH", 0x0807},
    {"de_AT", 0x0C07},
    {"de_LU", 0x1007},
    {"de_LI", 0x1407},
    {"en_GB", 0x0809},
    {"en_AU", 0x0C09},
    {"en_CA", 0x1009},
    {"en_NZ", 0x1409},
    {"en_IE", 0x1809},
    {"en_ZA", 0x1C09},
    {"es_MX", 0x080A},
    {"es_ES", 0x0C0A},
    {"fr_BE", 0x080C},
    {"fr_CA", 0x0C0C},
    {"fr_CH", 0x100C},
    {"fr_LU", 0x140C},
    {"it_CH", 0x0810},
    {"nl_BE", 0x0813},
    {"nn_NO", 0x0814},
    {"pt_PT", 0x0816},
    {"sv_FI", 0x081D},
    {"zh_CN", 0x0804},
    {"zh_HK", 0x0C04},
    {"zh_SG", 0x1004},
    {"zh_MO", 0x1404},
};

} // namespace

LangId LanguageOfLocale(const std::string& locale)
{
    // language[_territory][.codeset][@modifier]
    const std::string name = locale.substr(0, locale.find_first_of(".@"));
    const std::string code = name.substr(0, name.find('_'));
    for (const TerritoryName& t : Territories)
        if (name == t.name)
            return t.id;
    for (const LocaleName& l : Languages)
        if (code == l.code)
            return LangId(l.primary | 1 << 10);
    return 0;
}

LangId UserLanguage()
{
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value)
            return LanguageOfLocale(value);
    }
    return 0;
}

std::string PeStringResource(ByteSource& source, unsigned id, LangId userLanguage)
{
    const unsigned block = id / 16 + 1;
    if (block > 0xFFFF)
        return std::string();
    PeImage image(source);
    if (!image.Load())
        return std::string();
    const auto types = FindSubdirectory(image, 0, RtString);
    const auto blocks = types ? FindSubdirectory(image, *types, block) : std::nullopt;
    if (!blocks)
        return std::string();

    // Language entries point at data entries, never at further directories.
    int bestRank = 8;
    std::uint32_t best = 0;
    ForEachIdEntry(image, *blocks, [&](unsigned lang, std::uint32_t data) {
        const int rank = LanguageRank(LangId(lang), userLanguage);
        if (rank < bestRank && !(data & HighBit)) {
            bestRank = rank;
            best = data;
        }
        return bestRank > 0;
    });
    std::uint8_t entry[16];
    if (bestRank == 8 || !image.ReadResource(best, entry, sizeof entry))
        return std::string();
    const std::uint64_t data = Le32(entry);
    const std::uint64_t size = Le32(entry + 4);

    // The block: 16 strings, each a count of UTF-16 units followed by the units.
    std::uint64_t at = 0;
    std::uint8_t count[2];
    for (unsigned i = 0;; ++i) {
        if (at + 2 > size || !image.ReadRva(data + at, count, 2))
            return std::string();
        if (i == id % 16)
            break;
        at += 2 + 2ull * Le16(count);
    }
    const unsigned length = Le16(count);
    if (at + 2 + 2ull * length > size)
        return std::string();
    const unsigned take = length < MaxStringUnits ? length : MaxStringUnits;
    std::uint8_t bytes[MaxStringUnits * 2];
    if (take && !image.ReadRva(data + at + 2, bytes, take * 2u))
        return std::string();
    std::uint16_t units[MaxStringUnits];
    unsigned n = 0;
    while (n < take && (units[n] = Le16(bytes + 2 * n)) != 0)
        ++n;
    return Utf16ToUtf8(units, n);
}

std::string PeStringResource(const void* data, std::size_t size, unsigned id, LangId userLanguage)
{
    MemorySource source(data, size);
    return PeStringResource(source, id, userLanguage);
}

std::string PeStringResourceOfFile(const std::string& path, unsigned id, LangId userLanguage)
{
    FileSource source(path);
    return source.Usable() ? PeStringResource(source, id, userLanguage) : std::string();
}

} // namespace kdx::platform::posix
