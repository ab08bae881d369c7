#pragma once
#include "Registry.h"

#include <cstdint>
#include <string>

namespace kdx::platform {

// What the help loader needs of the system: the class registry, where the HTML Help control is
// registered, and loading that control's library by file.
class IHelpControl {
public:
    virtual ~IHelpControl() = default;
    using Module = std::uintptr_t; // 0: not loaded

    // RegOpenKeyExA(HKEY_CLASSES_ROOT, Key, read-only) and the key's default value; Absent when
    // the key cannot be opened.
    virtual RegString ClassesRootDefault(const std::string& key) = 0;
    virtual Module LoadLibrary(const std::string& path) = 0; // LoadLibraryA
    virtual void* ProcAddress(Module module, const std::string& name) = 0; // GetProcAddress
    virtual void FreeLibrary(Module module) = 0;
    // Calls an entry found by ProcAddress as HtmlHelp(desktop window, Topic, Command, Data).
    virtual void CallHtmlHelp(void* entry, const std::string& topic, unsigned command, std::uintptr_t data) = 0;
};

} // namespace kdx::platform
