#pragma once
#include "platform/HelpControl.h"

namespace kdx::platform::posix {

// Linux has no class registry, so the HTML Help control is never found here; the library calls
// are the dynamic loader's.
class PosixHelpControl final : public IHelpControl {
public:
    RegString ClassesRootDefault(const std::string& key) override;
    Module LoadLibrary(const std::string& path) override;
    void* ProcAddress(Module module, const std::string& name) override;
    void FreeLibrary(Module module) override;
    void CallHtmlHelp(void* entry, const std::string& topic, unsigned command, std::uintptr_t data) override;
};

} // namespace kdx::platform::posix
