#include "Win32Atoms.h"

#include <windows.h>

// The interface keeps the plain name that windows.h turns into a macro.
#undef GlobalAddAtom

namespace kdx::platform::win32 {

std::uint16_t Win32Atoms::GlobalAddAtom(const std::string& name) { return GlobalAddAtomA(name.c_str()); }

std::uint16_t Win32Atoms::GlobalDeleteAtom(std::uint16_t atom) { return ::GlobalDeleteAtom(atom); }

} // namespace kdx::platform::win32
