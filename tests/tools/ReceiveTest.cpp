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

#include "ReceiverProcess.h"
#include "ToolTestSupport.h"

namespace {

using namespace std::chrono_literals;

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
        {"tvxdef.ini", 2500, ">>>>>"}, {"empty.png", 0, ">>>"},  {"block.png", 1000, ">>>>"},
        {"short.png", 999, ">>>"},     {"photo.JPEG", 1, ">>>"},
    };
    for (const Case& c : cases) {
        Sender sender(receiver.Port());
        EXPECT_EQ(sender.SendFile(c.name, Pattern(c.size, 9)), c.answers) << c.name;
        EXPECT_EQ(receiver.Line(), "received " + c.name + " " + std::to_string(c.size) + " bytes");
        EXPECT_EQ(receiver.Contents(c.name), Pattern(c.size, 9)) << c.name;
    }
    EXPECT_EQ(receiver.Stored(), (std::vector<std::string>{"block.png", "empty.png", "photo.JPEG",
                                                           "short.png", "tvxdef.ini"}));

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

const std::string kNotStored = "neither tvxdef.ini nor a picture (.png, .jpg, .jpeg, .bmp)";

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
        {"notes.txt", "refused notes.txt: " + kNotStored},
        {"TVXDEF.INI", "refused TVXDEF.INI: " + kNotStored},
        {"x.png.sh", "refused x.png.sh: " + kNotStored},
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

TEST(Receive, TakesFilesOnlyFromAllowedAddresses) {
    struct Case {
        std::vector<std::string> allow;
        std::string from;
        bool taken;
    };
    const Case cases[] = {
        {{}, "127.0.0.1", true},
        {{}, "127.200.3.4", true},
        {{"127.0.0.3"}, "127.0.0.3", true},
        {{"127.0.0.3"}, "127.0.0.2", false},
        // Given addresses replace the loopback network.
        {{"127.0.0.3"}, "127.0.0.1", false},
        {{"127.0.0.8/29"}, "127.0.0.15", true},
        {{"127.0.0.8/29"}, "127.0.0.16", false},
        {{"127.0.0.8/29"}, "127.0.0.7", false},
        {{"127.0.0.9/29"}, "127.0.0.8", true},
        {{"10.0.0.0/8", "127.0.0.2"}, "127.0.0.2", true},
        {{"10.0.0.0/8", "127.0.0.2"}, "127.0.0.4", false},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args;
        for (const std::string& range : c.allow) {
            args.insert(args.end(), {"--allow", range});
        }
        Receiver receiver(args);
        Sender sender(receiver.Port(), 0, c.from);
        if (c.taken) {
            EXPECT_EQ(sender.SendFile("a.png", "abc"), ">>>") << c.from;
            EXPECT_EQ(receiver.Line(), "received a.png 3 bytes") << c.from;
            continue;
        }
        // Closed before a byte is answered, whatever the stranger sends.
        sender.Send("TVX");
        EXPECT_EQ(sender.Answer(), 'E') << c.from;
        EXPECT_EQ(receiver.Line(), "refused -: " + c.from + " is not allowed to send (--allow)");
        EXPECT_TRUE(receiver.Stored().empty());
    }

    // A refused stranger does not keep the receiver from the panel that may send.
    Receiver receiver({"--allow", "127.0.0.3"});
    Sender stranger(receiver.Port(), 0, "127.0.0.4");
    Sender panel(receiver.Port(), 0, "127.0.0.3");
    EXPECT_EQ(panel.SendFile("b.png", "xyz"), ">>>");
    EXPECT_EQ(receiver.Line(), "refused -: 127.0.0.4 is not allowed to send (--allow)");
    EXPECT_EQ(receiver.Line(), "received b.png 3 bytes");
    EXPECT_EQ(receiver.Stored(), std::vector<std::string>{"b.png"});
}

TEST(Receive, RefusesAFileThatDoesNotFitOnTheDisk) {
    // 1 MiB always stays free: with 1 MiB and 1500 bytes free, 1500 bytes fit and 1501 do not.
    const std::string free = std::to_string((1 << 20) + 1500);
    struct Case {
        std::string free;
        std::string name;
        std::size_t size;
        std::string answers;
        std::string line;
    };
    const Case cases[] = {
        {free, "fits.png", 1500, ">>>>", "received fits.png 1500 bytes"},
        {free, "big.png", 1501, ">>?",
         "refused big.png: no room, 1501 bytes with 1050076 free and 1048576 to keep free"},
        {"1048576", "empty.png", 0, ">>>", "received empty.png 0 bytes"},
        {"1048575", "empty.png", 0, ">>?",
         "refused empty.png: no room, 0 bytes with 1048575 free and 1048576 to keep free"},
        {"0", "tvxdef.ini", 10, ">>?",
         "refused tvxdef.ini: no room, 10 bytes with 0 free and 1048576 to keep free"},
    };
    for (const Case& c : cases) {
        Receiver receiver({"--assume-free", c.free});
        Sender sender(receiver.Port());
        EXPECT_EQ(sender.SendFile(c.name, Pattern(c.size)), c.answers) << c.name;
        EXPECT_EQ(receiver.Line(), c.line);
        const bool stored = c.answers.back() == '>';
        EXPECT_EQ(receiver.Stored(),
                  stored ? std::vector<std::string>{c.name} : std::vector<std::string>{});
    }
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
        {{"--allow", "localhost"}, 2},
        {{"--allow", "127.0.0.1/33"}, 2},
        {{"--allow", "127.0.0.1/"}, 2},
        {{"--allow", "127.0.0/8"}, 2},
        {{"--assume-free", "lots"}, 2},
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
