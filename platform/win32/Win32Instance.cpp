#include "Win32Instance.h"

namespace kdx::platform::win32 {

namespace {

// Messages a program defines for itself; system messages keep their default handling.
bool IsOwnMessage(UINT message) { return message >= WM_USER && message < 0xC000; }

// The window procedure's result for a message the agent took; an agent that does not know the
// message gives 0, as DefWindowProc and the agents before the answers do.
constexpr LRESULT Taken = 1;

// Marks a WM_COPYDATA as the agent's answer, so that no other copy is taken for one.
constexpr ULONG_PTR AnswerTag = 0x4B445833; // "KDX3"
const char* const AnswerClass = "KaleidraAgentAnswer";

// A message-only window of the sending process that receives the agent's answer: sent messages
// reach it while the sender waits in SendMessageTimeout.
class AnswerWindow {
public:
    AnswerWindow()
    {
        WNDCLASSA windowClass {};
        windowClass.lpfnWndProc = Receive;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = AnswerClass;
        RegisterClassA(&windowClass);
        window_
            = CreateWindowExA(0, AnswerClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, windowClass.hInstance, nullptr);
        if (window_)
            SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~AnswerWindow()
    {
        if (window_)
            DestroyWindow(window_);
    }
    AnswerWindow(const AnswerWindow&) = delete;
    AnswerWindow& operator=(const AnswerWindow&) = delete;

    HWND Handle() const { return window_; }
    const std::string& Text() const { return text_; }

private:
    static LRESULT CALLBACK Receive(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<AnswerWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (self && message == WM_COPYDATA) {
            const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
            if (data && data->dwData == AnswerTag) {
                self->text_.assign(static_cast<const char*>(data->lpData), data->cbData);
                return TRUE;
            }
            return FALSE;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }

    HWND window_ = nullptr;
    std::string text_;
};

// The running agent may bring its window to the front: the user's start of this program is
// the last input, which Windows otherwise lets only this process use.
void LetComeForward(HWND running)
{
    DWORD process = 0;
    GetWindowThreadProcessId(running, &process);
    if (process)
        AllowSetForegroundWindow(process);
}

} // namespace

Win32Instance::~Win32Instance() { StopListening(); }

bool Win32Instance::PostToRunning(const std::string& name, unsigned message)
{
    const HWND running = FindWindowA(name.c_str(), nullptr);
    if (!running)
        return false;
    LetComeForward(running);
    PostMessageA(running, message, 0, 0);
    return true;
}

HandOver Win32Instance::SendToRunning(const std::string& name, unsigned message, std::string& answer, int timeoutMs)
{
    const HWND running = FindWindowA(name.c_str(), nullptr);
    if (!running)
        return HandOver::NoAgent;
    LetComeForward(running);
    const AnswerWindow answerWindow;
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(running, message, reinterpret_cast<WPARAM>(answerWindow.Handle()), 0,
            SMTO_NORMAL | SMTO_ABORTIFHUNG, UINT(timeoutMs), &result)
        || result != Taken)
        return HandOver::NotTaken;
    answer = answerWindow.Text();
    return HandOver::Taken;
}

bool Win32Instance::Listen(const std::string& name, Receiver receiver)
{
    StopListening();
    if (FindWindowA(name.c_str(), nullptr))
        return false;
    WNDCLASSA windowClass {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = name.c_str();
    if (!RegisterClassA(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return false;
    className_ = name;
    receiver_ = std::move(receiver);
    window_ = CreateWindowExA(
        0, name.c_str(), name.c_str(), WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (!window_)
        return false;
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return true;
}

void Win32Instance::StopListening()
{
    if (window_)
        DestroyWindow(window_);
    window_ = nullptr;
    if (!className_.empty())
        UnregisterClassA(className_.c_str(), GetModuleHandleA(nullptr));
    className_.clear();
    receiver_ = nullptr;
}

LRESULT CALLBACK Win32Instance::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<Win32Instance*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && self->receiver_ && IsOwnMessage(message)) {
        const std::optional<std::string> answer = self->receiver_(message);
        if (!answer)
            return 0;
        // A sent message names the window that waits for the answer; a posted one names none.
        const HWND asking = reinterpret_cast<HWND>(wParam);
        if (!answer->empty() && asking && IsWindow(asking)) {
            COPYDATASTRUCT data {AnswerTag, DWORD(answer->size()), const_cast<char*>(answer->data())};
            DWORD_PTR copied = 0;
            SendMessageTimeoutA(asking, WM_COPYDATA, reinterpret_cast<WPARAM>(window), reinterpret_cast<LPARAM>(&data),
                SMTO_NORMAL | SMTO_ABORTIFHUNG, 5000, &copied);
        }
        return Taken;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace kdx::platform::win32
