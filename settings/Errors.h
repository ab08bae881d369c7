#pragma once
#include <stdexcept>
#include <string>

namespace kdx {

// The agent's fixed error texts; %s or %d stands for the one argument.
namespace texts {
inline constexpr const char* UnableToWrite = "Unable to write to %s";
inline constexpr const char* FailedToSetData = "Failed to set data for '%s'";
inline constexpr const char* InvalidDataType = "Invalid data type for '%s'";
inline constexpr const char* FailedToGetData = "Failed to get data for '%s'";
inline constexpr const char* CannotOpenFile = "Cannot open file %s";
inline constexpr const char* CannotCreateFile = "Cannot create file %s";
inline constexpr const char* JpegError = "JPEG error #%d";
} // namespace texts

// An error raised by a failing step; the application's general error report shows its text.
class EKaleidraError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The text with its %s or %d replaced by Arg.
std::string FormatText(const char* text, const std::string& arg);

[[noreturn]] void Raise(const char* text, const std::string& arg);

// "Cannot open file PATH", followed by the problem in words when there is one
// ("Cannot open file /dev/zero: it is a device, not a file").
[[noreturn]] void RaiseCannotOpen(const std::string& path, const std::string& problem);

} // namespace kdx
