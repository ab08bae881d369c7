#pragma once
#include "platform/HotKeys.h"

namespace kdx::platform::win32 {

// The session's global atom table.
class Win32Atoms final : public IAtoms {
public:
    std::uint16_t GlobalAddAtom(const std::string& name) override;
    std::uint16_t GlobalDeleteAtom(std::uint16_t atom) override;
};

} // namespace kdx::platform::win32
