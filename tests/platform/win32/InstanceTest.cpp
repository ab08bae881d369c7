// The single-instance hand-over through a window of the agent's class and a posted message.
#include "platform/win32/Win32Instance.h"

#include <gtest/gtest.h>
#include <optional>
#include <random>
#include <string>
#include <vector>

using namespace kdx::platform;

namespace {

// Dispatches what has arrived for this thread's windows, as the agent's event loop would.
void PumpMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
}

TEST(Instance, ASecondStartHandsOverToTheRunningAgent)
{
    const std::string name = "KaleidraAgentTest" + std::to_string(std::random_device()());
    win32::Win32Instance running;
    std::vector<unsigned> received;
    ASSERT_TRUE(running.Listen(name, [&](unsigned message) {
        received.push_back(message);
        return std::optional<std::string>(std::string());
    }));
    ASSERT_TRUE(FindWindowA(name.c_str(), nullptr)) << "found by its class name";

    win32::Win32Instance second;
    EXPECT_FALSE(second.Listen(name, [](unsigned) { return std::optional<std::string>(); })) << "the name is taken";
    EXPECT_TRUE(second.PostToRunning(name, WM_AGENT_ACTIVATE));
    PumpMessages();
    EXPECT_EQ(received, std::vector<unsigned> {WM_AGENT_ACTIVATE});

    running.StopListening();
    EXPECT_FALSE(second.PostToRunning(name, WM_AGENT_ACTIVATE)) << "nobody is found afterwards";
}

// A message sent rather than posted is answered while the sender waits: whether the agent took
// it, and the answer's text through WM_COPYDATA to the sender's own window.
TEST(Instance, ASentMessageIsAnsweredAndOneTheAgentDoesNotKnowIsNotTaken)
{
    const std::string name = "KaleidraAgentTest" + std::to_string(std::random_device()());
    win32::Win32Instance running;
    ASSERT_TRUE(running.Listen(name, [](unsigned message) -> std::optional<std::string> {
        if (message == WM_AGENT_STATUS)
            return std::string("Wallpaper: C:\\pictures\\red.bmp\n");
        if (message == WM_AGENT_EXECUTE)
            return std::string();
        return std::nullopt;
    }));
    win32::Win32Instance asking;
    std::string answer = "left as it was";
    EXPECT_EQ(asking.SendToRunning(name, WM_AGENT_STATUS, answer, 2000), HandOver::Taken);
    EXPECT_EQ(answer, "Wallpaper: C:\\pictures\\red.bmp\n");
    EXPECT_EQ(asking.SendToRunning(name, WM_AGENT_EXECUTE, answer, 2000), HandOver::Taken);
    EXPECT_EQ(answer, "");
    answer = "left as it was";
    EXPECT_EQ(asking.SendToRunning(name, WM_AGENT_ACTIVATE + 0x100, answer, 2000), HandOver::NotTaken);
    EXPECT_EQ(answer, "left as it was");
    running.StopListening();
    EXPECT_EQ(asking.SendToRunning(name, WM_AGENT_STATUS, answer, 2000), HandOver::NoAgent);
}

} // namespace
