#pragma once
#include <string>

namespace kdx::platform::posix {

// Largest settings-type file read whole; anything bigger is treated as unreadable rather than
// loaded into memory.
inline constexpr long long MaxTextFileSize = 64LL * 1024 * 1024;

enum class ReadResult { Ok, Absent, Unreadable };

// Reads a whole file into Out. A file that is there but cannot be read (a folder, a named pipe,
// no permission, too large) is Unreadable, with the reason in words in Problem when given.
ReadResult ReadTextFile(const std::string& path, std::string& out, std::string* problem = nullptr);

// True when the file may be replaced: its folder exists and neither the folder nor an
// existing file has its owner-write bit cleared. The bits are honoured even for root, as
// Windows honours the read-only attribute for everyone.
bool MayReplaceFile(const std::string& path);

// Replaces the file with Bytes in one step: a temporary file in the same folder, renamed over
// the old one, so no reader ever sees a part-written file. Keeps the old file's mode.
bool ReplaceFile(const std::string& path, const std::string& bytes);

// Creates Path holding Bytes, whole or not at all, unless a file of that name exists (then false,
// and that file is left as it is).
bool CreateFileWith(const std::string& path, const std::string& bytes);

// Writes the file's data and its folder entry to the disk.
void SyncFile(const std::string& path);

// Creates a folder and its missing parents; true when it exists afterwards.
bool MakeFolders(const std::string& path);

} // namespace kdx::platform::posix
