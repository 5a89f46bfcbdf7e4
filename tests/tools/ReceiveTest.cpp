// Tests of build/tvx-receive as a sending panel meets it: a child process on a free loopback
// port, a real TCP client that speaks the transfer, and the folder the files go to.

#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "ToolTestSupport.h"

namespace {

using namespace std::chrono_literals;

const std::string kReceivePath = std::string(TVX_BINARY_DIR) + "/tvx-receive";

/// build/tvx-receive as a child process, listening on a port the system chooses, storing into
/// a fresh folder of its own.
class Receiver {
  public:
    explicit Receiver(std::vector<std::string> args = {}) {
        m_folder = testing::TempDir() + "tvx-receive-XXXXXX";
        if (mkdtemp(m_folder.data()) == nullptr) {
            ADD_FAILURE() << "mkdtemp";
            return;
        }
        m_into = m_folder + "/into";
        std::filesystem::create_directory(m_into);
        args.insert(args.begin(), {"--listen", "127.0.0.1:0", "--into", m_into});
        m_process = std::make_unique<ChildProcess>(kReceivePath, args);
        m_process->ReadListeningPort();
    }

    ~Receiver() {
        m_process.reset();
        std::filesystem::remove_all(m_folder);
    }

    std::uint16_t Port() const { return m_process->Port(); }
    std::optional<std::string> Line(std::chrono::milliseconds timeout = kTimeout) {
        return m_process->Out().Next(timeout);
    }
    void Signal(int signal) { m_process->Signal(signal); }
    std::optional<int> WaitExit() { return m_process->WaitExit(); }

    /// Names in the target folder, temporaries included, and everything beside it.
    std::vector<std::string> Stored() const { return Names(m_into); }
    std::vector<std::string> BesideTheFolder() const { return Names(m_folder); }
    std::string Contents(const std::string& name) const {
        std::ifstream in(m_into + "/" + name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

  private:
    static std::vector<std::string> Names(const std::string& folder) {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string m_folder;
    std::string m_into;
    std::unique_ptr<ChildProcess> m_process;
};

/// The sending panel: a TCP client that sends a step and waits for the one-byte answer.
class Sender : public LoopbackClient {
  public:
    using LoopbackClient::LoopbackClient;

    bool Send(const std::string& bytes) {
        return send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
               static_cast<ssize_t>(bytes.size());
    }

    /// The next byte from the receiver; 'E' when it closed the connection, 'T' on no answer.
    char Answer(std::chrono::milliseconds timeout = kTimeout) {
        pollfd entry{m_fd, POLLIN, 0};
        if (poll(&entry, 1, static_cast<int>(timeout.count())) <= 0) {
            return 'T';
        }
        char byte = 0;
        return recv(m_fd, &byte, 1, 0) == 1 ? byte : 'E';
    }

    /// Sends a whole file as the panel does and returns the answers it got, one per step.
    std::string SendFile(const std::string& name, const std::string& contents) {
        std::string answers;
        const auto step = [&](const std::string& bytes) {
            if (!answers.empty() && answers.back() != '>') {
                return false;
            }
            Send(bytes);
            answers += Answer();
            return true;
        };
        const std::size_t n = contents.size();
        step("TVX") && step(name) &&
            step(std::string{static_cast<char>(n >> 16), static_cast<char>(n >> 8),
                             static_cast<char>(n)});
        std::size_t at = 0;
        while (answers == std::string(answers.size(), '>') && n - at > 999) {
            step(contents.substr(at, 1000));
            at += 1000;
        }
        if (answers == std::string(answers.size(), '>')) {
            Send(contents.substr(at));
        }
        Close();
        return answers;
    }
};

std::string Pattern(std::size_t size, unsigned seed = 1) {
    std::string bytes(size, '\0');
    std::uint32_t x = seed;
    for (char& byte : bytes) {
        x = x * 1664525u + 1013904223u;
        byte = static_cast<char>(x >> 24);
    }
    return bytes;
}

std::string Header(const std::string& name, std::size_t length) {
    return std::string("TVX") + name + static_cast<char>(length >> 16) +
           static_cast<char>(length >> 8) + static_cast<char>(length);
}

TEST(Receive, StoresFileAfterFileByteForByte) {
    Receiver receiver;
    struct Case {
        std::string name;
        std::size_t size;
        std::string answers;
    };
    const Case cases[] = {
        {"tvxdef.ini", 2500, ">>>>>"},
        {"empty.png", 0, ">>>"},
        {"block.png", 1000, ">>>>"},
        {"short.png", 999, ">>>"},
    };
    for (const Case& c : cases) {
        Sender sender(receiver.Port());
        EXPECT_EQ(sender.SendFile(c.name, Pattern(c.size, 9)), c.answers) << c.name;
        EXPECT_EQ(receiver.Line(), "received " + c.name + " " + std::to_string(c.size) + " bytes");
        EXPECT_EQ(receiver.Contents(c.name), Pattern(c.size, 9)) << c.name;
    }
    EXPECT_EQ(receiver.Stored(),
              (std::vector<std::string>{"block.png", "empty.png", "short.png", "tvxdef.ini"}));

    // A second sending of a name replaces the first; a name from ISO-8859-1 is stored in UTF-8.
    Sender again(receiver.Port());
    EXPECT_EQ(again.SendFile("tvxdef.ini", "new"), ">>>");
    EXPECT_EQ(receiver.Line(), "received tvxdef.ini 3 bytes");
    EXPECT_EQ(receiver.Contents("tvxdef.ini"), "new");
    Sender latin(receiver.Port());
    EXPECT_EQ(latin.SendFile("K\xFC"
                             "che.png",
                             "k"),
              ">>>");
    EXPECT_EQ(receiver.Line(),
              "received K\xC3\xBC"
              "che.png 1 bytes");
    EXPECT_EQ(receiver.Contents("K\xC3\xBC"
                                "che.png"),
              "k");
}

TEST(Receive, RefusesHostileNamesAndStoresNothing) {
    Receiver receiver;
    struct Case {
        std::string name;
        std::string line;
    };
    const Case cases[] = {
        {"../evil.png", "refused ../evil.png: path separator in the name"},
        {"sub/evil.png", "refused sub/evil.png: path separator in the name"},
        {"sub\\evil.png", "refused sub\\x5Cevil.png: path separator in the name"},
        {"..", "refused ..: \"..\" in the name"},
        {"a..png", "refused a..png: \"..\" in the name"},
        {".hidden.png", "refused .hidden.png: name starts with a dot"},
        {"bad\x01.png", "refused bad\\x01.png: control character in the name"},
        {"bad\x7F.png", "refused bad\\x7F.png: control character in the name"},
        {"bad\x85.png", "refused bad\\x85.png: control character in the name"},
        {std::string(200, '\xE9'), "refused " +
                                       [] {
                                           std::string shown;
                                           for (int i = 0; i < 200; ++i) {
                                               shown += "\\xE9";
                                           }
                                           return shown;
                                       }() +
                                       ": name too long"},
    };
    for (const Case& c : cases) {
        Sender sender(receiver.Port());
        ASSERT_TRUE(sender.Send("TVX"));
        EXPECT_EQ(sender.Answer(), '>');
        ASSERT_TRUE(sender.Send(c.name));
        EXPECT_EQ(sender.Answer(), '?') << c.line;
        sender.Close();
        EXPECT_EQ(receiver.Line(), c.line);
    }
    EXPECT_TRUE(receiver.Stored().empty());
    EXPECT_EQ(receiver.BesideTheFolder(), std::vector<std::string>{"into"});
}

TEST(Receive, ATransferClosedEarlyLeavesNoPartialFile) {
    Receiver receiver;
    Sender sender(receiver.Port());
    sender.Send("TVX");
    EXPECT_EQ(sender.Answer(), '>');
    sender.Send("part.png");
    EXPECT_EQ(sender.Answer(), '>');
    sender.Send(std::string{0, 0x09, static_cast<char>(0xC4)});
    EXPECT_EQ(sender.Answer(), '>');
    sender.Send(Pattern(1000));
    EXPECT_EQ(sender.Answer(), '>');
    sender.Send(Pattern(500));
    sender.Close();
    EXPECT_EQ(receiver.Line(), "refused part.png: closed early after 1500 of 2500 bytes");
    EXPECT_TRUE(receiver.Stored().empty());
}

TEST(Receive, DropsAStalledTransferAndServesTheNextClient) {
    Receiver receiver({"--timeout", "0.5"});
    Sender stalled(receiver.Port());
    stalled.Send(Header("stall.png", 2500).substr(0, 3));
    EXPECT_EQ(stalled.Answer(), '>');
    stalled.Send("stall.png");
    EXPECT_EQ(stalled.Answer(), '>');
    stalled.Send(Header("stall.png", 2500).substr(12));
    EXPECT_EQ(stalled.Answer(), '>');
    stalled.Send(Pattern(300));
    // Meanwhile the next panel waits in the queue.
    Sender next(receiver.Port());
    next.Send("TVX");
    const auto start = Clock::now();
    EXPECT_EQ(stalled.Answer(3s), 'E');
    const auto waited = Clock::now() - start;
    EXPECT_GE(waited, 400ms);
    EXPECT_LT(waited, 2s);
    EXPECT_EQ(receiver.Line(), "refused stall.png: stalled, nothing for 0.5 s");
    EXPECT_TRUE(receiver.Stored().empty());

    EXPECT_EQ(next.Answer(), '>');
    next.Send("next.png");
    EXPECT_EQ(next.Answer(), '>');
    next.Send(std::string{0, 0, 2});
    EXPECT_EQ(next.Answer(), '>');
    next.Send("ok");
    next.Close();
    EXPECT_EQ(receiver.Line(), "received next.png 2 bytes");
}

TEST(Receive, MisbehavesOnRequest) {
    {
        Receiver receiver({"--answer-greeting", "?"});
        Sender sender(receiver.Port());
        EXPECT_EQ(sender.SendFile("x.png", "abc"), "?");
        EXPECT_EQ(receiver.Line(), "refused -: greeting answered with '?' (--answer-greeting)");
        EXPECT_TRUE(receiver.Stored().empty());
    }
    {
        Receiver receiver({"--close-after", "1010"});
        Sender sender(receiver.Port());
        // 3 + 5 + 3 bytes of header, then the cut falls inside the first block.
        EXPECT_EQ(sender.SendFile("x.png", Pattern(2500)), ">>>E");
        EXPECT_EQ(receiver.Line(), "refused x.png: closed after 1010 bytes (--close-after)");
        EXPECT_TRUE(receiver.Stored().empty());
    }
    {
        Receiver receiver({"--slow", "150"});
        Sender sender(receiver.Port());
        const auto start = Clock::now();
        sender.Send("TVX");
        EXPECT_EQ(sender.Answer(), '>');
        EXPECT_GE(Clock::now() - start, 140ms);
        Sender rest(receiver.Port());
        sender.Close();
        EXPECT_EQ(receiver.Line(), "refused -: closed early");
        const auto restStart = Clock::now();
        EXPECT_EQ(rest.SendFile("slow.png", Pattern(1500)), ">>>>");
        EXPECT_GE(Clock::now() - restStart, 4 * 140ms);
        EXPECT_EQ(receiver.Line(), "received slow.png 1500 bytes");
    }
}

TEST(Receive, AStopSignalDuringATransferLeavesNoPartialFile) {
    Receiver receiver;
    Sender sender(receiver.Port());
    sender.Send("TVX");
    EXPECT_EQ(sender.Answer(), '>');
    sender.Send("half.png");
    EXPECT_EQ(sender.Answer(), '>');
    sender.Send(std::string{0, 0x09, static_cast<char>(0xC4)});
    EXPECT_EQ(sender.Answer(), '>');
    sender.Send(Pattern(600));
    std::this_thread::sleep_for(100ms);
    ASSERT_EQ(receiver.Stored().size(), 1u);  // the temporary file
    receiver.Signal(SIGTERM);
    const auto status = receiver.WaitExit();
    ASSERT_TRUE(status.has_value());
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
    EXPECT_TRUE(receiver.Stored().empty());
}

TEST(Receive, RejectsABadCommandLine) {
    struct Case {
        std::vector<std::string> args;
        int exitCode;
    };
    const Case cases[] = {
        {{"--listen", "localhost:4001"}, 2},
        {{"--timeout", "0"}, 2},
        {{"--answer-greeting", "ab"}, 2},
        {{"--slow", "-1"}, 2},
        {{"--frobnicate"}, 2},
        {{"--into", "/nonexistent/folder"}, 1},
    };
    for (const Case& c : cases) {
        ChildProcess receiver(kReceivePath, c.args);
        const auto status = receiver.WaitExit();
        ASSERT_TRUE(status) << c.args[0];
        EXPECT_TRUE(WIFEXITED(*status));
        EXPECT_EQ(WEXITSTATUS(*status), c.exitCode) << c.args[0];
    }
}

}  // namespace
