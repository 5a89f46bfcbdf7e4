// The real transfer socket against a receiver on the loopback network: a TCP server in the test,
// on port 4001 at an address of its own, answering from a script.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <wx/app.h>

#include "GuiTestSupport.h"
#include "Loopback.h"
#include "link/TransferSocket.h"
#include "model/Layout.h"
#include "model/Paths.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

int g_receiverInstance = 0;

/// An address of 127/8 that nobody else in this run uses (the fake controllers take
/// 127.16-215.x.y).
std::array<int, 4> FreshAddress() {
    const auto pid = static_cast<unsigned>(::getpid());
    const int instance = g_receiverInstance++;
    return {127, 220 + instance % 30, static_cast<int>((pid >> 8) & 0xFF),
            1 + static_cast<int>(pid % 250)};
}

/// A receiving panel: accepts the transfer's connection and answers it by a script. It needs
/// no thread: Poll() accepts, reads and answers, so it is called from WaitFor conditions.
class FakeReceiver {
  public:
    /// `receiveBuffer` above 0 limits what the connection takes in while nobody reads it.
    explicit FakeReceiver(int backlog = 4, int receiveBuffer = 0) {
        for (int attempt = 0; attempt < 30 && m_listener < 0; ++attempt) {
            m_address = FreshAddress();
            m_listener = ListenOn(m_address, 4001, backlog, true, receiveBuffer);
        }
        if (m_listener < 0) {
            ADD_FAILURE() << "the fake receiver found no address to listen on";
        }
    }
    ~FakeReceiver() {
        CloseClient();
        if (m_listener >= 0) {
            ::close(m_listener);
        }
    }
    FakeReceiver(const FakeReceiver&) = delete;
    FakeReceiver& operator=(const FakeReceiver&) = delete;

    std::array<int, 4> Address() const { return m_address; }

    /// Answers as a receiver of a file of `length` bytes under a name of `nameBytes` bytes
    /// would: after the greeting, the name, the length and every full block.
    void Expect(std::size_t nameBytes, std::size_t length) {
        m_answerAt.clear();
        std::size_t at = 3;
        m_answerAt.push_back(at);
        m_answerAt.push_back(at += nameBytes);
        m_answerAt.push_back(at += 3);
        for (std::size_t block = 0; block < length / 1000; ++block) {
            m_answerAt.push_back(at += 1000);
        }
    }

    void Poll() {
        if (m_client < 0 && m_listener >= 0) {
            const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (fd >= 0) {
                const int one = 1;
                ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
                m_client = fd;
                m_peerClosed = false;
                ++m_connections;
                m_received.clear();
                m_answers = 0;
                if (!answerAhead.empty()) {
                    Send(answerAhead);
                }
            }
        }
        while (m_client >= 0 && !readPaused && !m_peerClosed) {
            std::uint8_t buffer[65536];
            const ssize_t count = ::recv(m_client, buffer, sizeof buffer, 0);
            if (count > 0) {
                m_received.insert(m_received.end(), buffer, buffer + count);
                Answer();
            } else if (count == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
                m_peerClosed = true;
                if (lastWord) {
                    Send({static_cast<std::uint8_t>(*lastWord)});
                }
                if (endsWhenPanelEnds) {
                    CloseClient();
                }
                break;
            } else if (errno != EINTR) {
                break;
            }
        }
    }

    /// Polls until the condition holds, keeping the toolkit's loop running.
    bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 5000) {
        return WaitFor(
            [&] {
                Poll();
                return condition();
            },
            timeoutMs);
    }

    /// As WaitUntil, without resting between turns of the loop: for transfers of many blocks,
    /// where each turn takes one answer.
    bool SpinUntil(const std::function<bool()>& condition, int timeoutMs) {
        const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
        while (Clock::now() < end) {
            wxTheApp->Yield(true);
            Poll();
            if (condition()) {
                return true;
            }
        }
        return false;
    }

    const Bytes& Received() const { return m_received; }
    int Answers() const { return m_answers; }
    int Connections() const { return m_connections; }
    bool PeerClosed() const { return m_peerClosed; }
    void CloseClient() {
        if (m_client >= 0) {
            ::close(m_client);
            m_client = -1;
        }
    }

    char greetingAnswer = '>';
    int answerLimit = INT_MAX;  ///< stops answering after so many
    bool readPaused = false;
    Bytes answerAhead;  ///< sent as soon as the connection is accepted
    /// Sent when the panel has ended its side after the last block, as the receiver's word.
    std::optional<char> lastWord;
    /// Whether the receiver ends the connection when the panel has ended its side.
    bool endsWhenPanelEnds = true;

  private:
    void Answer() {
        while (m_answers < static_cast<int>(m_answerAt.size()) && m_answers < answerLimit &&
               m_received.size() >= m_answerAt[static_cast<std::size_t>(m_answers)]) {
            Send({static_cast<std::uint8_t>(m_answers == 0 ? greetingAnswer : '>')});
            ++m_answers;
        }
    }
    void Send(const Bytes& bytes) {
        ASSERT_EQ(::send(m_client, bytes.data(), bytes.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(bytes.size()));
    }

    std::array<int, 4> m_address{};
    int m_listener = -1;
    int m_client = -1;
    int m_connections = 0;
    int m_answers = 0;
    bool m_peerClosed = false;
    std::vector<std::size_t> m_answerAt;
    Bytes m_received;
};

Bytes Pattern(std::size_t size, unsigned seed = 1) {
    Bytes bytes(size);
    std::uint32_t x = seed * 2654435761u + 1;
    for (auto& byte : bytes) {
        x = x * 1664525u + 1013904223u;
        byte = static_cast<std::uint8_t>(x >> 24);
    }
    return bytes;
}

Bytes Wire(const std::string& name, const Bytes& contents) {
    const std::size_t n = contents.size();
    const std::string header = "TVX" + name + static_cast<char>(n >> 16) +
                               static_cast<char>(n >> 8) + static_cast<char>(n);
    Bytes wire(header.begin(), header.end());
    wire.insert(wire.end(), contents.begin(), contents.end());
    return wire;
}

std::string Text(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

class Transfer : public testing::Test {
  protected:
    void SetUp() override {
        SetPrompter(&m_prompter);
        m_layout = SmallLayout();
        m_layout->Form.LayoutDirectory = m_folder.WidePath();
    }
    void TearDown() override { Pump(20); }

    void Put(const std::string& name, const Bytes& contents) {
        m_folder.Write(name, Text(contents));
    }
    /// Starts a transfer of `name` to the receiver.
    void Send(FakeReceiver& receiver, const std::wstring& name) {
        m_layout->Form.Transmit_IP = receiver.Address();
        m_host.transfer.StartTransfer(*m_layout, name);
    }

    FakePrompter m_prompter;
    LayoutFolder m_folder;
    std::unique_ptr<Layout> m_layout;
    TransferHost m_host;
};

TEST_F(Transfer, SendsFilesByteForByteWithTheExactNumberOfAnswers) {
    struct Case {
        std::size_t size;
        int answers;
    };
    const Case cases[] = {{0, 3}, {999, 3}, {1000, 4}, {2500, 5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        const std::string name = "file" + std::to_string(c.size) + ".bin";
        const Bytes contents = Pattern(c.size, static_cast<unsigned>(c.size));
        Put(name, contents);
        FakeReceiver receiver;
        receiver.Expect(name.size(), c.size);
        m_host.states.clear();
        Send(receiver, TextFromNative(name));
        ASSERT_TRUE(receiver.WaitUntil([&] { return receiver.PeerClosed(); }));
        EXPECT_TRUE(receiver.Received() == Wire(name, contents));
        EXPECT_EQ(receiver.Answers(), c.answers);
        EXPECT_TRUE(WaitFor([&] { return m_host.transfer.TransferState() == 888; }));
        EXPECT_EQ(m_host.states.front(), 1);
        EXPECT_EQ(m_host.states.back(), 888);
        EXPECT_TRUE(m_prompter.messages.empty());
    }
}

TEST_F(Transfer, AQuestionMarkToTheGreetingEndsWithErrorAndClosesTheConnection) {
    Put("tvxdef.ini", Pattern(2500));
    FakeReceiver receiver;
    receiver.Expect(10, 2500);
    receiver.greetingAnswer = '?';
    Send(receiver, L"tvxdef.ini");
    ASSERT_TRUE(receiver.WaitUntil([&] { return receiver.PeerClosed(); }));
    EXPECT_EQ(Text(receiver.Received()), "TVX");
    EXPECT_EQ(m_host.transfer.TransferState(), 999);
    EXPECT_FALSE(m_host.transfer.FileRefused());
    EXPECT_EQ(m_prompter.messages, std::vector<std::wstring>{L"Error"});
    EXPECT_EQ(m_host.states.back(), 999);
}

TEST_F(Transfer, AnUnreachableReceiverIsReportedAtOnce) {
    // Nobody listens at this address: the connection is refused.
    m_layout->Form.Transmit_IP = FreshAddress();
    const auto start = Clock::now();
    m_host.transfer.StartTransfer(*m_layout, L"tvxdef.ini");
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(2500));
    EXPECT_EQ(m_prompter.messages, std::vector<std::wstring>{L"Error Client Open"});
    EXPECT_EQ(m_host.transfer.TransferState(), 1);

    // Octets no address has: refused without asking a name server.
    m_prompter.messages.clear();
    m_layout->Form.Transmit_IP = {300, 0, 0, 1};
    m_host.transfer.StartTransfer(*m_layout, L"tvxdef.ini");
    EXPECT_EQ(m_prompter.messages, std::vector<std::wstring>{L"Error Client Open"});
}

TEST_F(Transfer, AReceiverThatNeverAcceptsIsGivenUpAfterTwoSeconds) {
    // A listener with a full queue that never accepts: the handshake is never answered.
    FakeReceiver receiver(0);
    std::vector<int> fillers;
    for (int i = 0; i < 3; ++i) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        const sockaddr_in address = SocketAddress(receiver.Address(), 4001);
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
        fillers.push_back(fd);
    }
    ::usleep(100 * 1000);
    m_layout->Form.Transmit_IP = receiver.Address();
    const auto start = Clock::now();
    m_host.transfer.StartTransfer(*m_layout, L"tvxdef.ini");
    const auto took = Clock::now() - start;
    for (const int fd : fillers) {
        ::close(fd);
    }
    EXPECT_EQ(m_prompter.messages, std::vector<std::wstring>{L"Error Client Open"});
    EXPECT_GE(took, std::chrono::milliseconds(1800));
    EXPECT_LT(took, std::chrono::milliseconds(3500));
    EXPECT_EQ(m_host.transfer.TransferState(), 1);
}

TEST_F(Transfer, CloseBreaksOffInTheMiddleAndTheNextTransferStartsClean) {
    Put("big.png", Pattern(5000));
    FakeReceiver stalling;
    stalling.Expect(7, 5000);
    stalling.answerLimit = 4;  // greeting, name, length, one block
    Send(stalling, L"big.png");
    ASSERT_TRUE(stalling.WaitUntil([&] { return stalling.Received().size() == 3 + 7 + 3 + 2000; }));
    Pump(50);
    EXPECT_EQ(m_host.transfer.TransferState(), 3);

    m_host.transfer.Close();
    ASSERT_TRUE(stalling.WaitUntil([&] { return stalling.PeerClosed(); }));
    EXPECT_EQ(stalling.Received().size(), 3u + 7 + 3 + 2000);
    EXPECT_TRUE(m_prompter.messages.empty());

    Put("next.png", Pattern(1500, 7));
    FakeReceiver receiver;
    receiver.Expect(8, 1500);
    Send(receiver, L"next.png");
    ASSERT_TRUE(receiver.WaitUntil([&] { return receiver.PeerClosed(); }));
    EXPECT_TRUE(receiver.Received() == Wire("next.png", Pattern(1500, 7)));
    EXPECT_TRUE(WaitFor([&] { return m_host.transfer.TransferState() == 888; }));
    EXPECT_TRUE(m_prompter.messages.empty());
}

TEST_F(Transfer, ShortAndMissingNamesSendTheDefaultPictureUnderTheRequestedName) {
    const std::string fallback = m_folder.Read("defaultButton.png");
    // A link that leads out of the layout folder is no file of it.
    LayoutFolder elsewhere;
    elsewhere.Write("secret.png", "not for other panels");
    ASSERT_EQ(::symlink(elsewhere.At("secret.png").c_str(), m_folder.At("link.png").c_str()), 0);
    struct Case {
        std::wstring name;
        std::string wire;
        std::vector<std::wstring> messages;
    };
    const Case cases[] = {
        {L"a.jp", "a.jp", {}},
        {L"lamp.png",
         "lamp.png",
         {L"Datei nicht vorhanden:\n" + m_folder.WidePath() + L"/lamp.png"}},
        {L"link.png",
         "link.png",
         {L"Datei nicht vorhanden:\n" + m_folder.WidePath() + L"/link.png"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.wire);
        m_prompter.messages.clear();
        FakeReceiver receiver;
        receiver.Expect(c.wire.size(), fallback.size());
        Send(receiver, c.name);
        ASSERT_TRUE(receiver.WaitUntil([&] { return receiver.PeerClosed(); }));
        EXPECT_TRUE(receiver.Received() == Wire(c.wire, Bytes(fallback.begin(), fallback.end())));
        EXPECT_EQ(m_prompter.messages, c.messages);
    }
}

TEST_F(Transfer, NamesDifferingOnlyInCaseAreDifferentFiles) {
    Put("Lamp.png", Pattern(1200, 1));
    Put("lamp.png", Pattern(1300, 2));
    for (const auto& [name, contents] : {std::pair{std::string("Lamp.png"), Pattern(1200, 1)},
                                         std::pair{std::string("lamp.png"), Pattern(1300, 2)}}) {
        FakeReceiver receiver;
        receiver.Expect(name.size(), contents.size());
        Send(receiver, TextFromNative(name));
        ASSERT_TRUE(receiver.WaitUntil([&] { return receiver.PeerClosed(); }));
        EXPECT_TRUE(receiver.Received() == Wire(name, contents)) << name;
    }
}

TEST_F(Transfer, AFileOf16MiBIsRefusedBeforeAnythingIsSent) {
    Put("huge.png", {});
    ASSERT_EQ(::truncate((m_folder.Path() + "/huge.png").c_str(), 16 * 1024 * 1024), 0);
    FakeReceiver receiver;
    receiver.Expect(8, 0);
    m_host.states.clear();
    Send(receiver, L"huge.png");
    EXPECT_EQ(m_host.transfer.TransferState(), 999);
    EXPECT_TRUE(m_host.transfer.FileRefused());
    EXPECT_EQ(m_host.states, (std::vector<int>{1, 999}));
    EXPECT_EQ(m_prompter.messages, std::vector<std::wstring>{L"Datei zu gro\u00df:\n" +
                                                             m_folder.WidePath() + L"/huge.png"});
    receiver.WaitUntil([] { return false; }, 200);
    EXPECT_EQ(receiver.Connections(), 0);

    // A refusal in a row is heard again, and the next file goes as usual.
    m_host.states.clear();
    Send(receiver, L"huge.png");
    EXPECT_EQ(m_host.states, (std::vector<int>{1, 999}));
    Put("small.png", Pattern(10));
    receiver.Expect(9, 10);
    Send(receiver, L"small.png");
    EXPECT_FALSE(m_host.transfer.FileRefused());
    ASSERT_TRUE(receiver.WaitUntil([&] { return receiver.PeerClosed(); }));
    EXPECT_TRUE(receiver.Received() == Wire("small.png", Pattern(10)));
}

TEST_F(Transfer, NothingToReadEndsWithErrorAndSendsNoFileBytes) {
    ::unlink((m_folder.Path() + "/defaultButton.png").c_str());
    FakeReceiver receiver;
    receiver.Expect(8, 0);
    Send(receiver, L"lamp.png");
    ASSERT_TRUE(receiver.WaitUntil([&] { return receiver.PeerClosed(); }));
    EXPECT_EQ(Text(receiver.Received()), "TVX");
    EXPECT_EQ(m_host.transfer.TransferState(), 999);
    ASSERT_EQ(m_prompter.messages.size(), 2u);
    EXPECT_EQ(m_prompter.messages[1], L"Error");
}

// A receiver that answers every step at once, before it has anything, is no receiver of the
// file: the panel fails the transfer with "Error" instead of taking the answers for the file.
TEST_F(Transfer, AReceiverThatAnswersAheadOfTimeGetsNoFileCounted) {
    Put("large.png", Pattern(5000, 3));
    FakeReceiver receiver;
    receiver.answerAhead = Bytes(3 + 5, '>');
    m_host.states.clear();
    Send(receiver, L"large.png");
    ASSERT_TRUE(receiver.WaitUntil([&] { return receiver.PeerClosed(); }));
    EXPECT_EQ(Text(receiver.Received()), "TVX");
    EXPECT_EQ(m_host.transfer.TransferState(), 999);
    EXPECT_EQ(m_prompter.messages, std::vector<std::wstring>{L"Error"});
    EXPECT_EQ(std::count(m_host.states.begin(), m_host.states.end(), 888), 0);
}

// After the last block the file is done only on the receiver's word: its end of the connection
// or a '>'. A refusal then is an error; a receiver that never ends leaves the file unconfirmed
// until the wait is broken off.
TEST_F(Transfer, TheLastBlockCountsOnlyWithTheReceiversWord) {
    struct Case {
        const char* name;
        std::optional<char> word;
        bool ends;
        int state;
        std::vector<std::wstring> messages;
    };
    const Case cases[] = {
        {"it ends the connection", std::nullopt, true, 888, {}},
        {"it answers", '>', false, 888, {}},
        {"it refuses", '?', true, 999, {L"Error"}},
        {"it never ends", std::nullopt, false, 4, {}},
    };
    Put("last.png", Pattern(2500, 4));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_prompter.messages.clear();
        FakeReceiver receiver;
        receiver.Expect(8, 2500);
        receiver.lastWord = c.word;
        receiver.endsWhenPanelEnds = c.ends;
        Send(receiver, L"last.png");
        ASSERT_TRUE(receiver.WaitUntil([&] { return receiver.PeerClosed(); }));
        EXPECT_TRUE(receiver.Received() == Wire("last.png", Pattern(2500, 4)));
        receiver.WaitUntil([&] { return m_host.transfer.TransferState() == c.state; }, 2000);
        Pump(300);
        EXPECT_EQ(m_host.transfer.TransferState(), c.state);
        EXPECT_EQ(m_prompter.messages, c.messages);
        m_host.transfer.Close();
    }
}

TEST(TransferFromThePanel, ThePanelWindowPassesTheNotificationsOn) {
    FakePrompter prompter;
    LayoutFolder folder;
    folder.Write(*SmallLayout());
    PanelUnderTest panel(folder, prompter);
    ASSERT_TRUE(panel->StartedUp());
    ASSERT_NE(panel->Link().Transfer(), nullptr);
    const std::string stored = folder.Read("tvxdef.ini");
    FakeReceiver receiver;
    receiver.Expect(10, stored.size());
    TheLayout().Form.Transmit_IP = receiver.Address();
    panel->Link().Transfer()->StartTransfer(TheLayout(), L"tvxdef.ini");
    ASSERT_TRUE(receiver.WaitUntil([&] { return receiver.PeerClosed(); }));
    EXPECT_TRUE(receiver.Received() == Wire("tvxdef.ini", Bytes(stored.begin(), stored.end())));
    EXPECT_TRUE(WaitFor([&] { return panel->Link().Transfer()->TransferState() == 888; }));
}

}  // namespace
