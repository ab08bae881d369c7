#pragma once
#include <string>

namespace kdx::platform::posix {

// The value of an environment variable, or Fallback when unset or empty.
std::string EnvOr(const char* name, const std::string& fallback);

// $XDG_CONFIG_HOME and $XDG_DATA_HOME with their standard defaults under $HOME.
std::string ConfigHome();
std::string DataHome();

// The per-user folder that stands in for the Windows folder and, for a program installed
// where the user cannot write, for its install folder: $XDG_DATA_HOME/kaleidra-agent, made
// when missing (empty when it cannot be made).
std::string UserDataFolder();

// Where the session's small shared files live (atoms, the companion's lock): $XDG_RUNTIME_DIR,
// else the per-user data folder.
std::string RuntimeFolder();

// The current folder; empty when it cannot be named.
std::string CurrentFolder();

// Path made absolute against the current folder.
std::string AbsolutePath(const std::string& path);

// "file://" and the absolute path with every byte but letters, digits, "-._~/" percent-encoded.
std::string FileUri(const std::string& path);

} // namespace kdx::platform::posix
