// The transmit dialog sending the layout and its pictures to a receiving panel on the loopback
// network, and breaking off while it waits.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include <wx/button.h>
#include <wx/evtloop.h>
#include <wx/filedlg.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

#include "GuiTestSupport.h"
#include "Loopback.h"
#include "ModalScript.h"
#include "dialogs/PageDlg.h"
#include "dialogs/TransmitDlg.h"
#include "model/PanelState.h"

namespace {

const wxString kSendLayout = "Store && Transmit Layout";
const wxString kSendPictures = "Store && Transmit Picture";

/// An address of the loopback network for this process, apart from the fake controllers'
/// (127.16-215.x.y) and the transfer tests' (127.220-249.x.y) receivers. Nobody ever listens
/// on the fourth.
std::array<int, 4> ReceiverAddress(int instance) {
    const unsigned pid = static_cast<unsigned>(::getpid());
    return {127, 216 + instance % 3, static_cast<int>((pid >> 8) & 0xFF),
            1 + static_cast<int>(pid % 250)};
}

std::array<int, 4> UnreachableAddress() {
    std::array<int, 4> address = ReceiverAddress(0);
    address[1] = 219;
    return address;
}

int g_receiverInstance = 0;

/// A receiving panel: a real TCP server on port 4001 that speaks the receiving side of the
/// transfer ('>' after the greeting, the name, the length and each full block) and keeps every
/// file it got completely. It runs on a thread of its own, because the dialog's wait holds the
/// test's thread until the transfer is over. It can be told to stop answering after a number
/// of acknowledgements, or to answer slowly.
class FakeReceiver {
  public:
    struct File {
        std::string name;
        std::string bytes;
    };

    explicit FakeReceiver(int answers = -1, int slowMs = 0) : m_answers(answers), m_slowMs(slowMs) {
        for (int attempt = 0; attempt < 30 && m_listener < 0; ++attempt) {
            m_address = ReceiverAddress(g_receiverInstance++);
            m_listener = ListenOn(m_address, 4001, 8, false);
        }
        if (m_listener < 0) {
            ADD_FAILURE() << "the fake receiver found no address to listen on";
            return;
        }
        m_thread = std::thread([this] { Serve(); });
    }

    ~FakeReceiver() {
        m_stop = true;
        if (m_thread.joinable()) {
            m_thread.join();
        }
        if (m_listener >= 0) {
            ::close(m_listener);
        }
    }

    std::array<int, 4> Address() const { return m_address; }
    std::vector<File> Files() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_files;
    }
    int Connections() const { return m_connections; }
    /// It got something it no longer answers, and the sender is still connected.
    bool Stalled() const { return m_stalled; }
    /// The sender closed a connection that had stalled.
    bool SenderLeft() const { return m_senderLeft; }

  private:
    /// Waits until `fd` can be read, checking now and then whether the test is over.
    bool Readable(int fd) const {
        while (!m_stop) {
            pollfd waiting{fd, POLLIN, 0};
            if (::poll(&waiting, 1, 20) > 0) {
                return true;
            }
        }
        return false;
    }

    bool ReadExactly(int fd, std::size_t count, std::string& out) const {
        while (count > 0) {
            char buffer[4096];
            if (!Readable(fd)) {
                return false;
            }
            const ssize_t got = ::recv(fd, buffer, std::min(count, sizeof buffer), 0);
            if (got <= 0) {
                return false;
            }
            out.append(buffer, static_cast<std::size_t>(got));
            count -= static_cast<std::size_t>(got);
        }
        return true;
    }

    /// The name has no length on the wire; the sender waits for its answer before it goes on,
    /// so whatever the first read brings is the name.
    bool ReadName(int fd, std::string& name) const {
        char buffer[4096];
        if (!Readable(fd)) {
            return false;
        }
        const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0) {
            return false;
        }
        name.assign(buffer, static_cast<std::size_t>(got));
        return true;
    }

    bool Answer(int fd) {
        if (m_answers >= 0 && m_answered >= m_answers) {
            m_stalled = true;
            // Silent from now on: wait for the sender to give up.
            std::string rest;
            while (ReadExactly(fd, 1, rest)) {
            }
            m_senderLeft = !m_stop;
            return false;
        }
        if (m_slowMs > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(m_slowMs));
        }
        ++m_answered;
        return ::send(fd, ">", 1, MSG_NOSIGNAL) == 1;
    }

    void Receive(int fd) {
        std::string greeting;
        std::string name;
        std::string length;
        if (!ReadExactly(fd, 3, greeting) || greeting != "TVX" || !Answer(fd) ||
            !ReadName(fd, name) || !Answer(fd) || !ReadExactly(fd, 3, length) || !Answer(fd)) {
            return;
        }
        std::size_t left = static_cast<unsigned char>(length[0]) << 16 |
                           static_cast<unsigned char>(length[1]) << 8 |
                           static_cast<unsigned char>(length[2]);
        File file{name, {}};
        while (left >= 1000) {
            if (!ReadExactly(fd, 1000, file.bytes) || !Answer(fd)) {
                return;
            }
            left -= 1000;
        }
        if (!ReadExactly(fd, left, file.bytes)) {
            return;
        }
        // After the last block the sender closes; anything more is not part of the file.
        char extra = 0;
        if (!Readable(fd) || ::recv(fd, &extra, 1, 0) != 0) {
            return;
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        m_files.push_back(std::move(file));
    }

    void Serve() {
        while (Readable(m_listener)) {
            const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) {
                continue;
            }
            ++m_connections;
            Receive(fd);
            ::close(fd);
        }
    }

    const int m_answers;
    const int m_slowMs;
    std::array<int, 4> m_address{};
    int m_listener = -1;
    int m_answered = 0;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_connections{0};
    std::atomic<bool> m_stalled{false};
    std::atomic<bool> m_senderLeft{false};
    mutable std::mutex m_mutex;
    std::vector<File> m_files;
};

std::string DottedAddress(const std::array<int, 4>& address) {
    return std::to_string(address[0]) + "." + std::to_string(address[1]) + "." +
           std::to_string(address[2]) + "." + std::to_string(address[3]);
}

/// build/tvx-receive as a child process on port 4001 of an address of this process, storing
/// into a folder.
class ReceiverProcess {
  public:
    ReceiverProcess(const std::string& tool, const std::string& into) {
        for (int attempt = 0; attempt < 3 && !m_listening; ++attempt) {
            Stop();
            m_address = ReceiverAddress(g_receiverInstance++);
            const std::string listen = DottedAddress(m_address) + ":4001";
            if (!Start({tool, "--listen", listen, "--into", into})) {
                return;
            }
            m_listening = NextLine() == "listening on " + listen;
        }
    }
    ~ReceiverProcess() { Stop(); }

    bool Listening() const { return m_listening; }
    std::array<int, 4> Address() const { return m_address; }

    /// The next line of its output, or "" when none comes within the time.
    std::string NextLine(int timeoutMs = 5000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (m_buffer.find('\n') == std::string::npos) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                end - std::chrono::steady_clock::now());
            pollfd waiting{m_output, POLLIN, 0};
            char chunk[256];
            ssize_t got = 0;
            if (left.count() <= 0 || ::poll(&waiting, 1, static_cast<int>(left.count())) <= 0 ||
                (got = ::read(m_output, chunk, sizeof chunk)) <= 0) {
                return "";
            }
            m_buffer.append(chunk, static_cast<std::size_t>(got));
        }
        const std::size_t end_of_line = m_buffer.find('\n');
        const std::string line = m_buffer.substr(0, end_of_line);
        m_buffer.erase(0, end_of_line + 1);
        return line;
    }

  private:
    bool Start(std::vector<std::string> args) {
        int pipe[2];
        if (::pipe2(pipe, O_CLOEXEC) != 0) {
            return false;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipe[1], STDOUT_FILENO);
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        const int failed = ::posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipe[1]);
        m_output = pipe[0];
        if (failed != 0) {
            m_pid = -1;
            return false;
        }
        return true;
    }

    void Stop() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
            m_pid = -1;
        }
        if (m_output >= 0) {
            ::close(m_output);
            m_output = -1;
        }
        m_buffer.clear();
    }

    std::array<int, 4> m_address{};
    pid_t m_pid = -1;
    int m_output = -1;
    std::string m_buffer;
    bool m_listening = false;
};

/// Runs an action once, from the event loop, as soon as a condition holds. The dialog's wait
/// runs the event loop inside the test's own call, so this is how a test acts during a wait.
/// When the condition does not come in time, the test fails and the action runs all the same,
/// so that no wait is left to hang the run.
class WhenThen : public wxTimer {
  public:
    WhenThen(std::function<bool()> condition, std::function<void()> action, int timeoutMs = 10000,
             int everyMs = 10)
        : m_condition(std::move(condition)),
          m_action(std::move(action)),
          m_deadline(std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs)) {
        Start(everyMs);
    }

    void Notify() override {
        if (m_done) {
            return;
        }
        const bool late = std::chrono::steady_clock::now() > m_deadline;
        if (!m_condition() && !late) {
            return;
        }
        EXPECT_FALSE(late) << "the condition never came";
        m_done = true;
        Stop();
        m_action();
    }

    bool Done() const { return m_done; }

  private:
    std::function<bool()> m_condition;
    std::function<void()> m_action;
    std::chrono::steady_clock::time_point m_deadline;
    bool m_done = false;
};

wxString FieldText(int value) {
    return wxString::Format("%d", value);
}

class TransmitTest : public testing::Test, public PanelRig {
  protected:
    void SetUp() override {
        Start(*SmallLayout());
        ASSERT_TRUE(Panel().StartedUp());
        ASSERT_NE(Panel().Link().Transfer(), nullptr);
    }

    TransmitDlg& Dialog() const { return panel->Get()->Dialogs().Transmit(); }
    /// Octet 1 ... 4 of the address.
    wxTextCtrl& Octet(int index) const {
        const int ids[] = {TransmitDlg::ID_ADDRESS1, TransmitDlg::ID_ADDRESS2,
                           TransmitDlg::ID_ADDRESS3, TransmitDlg::ID_ADDRESS4};
        return *wxStaticCast(Dialog().FindWindow(ids[index]), wxTextCtrl);
    }
    wxTextCtrl& Status() const {
        return *wxStaticCast(Dialog().FindWindow(TransmitDlg::ID_STATUS), wxTextCtrl);
    }
    void TypeAddress(const std::array<int, 4>& address) const {
        for (int i = 0; i < 4; ++i) {
            Octet(i).ChangeValue(FieldText(address[static_cast<std::size_t>(i)]));
        }
    }

    /// Shows the dialog modally and runs `step` in it. A step that leaves the dialog open is
    /// followed by "Cancel". The dialog must be gone afterwards.
    void Run(const std::function<void(TransmitDlg&)>& step) {
        bool stepDone = false;
        ModalScript script;
        script.Then([&](wxDialog& dialog) {
            auto& transmit = static_cast<TransmitDlg&>(dialog);
            EXPECT_TRUE(transmit.IsShown());
            step(transmit);
            EXPECT_FALSE(transmit.IsWaiting());
            if (transmit.IsModal()) {
                ClickButton(transmit, "Cancel");
            }
            stepDone = true;
        });
        // A modal run that outlives its closed dialog would hang the test: fail it instead.
        std::chrono::steady_clock::time_point closedAt{};
        WhenThen stuck(
            [&] {
                if (!stepDone || Dialog().IsShown()) {
                    return false;
                }
                const auto now = std::chrono::steady_clock::now();
                if (closedAt == std::chrono::steady_clock::time_point{}) {
                    closedAt = now;
                }
                return now - closedAt > std::chrono::seconds(2);
            },
            [] {
                ADD_FAILURE() << "the modal run went on after the dialog closed";
                wxEventLoopBase::GetActive()->Exit();
            },
            120000, 100);
        Dialog().ShowModal();
        EXPECT_TRUE(script.Done());
        EXPECT_FALSE(Dialog().IsShown());
    }

    /// A picture of the given size in the layout folder, bytes that tell their place.
    std::string WriteFile(const std::string& name, std::size_t size) const {
        std::string bytes(size, '\0');
        for (std::size_t i = 0; i < size; ++i) {
            bytes[i] = static_cast<char>((i * 7 + name.size()) % 251);
        }
        folder.Write(name, bytes);
        return bytes;
    }
};

TEST_F(TransmitTest, ControlsSitInTheirPlaces) {
    TransmitDlg& dialog = Dialog();
    EXPECT_EQ(dialog.GetTitle(), "Transmit");
    EXPECT_EQ(dialog.GetClientSize(), wxSize(446, 264));
    EXPECT_EQ(dialog.GetParent(), panel->Get());
    for (const long flag : {wxCAPTION, wxSYSTEM_MENU, wxCLOSE_BOX, wxSTAY_ON_TOP}) {
        EXPECT_TRUE(dialog.HasFlag(flag)) << flag;
    }
    const struct {
        int id;
        const char* label;
        wxRect rect;
    } controls[] = {
        {TransmitDlg::ID_ADDRESS_LABEL, "IP-Transmit Address", {8, 16, 160, 16}},
        {TransmitDlg::ID_ADDRESS1, "", {8, 40, 40, 24}},
        {TransmitDlg::ID_ADDRESS2, "", {56, 40, 40, 24}},
        {TransmitDlg::ID_ADDRESS3, "", {104, 40, 40, 24}},
        {TransmitDlg::ID_ADDRESS4, "", {152, 40, 40, 24}},
        {TransmitDlg::ID_TRANSMIT_LAYOUT, "Store && Transmit Layout", {8, 80, 184, 40}},
        {TransmitDlg::ID_TRANSMIT_PICTURE, "Store && Transmit Picture", {8, 136, 184, 40}},
        {wxID_CANCEL, "Cancel", {16, 200, 75, 40}},
        {wxID_OK, "OK", {104, 200, 75, 40}},
        {TransmitDlg::ID_STATUS, "", {216, 8, 208, 232}},
    };
    EXPECT_EQ(dialog.GetChildren().size(), std::size(controls));
    for (const auto& c : controls) {
        SCOPED_TRACE(c.label);
        wxWindow* control = dialog.FindWindow(c.id);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->GetRect(), c.rect);
        if (!control->IsKindOf(wxCLASSINFO(wxTextCtrl))) {
            EXPECT_EQ(control->GetLabel(), c.label);
        }
    }
    EXPECT_TRUE(Status().IsMultiLine());
    // The toolkit shows a doubled ampersand as one.
    EXPECT_EQ(
        wxStaticCast(dialog.FindWindow(TransmitDlg::ID_TRANSMIT_LAYOUT), wxButton)->GetLabelText(),
        "Store & Transmit Layout");
}

TEST_F(TransmitTest, AddressFieldsTakeThreeCharacters) {
    Run([&](TransmitDlg&) {
        for (int i = 0; i < 4; ++i) {
            Octet(i).ChangeValue("");
            // Key by key, as typed: the fourth is refused.
            for (const char* key : {"1", "2", "3", "4"}) {
                Octet(i).AppendText(key);
            }
            EXPECT_EQ(Octet(i).GetValue(), "123") << i;
        }
    });
}

// An octet wider than what can be typed, from a layout written elsewhere: shown whole, taken
// back whole, and never cut into the address of another host.
TEST_F(TransmitTest, AWideStoredOctetIsShownAndUsedWhole) {
    FakeReceiver receiver;
    std::array<int, 4> wide = receiver.Address();
    // Cut to three characters, this would be the receiver's address.
    wide[1] = wide[1] * 10 + 7;
    const struct {
        std::array<int, 4> stored;
        std::array<const char*, 4> shown;
    } cases[] = {
        {{127, 1000, -100, 1}, {"127", "1000", "-100", "1"}},
        {wide, {"127", "", "", ""}},
    };
    for (const auto& c : cases) {
        TheLayout().Form.Transmit_IP = c.stored;
        Run([&](TransmitDlg& dialog) {
            for (int i = 0; i < 4; ++i) {
                const auto octet = static_cast<std::size_t>(i);
                EXPECT_EQ(Octet(i).GetValue(), FieldText(c.stored[octet])) << i;
                if (*c.shown[octet] != '\0') {
                    EXPECT_EQ(Octet(i).GetValue(), c.shown[octet]) << i;
                }
            }
            // Typing cannot make it longer still.
            Octet(1).SetInsertionPointEnd();
            Octet(1).AppendText("5");
            EXPECT_EQ(Octet(1).GetValue(), FieldText(c.stored[1]));
            ClickButton(dialog, "OK");
        });
        EXPECT_EQ(TheLayout().Form.Transmit_IP, c.stored);
    }

    // Sending to it: no such host, and nothing reaches the receiver at the cut address.
    Run([&](TransmitDlg& dialog) {
        WhenThen cancel([&] { return !prompter.messages.empty(); },
                        [&] { ClickButton(dialog, "Cancel"); });
        ClickButton(dialog, kSendLayout);
    });
    EXPECT_EQ(prompter.messages, std::vector<std::wstring>{L"Error Client Open"});
    EXPECT_EQ(TheLayout().Form.Transmit_IP, wide);
    EXPECT_EQ(receiver.Connections(), 0);
}

TEST_F(TransmitTest, OkTakesTheAddressAsTypedAndCancelDropsIt) {
    const std::array<int, 4> held{10, 0, 300, -5};
    const struct {
        const char* button;
        std::array<const char*, 4> typed;
        std::array<int, 4> stored;
    } cases[] = {
        {"OK", {"192", "168", "1", "20"}, {192, 168, 1, 20}},
        {"OK", {" 12", "-7x", "", "999"}, {12, -7, 0, 999}},
        {"OK", {"+3", "abc", "0", "255"}, {3, 0, 0, 255}},
        {"Cancel", {"1", "2", "3", "4"}, held},
    };
    for (const int changed : {0, 1}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.button) + " " + c.typed[0]);
            TheLayout().Form.Transmit_IP = held;
            TheState().LayoutChanged = changed;
            Run([&](TransmitDlg& dialog) {
                for (int i = 0; i < 4; ++i) {
                    EXPECT_EQ(Octet(i).GetValue(), FieldText(held[static_cast<std::size_t>(i)]));
                    Octet(i).ChangeValue(c.typed[static_cast<std::size_t>(i)]);
                }
                ClickButton(dialog, c.button);
                EXPECT_FALSE(dialog.IsModal());
            });
            EXPECT_EQ(TheLayout().Form.Transmit_IP, c.stored);
            EXPECT_EQ(TheState().LayoutChanged, changed);
            EXPECT_TRUE(prompter.messages.empty());
        }
    }
}

TEST_F(TransmitTest, SendsTheStoredLayoutFile) {
    FakeReceiver receiver;
    TheLayout().Form.Transmit_IP = {0, 0, 0, 0};
    TheLayout().Page(0).PageName = L"Sent along";
    TheState().LayoutChanged = 1;
    Run([&](TransmitDlg& dialog) {
        TypeAddress(receiver.Address());
        ClickButton(dialog, kSendLayout);
        EXPECT_EQ(Status().GetValue(), "tvxdef.ini\n");
        EXPECT_TRUE(dialog.IsModal()) << "the dialog stays open after sending";
    });
    EXPECT_EQ(prompter.messages, std::vector<std::wstring>{L"OK"});
    EXPECT_EQ(TheLayout().Form.Transmit_IP, receiver.Address());
    EXPECT_EQ(TheState().LayoutChanged, 0);
    const std::string stored = folder.Read("tvxdef.ini");
    EXPECT_NE(stored.find("Sent along"), std::string::npos) << "stored before sending";
    const auto files = receiver.Files();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].name, "tvxdef.ini");
    EXPECT_EQ(files[0].bytes.size(), stored.size());
    EXPECT_TRUE(files[0].bytes == stored);
}

TEST_F(TransmitTest, TheLayoutArrivesAtAReceivingPanel) {
    const std::string tool = std::string(TVX_BINARY_DIR) + "/tvx-receive";
    if (::access(tool.c_str(), X_OK) != 0) {
        GTEST_SKIP() << tool << " is not built";
    }
    LayoutFolder otherPanel;
    ReceiverProcess receiver(tool, otherPanel.Path());
    ASSERT_TRUE(receiver.Listening());
    TheLayout().Page(2).PageName = L"For the other panel";
    Run([&](TransmitDlg& dialog) {
        TypeAddress(receiver.Address());
        ClickButton(dialog, kSendLayout);
        EXPECT_EQ(Status().GetValue(), "tvxdef.ini\n");
    });
    EXPECT_EQ(prompter.messages, std::vector<std::wstring>{L"OK"});
    const std::string stored = folder.Read("tvxdef.ini");
    EXPECT_EQ(receiver.NextLine(),
              "received tvxdef.ini " + std::to_string(stored.size()) + " bytes");
    EXPECT_NE(stored.find("For the other panel"), std::string::npos);
    EXPECT_TRUE(otherPanel.Read("tvxdef.ini") == stored);
}

TEST_F(TransmitTest, SendsEveryPictureInOrder) {
    FakeReceiver receiver;
    ::Layout& layout = TheLayout();
    layout.Page(0).PageImage = L"back.png";
    layout.Page(3).PageImage = L"back.png";
    layout.Page(5).PageImage = L"page5.png";
    layout.Page(0).Button_Last = 22;
    for (int button = 0; button < 20; ++button) {
        layout.Button(0, button).Image_File_On = L"lamp.png";
    }
    layout.Button(0, 20).Image_File_Off = L"a.bm";
    layout.Button(0, 20).Image_File_Press = L"Case.png";
    layout.Button(0, 21).Image_File_On = L"case.png";
    const std::vector<std::pair<std::string, std::string>> expected{
        {"back.png", WriteFile("back.png", 2500)}, {"back.png", folder.Read("back.png")},
        {"page5.png", WriteFile("page5.png", 0)},  {"lamp.png", WriteFile("lamp.png", 1000)},
        {"Case.png", WriteFile("Case.png", 999)},  {"case.png", WriteFile("case.png", 3001)},
    };
    layout.Form.Transmit_IP = receiver.Address();
    Run([&](TransmitDlg& dialog) {
        Status().ChangeValue("left from before\n");
        ClickButton(dialog, kSendPictures);
        EXPECT_EQ(Status().GetValue(),
                  "back.png\nback.png\npage5.png\nlamp.png\nCase.png\ncase.png\n");
    });
    EXPECT_EQ(prompter.messages, std::vector<std::wstring>{L"OK"});
    const auto files = receiver.Files();
    ASSERT_EQ(files.size(), expected.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(files[i].name, expected[i].first) << i;
        EXPECT_TRUE(files[i].bytes == expected[i].second) << files[i].name;
    }
    EXPECT_NE(folder.Read("tvxdef.ini").find("case.png"), std::string::npos);
}

// A picture chosen outside the layout folder in the page settings is copied into the folder,
// shown on the page at once, and sent with the layout's pictures.
TEST_F(TransmitTest, APictureChosenElsewhereIsCopiedInShownAndSent) {
    FakeReceiver receiver;
    // Removed at the program's end, after the fixture's panel: a chooser that showed the folder
    // may still be reading it, and the toolkit answers a folder gone meanwhile with a box of its
    // own.
    static const LayoutFolder elsewhere;
    const wxColour sunset(200, 40, 160);
    elsewhere.WritePicture("sunset.png", 400, 300, sunset);
    const int page = TheState().CurrentPage;
    {
        ModalScript script;
        script
            .Then([&](wxDialog& settings) {
                ClickButton(settings, "Sel");
                EXPECT_EQ(TheLayout().Page(page).PageImage, L"sunset.png");
                EXPECT_EQ(panel->PagePixel(200, 150), sunset) << "shown at once";
                ClickButton(settings, "OK");
            })
            .Return<wxFileDialog>([&](wxFileDialog& chooser) {
                chooser.SetPath(elsewhere.At("sunset.png"));
                return wxID_OK;
            });
        panel->Get()->Dialogs().PageSettings().ShowModal();
        EXPECT_TRUE(script.Done());
    }
    EXPECT_TRUE(folder.Read("sunset.png") == elsewhere.Read("sunset.png"));
    EXPECT_TRUE(prompter.messages.empty());

    TheLayout().Form.Transmit_IP = receiver.Address();
    Run([&](TransmitDlg& dialog) {
        ClickButton(dialog, kSendPictures);
        EXPECT_EQ(Status().GetValue(), "sunset.png\n");
    });
    EXPECT_EQ(prompter.messages, std::vector<std::wstring>{L"OK"});
    const auto files = receiver.Files();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].name, "sunset.png");
    EXPECT_TRUE(files[0].bytes == elsewhere.Read("sunset.png"));
    EXPECT_NE(folder.Read("tvxdef.ini").find("sunset.png"), std::string::npos);
}

TEST_F(TransmitTest, WithoutPicturesOnlyStoresAndSaysOk) {
    FakeReceiver receiver;
    TheLayout().Form.Transmit_IP = receiver.Address();
    TheState().LayoutChanged = 1;
    Run([&](TransmitDlg& dialog) {
        ClickButton(dialog, kSendPictures);
        EXPECT_EQ(Status().GetValue(), "");
    });
    EXPECT_EQ(prompter.messages, std::vector<std::wstring>{L"OK"});
    EXPECT_EQ(TheState().LayoutChanged, 0);
    Pump(50);
    EXPECT_EQ(receiver.Connections(), 0);
}

TEST_F(TransmitTest, AFailedStoreSendsNothing) {
    FakeReceiver receiver;
    TheLayout().Form.Transmit_IP = receiver.Address();
    TheLayout().Page(0).PageImage = L"back.png";
    TheState().LayoutChanged = 1;
    ::unlink((folder.Path() + "/tvxdef.ini").c_str());
    for (const wxString& action : {kSendLayout, kSendPictures}) {
        prompter.messages.clear();
        Run([&](TransmitDlg& dialog) {
            ClickButton(dialog, action);
            EXPECT_TRUE(dialog.IsModal());
        });
        EXPECT_EQ(prompter.messages, std::vector<std::wstring>{L"tvxdef.ini nicht vorhanden !"});
        EXPECT_EQ(TheState().LayoutChanged, 1);
    }
    Pump(50);
    EXPECT_EQ(receiver.Connections(), 0);
}

TEST_F(TransmitTest, ATooLargePictureIsSkippedAndTheEndSaysWhichWereNotSent) {
    const std::string small = WriteFile("small.png", 1500);
    for (const std::string name : {"huge.png", "big.png"}) {
        folder.Write(name, "");
        ASSERT_EQ(::truncate((folder.Path() + "/" + name).c_str(), 16 * 1024 * 1024), 0);
    }
    struct Case {
        std::vector<std::wstring> pages;  ///< the background pictures of pages 0, 1, ...
        std::string listed;
        std::wstring end;
        std::size_t received;  ///< small.png arrives once for each page that uses it
    };
    const Case cases[] = {
        {{L"huge.png", L"small.png"},
         "huge.png\nsmall.png\n",
         L"OK, but 1 of 2 files was not sent:\nhuge.png",
         1},
        {{L"big.png", L"small.png", L"huge.png", L"small.png"},
         "big.png\nsmall.png\nhuge.png\nsmall.png\n",
         L"OK, but 2 of 4 files were not sent:\nbig.png\nhuge.png",
         2},
        {{L"small.png"}, "small.png\n", L"OK", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.listed);
        FakeReceiver receiver;
        TheLayout().Form.Transmit_IP = receiver.Address();
        for (int page = 0; page <= TheLayout().LastPage; ++page) {
            const auto index = static_cast<std::size_t>(page);
            TheLayout().Page(page).PageImage = index < c.pages.size() ? c.pages[index] : L"";
        }
        prompter.messages.clear();
        Run([&](TransmitDlg& dialog) {
            ClickButton(dialog, kSendPictures);
            EXPECT_EQ(Status().GetValue(), c.listed);
        });
        ASSERT_FALSE(prompter.messages.empty());
        // Each refusal is told as it happens, and the end names them all again.
        const std::size_t refused = c.pages.size() - c.received;
        EXPECT_EQ(prompter.messages.size(), refused + 1);
        for (std::size_t i = 0; i + 1 < prompter.messages.size(); ++i) {
            EXPECT_NE(prompter.messages[i].find(L"Datei zu gro"), std::wstring::npos);
        }
        EXPECT_EQ(prompter.messages.back(), c.end);
        const auto files = receiver.Files();
        ASSERT_EQ(files.size(), c.received);
        for (const auto& file : files) {
            EXPECT_EQ(file.name, "small.png");
            EXPECT_TRUE(file.bytes == small);
        }
    }
}

// A layout written elsewhere may name a picture outside its folder: it is never read or sent; the
// status list says so and the action goes on with the next file.
TEST_F(TransmitTest, APictureOutsideTheFolderIsNeverSent) {
    const std::string small = WriteFile("small.png", 1500);
    FakeReceiver receiver;
    TheLayout().Form.Transmit_IP = receiver.Address();
    TheLayout().Page(0).PageImage = L"../../../../../etc/hostname";
    TheLayout().Page(1).PageImage = L"small.png";
    Run([&](TransmitDlg& dialog) {
        ClickButton(dialog, kSendPictures);
        EXPECT_EQ(Status().GetValue(),
                  "../../../../../etc/hostname - not sent: not a file of the layout folder\n"
                  "small.png\n");
    });
    EXPECT_EQ(prompter.messages, std::vector<std::wstring>{L"OK, but 1 of 2 files was not sent:\n"
                                                           L"../../../../../etc/hostname"});
    const auto files = receiver.Files();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].name, "small.png");
    EXPECT_TRUE(files[0].bytes == small);
}

/// The ways out of a wait: they all end the action at once and close the dialog.
const struct {
    const char* name;
    std::function<void(TransmitDlg&)> breakOff;
} kBreakOffs[] = {
    {"Cancel", [](TransmitDlg& dialog) { ClickButton(dialog, "Cancel"); }},
    {"OK", [](TransmitDlg& dialog) { ClickButton(dialog, "OK"); }},
    {"close box", [](TransmitDlg& dialog) { dialog.Close(); }},
    // However else the dialog goes away (as the menu hides its dialogs).
    {"hidden", [](TransmitDlg& dialog) { dialog.Hide(); }},
};

TEST_F(TransmitTest, BreakingOffAWaitClosesAtOnceAndTheNextShowingStartsClean) {
    for (const wxString& action : {kSendLayout, kSendPictures}) {
        for (const auto& way : kBreakOffs) {
            SCOPED_TRACE(action + " / " + way.name);
            // Answers the greeting and the name, then falls silent.
            FakeReceiver receiver(2);
            TheLayout().Form.Transmit_IP = receiver.Address();
            TheLayout().Page(0).PageImage = L"one.png";
            TheLayout().Page(1).PageImage = L"two.png";
            WriteFile("one.png", 10);
            WriteFile("two.png", 10);
            prompter.messages.clear();
            Run([&](TransmitDlg& dialog) {
                WhenThen breakOff([&] { return receiver.Stalled() && dialog.IsWaiting(); },
                                  [&] { way.breakOff(dialog); });
                ClickButton(dialog, action);
                EXPECT_TRUE(breakOff.Done());
                EXPECT_FALSE(dialog.IsModal());
                EXPECT_EQ(dialog.IsCancelled(), 1);
                EXPECT_EQ(Status().GetValue(),
                          action == kSendLayout ? "tvxdef.ini\n" : "one.png\n");
            });
            EXPECT_TRUE(prompter.messages.empty()) << "no message after breaking off";
            EXPECT_TRUE(WaitFor([&] { return receiver.SenderLeft(); }));
            Pump(100);
            EXPECT_EQ(receiver.Connections(), 1) << "no further file after breaking off";
            Run([&](TransmitDlg& dialog) {
                EXPECT_EQ(Status().GetValue(), "");
                EXPECT_EQ(dialog.IsCancelled(), 0);
            });
        }
    }
}

TEST_F(TransmitTest, UnreachableReceiverIsReportedAndTheWaitGoesOnUntilCancel) {
    // Nobody listens there: the connection is refused at once.
    TheLayout().Form.Transmit_IP = UnreachableAddress();
    Run([&](TransmitDlg& dialog) {
        bool stillWaiting = false;
        WhenThen cancel([&] { return !prompter.messages.empty(); },
                        [&] {
                            // Later, the wait still runs: no timeout ends it.
                            Pump(300);
                            stillWaiting = dialog.IsWaiting();
                            ClickButton(dialog, "Cancel");
                        });
        ClickButton(dialog, kSendLayout);
        EXPECT_TRUE(stillWaiting);
        EXPECT_FALSE(dialog.IsModal());
        EXPECT_EQ(Status().GetValue(), "tvxdef.ini\n");
    });
    EXPECT_EQ(prompter.messages, std::vector<std::wstring>{L"Error Client Open"});
}

TEST_F(TransmitTest, WaitingForASlowReceiverLeavesTheProcessorIdle) {
    // Five answers for 2500 bytes, each a quarter of a second late.
    FakeReceiver receiver(-1, 250);
    TheLayout().Form.Transmit_IP = receiver.Address();
    TheLayout().Page(0).PageImage = L"slow.png";
    WriteFile("slow.png", 2500);
    const auto processorSeconds = [] {
        rusage usage{};
        ::getrusage(RUSAGE_SELF, &usage);
        const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
        return seconds(usage.ru_utime) + seconds(usage.ru_stime);
    };
    double cpuSeconds = 0;
    double wallSeconds = 0;
    Run([&](TransmitDlg& dialog) {
        // From the start of the wait (the store before it is work of its own) to its end.
        double cpuAtStart = 0;
        std::chrono::steady_clock::time_point start;
        WhenThen measure([&] { return dialog.IsWaiting(); },
                         [&] {
                             cpuAtStart = processorSeconds();
                             start = std::chrono::steady_clock::now();
                         });
        ClickButton(dialog, kSendPictures);
        ASSERT_TRUE(measure.Done());
        cpuSeconds = processorSeconds() - cpuAtStart;
        wallSeconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    });
    ASSERT_EQ(receiver.Files().size(), 1u);
    EXPECT_GE(wallSeconds, 1.0);
    EXPECT_LT(cpuSeconds, 0.15 * wallSeconds)
        << cpuSeconds << " s of processor in " << wallSeconds << " s";
    std::printf("waiting %.2f s took %.3f s of processor time\n", wallSeconds, cpuSeconds);
}

}  // namespace
