// The single-instance hand-over through a window of the agent's class and a posted message.
#include "platform/win32/Win32Instance.h"

#include <gtest/gtest.h>
#include <random>

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
    ASSERT_TRUE(running.Listen(name, [&](unsigned message) { received.push_back(message); }));
    ASSERT_TRUE(FindWindowA(name.c_str(), nullptr)) << "found by its class name";

    win32::Win32Instance second;
    EXPECT_FALSE(second.Listen(name, [](unsigned) {})) << "the name is taken";
    EXPECT_TRUE(second.PostToRunning(name, WM_AGENT_ACTIVATE));
    PumpMessages();
    EXPECT_EQ(received, std::vector<unsigned> {WM_AGENT_ACTIVATE});

    running.StopListening();
    EXPECT_FALSE(second.PostToRunning(name, WM_AGENT_ACTIVATE)) << "nobody is found afterwards";
}

} // namespace
