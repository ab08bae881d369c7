#pragma once
#include <string>

namespace kdx::platform::posix {

// Opens Path for reading (close-on-exec) only when it is a regular file, without waiting on what
// is not one: a named pipe opens at once here and is then refused, as are devices, folders and
// sockets. A file whose owner-read bit is cleared counts as unreadable even for root, as the
// owner-write bit counts as read-only. The descriptor, or -1 with Problem saying why in words
// (empty when the file is missing).
int OpenRegularFileDescriptor(const std::string& path, std::string* problem = nullptr);

} // namespace kdx::platform::posix
