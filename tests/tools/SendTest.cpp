// Tests of build/tvx-send as a user or a script meets it: a layout folder of the test's own,
// real tvx-receive processes on loopback addresses as the panels (and sockets of the test's own
// for panels that cannot be reached), the output lines and the exit code.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <pty.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
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
#include "model/File.h"
#include "model/Layout.h"
#include "model/Paths.h"

namespace {

using namespace std::chrono_literals;

const std::string kSendPath = std::string(TVX_BINARY_DIR) + "/tvx-send";

/// A layout folder of the test's own: the files put into it, and a layout without buttons or
/// pictures until the test gives it some, stored as its tvxdef.ini.
class LayoutFolder : public TempFolder {
  public:
    LayoutFolder() : TempFolder("tvx-send") {
        m_layout->ResetLayout();
        m_layout->Form.LayoutDirectory = WidePath();
    }

    Layout& Edit() { return *m_layout; }
    void Store() {
        // A store only ever replaces a layout file.
        Write("tvxdef.ini", "");
        ASSERT_EQ(File().StoreLayout(*m_layout), FileStatus::Ok);
    }

    std::string Size(const std::string& name) const { return std::to_string(Read(name).size()); }

  private:
    std::unique_ptr<Layout> m_layout = std::make_unique<Layout>();
};

/// What one run of tvx-send left: its lines and its exit code.
using SendRun = FinishedRun;

SendRun RunSend(const std::vector<std::string>& args) {
    return RunToEnd(kSendPath, args, {}, 20s);
}

/// Everything tvx-send writes when its standard output is a terminal, up to its end.
std::string RunOnTerminal(std::vector<std::string> args) {
    // Built before the fork: the child of a process with threads may only exec.
    args.insert(args.begin(), kSendPath);
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    int terminal = -1;
    const pid_t pid = forkpty(&terminal, nullptr, nullptr, nullptr);
    if (pid == 0) {
        execv(argv[0], argv.data());
        _exit(127);
    }
    if (pid < 0) {
        ADD_FAILURE() << "forkpty";
        return std::string();
    }
    std::string output;
    const auto deadline = Clock::now() + 20s;
    pollfd entry{terminal, POLLIN, 0};
    char buffer[4096];
    while (poll(&entry, 1, RemainingMs(deadline)) > 0) {
        const ssize_t got = read(terminal, buffer, sizeof buffer);
        if (got <= 0) {
            break;  // the child has gone and the terminal with it
        }
        output.append(buffer, static_cast<std::size_t>(got));
    }
    close(terminal);
    waitpid(pid, nullptr, 0);
    return output;
}

/// A socket of the test's own on a loopback address: bound only (nothing listens, a connection
/// is refused), or listening with a queue that one waiting client fills (a connection is
/// never taken).
class UnreachablePanel {
  public:
    UnreachablePanel(const std::string& address, bool listening) {
        m_fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in where{};
        where.sin_family = AF_INET;
        inet_pton(AF_INET, address.c_str(), &where.sin_addr);
        socklen_t size = sizeof where;
        if (bind(m_fd, reinterpret_cast<sockaddr*>(&where), size) != 0 ||
            getsockname(m_fd, reinterpret_cast<sockaddr*>(&where), &size) != 0) {
            ADD_FAILURE() << "cannot bind " << address;
        }
        m_shown = address + ":" + std::to_string(ntohs(where.sin_port));
        if (!listening) {
            return;
        }
        m_waiting = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (listen(m_fd, 0) != 0 ||
            connect(m_waiting, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0) {
            ADD_FAILURE() << "cannot fill the queue of " << m_shown;
        }
    }
    ~UnreachablePanel() {
        close(m_fd);
        if (m_waiting >= 0) {
            close(m_waiting);
        }
    }

    const std::string& Shown() const { return m_shown; }

  private:
    int m_fd = -1;
    int m_waiting = -1;
    std::string m_shown;
};

/// A panel that misbehaves after the transfer's first steps, served on a thread of the test:
/// it answers the greeting with a '>' for every step a file could need, all at once, or it
/// answers every step as a receiver does but never ends its side of the connection.
class MisbehavingPanel {
  public:
    enum class Fault { AnswersAhead, NeverEnds };

    explicit MisbehavingPanel(Fault fault) : m_fault(fault) {
        m_listener = ListenOn({127, 0, 0, 1}, 0, 4, false, 0);
        sockaddr_in where{};
        socklen_t size = sizeof where;
        getsockname(m_listener, reinterpret_cast<sockaddr*>(&where), &size);
        m_shown = "127.0.0.1:" + std::to_string(ntohs(where.sin_port));
        m_thread = std::thread([this] { Serve(); });
    }
    ~MisbehavingPanel() {
        m_stop = true;
        m_thread.join();
        close(m_listener);
    }
    MisbehavingPanel(const MisbehavingPanel&) = delete;
    MisbehavingPanel& operator=(const MisbehavingPanel&) = delete;

    const std::string& Shown() const { return m_shown; }
    int Connections() const { return m_connections; }

  private:
    /// The next bytes of the client, empty when it ended or the panel is to stop.
    std::string Receive(int client, int waitMs = 100) {
        while (!m_stop) {
            pollfd entry{client, POLLIN, 0};
            if (poll(&entry, 1, waitMs) == 0) {
                if (waitMs < 100) {
                    return std::string();  // a pause: the name is over
                }
                continue;
            }
            char buffer[4096];
            const ssize_t got = recv(client, buffer, sizeof buffer, 0);
            return got > 0 ? std::string(buffer, static_cast<std::size_t>(got)) : std::string();
        }
        return std::string();
    }

    void Serve() {
        while (!m_stop) {
            pollfd entry{m_listener, POLLIN, 0};
            if (poll(&entry, 1, 50) <= 0) {
                continue;
            }
            const int client = accept(m_listener, nullptr, nullptr);
            if (client < 0) {
                continue;
            }
            ++m_connections;
            if (m_fault == Fault::AnswersAhead) {
                Receive(client);
                send(client, std::string(64, '>').data(), 64, MSG_NOSIGNAL);
            } else {
                Answer(client);
            }
            while (!m_stop && !Receive(client).empty()) {
            }
            // One that never ends keeps its side open until the test is over.
            while (m_fault == Fault::NeverEnds && !m_stop) {
                std::this_thread::sleep_for(20ms);
            }
            close(client);
        }
    }

    /// Answers greeting, name, length and every full block, as a receiver does.
    void Answer(int client) {
        std::string received = Receive(client);
        send(client, ">", 1, MSG_NOSIGNAL);
        std::string name;
        for (std::string part; !(part = Receive(client, name.empty() ? 100 : 30)).empty();) {
            name += part;
        }
        send(client, ">", 1, MSG_NOSIGNAL);
        std::string length = Receive(client);
        send(client, ">", 1, MSG_NOSIGNAL);
        std::size_t left = static_cast<unsigned char>(length[0]) << 16 |
                           static_cast<unsigned char>(length[1]) << 8 |
                           static_cast<unsigned char>(length[2]);
        while (left >= 1000) {
            std::string block;
            while (block.size() < 1000) {
                block += Receive(client);
            }
            left -= 1000;
            send(client, ">", 1, MSG_NOSIGNAL);
        }
    }

    Fault m_fault;
    int m_listener = -1;
    std::string m_shown;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_connections{0};
    std::thread m_thread;
};

/// A layout of three files: tvxdef.ini, a page picture "back.png" of `backSize` bytes and a
/// button picture "off.png" of 100 bytes.
void StoreBackAndButton(LayoutFolder& folder, std::size_t backSize) {
    folder.Write("back.png", Picture(backSize, 2));
    folder.Write("off.png", Picture(100, 3));
    folder.Edit().Page(0).PageImage = L"back.png";
    folder.Edit().Page(0).Button_Last = 1;
    folder.Edit().Button(0, 0).Image_File_Off = L"off.png";
    folder.Store();
}

std::string Panel(const std::string& address, const Receiver& receiver) {
    return address + ":" + std::to_string(receiver.Port());
}

TEST(Send, EveryFileGoesToEveryPanelInThePanelsOrder) {
    LayoutFolder folder;
    folder.Write("defaultButton.png", Picture(1234, 1));
    folder.Write("back.png", Picture(2500, 2));
    folder.Write("night.jpg", Picture(1000, 3));
    folder.Write("off.png", Picture(999, 4));
    folder.Write(
        "K\xC3\xBC"
        "che.png",
        Picture(70, 5));
    folder.Write("Off.png", kPixel);
    Layout& layout = folder.Edit();
    layout.Page(0).PageImage = L"back.png";
    layout.Page(1).PageImage = L"night.jpg";
    layout.Page(3).PageImage = L"back.png";
    layout.Page(0).Button_Last = 2;
    layout.Button(0, 0).Image_File_Off = L"off.png";
    layout.Button(0, 0).Image_File_On = L"gone.png";
    layout.Button(0, 1).Image_File_Press = L"off.png";
    layout.Page(2).Button_Last = 1;
    layout.Button(2, 0).Image_File_Off = L"K\u00FCche.png";
    layout.Button(2, 0).Image_File_On = L"Off.png";
    folder.Store();
    // The panel's order: the layout, the backgrounds page by page, the button pictures as they
    // are first met; then the default picture a new panel needs. gone.png is not in the folder.
    const std::vector<std::string> order = {"tvxdef.ini",
                                            "back.png",
                                            "night.jpg",
                                            "back.png",
                                            "off.png",
                                            "gone.png",
                                            "K\xC3\xBC"
                                            "che.png",
                                            "Off.png",
                                            "defaultButton.png"};

    Receiver first;
    Receiver second({}, "127.0.0.2");
    const std::vector<std::string> panels = {Panel("127.0.0.1", first), Panel("127.0.0.2", second)};
    const SendRun run = RunSend({folder.Path(), panels[0], panels[1]});

    std::vector<std::string> expected;
    for (const std::string& panel : panels) {
        for (const std::string& name : order) {
            expected.push_back(name == "gone.png"
                                   ? panel +
                                         " gone.png: sent, 1234 bytes of defaultButton.png in its "
                                         "place: gone.png is not in the folder"
                                   : panel + " " + name + ": sent, " + folder.Size(name) +
                                         " bytes");
        }
        expected.push_back(panel + ": 9 of 9 files sent");
    }
    expected.push_back("2 of 2 panels got every file");
    EXPECT_EQ(run.out, expected);
    EXPECT_EQ(run.err, std::vector<std::string>{});
    EXPECT_EQ(run.exitCode, 0);

    for (Receiver* receiver : {&first, &second}) {
        for (const std::string& name : order) {
            const std::string source = name == "gone.png" ? "defaultButton.png" : name;
            EXPECT_EQ(receiver->Line(), "received " + name + " " + folder.Size(source) + " bytes");
            EXPECT_EQ(receiver->Contents(name), folder.Read(source)) << name;
        }
    }
}

TEST(Send, PanelsThatRefuseOrCannotBeReachedAreToldApart) {
    LayoutFolder folder;
    StoreBackAndButton(folder, 1500);
    const std::vector<std::string> names = {"tvxdef.ini", "back.png", "off.png"};

    Receiver good;
    // Takes nothing from the sender's address.
    Receiver stranger({"--allow", "127.0.0.9"}, "127.0.0.2");
    // Answers far too late.
    Receiver silent({"--slow", "5000"}, "127.0.0.3");
    const UnreachablePanel nobody("127.0.0.4", false);
    const UnreachablePanel busy("127.0.0.5", true);
    const std::string panels[] = {Panel("127.0.0.1", good), Panel("127.0.0.2", stranger),
                                  nobody.Shown(), Panel("127.0.0.3", silent), busy.Shown()};
    const SendRun run = RunSend({"--timeout", "1", "--connect-timeout", "0.5", folder.Path(),
                                 panels[0], panels[1], panels[2], panels[3], panels[4]});

    // How each panel meets the first file; a panel that cannot be reached gets no more.
    const std::string first[] = {"", "the panel closed the connection after the greeting",
                                 "cannot connect: Connection refused",
                                 "no answer within 1 s after the greeting",
                                 "no connection within 0.5 s"};
    const bool lost[] = {false, false, true, true, true};
    std::vector<std::string> expected;
    for (std::size_t panel = 0; panel < std::size(panels); ++panel) {
        for (const std::string& name : names) {
            const std::string line = panels[panel] + " " + name + ": ";
            if (first[panel].empty()) {
                expected.push_back(line + "sent, " + folder.Size(name) + " bytes");
            } else if (lost[panel] && name != names.front()) {
                expected.push_back(line + "not sent, skipped: " + first[panel]);
            } else {
                expected.push_back(line + "not sent, " + first[panel]);
            }
        }
        expected.push_back(panels[panel] + ": " + (first[panel].empty() ? "3" : "0") +
                           " of 3 files sent");
    }
    expected.push_back("1 of 5 panels got every file");
    EXPECT_EQ(run.out, expected);
    EXPECT_EQ(run.exitCode, 1);

    for (const std::string& name : names) {
        EXPECT_EQ(good.Line(), "received " + name + " " + folder.Size(name) + " bytes");
        EXPECT_EQ(good.Contents(name), folder.Read(name));
        EXPECT_EQ(stranger.Line(), "refused -: 127.0.0.1 is not allowed to send (--allow)");
    }
    EXPECT_TRUE(stranger.Stored().empty());
    EXPECT_TRUE(silent.Stored().empty());
}

TEST(Send, FilesThatCannotGoAreNamedAndTheOthersSent) {
    LayoutFolder folder;
    folder.Write("fine.png", kPixel);
    folder.Write("photo.gif", Pattern(10, 2));
    folder.Write("huge.png", "");
    // Sparse: the length alone decides.
    std::filesystem::resize_file(folder.Path() + "/huge.png", std::uint64_t{1} << 24);
    Layout& layout = folder.Edit();
    layout.Page(0).Button_Last = 2;
    layout.Button(0, 0).Image_File_Off = L"huge.png";
    layout.Button(0, 0).Image_File_Press = L"photo.gif";
    layout.Button(0, 0).Image_File_On = L"gone.png";
    layout.Button(0, 1).Image_File_Off = L"fine.png";
    folder.Store();

    Receiver receiver;
    const std::string panel = Panel("127.0.0.1", receiver);
    const SendRun run = RunSend({folder.Path(), panel});
    const std::vector<std::string> expected = {
        panel + " tvxdef.ini: sent, " + folder.Size("tvxdef.ini") + " bytes",
        panel + " huge.png: not sent, too large for the transfer: 16777216 bytes, 16777215 at most",
        panel + " photo.gif: not sent, refused by the panel: '?' after the name",
        panel +
            " gone.png: not sent, gone.png is not in the folder; no defaultButton.png to send in "
            "its place",
        panel + " fine.png: sent, 69 bytes",
        panel + ": 2 of 5 files sent",
        "0 of 1 panels got every file",
    };
    EXPECT_EQ(run.out, expected);
    EXPECT_EQ(run.exitCode, 1);

    EXPECT_EQ(receiver.Line(), "received tvxdef.ini " + folder.Size("tvxdef.ini") + " bytes");
    EXPECT_EQ(receiver.Line(),
              "refused photo.gif: neither tvxdef.ini nor a picture (.png, .jpg, .jpeg, .bmp)");
    EXPECT_EQ(receiver.Line(), "received fine.png 69 bytes");
    EXPECT_EQ(receiver.Stored(), (std::vector<std::string>{"fine.png", "tvxdef.ini"}));
}

// A layout or picture the panel could not use is refused on its way in: tvx-send names it and
// fails, the receiver says why, and the panel's folder stays as it was byte for byte; a good
// layout arrives after them all the same.
TEST(Send, WhatThePanelCannotUseLeavesItsFolderAsItWas) {
    const std::string demo = std::string(TVX_SOURCE_DIR) + "/demo";
    Receiver receiver;
    std::filesystem::copy(demo, receiver.Into(), std::filesystem::copy_options::recursive);
    std::filesystem::copy_file(demo + "/tvxdef.ini", receiver.Into() + "/tvxdef.ini.bak");
    const auto before = FilesIn(receiver.Into());
    const std::string panel = Panel("127.0.0.1", receiver);
    const std::string noLayout =
        "no layout the panel can use: its last line is not \"EndOfFile\" "
        "(cut off, or no layout file)";
    struct Case {
        const char* what;
        std::function<void(const TempFolder&)> spoil;
        std::string file;
        std::string sent;  ///< tvx-send's words for the refusal
        std::string said;  ///< the receiver's
    };
    const Case cases[] = {
        {"a cut-off layout",
         [](const TempFolder& f) { f.Write("tvxdef.ini", f.Read("tvxdef.ini").substr(0, 5000)); },
         "tvxdef.ini", "refused by the panel: '?' after 5000 of 5000 bytes", noLayout},
        {"a file of garbage as the layout",
         [](const TempFolder& f) { f.Write("tvxdef.ini", Pattern(2345)); }, "tvxdef.ini",
         "refused by the panel: '?' after the last block", noLayout},
        {"a picture that is none",
         [](const TempFolder& f) { f.Write("garden.png", Pattern(36616)); }, "garden.png",
         "refused by the panel: '?' after the last block",
         "no picture the panel can read: the picture reader does not know its header"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const TempFolder folder("tvx-send");
        std::filesystem::copy(demo, folder.Path(), std::filesystem::copy_options::recursive);
        c.spoil(folder);
        const SendRun run = RunSend({folder.Path(), panel});
        EXPECT_EQ(run.exitCode, 1);
        const std::string refused = panel + " " + c.file + ": not sent, " + c.sent;
        EXPECT_EQ(std::count(run.out.begin(), run.out.end(), refused), 1)
            << testing::PrintToString(run.out);
        EXPECT_EQ(run.out.back(), "0 of 1 panels got every file");
        std::vector<std::string> said;
        while (const auto line = receiver.Line(200ms)) {
            said.push_back(*line);
        }
        EXPECT_EQ(std::count(said.begin(), said.end(), "refused " + c.file + ": " + c.said), 1)
            << testing::PrintToString(said);
        EXPECT_TRUE(FilesIn(receiver.Into()) == before) << "the panel's folder changed";
    }

    const TempFolder good("tvx-send");
    std::filesystem::copy(demo, good.Path(), std::filesystem::copy_options::recursive);
    std::string layout = good.Read("tvxdef.ini");
    layout.replace(layout.find("Erdgeschoss"), 11, "Angekommen!");
    good.Write("tvxdef.ini", layout);
    EXPECT_EQ(RunSend({good.Path(), panel}).exitCode, 0);
    EXPECT_EQ(receiver.Contents("tvxdef.ini"), layout);
    EXPECT_EQ(receiver.Contents("tvxdef.ini.bak"), before.at("tvxdef.ini"));
}

// A layout folder named in any bytes is found, and a link in it that leads out of it counts as
// missing: the file it leads to never reaches a panel.
TEST(Send, OnlyFilesOfTheFolderGoFromAFolderOfAnyName) {
    TempFolder outer("tvx-send");
    outer.Write("secret.png", "not for other panels");
    for (const std::string name : {"layout", "\xFF\xFE-latin"}) {
        SCOPED_TRACE(testing::PrintToString(name));
        const std::string path = outer.At(name);
        std::filesystem::create_directory(path);
        std::ofstream(path + "/defaultButton.png", std::ios::binary) << Picture(1234, 1);
        std::ofstream(path + "/own.png", std::ios::binary) << Picture(70, 2);
        std::filesystem::create_symlink(outer.At("secret.png"), path + "/link.png");
        std::filesystem::create_symlink("own.png", path + "/alias.png");
        auto layout = std::make_unique<Layout>();
        layout->ResetLayout();
        layout->Form.LayoutDirectory = TextFromNative(path);
        layout->Page(0).Button_Last = 1;
        layout->Button(0, 0).Image_File_Off = L"link.png";
        layout->Button(0, 0).Image_File_Press = L"alias.png";
        std::ofstream(path + "/tvxdef.ini") << "";
        ASSERT_EQ(File().StoreLayout(*layout), FileStatus::Ok);

        Receiver receiver;
        const std::string panel = Panel("127.0.0.1", receiver);
        const SendRun run = RunSend({path, panel});
        const std::string layoutSize = std::to_string(ReadFile(path + "/tvxdef.ini").size());
        const std::vector<std::string> expected = {
            panel + " tvxdef.ini: sent, " + layoutSize + " bytes",
            panel +
                " link.png: sent, 1234 bytes of defaultButton.png in its place: link.png is not in "
                "the folder",
            panel + " alias.png: sent, 70 bytes",
            panel + " defaultButton.png: sent, 1234 bytes",
            panel + ": 4 of 4 files sent",
            "1 of 1 panels got every file",
        };
        EXPECT_EQ(run.out, expected);
        EXPECT_EQ(run.exitCode, 0);
        for (const char* sent : {"tvxdef.ini", "link.png", "alias.png", "defaultButton.png"}) {
            EXPECT_NE(receiver.Line(), std::nullopt) << sent;
        }
        EXPECT_EQ(receiver.Contents("link.png"), Picture(1234, 1));
        EXPECT_EQ(receiver.Contents("alias.png"), Picture(70, 2));
    }
}

// A file counts as sent only on the panel's word. A panel that answers ahead of time has not
// received anything; one that never ends its side after the last block has not confirmed the
// file, and is given up as a panel that stopped answering, not waited for again file by file.
TEST(Send, NoFileCountsWithoutThePanelsWord) {
    LayoutFolder folder;
    StoreBackAndButton(folder, 2500);

    MisbehavingPanel ahead(MisbehavingPanel::Fault::AnswersAhead);
    MisbehavingPanel silent(MisbehavingPanel::Fault::NeverEnds);
    const auto start = Clock::now();
    const SendRun run = RunSend({"--timeout", "1", folder.Path(), ahead.Shown(), silent.Shown()});
    const auto took = Clock::now() - start;

    ASSERT_EQ(run.out.size(), 9u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(run.out[i].rfind(ahead.Shown() + " ", 0), 0u) << run.out[i];
        EXPECT_NE(run.out[i].find(": not sent, the panel answered ahead of time: "),
                  std::string::npos)
            << run.out[i];
    }
    EXPECT_EQ(run.out[3], ahead.Shown() + ": 0 of 3 files sent");
    const std::string stopped = "no answer within 1 s after the last block";
    EXPECT_EQ(run.out[4], silent.Shown() + " tvxdef.ini: not sent, " + stopped);
    EXPECT_EQ(run.out[5], silent.Shown() + " back.png: not sent, skipped: " + stopped);
    EXPECT_EQ(run.out[6], silent.Shown() + " off.png: not sent, skipped: " + stopped);
    EXPECT_EQ(run.out[7], silent.Shown() + ": 0 of 3 files sent");
    EXPECT_EQ(run.out[8], "0 of 2 panels got every file");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(silent.Connections(), 1);
    EXPECT_LT(took, 3s);
}

TEST(Send, ATerminalSeesTheProgressOfThePanelAndKeepsOnlyTheLines) {
    LayoutFolder folder;
    folder.Write("back.png", Picture(2500, 2));
    folder.Edit().Page(0).PageImage = L"back.png";
    folder.Store();
    Receiver receiver;
    const std::string panel = Panel("127.0.0.1", receiver);
    const std::string output = RunOnTerminal({folder.Path(), panel});

    const std::string wipe = "\r\x1B[K";
    for (const char* percent : {"0%", "40%", "80%", "100%"}) {
        EXPECT_NE(output.find(wipe + panel + " file 2 of 2: back.png " + percent),
                  std::string::npos)
            << percent;
    }
    // What stays on the screen: each line as it is after its last wipe.
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = output.find("\r\n", start)) != std::string::npos;
         start = end + 2) {
        const std::string line = output.substr(start, end - start);
        const std::size_t wiped = line.rfind(wipe);
        lines.push_back(wiped == std::string::npos ? line : line.substr(wiped + wipe.size()));
    }
    const std::vector<std::string> expected = {
        panel + " tvxdef.ini: sent, " + folder.Size("tvxdef.ini") + " bytes",
        panel + " back.png: sent, 2500 bytes",
        panel + ": 2 of 2 files sent",
        "1 of 1 panels got every file",
    };
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(output.substr(start), "");
}

TEST(Send, ABadCommandLineGetsTheUsage) {
    LayoutFolder folder;
    folder.Store();
    LayoutFolder empty;
    LayoutFolder unreadable;
    std::filesystem::create_directory(unreadable.Path() + "/tvxdef.ini");
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string error;  ///< the start of the first line on standard error
        bool usage;
    };
    const Case cases[] = {
        {{}, 2, "tvx-send: no layout folder and no panel given", true},
        {{folder.Path()}, 2, "tvx-send: no panel to send to", true},
        {{folder.Path(), "127.0.0.1:70000"},
         2,
         "tvx-send: not an IPv4 address or host name, with an optional :PORT: 127.0.0.1:70000",
         true},
        {{folder.Path() + "/none", "127.0.0.1"},
         2,
         "tvx-send: not a folder: " + folder.Path() + "/none",
         true},
        {{empty.Path(), "127.0.0.1"}, 2, "tvx-send: no tvxdef.ini in " + empty.Path(), true},
        {{unreadable.Path(), "127.0.0.1"},
         1,
         "tvx-send: cannot read " + unreadable.Path() + "/tvxdef.ini: ",
         false},
    };
    for (const Case& c : cases) {
        const SendRun run = RunSend(c.args);
        const std::string shown = testing::PrintToString(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << shown;
        EXPECT_EQ(run.out, std::vector<std::string>{}) << shown;
        ASSERT_FALSE(run.err.empty()) << shown;
        EXPECT_EQ(run.err.front().rfind(c.error, 0), 0u) << run.err.front();
        EXPECT_EQ(run.err.size() > 1 && run.err[1].rfind("usage: tvx-send ", 0) == 0, c.usage)
            << shown;
    }

    const SendRun help = RunSend({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    ASSERT_FALSE(help.out.empty());
    EXPECT_EQ(help.out.front().rfind("usage: tvx-send ", 0), 0u);
    EXPECT_EQ(help.err, std::vector<std::string>{});
}

}  // namespace
