#pragma once
#include <string>

namespace kdx::platform::posix {

// True for a file this user may run that is not a Windows program (whose file begins with
// "MZ"): a program built for this system, such as a companion screensaver, that keeps the
// Windows name it is known by runs by itself rather than under Wine.
bool IsNativeProgram(const std::string& path);

} // namespace kdx::platform::posix
