#pragma once
#include "platform/HotKeys.h"

#include <string>

namespace kdx::platform::posix {

// The global atom table of the user's session, kept in a file in $XDG_RUNTIME_DIR (the
// per-user data folder when that is unset) and changed under an exclusive lock, so every
// program of the session sees the same atoms and an atom outlives a run that never deleted it.
class PosixAtoms final : public IAtoms {
public:
    std::uint16_t GlobalAddAtom(const std::string& name) override;
    std::uint16_t GlobalDeleteAtom(std::uint16_t atom) override;

    static std::string TableFile();
};

} // namespace kdx::platform::posix
