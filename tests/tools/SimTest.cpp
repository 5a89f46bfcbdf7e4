// Tests of build/tvx-sim as a user or a script meets it: a child process on a free loopback port,
// driven through its standard input and real TCP clients, watched through its output lines.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "ChildProcess.h"
#include "Loopback.h"

namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

const std::string kSimPath = std::string(TVX_BINARY_DIR) + "/tvx-sim";

/// build/tvx-sim as a child process.
class SimProcess : public ChildProcess {
  public:
    explicit SimProcess(std::vector<std::string> args) : ChildProcess(kSimPath, std::move(args)) {}

    /// Starts a simulator on a port the system chooses and learns that port.
    static std::unique_ptr<SimProcess> Listening(std::vector<std::string> args = {}) {
        args.insert(args.begin(), {"--listen", "127.0.0.1:0"});
        auto sim = std::make_unique<SimProcess>(args);
        sim->ReadListeningPort();
        return sim;
    }

    void Command(const std::string& line) { ASSERT_TRUE(Write(line + "\n")); }
};

/// A panel as the simulator sees it: a TCP client on the loopback address.
class Client : public LoopbackClient {
  public:
    explicit Client(std::uint16_t port, int receiveBuffer = 0)
        : LoopbackClient(port, receiveBuffer) {
        fcntl(m_fd, F_SETFL, fcntl(m_fd, F_GETFL, 0) | O_NONBLOCK);
    }

    /// Sends all bytes; false when the peer is gone or does not take them in time.
    bool Send(const Bytes& bytes, std::chrono::milliseconds timeout = kTimeout) {
        const auto deadline = Clock::now() + timeout;
        std::size_t at = 0;
        while (at < bytes.size()) {
            const ssize_t sent = send(m_fd, bytes.data() + at, bytes.size() - at, MSG_NOSIGNAL);
            if (sent > 0) {
                at += static_cast<std::size_t>(sent);
                continue;
            }
            if (sent < 0 && errno != EAGAIN && errno != EINTR) {
                return false;
            }
            pollfd entry{m_fd, POLLOUT, 0};
            if (poll(&entry, 1, RemainingMs(deadline)) <= 0) {
                return false;
            }
        }
        return true;
    }

    bool Send(const std::string& text) { return Send(Bytes(text.begin(), text.end())); }

    /// Exactly `size` bytes, or nothing when they do not all come in time.
    std::optional<Bytes> Read(std::size_t size, std::chrono::milliseconds timeout = kTimeout) {
        const auto deadline = Clock::now() + timeout;
        Bytes bytes(size);
        std::size_t at = 0;
        while (at < size) {
            pollfd entry{m_fd, POLLIN, 0};
            if (poll(&entry, 1, RemainingMs(deadline)) <= 0) {
                return std::nullopt;
            }
            const ssize_t got = recv(m_fd, bytes.data() + at, size - at, 0);
            if (got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR)) {
                return std::nullopt;
            }
            at += got > 0 ? static_cast<std::size_t>(got) : 0;
        }
        return bytes;
    }

    /// True when no byte arrives within `wait`.
    bool Quiet(std::chrono::milliseconds wait = 200ms) {
        pollfd entry{m_fd, POLLIN, 0};
        return poll(&entry, 1, static_cast<int>(wait.count())) == 0;
    }

    /// True when the simulator closes the connection in time; data before the end is skipped.
    bool WaitClosed(std::chrono::milliseconds timeout = kTimeout) {
        const auto deadline = Clock::now() + timeout;
        for (;;) {
            pollfd entry{m_fd, POLLIN, 0};
            if (poll(&entry, 1, RemainingMs(deadline)) <= 0) {
                return false;
            }
            std::uint8_t buffer[4096];
            const ssize_t got = recv(m_fd, buffer, sizeof buffer, 0);
            if (got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR)) {
                return true;
            }
        }
    }
};

const Bytes kStateRequest = {'x', '1', '3'};

Bytes Press(int value) {
    return {'x', '1', '1', static_cast<std::uint8_t>(value / 256),
            static_cast<std::uint8_t>(value % 256)};
}

Bytes Release(int value) {
    return {'x', '1', '2', static_cast<std::uint8_t>(value / 256),
            static_cast<std::uint8_t>(value % 256)};
}

/// The lamps a lamp-state message shows on; fails the test if it is no lamp-state message.
std::vector<int> LampsOn(const std::optional<Bytes>& state) {
    std::vector<int> on;
    if (!state || state->size() != 127) {
        ADD_FAILURE() << "no 127-byte lamp state";
        return on;
    }
    for (int lamp = 0; lamp < 1008; ++lamp) {
        if (((*state)[1 + static_cast<std::size_t>(lamp / 8)] >> (lamp % 8)) & 1) {
            on.push_back(lamp);
        }
    }
    return on;
}

/// Asks for the lamp state and returns the lamps that are on.
std::vector<int> AskLamps(SimProcess& sim, Client& client) {
    EXPECT_TRUE(client.Send(kStateRequest));
    EXPECT_EQ(sim.Out().Next(), "state request");
    return LampsOn(client.Read(127));
}

std::unique_ptr<Client> Connect(SimProcess& sim) {
    auto client = std::make_unique<Client>(sim.Port());
    EXPECT_EQ(sim.Out().Next(), "client connected");
    return client;
}

TEST(SimTest, AnswersAStateRequestWithTheWholeLampState) {
    auto sim = SimProcess::Listening();
    auto client = Connect(*sim);
    ASSERT_TRUE(client->Send(kStateRequest));
    EXPECT_EQ(sim->Out().Next(), "state request");
    const auto state = client->Read(127);
    ASSERT_TRUE(state);
    EXPECT_EQ(*state, Bytes(127, 0));
    EXPECT_TRUE(client->Quiet());
}

/// A message a panel sends, the line the simulator prints for it, and the lamps on in the lamp
/// state it answers with (none: it answers nothing).
struct Exchange {
    Bytes message;
    std::string line;
    std::optional<std::vector<int>> lampsOn;
};

/// A simulator started with `args` and one client that sends each message in turn.
void Converse(const std::vector<std::string>& args, const std::vector<Exchange>& exchanges) {
    auto sim = SimProcess::Listening(args);
    auto client = Connect(*sim);
    for (const Exchange& e : exchanges) {
        SCOPED_TRACE(e.line);
        ASSERT_TRUE(client->Send(e.message));
        EXPECT_EQ(sim->Out().Next(), e.line);
        if (e.lampsOn) {
            EXPECT_EQ(LampsOn(client->Read(127)), *e.lampsOn);
        } else {
            EXPECT_TRUE(client->Quiet());
        }
    }
}

using Lamps = std::vector<int>;

TEST(SimTest, ToggleModeTogglesTheLampOfEachPress) {
    Converse({}, {{Press(42), "press 42", Lamps{42}},
                  {Release(42), "release 42", std::nullopt},  // changes nothing in this mode
                  {Press(1007), "press 1007", Lamps{42, 1007}},
                  {Press(42), "press 42", Lamps{1007}},
                  // A value that names no lamp is reported and answered, and changes nothing.
                  {Press(65535), "press 65535", Lamps{1007}}});
}

TEST(SimTest, FollowModeKeepsTheLampOnWhileHeld) {
    Converse({"--mode", "follow"}, {{Press(300), "press 300", Lamps{300}},
                                    {Press(300), "press 300", Lamps{300}},
                                    {Release(300), "release 300", Lamps{}}});
}

TEST(SimTest, ModeNoneOnlyReports) {
    Converse({"--mode=none"}, {{Press(5), "press 5", std::nullopt},
                               {Release(5), "release 5", std::nullopt},
                               {kStateRequest, "state request", Lamps{}}});
}

TEST(SimTest, CommandsSwitchLampsAndSendBytes) {
    auto sim = SimProcess::Listening();
    // Without a client the lamps still change; the next client sees them.
    sim->Command("on 7");
    auto client = Connect(*sim);
    EXPECT_EQ(AskLamps(*sim, *client), std::vector<int>{7});

    sim->Command("on 0");
    EXPECT_EQ(LampsOn(client->Read(127)), (std::vector<int>{0, 7}));
    sim->Command("  on 1007  ");
    EXPECT_EQ(LampsOn(client->Read(127)), (std::vector<int>{0, 7, 1007}));
    sim->Command("off 7");
    EXPECT_EQ(LampsOn(client->Read(127)), (std::vector<int>{0, 1007}));
    sim->Command("all off");
    EXPECT_EQ(LampsOn(client->Read(127)), std::vector<int>{});

    sim->Command("send 78 31 31");
    EXPECT_EQ(client->Read(3), (Bytes{0x78, 0x31, 0x31}));
    sim->Command("send 7831 33 fF");
    EXPECT_EQ(client->Read(4), (Bytes{0x78, 0x31, 0x33, 0xFF}));
    EXPECT_TRUE(client->Quiet());
}

TEST(SimTest, BadCommandsAreAnsweredOnStandardErrorOnly) {
    auto sim = SimProcess::Listening();
    const char* const
        bad[] =
            {
                "on",        "on 1008", "on -1",    "on 5x",      "off",
                "all",       "all on",  "send",     "send 7",     "send 7g",
                "send 78 3", "drop",    "quit now", "frobnicate", "send 78",  // no client yet
            };
    for (const char* command : bad) {
        SCOPED_TRACE(command);
        sim->Command(command);
        const auto error = sim->Err().Next();
        ASSERT_TRUE(error);
        EXPECT_EQ(error->rfind("tvx-sim: ", 0), 0u) << *error;
    }
    auto client = Connect(*sim);
    EXPECT_EQ(AskLamps(*sim, *client), std::vector<int>{});
    EXPECT_FALSE(sim->WaitExit(0ms));
}

TEST(SimTest, DropClosesTheClientAndTheNextOneIsServed) {
    auto sim = SimProcess::Listening();
    auto first = Connect(*sim);
    sim->Command("on 3");
    EXPECT_EQ(LampsOn(first->Read(127)), std::vector<int>{3});
    sim->Command("drop");
    EXPECT_EQ(sim->Out().Next(), "client disconnected");
    EXPECT_TRUE(first->WaitClosed());

    auto second = Connect(*sim);
    EXPECT_EQ(AskLamps(*sim, *second), std::vector<int>{3});
}

struct GarbageCase {
    const char* name;
    Bytes bytes;
    std::vector<std::string> lines;  ///< what is printed, up to the closing state request
};

/// Reads lines up to the `requests`th "state request", adding up garbage counts that the chunks
/// the simulator happened to receive may have split.
std::vector<std::string> LinesToStateRequest(SimProcess& sim, std::size_t requests) {
    std::vector<std::string> lines;
    int garbage = 0;
    while (requests > 0) {
        const auto line = sim.Out().Next();
        if (!line) {
            break;
        }
        int count = 0;
        if (std::sscanf(line->c_str(), "garbage %d bytes", &count) == 1) {
            garbage += count;
            continue;
        }
        if (garbage > 0) {
            lines.push_back("garbage " + std::to_string(garbage) + " bytes");
            garbage = 0;
        }
        lines.push_back(*line);
        if (*line == "state request") {
            --requests;
        }
    }
    return lines;
}

TEST(SimTest, GarbageIsCountedAndTheNextMessageReadInStep) {
    const GarbageCase cases[] = {
        {"plain garbage", {'a', 'b', 'c'}, {"garbage 3 bytes"}},
        {"a lone x before a message", {'x', 'x', '1', '1', 0, 9}, {"garbage 1 bytes", "press 9"}},
        {"an unknown kind",
         {'x', '1', '4', 'x', '1', '2', 1, 0},
         {"garbage 3 bytes", "release 256"}},
        {"x then not 1", {'x', '2', 'x', '1', '1', 0, 1}, {"garbage 2 bytes", "press 1"}},
        {"a message's own bytes may be anything", {'x', '1', '1', 'x', '1'}, {"press 30769"}},
        {"garbage between messages",
         {'x', '1', '1', 0, 1, 0xFF, 0, 'x', '1', '2', 0, 1},
         {"press 1", "garbage 2 bytes", "release 1"}},
        {"trailing 1 after a request",
         {'x', '1', '3', '1', '1'},
         {"state request", "garbage 2 bytes"}},
    };
    auto sim = SimProcess::Listening({"--mode", "none"});
    auto client = Connect(*sim);
    for (const GarbageCase& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes bytes = c.bytes;
        bytes.insert(bytes.end(), kStateRequest.begin(), kStateRequest.end());
        ASSERT_TRUE(client->Send(bytes));
        std::vector<std::string> expected = c.lines;
        expected.push_back("state request");
        const auto requests = static_cast<std::size_t>(
            std::count(expected.begin(), expected.end(), std::string("state request")));
        EXPECT_EQ(LinesToStateRequest(*sim, requests), expected);
        // One lamp state per state request, nothing else.
        EXPECT_TRUE(client->Read(127 * requests));
        EXPECT_TRUE(client->Quiet(50ms));
    }
}

TEST(SimTest, AMessageSplitAcrossSegmentsIsPutTogether) {
    auto sim = SimProcess::Listening();
    auto client = Connect(*sim);
    for (const std::uint8_t byte : Press(513)) {
        ASSERT_TRUE(client->Send(Bytes{byte}));
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_EQ(sim->Out().Next(), "press 513");
    EXPECT_EQ(LampsOn(client->Read(127)), std::vector<int>{513});
}

TEST(SimTest, AClientLeavingMidMessageLeavesNothingForTheNext) {
    auto sim = SimProcess::Listening();
    auto first = Connect(*sim);
    ASSERT_TRUE(first->Send(Bytes{'x', '1', '1', 0}));
    std::this_thread::sleep_for(50ms);
    first->Close();
    EXPECT_EQ(sim->Out().Next(), "garbage 4 bytes");
    EXPECT_EQ(sim->Out().Next(), "client disconnected");

    // The rest of the press, sent by the next client, is no press at all.
    auto second = Connect(*sim);
    ASSERT_TRUE(second->Send(Bytes{5}));
    EXPECT_EQ(sim->Out().Next(), "garbage 1 bytes");
    EXPECT_TRUE(second->Quiet());
    EXPECT_EQ(AskLamps(*sim, *second), std::vector<int>{});
}

TEST(SimTest, ANewClientReplacesTheConnectedOne) {
    auto sim = SimProcess::Listening();
    auto first = Connect(*sim);
    Client second(sim->Port());
    EXPECT_EQ(sim->Out().Next(), "client disconnected");
    EXPECT_EQ(sim->Out().Next(), "client connected");
    EXPECT_TRUE(first->WaitClosed());
    ASSERT_TRUE(second.Send(Press(1)));
    EXPECT_EQ(sim->Out().Next(), "press 1");
    EXPECT_EQ(LampsOn(second.Read(127)), std::vector<int>{1});
}

TEST(SimTest, AClientThatDoesNotReadIsDroppedWithoutStoppingTheSimulator) {
    auto sim = SimProcess::Listening();
    auto greedy = std::make_unique<Client>(sim->Port(), 4096);
    EXPECT_EQ(sim->Out().Next(), "client connected");
    const Bytes requests = [] {
        Bytes bytes;
        for (int i = 0; i < 1000; ++i) {
            bytes.insert(bytes.end(), kStateRequest.begin(), kStateRequest.end());
        }
        return bytes;
    }();
    // Every request asks for 127 bytes that are never read; the simulator must give up on this
    // client rather than buffer without end or stop serving.
    const auto deadline = Clock::now() + 30s;
    while (Clock::now() < deadline && greedy->Send(requests, 2s)) {
    }
    EXPECT_TRUE(sim->Out().SkipTo("client disconnected", 20s));
    const auto complaint = sim->Err().Next();
    ASSERT_TRUE(complaint);
    EXPECT_NE(complaint->find("does not read"), std::string::npos) << *complaint;

    sim->Command("on 9");
    auto next = Connect(*sim);
    EXPECT_EQ(AskLamps(*sim, *next), std::vector<int>{9});
}

TEST(SimTest, EndOfInputDoesNotStopItAndSignalsDo) {
    for (const int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        auto sim = SimProcess::Listening();
        sim->CloseInput();
        std::this_thread::sleep_for(100ms);
        EXPECT_FALSE(sim->WaitExit(0ms));
        auto client = Connect(*sim);
        EXPECT_EQ(AskLamps(*sim, *client), std::vector<int>{});
        sim->Signal(signal);
        const auto status = sim->WaitExit();
        ASSERT_TRUE(status);
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << *status;
        EXPECT_TRUE(client->WaitClosed());
    }
}

TEST(SimTest, QuitEndsIt) {
    auto sim = SimProcess::Listening();
    auto client = Connect(*sim);
    sim->Command("quit");
    const auto status = sim->WaitExit();
    ASSERT_TRUE(status);
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << *status;
}

struct CommandLineCase {
    std::vector<std::string> args;
    int exitCode;
};

TEST(SimTest, CommandLine) {
    // A port that is taken: the one a running simulator holds.
    auto holder = SimProcess::Listening();
    const std::string taken = "127.0.0.1:" + std::to_string(holder->Port());
    const CommandLineCase cases[] = {
        {{"--help"}, 0},
        {{"--mode", "blink"}, 2},
        {{"--listen", "localhost:4001"}, 2},
        {{"--listen", "127.0.0.1:65536"}, 2},
        {{"--listen", "127.0.0.1"}, 2},
        {{"--listen"}, 2},
        {{"--verbose"}, 2},
        {{"--listen", taken}, 1},
    };
    for (const CommandLineCase& c : cases) {
        SCOPED_TRACE(c.args.front() + (c.args.size() > 1 ? " " + c.args[1] : ""));
        SimProcess sim(c.args);
        const auto status = sim.WaitExit();
        ASSERT_TRUE(status);
        EXPECT_TRUE(WIFEXITED(*status));
        EXPECT_EQ(WEXITSTATUS(*status), c.exitCode);
        if (c.exitCode == 0) {
            const auto usage = sim.Out().Next();
            ASSERT_TRUE(usage);
            EXPECT_EQ(usage->rfind("usage: tvx-sim", 0), 0u);
        } else {
            EXPECT_TRUE(sim.Err().Next());
        }
    }
}

}  // namespace
