#include "AgentCommandLine.h"

#include <cstdio>
#include <windows.h>

namespace kdx {

namespace {

bool Usable(DWORD which)
{
    const HANDLE handle = GetStdHandle(which);
    return handle && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

// A windowed program has no console of its own. Its output goes where the program that started
// it sent its standard handles (a file, a pipe), else to that program's console; from the
// shell (the Run box, a shortcut) there is none, and a message box says it.
class ParentConsole final : public IConsole {
public:
    ParentConsole()
    {
        const bool out = Usable(STD_OUTPUT_HANDLE);
        const bool error = Usable(STD_ERROR_HANDLE);
        console_ = out && error;
        if (!console_ && AttachConsole(ATTACH_PARENT_PROCESS)) {
            console_ = true;
            // A stream sent elsewhere (a file) stays there.
            if (!out)
                std::freopen("CONOUT$", "w", stdout);
            if (!error)
                std::freopen("CONOUT$", "w", stderr);
        }
    }
    void Out(const std::string& text) override { Write(stdout, text, MB_ICONINFORMATION); }
    void Error(const std::string& text) override { Write(stderr, text, MB_ICONWARNING); }

private:
    void Write(std::FILE* stream, const std::string& text, UINT icon)
    {
        if (!console_) {
            MessageBoxA(nullptr, text.c_str(), "Kaleidra Agent", MB_OK | icon);
            return;
        }
        std::fputs(text.c_str(), stream);
        if (text.empty() || text.back() != '\n')
            std::fputc('\n', stream);
        std::fflush(stream);
    }

    bool console_ = false;
};

} // namespace

IConsole& StartingConsole()
{
    static ParentConsole console;
    return console;
}

} // namespace kdx
