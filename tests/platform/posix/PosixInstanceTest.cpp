#include "platform/posix/PosixInstance.h"
#include "support/Sandbox.h"

#include <QCoreApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace kdx::test {
namespace {

using platform::posix::PosixInstance;

class SingleInstanceTest : public ::testing::Test {
protected:
    SingleInstanceTest()
    {
        runtime = sandbox.Root() + "/runtime";
        mkdir(runtime.c_str(), 0700);
        sandbox.SetEnv("XDG_RUNTIME_DIR", runtime);
        sandbox.SetEnv("WAYLAND_DISPLAY", "");
        sandbox.SetEnv("DISPLAY", ":5");
    }

    PosixInstance::Receiver Record()
    {
        return [this](unsigned message) {
            received.push_back(message);
            return std::optional<std::string>(std::string());
        };
    }

    Sandbox sandbox;
    std::string runtime;
    std::vector<unsigned> received;
};

TEST_F(SingleInstanceTest, NobodyListeningMeansNoAgentRuns)
{
    PosixInstance starting;
    EXPECT_FALSE(starting.PostToRunning(platform::AgentName, platform::WM_AGENT_ACTIVATE));
}

TEST_F(SingleInstanceTest, TheRunningAgentReceivesTheHandOverMessage)
{
    PosixInstance running;
    ASSERT_TRUE(running.Listen(platform::AgentName, Record()));
    EXPECT_EQ(PosixInstance::RendezvousPath(platform::AgentName), runtime + "/KaleidraAgent-:5");
    PosixInstance second;
    EXPECT_TRUE(second.PostToRunning(platform::AgentName, platform::WM_AGENT_ACTIVATE));
    EXPECT_TRUE(second.PostToRunning(platform::AgentName, platform::WM_AGENT_ACTIVATE));
    EXPECT_TRUE(QTest::qWaitFor([&] { return received.size() == size_t(2); }));
    EXPECT_EQ(received[0], 0x1400u);
    running.StopListening();
    EXPECT_FALSE(second.PostToRunning(platform::AgentName, platform::WM_AGENT_ACTIVATE));
}

TEST_F(SingleInstanceTest, ALiveAgentKeepsTheName)
{
    PosixInstance running;
    ASSERT_TRUE(running.Listen(platform::AgentName, Record()));
    PosixInstance late;
    EXPECT_FALSE(late.Listen(platform::AgentName, Record()));
    // The refused one did not disturb the running one.
    EXPECT_TRUE(late.PostToRunning(platform::AgentName, platform::WM_AGENT_ACTIVATE));
    EXPECT_TRUE(QTest::qWaitFor([&] { return received.size() == size_t(1); }));
}

// A socket bound at the agent's rendezvous by a program other than PosixInstance; -1 on failure.
int BindRendezvous()
{
    const std::string path = PosixInstance::RendezvousPath(platform::AgentName);
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

TEST_F(SingleInstanceTest, ARendezvousLeftByAKilledAgentIsTakenOver)
{
    // A socket file that nobody serves any more, as a killed agent leaves it.
    const int fd = BindRendezvous();
    ASSERT_GE(fd, 0);
    close(fd);
    ASSERT_TRUE(Sandbox::Exists(PosixInstance::RendezvousPath(platform::AgentName)));

    PosixInstance starting;
    EXPECT_FALSE(starting.PostToRunning(platform::AgentName, platform::WM_AGENT_ACTIVATE));
    ASSERT_TRUE(starting.Listen(platform::AgentName, Record()));
    PosixInstance second;
    EXPECT_TRUE(second.PostToRunning(platform::AgentName, platform::WM_AGENT_ACTIVATE));
    EXPECT_TRUE(QTest::qWaitFor([&] { return received.size() == size_t(1); }));
}

// A raw connection to the running agent's rendezvous, as a peer other than the agent makes it.
int ConnectRaw()
{
    const std::string path = PosixInstance::RendezvousPath(platform::AgentName);
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    return fd;
}

TEST_F(SingleInstanceTest, GarbageAndSilentPeersDoNotReachTheAgent)
{
    PosixInstance running;
    ASSERT_TRUE(running.Listen(platform::AgentName, Record()));
    for (const std::string& bytes : {std::string(), std::string("abc")}) {
        const int fd = ConnectRaw();
        if (!bytes.empty()) {
            ASSERT_EQ(write(fd, bytes.data(), bytes.size()), ssize_t(bytes.size()));
        }
        close(fd);
    }
    // A peer that connects and stays silent does not hold the agent up either.
    const int silent = ConnectRaw();
    QTest::qWait(100);
    EXPECT_TRUE(received.empty());
    PosixInstance second;
    EXPECT_TRUE(second.PostToRunning(platform::AgentName, platform::WM_AGENT_ACTIVATE));
    EXPECT_TRUE(QTest::qWaitFor([&] { return received.size() == size_t(1); }));
    close(silent);
}

TEST_F(SingleInstanceTest, AMessageArrivingInPiecesIsTakenWhole)
{
    PosixInstance running;
    ASSERT_TRUE(running.Listen(platform::AgentName, Record()));
    const int fd = ConnectRaw();
    const char packet[12] = {0x00, 0x14, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    ASSERT_EQ(write(fd, packet, 5), 5);
    QTest::qWait(50);
    EXPECT_TRUE(received.empty());
    ASSERT_EQ(write(fd, packet + 5, 7), 7);
    EXPECT_TRUE(QTest::qWaitFor([&] { return received.size() == size_t(1); }));
    EXPECT_EQ(received[0], 0x1400u);
    close(fd);
}

TEST_F(SingleInstanceTest, ANameTooLongForASocketIsRefusedCleanly)
{
    const std::string deep = sandbox.Root() + "/" + std::string(120, 'r');
    mkdir(deep.c_str(), 0700);
    sandbox.SetEnv("XDG_RUNTIME_DIR", deep);
    PosixInstance running;
    EXPECT_FALSE(running.Listen(platform::AgentName, Record()));
    EXPECT_FALSE(running.PostToRunning(platform::AgentName, platform::WM_AGENT_ACTIVATE));
}

TEST_F(SingleInstanceTest, WithoutARuntimeFolderTheNameCarriesTheUser)
{
    sandbox.SetEnv("XDG_RUNTIME_DIR", "");
    sandbox.SetEnv("TMPDIR", sandbox.Root());
    EXPECT_EQ(PosixInstance::RendezvousPath("KaleidraAgent"),
        sandbox.Root() + "/KaleidraAgent-:5-" + std::to_string(getuid()));
}

// One agent per graphical session: a second session of the same user (another display, X11
// or Wayland) starts its own agent; within a session the hand-over stays as it is.
TEST_F(SingleInstanceTest, EachGraphicalSessionHasARendezvousOfItsOwn)
{
    PosixInstance first;
    ASSERT_TRUE(first.Listen(platform::AgentName, Record()));
    sandbox.SetEnv("DISPLAY", ":5.0");
    EXPECT_TRUE(PosixInstance().PostToRunning(platform::AgentName, platform::WM_AGENT_ACTIVATE))
        << "the same display, screen number or not";
    QTRY_COMPARE(received.size(), size_t(1));

    sandbox.SetEnv("DISPLAY", ":6");
    PosixInstance second;
    EXPECT_FALSE(second.PostToRunning(platform::AgentName, platform::WM_AGENT_ACTIVATE));
    EXPECT_TRUE(second.Listen(platform::AgentName, Record()));

    sandbox.SetEnv("WAYLAND_DISPLAY", "wayland-1");
    EXPECT_EQ(PosixInstance::RendezvousPath(platform::AgentName), runtime + "/KaleidraAgent-wayland-1");
    EXPECT_FALSE(PosixInstance().PostToRunning(platform::AgentName, platform::WM_AGENT_ACTIVATE));
    sandbox.SetEnv("WAYLAND_DISPLAY", "/run/user/7/wayland-0");
    EXPECT_EQ(PosixInstance::RendezvousPath(platform::AgentName), runtime + "/KaleidraAgent-_run_user_7_wayland-0");

    sandbox.SetEnv("WAYLAND_DISPLAY", "");
    sandbox.SetEnv("DISPLAY", "");
    EXPECT_EQ(PosixInstance::RendezvousPath(platform::AgentName), runtime + "/KaleidraAgent") << "no display";
    EXPECT_EQ(received.size(), size_t(1));
}

// What SendToRunning gave, asked on a thread of its own while this one runs the agent's event loop.
struct Asked {
    platform::HandOver result = platform::HandOver::NoAgent;
    std::string answer = "none";
};

Asked AskRunning(unsigned message, int timeoutMs = 2000)
{
    Asked asked;
    std::atomic<bool> done {false};
    std::thread asking([&] {
        asked.result = PosixInstance().SendToRunning(platform::AgentName, message, asked.answer, timeoutMs);
        done = true;
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return done.load(); }, timeoutMs + 3000));
    asking.join();
    return asked;
}

TEST_F(SingleInstanceTest, ASentMessageGetsTheAgentsAnswerAndOneItDoesNotKnowIsNotTaken)
{
    PosixInstance running;
    ASSERT_TRUE(running.Listen(platform::AgentName, [&](unsigned message) -> std::optional<std::string> {
        received.push_back(message);
        if (message == platform::WM_AGENT_STATUS)
            return std::string("Wallpaper: /pictures/red.bmp\n") + std::string(100000, 'x');
        if (message == platform::WM_AGENT_EXECUTE)
            return std::string();
        return std::nullopt;
    }));
    const Asked status = AskRunning(platform::WM_AGENT_STATUS);
    EXPECT_EQ(status.result, platform::HandOver::Taken);
    EXPECT_EQ(status.answer, "Wallpaper: /pictures/red.bmp\n" + std::string(100000, 'x')) << "a long answer whole";
    const Asked command = AskRunning(platform::WM_AGENT_EXECUTE);
    EXPECT_EQ(command.result, platform::HandOver::Taken);
    EXPECT_EQ(command.answer, "");
    EXPECT_EQ(AskRunning(0x1499).result, platform::HandOver::NotTaken) << "a message it does not know";
    EXPECT_EQ(received, (std::vector<unsigned> {platform::WM_AGENT_STATUS, platform::WM_AGENT_EXECUTE, 0x1499}));
    running.StopListening();
    EXPECT_EQ(AskRunning(platform::WM_AGENT_STATUS).result, platform::HandOver::NoAgent);
}

// An agent of the time before answers reads its message and ends the connection; one that hangs
// takes the connection and never reads. Neither holds the asking program beyond its wait.
TEST_F(SingleInstanceTest, AnAgentThatDoesNotAnswerIsNotTakenForOneThatDid)
{
    const int server = BindRendezvous();
    ASSERT_GE(server, 0);
    ASSERT_EQ(listen(server, 4), 0);
    std::thread oldAgent([&] {
        const int peer = accept(server, nullptr, nullptr);
        char packet[12];
        EXPECT_EQ(recv(peer, packet, sizeof packet, MSG_WAITALL), 12);
        close(peer);
    });
    std::string answer;
    EXPECT_EQ(PosixInstance().SendToRunning(platform::AgentName, platform::WM_AGENT_STATUS, answer, 2000),
        platform::HandOver::NotTaken);
    oldAgent.join();
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(PosixInstance().SendToRunning(platform::AgentName, platform::WM_AGENT_STATUS, answer, 300),
        platform::HandOver::NotTaken)
        << "nobody accepts";
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(1500));
    close(server);
}

} // namespace
} // namespace kdx::test
