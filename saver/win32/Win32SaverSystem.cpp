#include "Win32SaverSystem.h"

#include "InputHooks.h"
#include "JobProgram.h"

#include <QWidget>

#include <windows.h>

namespace kdx::saver {

namespace win32 {

namespace {

// The name of the mark of a running companion, one per log-on session ("Local\").
constexpr const char* RunMutex = "Local\\KaleidraKDXSaverRunning";

class Handle final : public IHeld {
public:
    explicit Handle(HANDLE handle) : handle_(handle) { }
    ~Handle() override
    {
        if (handle_)
            CloseHandle(handle_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

private:
    HANDLE handle_;
};

class Nothing final : public IHeld { };

// The file's identity (volume and index), which tells one file under two names.
bool SameFile(const std::string& a, const std::string& b)
{
    const auto identity = [](const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
        const HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
            nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        const bool got = GetFileInformationByHandle(file, &info) != 0;
        CloseHandle(file);
        return got;
    };
    BY_HANDLE_FILE_INFORMATION x {}, y {};
    return identity(a, x) && identity(b, y) && x.dwVolumeSerialNumber == y.dwVolumeSerialNumber
        && x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
}

std::string OwnFile()
{
    char path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::string(path, n) : std::string();
}

bool IsWindowsProgram(const std::string& path)
{
    const HANDLE file = CreateFileA(
        path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    char magic[2] = {};
    DWORD got = 0;
    const bool read = ReadFile(file, magic, 2, &got, nullptr) && got == 2;
    CloseHandle(file);
    return read && magic[0] == 'M' && magic[1] == 'Z';
}

} // namespace

std::unique_ptr<IHeld> Win32SaverSystem::TakeRunLock()
{
    const HANDLE mutex = CreateMutexA(nullptr, FALSE, RunMutex);
    if (!mutex)
        return nullptr;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return nullptr;
    }
    return std::make_unique<Handle>(mutex);
}

// Windows ends a program through its windows, which Qt answers.
std::unique_ptr<IHeld> Win32SaverSystem::EndOnRequests() { return std::make_unique<Nothing>(); }

// Windows starts no second screensaver while this one holds the mark; only the input is watched.
std::unique_ptr<IHeld> Win32SaverSystem::WatchFullScreen(std::function<void()> input)
{
    return std::make_unique<InputHooks>(std::move(input));
}

std::set<quint32> Win32SaverSystem::HeldKeys()
{
    // Qt's native scan code of a key carries the extended-key flag as 0x100: both are held.
    std::set<quint32> held;
    for (int vk = 1; vk < 256; ++vk) {
        if (!(GetAsyncKeyState(vk) & 0x8000))
            continue;
        const UINT scan = MapVirtualKeyW(UINT(vk), MAPVK_VK_TO_VSC);
        if (scan != 0) {
            held.insert(scan);
            held.insert(scan | 0x100);
        }
    }
    return held;
}

std::optional<QSize> Win32SaverSystem::HostWindowSize(unsigned long long host)
{
    const HWND window = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(host));
    RECT inner {};
    if (!IsWindow(window) || !GetClientRect(window, &inner))
        return std::nullopt;
    return QSize(int(inner.right - inner.left), int(inner.bottom - inner.top));
}

// Qt's own parenting to a foreign window left the preview a top-level window under Wine: the
// window is made a child of the host by hand. Qt keeps taking it for a top-level one at 0, 0,
// which is where a child's coordinates put it, so its later resizes land right.
void Win32SaverSystem::ShowInside(QWidget& window, unsigned long long host, QSize size)
{
    window.setGeometry(0, 0, size.width(), size.height());
    window.show();
    const HWND own = reinterpret_cast<HWND>(window.winId());
    const HWND parent = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(host));
    SetWindowLongPtrW(own, GWL_STYLE, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS);
    SetParent(own, parent);
    SetWindowPos(own, HWND_TOP, 0, 0, size.width(), size.height(), SWP_FRAMECHANGED | SWP_SHOWWINDOW);
}

bool Win32SaverSystem::IsSaverProgram(const std::string& path)
{
    // The companion itself, listed by a hand-edited file, would start itself again.
    return IsWindowsProgram(path) && !SameFile(path, OwnFile());
}

std::unique_ptr<IRunningProgram> Win32SaverSystem::Program(const std::string& path)
{
    return std::make_unique<JobProgram>(path);
}

bool Win32SaverSystem::StartAgent(const std::string& program)
{
    if (!IsWindowsProgram(program))
        return false;
    std::string command = "\"" + program + "\" /nominimize";
    STARTUPINFOA start {};
    start.cb = sizeof start;
    PROCESS_INFORMATION started {};
    if (!CreateProcessA(
            program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &start, &started))
        return false;
    // The agent hands itself over to a running one; nothing waits for it.
    AllowSetForegroundWindow(started.dwProcessId);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return true;
}

} // namespace win32

ISaverSystem& System()
{
    static win32::Win32SaverSystem system;
    return system;
}

} // namespace kdx::saver
