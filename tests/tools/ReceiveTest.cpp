// Tests of build/tvx-receive as a sending panel meets it: a child process on a free loopback
// port, a real TCP client that speaks the transfer, and the folder the files go to.

#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
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

#include "ChildProcess.h"
#include "Loopback.h"
#include "ReceiverProcess.h"
#include "TempFolder.h"

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

    /// Sends `bytes` and adds the answer to `answers`, unless an answer so far was no '>'.
    bool Step(std::string& answers, const std::string& bytes) {
        if (!Answered(answers)) {
            return false;
        }
        Send(bytes);
        answers += Answer();
        return true;
    }

    /// Sends the greeting, the name and the length, each after the answer to the one before;
    /// returns the answers.
    std::string Begin(const std::string& name, std::size_t length) {
        std::string answers;
        Step(answers, "TVX") && Step(answers, name) &&
            Step(answers, std::string{static_cast<char>(length >> 16),
                                      static_cast<char>(length >> 8), static_cast<char>(length)});
        return answers;
    }

    /// Begins a file of `length` bytes and sends `part` of it as the panel does, without
    /// closing: returns the answers to the header's steps and to each whole block of `part`;
    /// what is left of `part` after its last whole block goes unanswered.
    std::string SendPart(const std::string& name, std::size_t length, const std::string& part) {
        std::string answers = Begin(name, length);
        std::size_t at = 0;
        while (part.size() - at > 999 && Step(answers, part.substr(at, 1000))) {
            at += 1000;
        }
        if (Answered(answers)) {
            Send(part.substr(at));
        }
        return answers;
    }

    /// Sends a whole file as the panel does and returns the answers it got, one per step.
    /// `toTheEnd` waits after the last block as well: 'E' when the receiver closes (it has
    /// stored the file), else the byte it sends instead.
    std::string SendFile(const std::string& name, const std::string& contents,
                         bool toTheEnd = false) {
        std::string answers = SendPart(name, contents.size(), contents);
        if (toTheEnd && Answered(answers)) {
            shutdown(m_fd, SHUT_WR);
            answers += Answer();
        }
        Close();
        return answers;
    }

  private:
    /// Every answer so far was '>'.
    static bool Answered(const std::string& answers) {
        return answers.find_first_not_of('>') == std::string::npos;
    }
};

int Milliseconds(Clock::duration duration) {
    return static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(duration).count());
}

/// A "Vm...:" figure of /proc/PID/status in KiB; -1 when there is none.
long StatusKiB(pid_t pid, const std::string& field) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(field + ":", 0) == 0) {
            return std::stol(line.substr(field.size() + 1));
        }
    }
    return -1;
}

/// The descriptors a process holds open.
std::size_t OpenDescriptors(pid_t pid) {
    const std::filesystem::path fds = "/proc/" + std::to_string(pid) + "/fd";
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(fds),
                                                  std::filesystem::directory_iterator()));
}

/// The descriptors a process holds once the count has stayed the same for a while: a runtime
/// under a sanitizer may hold one for a moment after start.
std::size_t SettledDescriptors(pid_t pid) {
    std::size_t count = OpenDescriptors(pid);
    for (const auto start = Clock::now(); Clock::now() - start < kTimeout;) {
        std::this_thread::sleep_for(200ms);
        const std::size_t again = OpenDescriptors(pid);
        if (again == count) {
            break;
        }
        count = again;
    }
    return count;
}

TEST(Receive, StoresFileAfterFileByteForByte) {
    Receiver receiver;
    struct Case {
        std::string name;
        std::string contents;
        std::string answers;
    };
    const Case cases[] = {
        {"tvxdef.ini", LayoutBytes(2500, 9), ">>>>>"},
        {"block.png", Picture(1000, 9), ">>>>"},
        {"short.png", Picture(999, 9), ">>>"},
        {"photo.JPEG", kPixel, ">>>"},
    };
    for (const Case& c : cases) {
        Sender sender(receiver.Port());
        EXPECT_EQ(sender.SendFile(c.name, c.contents), c.answers) << c.name;
        EXPECT_EQ(receiver.Line(),
                  "received " + c.name + " " + std::to_string(c.contents.size()) + " bytes");
        EXPECT_EQ(receiver.Contents(c.name), c.contents) << c.name;
    }
    EXPECT_EQ(receiver.Stored(),
              (std::vector<std::string>{"block.png", "photo.JPEG", "short.png", "tvxdef.ini"}));

    // A second sending of a name replaces the first; a name from ISO-8859-1 is stored in UTF-8.
    Sender again(receiver.Port());
    EXPECT_EQ(again.SendFile("tvxdef.ini", LayoutBytes(11)), ">>>");
    EXPECT_EQ(receiver.Line(), "received tvxdef.ini 11 bytes");
    EXPECT_EQ(receiver.Contents("tvxdef.ini"), LayoutBytes(11));
    // The layout it replaced is kept, as with the panel's own stores: the last five distinct
    // versions, newest first. The layout that is there already replaces nothing.
    EXPECT_EQ(receiver.Contents("tvxdef.ini.bak"), LayoutBytes(2500, 9));
    std::vector<std::string> sent = {LayoutBytes(2500, 9), LayoutBytes(11)};
    for (const int length : {20, 20, 30, 40, 50, 60}) {
        Sender next(receiver.Port());
        EXPECT_EQ(next.SendFile("tvxdef.ini", LayoutBytes(length)), ">>>");
        EXPECT_EQ(receiver.Line(), "received tvxdef.ini " + std::to_string(length) + " bytes");
        if (sent.back() != LayoutBytes(length)) {
            sent.push_back(LayoutBytes(length));
        }
        EXPECT_EQ(receiver.Contents("tvxdef.ini.bak"), sent[sent.size() - 2]);
    }
    EXPECT_EQ(receiver.Contents("tvxdef.ini"), sent.back());
    for (int generation = 0; generation < 5; ++generation) {
        const std::string name =
            "tvxdef.ini.bak" + (generation > 0 ? "." + std::to_string(generation) : "");
        EXPECT_EQ(receiver.Contents(name), sent[sent.size() - 2 - generation]) << name;
    }
    Sender latin(receiver.Port());
    EXPECT_EQ(latin.SendFile("K\xFC"
                             "che.png",
                             kPixel),
              ">>>");
    EXPECT_EQ(receiver.Line(),
              "received K\xC3\xBC"
              "che.png 69 bytes");
    EXPECT_EQ(receiver.Contents("K\xC3\xBC"
                                "che.png"),
              kPixel);
}

// A file the panel could not use never takes the place of one it can: it is refused with '?'
// as the answer to its last step, whichever that is, and the folder stays as it was.
TEST(Receive, RefusesContentsThePanelCannotUseAndKeepsTheFolderAsItWas) {
    Receiver receiver;
    const std::string layout = LayoutBytes(3000, 4);
    std::ofstream(receiver.Into() + "/tvxdef.ini", std::ios::binary) << layout;
    std::ofstream(receiver.Into() + "/tvxdef.ini.bak", std::ios::binary) << LayoutBytes(2000, 5);
    std::ofstream(receiver.Into() + "/pic.png", std::ios::binary) << Picture(500);
    const auto before = FilesIn(receiver.Into());
    const std::string noLayout =
        "no layout the panel can use: its last line is not \"EndOfFile\" "
        "(cut off, or no layout file)";
    const std::string noPicture =
        "no picture the panel can read: the picture reader does not know its header";
    const std::string cutPicture =
        "no picture the panel can read: it ends before the picture does (cut off)";
    struct Case {
        std::string name;
        std::string contents;
        std::string answers;
        std::string reason;
    };
    const Case cases[] = {
        {"tvxdef.ini", layout.substr(0, 2500), ">>>>>?", noLayout},
        {"tvxdef.ini", layout.substr(0, 2000), ">>>>?", noLayout},
        {"tvxdef.ini", Pattern(1500), ">>>>?", noLayout},
        {"tvxdef.ini", "", ">>?", noLayout},
        {"pic.png", Pattern(1500), ">>>>?", noPicture},
        {"pic.png", kPixel.substr(0, 30), ">>>?", noPicture},
        {"pic.png", kPixel.substr(0, 60), ">>>?", cutPicture},
        {"TvxMenu.png", kPixel.substr(0, 40), ">>>?", cutPicture},
        {"new.jpg", "", ">>?", noPicture},
    };
    for (const Case& c : cases) {
        Sender sender(receiver.Port());
        EXPECT_EQ(sender.SendFile(c.name, c.contents, true), c.answers) << c.name;
        EXPECT_EQ(receiver.Line(), "refused " + c.name + ": " + c.reason);
    }
    EXPECT_TRUE(FilesIn(receiver.Into()) == before) << "the folder changed";

    // A whole layout still takes the place of the one there, which becomes the backup.
    Sender sender(receiver.Port());
    EXPECT_EQ(sender.SendFile("tvxdef.ini", LayoutBytes(1200, 6), true), ">>>>E");
    EXPECT_EQ(receiver.Line(), "received tvxdef.ini 1200 bytes");
    EXPECT_EQ(receiver.Contents("tvxdef.ini"), LayoutBytes(1200, 6));
    EXPECT_EQ(receiver.Contents("tvxdef.ini.bak"), layout);
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
        EXPECT_EQ(sender.Begin(c.name, 10), ">?") << c.line;
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
            EXPECT_EQ(sender.SendFile("a.png", kPixel), ">>>") << c.from;
            EXPECT_EQ(receiver.Line(), "received a.png 69 bytes") << c.from;
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
    EXPECT_EQ(panel.SendFile("b.png", kPixel), ">>>");
    EXPECT_EQ(receiver.Line(), "refused -: 127.0.0.4 is not allowed to send (--allow)");
    EXPECT_EQ(receiver.Line(), "received b.png 69 bytes");
    EXPECT_EQ(receiver.Stored(), std::vector<std::string>{"b.png"});

    // An address with bits set past its prefix takes in its whole network, and says so.
    Receiver wide({"--allow", "127.0.0.50/30"});
    EXPECT_EQ(wide.ErrorLine(),
              "tvx-receive: --allow 127.0.0.50/30 has bits set past its prefix: "
              "it allows 127.0.0.48/30, 127.0.0.48 to 127.0.0.51");
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
        {"1048645", "pixel.png", 69, ">>>", "received pixel.png 69 bytes"},
        {"1048644", "pixel.png", 69, ">>?",
         "refused pixel.png: no room, 69 bytes with 1048644 free and 1048576 to keep free"},
        {"0", "tvxdef.ini", 69, ">>?",
         "refused tvxdef.ini: no room, 69 bytes with 0 free and 1048576 to keep free"},
    };
    for (const Case& c : cases) {
        Receiver receiver({"--assume-free", c.free});
        Sender sender(receiver.Port());
        EXPECT_EQ(sender.SendFile(c.name, Picture(c.size)), c.answers) << c.name;
        EXPECT_EQ(receiver.Line(), c.line);
        const bool stored = c.answers.back() == '>';
        EXPECT_EQ(receiver.Stored(),
                  stored ? std::vector<std::string>{c.name} : std::vector<std::string>{});
    }
}

TEST(Receive, ATransferClosedEarlyLeavesNoPartialFile) {
    Receiver receiver;
    Sender sender(receiver.Port());
    EXPECT_EQ(sender.SendPart("part.png", 2500, Pattern(1500)), ">>>>");
    sender.Close();
    EXPECT_EQ(receiver.Line(), "refused part.png: closed early after 1500 of 2500 bytes");
    EXPECT_TRUE(receiver.Stored().empty());
}

TEST(Receive, DropsAStalledTransferAndServesTheNextClient) {
    Receiver receiver({"--timeout", "0.5"});
    Sender stalled(receiver.Port());
    EXPECT_EQ(stalled.SendPart("stall.png", 2500, Pattern(300)), ">>>");
    const auto start = Clock::now();
    // Meanwhile the next panel is served.
    Sender next(receiver.Port());
    EXPECT_EQ(next.SendFile("next.png", kPixel), ">>>");
    EXPECT_EQ(receiver.Line(), "received next.png 69 bytes");
    EXPECT_LT(Clock::now() - start, 400ms);

    EXPECT_EQ(stalled.Answer(3s), 'E');
    const auto waited = Clock::now() - start;
    EXPECT_GE(waited, 400ms);
    EXPECT_LT(waited, 2s);
    EXPECT_EQ(receiver.Line(), "refused stall.png: stalled, nothing for 0.5 s");
    EXPECT_EQ(receiver.Stored(), std::vector<std::string>{"next.png"});
}

TEST(Receive, SilentClientsDelayNobody) {
    Receiver receiver;  // a silent client is dropped after the default 10 s
    std::vector<std::unique_ptr<Sender>> silent;
    for (int i = 0; i < 10; ++i) {
        silent.push_back(std::make_unique<Sender>(receiver.Port()));
    }
    // One more has begun a file and stopped.
    Sender stopped(receiver.Port());
    EXPECT_EQ(stopped.Begin("stopped.png", 5000), ">>>");

    const auto start = Clock::now();
    Sender panel(receiver.Port());
    EXPECT_EQ(panel.SendFile("panel.png", Picture(2500)), ">>>>>");
    EXPECT_EQ(receiver.Line(), "received panel.png 2500 bytes");
    const auto served = Clock::now() - start;
    // One after another, the silent ones would hold the panel for 100 s.
    EXPECT_LT(served, 3s);
    RecordProperty("served_ms", Milliseconds(served));
    EXPECT_EQ(receiver.Contents("panel.png"), Picture(2500));
}

TEST(Receive, CutsATrickleAtTheDeadlineAndServesOthersMeanwhile) {
    Receiver receiver({"--timeout", "1.5", "--deadline", "4"});
    const auto start = Clock::now();
    Sender trickle(receiver.Port());
    EXPECT_EQ(trickle.Begin("trickle.png", 2500), ">>>");
    // A byte a second is never stalled for the timeout: only the deadline ends it.
    char answer = 'T';
    for (int sent = 1; answer == 'T' && Clock::now() - start < 10s; ++sent) {
        trickle.Send("x");
        if (sent == 2) {
            const auto otherStart = Clock::now();
            Sender other(receiver.Port());
            EXPECT_EQ(other.SendFile("other.png", Picture(2500)), ">>>>>");
            EXPECT_EQ(receiver.Line(), "received other.png 2500 bytes");
            // Served after the trickle, it would wait 2 s.
            const auto served = Clock::now() - otherStart;
            EXPECT_LT(served, 1500ms);
            RecordProperty("served_ms", Milliseconds(served));
        }
        answer = trickle.Answer(1s);
    }
    EXPECT_EQ(answer, 'E');
    const auto took = Clock::now() - start;
    EXPECT_GE(took, 3900ms);
    EXPECT_LT(took, 6s);
    EXPECT_EQ(receiver.Line(), "refused trickle.png: not done within 4 s (--deadline)");
    EXPECT_EQ(receiver.Stored(), std::vector<std::string>{"other.png"});
}

TEST(Receive, ServesTwoHundredSendersAtOnce) {
    constexpr int kSenders = 200;
    const auto name = [](int i) { return "s" + std::to_string(1000 + i) + ".png"; };
    // The default limit of places is well below the senders: the rest wait for theirs.
    Receiver receiver;
    std::vector<std::string> answers(kSenders);
    std::vector<Clock::duration> took(kSenders);
    std::atomic<bool> running{true};
    long mostResident = 0;
    std::thread memory([&] {
        while (running) {
            mostResident = std::max(mostResident, StatusKiB(receiver.Pid(), "VmRSS"));
            std::this_thread::sleep_for(5ms);
        }
    });
    std::vector<std::thread> senders;
    for (int i = 0; i < kSenders; ++i) {
        senders.emplace_back([&, i] {
            const auto start = Clock::now();
            Sender sender(receiver.Port());
            answers[i] = sender.SendFile(name(i), Picture(300, i));
            took[i] = Clock::now() - start;
        });
    }
    for (std::thread& sender : senders) {
        sender.join();
    }
    running = false;
    memory.join();
    for (int i = 0; i < kSenders; ++i) {
        EXPECT_EQ(answers[i], ">>>") << name(i);
    }
    std::sort(took.begin(), took.end());
    EXPECT_LT(took.back(), 10s);
    RecordProperty("median_ms", Milliseconds(took[kSenders / 2]));
    RecordProperty("slowest_ms", Milliseconds(took.back()));
    RecordProperty("most_VmRSS_KiB", static_cast<int>(mostResident));
    RecordProperty("VmHWM_KiB", static_cast<int>(StatusKiB(receiver.Pid(), "VmHWM")));
    // Places hold no file in memory: far below what 200 files of 16 MiB would need.
    EXPECT_LT(StatusKiB(receiver.Pid(), "VmHWM"), 64 * 1024);

    // One line per file, nothing else.
    for (int i = 0; i < kSenders; ++i) {
        const auto line = receiver.Line();
        ASSERT_TRUE(line) << "a line is missing";
        EXPECT_TRUE(line->rfind("received s", 0) == 0 && line->find(".png 300 bytes") == 14)
            << *line;
    }
    EXPECT_EQ(receiver.Stored().size(), static_cast<std::size_t>(kSenders));
    for (int i = 0; i < kSenders; ++i) {
        EXPECT_EQ(receiver.Contents(name(i)), Picture(300, i)) << name(i);
    }
}

TEST(Receive, AClientBeyondTheLimitWaitsForAPlace) {
    {
        // A place given up is taken at once by the client waiting for it.
        Receiver receiver({"--max-connections", "2", "--timeout", "5"});
        Sender one(receiver.Port());
        Sender two(receiver.Port());
        for (Sender* held : {&one, &two}) {
            held->Send("TVX");
            EXPECT_EQ(held->Answer(), '>');
        }
        Sender three(receiver.Port());
        three.Send("TVX");
        EXPECT_EQ(three.Answer(300ms), 'T');
        const auto start = Clock::now();
        one.Close();
        EXPECT_EQ(receiver.Line(), "refused -: closed early");
        EXPECT_EQ(three.Answer(), '>');
        EXPECT_LT(Clock::now() - start, 2s);
        three.Send("three.png");
        EXPECT_EQ(three.Answer(), '>');
        three.Send(std::string{0, 0, static_cast<char>(kPixel.size())});
        EXPECT_EQ(three.Answer(), '>');
        three.Send(kPixel);
        three.Close();
        EXPECT_EQ(receiver.Line(), "received three.png 69 bytes");
    }
    {
        // With a client waiting, a silent one gives up its place after a short while, long
        // before its timeout; one that sends keeps its place.
        Receiver receiver({"--max-connections", "2"});
        Sender busy(receiver.Port());
        EXPECT_EQ(busy.Begin("busy.png", 2500), ">>>");
        Sender silent(receiver.Port());
        const auto start = Clock::now();
        Clock::duration served{};
        std::atomic<bool> panelDone{false};
        std::thread panel([&] {
            Sender sender(receiver.Port());
            EXPECT_EQ(sender.SendFile("panel.png", Picture(1500)), ">>>>");
            served = Clock::now() - start;
            panelDone = true;
        });
        while (!panelDone && Clock::now() - start < 8s && busy.Answer(300ms) == 'T') {
            busy.Send("x");
        }
        panel.join();
        EXPECT_GE(served, 1900ms);
        EXPECT_LT(served, 5s);
        RecordProperty("served_ms", Milliseconds(served));
        EXPECT_EQ(busy.Answer(0ms), 'T');
        EXPECT_EQ(receiver.Line(), "refused -: silent while another client waited for a place");
        EXPECT_EQ(receiver.Line(), "received panel.png 1500 bytes");
    }
    {
        // So does one that has had its last answer and keeps the connection open.
        Receiver receiver({"--max-connections", "1"});
        Sender refused(receiver.Port());
        EXPECT_EQ(refused.Begin("../x.png", 10), ">?");
        EXPECT_EQ(receiver.Line(), "refused ../x.png: path separator in the name");
        const auto start = Clock::now();
        Sender panel(receiver.Port());
        EXPECT_EQ(panel.SendFile("panel.png", kPixel), ">>>");
        EXPECT_LT(Clock::now() - start, 5s);
        EXPECT_EQ(receiver.Line(), "received panel.png 69 bytes");
    }
}

TEST(Receive, LeavesNoDescriptorOrTemporaryFileBehind) {
    Receiver receiver({"--timeout", "0.5", "--deadline", "1.5"});
    const std::size_t idle = SettledDescriptors(receiver.Pid());
    std::filesystem::create_directory(std::filesystem::path(receiver.Into()) / "folder.png");
    // Every way a transfer ends, at once.
    Sender good(receiver.Port());
    Sender inTheWay(receiver.Port());
    Sender early(receiver.Port());
    Sender stalled(receiver.Port());
    Sender trickle(receiver.Port());
    Sender silent(receiver.Port());
    EXPECT_EQ(inTheWay.Begin("folder.png", 10), ">?");
    for (auto [sender, name] : {std::pair{&early, "early.png"}, std::pair{&stalled, "stalled.png"},
                                std::pair{&trickle, "trickle.png"}}) {
        EXPECT_EQ(sender->SendPart(name, 2500, Pattern(500)), ">>>");
    }
    early.Close();
    EXPECT_EQ(good.SendFile("good.png", Picture(2500)), ">>>>>");
    const auto start = Clock::now();
    while (trickle.Answer(300ms) == 'T' && Clock::now() - start < 5s) {
        trickle.Send("x");
    }
    std::vector<std::string> lines;
    for (int i = 0; i < 6; ++i) {
        lines.push_back(receiver.Line().value_or("(none)"));
    }
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "received good.png 2500 bytes",
                         "refused -: stalled, nothing for 0.5 s",
                         "refused early.png: closed early after 500 of 2500 bytes",
                         "refused folder.png: already there as a folder",
                         "refused stalled.png: stalled, nothing for 0.5 s",
                         "refused trickle.png: not done within 1.5 s (--deadline)",
                     }));
    // The refused name's connection ends once its sender has the answer.
    inTheWay.Close();
    const auto closing = Clock::now();
    while (OpenDescriptors(receiver.Pid()) > idle && Clock::now() - closing < kTimeout) {
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_LE(OpenDescriptors(receiver.Pid()), idle);
    EXPECT_EQ(receiver.Stored(), (std::vector<std::string>{"folder.png", "good.png"}));
}

// A receiver killed in the middle of transfers leaves its temporary files; the next one started
// on the folder removes them, but not the file that another receiver there is still writing.
TEST(Receive, RemovesTheTemporariesOfAKilledReceiverAtStart) {
    Receiver killed;
    Receiver other({"--into", killed.Into()});
    Sender first(killed.Port());
    Sender second(killed.Port());
    Sender going(other.Port());
    const std::string picture = Picture(2500);
    for (auto [sender, name] :
         {std::pair{&first, "a.png"}, std::pair{&second, "b.png"}, std::pair{&going, "c.png"}}) {
        EXPECT_EQ(sender->SendPart(name, 2500, picture.substr(0, 1000)), ">>>>") << name;
    }
    EXPECT_EQ(killed.Stored().size(), 3u);
    killed.Signal(SIGKILL);
    ASSERT_TRUE(killed.WaitExit().has_value());

    Receiver next({"--into", killed.Into()});
    std::vector<std::string> lines;
    for (int i = 0; i < 2; ++i) {
        lines.push_back(next.Line().value_or("(none)"));
    }
    for (const std::string& line : lines) {
        EXPECT_EQ(line.rfind("removed .tvx-receive-", 0), 0u) << line;
        EXPECT_EQ(line.substr(line.find(',')), ", left by a transfer broken off") << line;
    }
    EXPECT_EQ(next.Line(300ms), std::nullopt);
    EXPECT_EQ(killed.Stored().size(), 1u);

    // The other receiver's transfer goes on undisturbed.
    std::string answers;
    EXPECT_TRUE(going.Step(answers, picture.substr(1000, 1000)));
    going.Send(picture.substr(2000));
    going.Close();
    EXPECT_EQ(answers, ">");
    EXPECT_EQ(other.Line(), "received c.png 2500 bytes");
    EXPECT_EQ(killed.Stored(), std::vector<std::string>{"c.png"});
}

TEST(Receive, OpensAsManyFilesAsItsConnectionsNeed) {
    rlimit limit{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &limit), 0);
    if (limit.rlim_max < 216) {
        GTEST_SKIP() << "the hard limit of open files is below what the test asks for";
    }
    const TempFolder temp("tvx-receive");
    const std::string& folder = temp.Path();
    // 100 connections need 216 descriptors: two for each and some for the receiver itself.
    const auto start = [&folder](const std::string& ulimit) {
        return std::make_unique<ChildProcess>(
            "/bin/sh", std::vector<std::string>{"-c", ulimit + " && exec \"$0\" \"$@\"",
                                                kReceivePath, "--listen", "127.0.0.1:0", "--into",
                                                folder, "--max-connections", "100"});
    };
    {
        // Below its hard limit, the receiver raises its own.
        const auto receiver = start("ulimit -S -n 40");
        receiver->ReadListeningPort();
        std::vector<std::unique_ptr<Sender>> held;
        for (int i = 0; i < 60; ++i) {
            held.push_back(std::make_unique<Sender>(receiver->Port()));
        }
        Sender panel(receiver->Port());
        EXPECT_EQ(panel.SendFile("panel.png", kPixel), ">>>");
        EXPECT_EQ(receiver->Out().Next(), "received panel.png 69 bytes");
    }
    {
        // Above it, it does not start.
        const auto receiver = start("ulimit -n 40");
        const auto status = receiver->WaitExit();
        ASSERT_TRUE(status.has_value());
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 1);
        EXPECT_EQ(receiver->Err().Next(),
                  "tvx-receive: --max-connections 100 needs 216 open files, the limit is 40 "
                  "(ulimit -n)");
    }
}

TEST(Receive, RefusesANameThatIsNoFileInTheFolderBeforeItsContents) {
    Receiver receiver;
    const std::filesystem::path into = receiver.Into();
    std::filesystem::create_directory(into / "folder.png");
    ASSERT_EQ(mkfifo((into / "pipe.png").c_str(), 0600), 0);
    std::ofstream(into / "kept.png") << "kept";
    std::filesystem::create_symlink("kept.png", into / "link.png");
    std::filesystem::create_symlink("folder.png", into / "folder-link.png");
    const std::pair<std::string, std::string> cases[] = {
        {"folder.png", "a folder"},
        {"pipe.png", "a pipe"},
        {"link.png", "a symbolic link"},
        {"folder-link.png", "a symbolic link"},
    };
    for (const auto& [name, kind] : cases) {
        Sender sender(receiver.Port());
        EXPECT_EQ(sender.Begin(name, 1500), ">?") << name;
        EXPECT_EQ(receiver.Line(), "refused " + name + ": already there as " + kind);
    }
    EXPECT_TRUE(std::filesystem::is_directory(into / "folder.png"));
    EXPECT_TRUE(std::filesystem::is_fifo(into / "pipe.png"));
    EXPECT_TRUE(std::filesystem::is_symlink(into / "link.png"));
    EXPECT_EQ(receiver.Contents("kept.png"), "kept");
    EXPECT_EQ(receiver.Stored(), (std::vector<std::string>{"folder-link.png", "folder.png",
                                                           "kept.png", "link.png", "pipe.png"}));
}

TEST(Receive, SendersOfOneNameAtOnceLeaveOneWholeVersion) {
    Receiver receiver;
    const std::string versions[] = {Picture(5500, 1), Picture(5500, 2)};
    struct Case {
        int endsFirst;   ///< the sender whose last block goes first
        bool breaksOff;  ///< it closes before its last block instead
        std::string kept;
    };
    const Case cases[] = {{1, false, versions[0]}, {0, false, versions[1]}, {0, true, versions[1]}};
    for (const Case& c : cases) {
        Sender senders[2] = {Sender(receiver.Port()), Sender(receiver.Port())};
        for (Sender& sender : senders) {
            EXPECT_EQ(sender.Begin("same.png", 5500), ">>>");
        }
        // Block by block in turn.
        for (std::size_t at = 0; at < 5000; at += 1000) {
            for (int i = 0; i < 2; ++i) {
                senders[i].Send(versions[i].substr(at, 1000));
                EXPECT_EQ(senders[i].Answer(), '>');
            }
        }
        for (const int i : {c.endsFirst, 1 - c.endsFirst}) {
            if (c.breaksOff && i == c.endsFirst) {
                senders[i].Close();
                EXPECT_EQ(receiver.Line(),
                          "refused same.png: closed early after 5000 of 5500 bytes");
                continue;
            }
            senders[i].Send(versions[i].substr(5000));
            senders[i].Close();
            EXPECT_EQ(receiver.Line(), "received same.png 5500 bytes");
        }
        EXPECT_TRUE(receiver.Contents("same.png") == c.kept) << "not the version done last";
        EXPECT_EQ(receiver.Stored(), std::vector<std::string>{"same.png"});
    }
}

TEST(Receive, TransfersUnderWayShareTheFreeSpace) {
    // 1 MiB always stays free; 2500 bytes more are free, of which a file under way has 1000
    // still to come.
    Receiver receiver({"--assume-free", std::to_string((1 << 20) + 2500)});
    Sender first(receiver.Port());
    const std::string firstPicture = Picture(2000);
    EXPECT_EQ(first.SendPart("first.png", 2000, firstPicture.substr(0, 1000)), ">>>>");

    Sender tooBig(receiver.Port());
    EXPECT_EQ(tooBig.Begin("big.png", 1501), ">>?");
    EXPECT_EQ(receiver.Line(),
              "refused big.png: no room, 1501 bytes with 1051076 free, 1000 of them promised to "
              "transfers under way, and 1048576 to keep free");
    Sender fits(receiver.Port());
    EXPECT_EQ(fits.SendFile("fits.png", Picture(1500)), ">>>>");
    EXPECT_EQ(receiver.Line(), "received fits.png 1500 bytes");

    first.Send(firstPicture.substr(1000));
    EXPECT_EQ(first.Answer(), '>');
    EXPECT_EQ(receiver.Line(), "received first.png 2000 bytes");
    EXPECT_EQ(receiver.Stored(), (std::vector<std::string>{"first.png", "fits.png"}));
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
        EXPECT_EQ(rest.SendFile("slow.png", Picture(1500)), ">>>>");
        EXPECT_GE(Clock::now() - restStart, 4 * 140ms);
        EXPECT_EQ(receiver.Line(), "received slow.png 1500 bytes");
    }
}

TEST(Receive, AStopSignalDuringATransferLeavesNoPartialFile) {
    Receiver receiver;
    Sender sender(receiver.Port());
    EXPECT_EQ(sender.SendPart("half.png", 2500, Pattern(600)), ">>>");
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
        {{"--deadline", "0"}, 2},
        {{"--deadline", "a minute"}, 2},
        {{"--max-connections", "0"}, 2},
        {{"--max-connections", "10001"}, 2},
        {{"--max-connections", "-1"}, 2},
        {{"--answer-greeting", "ab"}, 2},
        {{"--slow", "-1"}, 2},
        {{"--frobnicate"}, 2},
        {{"--allow", "localhost"}, 2},
        {{"--allow", "127.0.0.1/33"}, 2},
        {{"--allow", "127.0.0.1/"}, 2},
        {{"--allow", "127.0.0/8"}, 2},
        {{"--allow", "10.0.0.1/0"}, 2},
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
