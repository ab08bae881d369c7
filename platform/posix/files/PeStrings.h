#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace kdx::platform::posix {

// A Windows language identifier: primary language in the low 10 bits, sublanguage above.
using LangId = std::uint16_t;

inline constexpr LangId LangNeutral = 0x0000;
inline constexpr LangId LangEnglishUs = 0x0409;

// The Windows language of a POSIX locale name such as "de_AT.UTF-8" or "pt_BR": the primary
// language from its two-letter code, the sublanguage from its territory where known and
// otherwise the language's default one (1). 0 for "C", "POSIX", an empty or an unknown name.
LangId LanguageOfLocale(const std::string& locale);

// The user's language: that of the first of LC_ALL, LC_MESSAGES and LANG that is set.
LangId UserLanguage();

// Reads bytes of a PE file at given offsets.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // False unless all Size bytes at Offset could be read.
    virtual bool Read(std::uint64_t offset, void* out, std::size_t size) = 0;
};

// String resource Id of a PE image (a 32- or 64-bit Windows program or library), as
// LoadString(Id) into a buffer of 256 characters finds it: block Id / 16 + 1 of the string
// table (resource type 6), entry Id % 16; at most 255 UTF-16 units, cut at a NUL, converted
// to UTF-8 (an unpaired surrogate becomes U+FFFD). Empty when the file is no PE image, has no
// such table, block or string, or is damaged anywhere on the way.
//
// Where the block exists in several languages, the first found of: the user's language
// exactly, its primary language with the neutral sublanguage, any sublanguage of its primary
// language, language-neutral (0x0000, then any neutral sublanguage), English (United States),
// any English, the block's first language. This is LoadString's "the user's language first"
// on a system whose only language setting is the POSIX locale.
//
// Safe on any bytes: every read is bounded and checked; the walk goes down exactly three
// directory levels, so no offset can make it loop; nothing is allocated after what the file
// declares; a directory is scanned in fixed-size pieces of its entries.
std::string PeStringResource(ByteSource& source, unsigned id, LangId userLanguage);

// The same, on the bytes of a file in memory and on a file by name (read piece by piece,
// never whole; anything but a regular file gives the empty string).
std::string PeStringResource(const void* data, std::size_t size, unsigned id, LangId userLanguage);
std::string PeStringResourceOfFile(const std::string& path, unsigned id, LangId userLanguage);

} // namespace kdx::platform::posix
