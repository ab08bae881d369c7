#pragma once
#include "platform/Instance.h"

#include <windows.h>

namespace kdx::platform::win32 {

// The rendezvous is a hidden top-level window of the agent's own class, so FindWindowA finds
// it by its class name. Messages posted to it are handed to the receiver by whatever message
// loop runs on the thread that listened (the agent's event loop). A message sent to it is
// answered by the window procedure's result (taken or not), and its answer's text goes back
// by WM_COPYDATA to the window the sender names in wParam, while the sender waits.
class Win32Instance final : public IInstance {
public:
    ~Win32Instance() override;

    bool PostToRunning(const std::string& name, unsigned message) override;
    HandOver SendToRunning(const std::string& name, unsigned message, std::string& answer, int timeoutMs) override;
    bool Listen(const std::string& name, Receiver receiver) override;
    void StopListening() override;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    std::string className_;
    Receiver receiver_;
};

} // namespace kdx::platform::win32
