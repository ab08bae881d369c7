#include "Win32HelpControl.h"

#include "RegHandle.h"

// The interface keeps the plain names that windows.h turns into macros.
#undef LoadLibrary

namespace kdx::platform::win32 {

RegString Win32HelpControl::ClassesRootDefault(const std::string& key)
{
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return {RegRead::Absent, {}};
    const RegHandle handle(opened);
    return QueryRegString(handle.get(), nullptr);
}

IHelpControl::Module Win32HelpControl::LoadLibrary(const std::string& path)
{
    return reinterpret_cast<Module>(LoadLibraryA(path.c_str()));
}

void* Win32HelpControl::ProcAddress(Module module, const std::string& name)
{
    if (!module)
        return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(module), name.c_str()));
}

void Win32HelpControl::FreeLibrary(Module module)
{
    if (module)
        ::FreeLibrary(reinterpret_cast<HMODULE>(module));
}

void Win32HelpControl::CallHtmlHelp(void* entry, const std::string& topic, unsigned command, std::uintptr_t data)
{
    using Entry = HWND(WINAPI*)(HWND caller, LPCSTR file, UINT command, DWORD_PTR data);
    reinterpret_cast<Entry>(entry)(GetDesktopWindow(), topic.c_str(), command, data);
}

} // namespace kdx::platform::win32
