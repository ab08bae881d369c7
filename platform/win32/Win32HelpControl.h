#pragma once
#include "platform/HelpControl.h"

namespace kdx::platform::win32 {

// The class registry and the library functions, as the help loader names them.
class Win32HelpControl final : public IHelpControl {
public:
    RegString ClassesRootDefault(const std::string& key) override;
    Module LoadLibrary(const std::string& path) override;
    void* ProcAddress(Module module, const std::string& name) override;
    void FreeLibrary(Module module) override;
    // The caller window is the desktop window.
    void CallHtmlHelp(void* entry, const std::string& topic, unsigned command, std::uintptr_t data) override;
};

} // namespace kdx::platform::win32
