#include "PosixHelpControl.h"

#include <dlfcn.h>

namespace kdx::platform::posix {

RegString PosixHelpControl::ClassesRootDefault(const std::string&) { return {RegRead::Absent, {}}; }

IHelpControl::Module PosixHelpControl::LoadLibrary(const std::string& path)
{
    return reinterpret_cast<Module>(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL));
}

void* PosixHelpControl::ProcAddress(Module module, const std::string& name)
{
    return module ? dlsym(reinterpret_cast<void*>(module), name.c_str()) : nullptr;
}

void PosixHelpControl::FreeLibrary(Module module)
{
    if (module)
        dlclose(reinterpret_cast<void*>(module));
}

void PosixHelpControl::CallHtmlHelp(void* entry, const std::string& topic, unsigned command, std::uintptr_t data)
{
    using Entry = void* (*)(void* caller, const char* topic, unsigned command, std::uintptr_t data);
    // There is no desktop window to pass as the caller here.
    reinterpret_cast<Entry>(entry)(nullptr, topic.c_str(), command, data);
}

} // namespace kdx::platform::posix
