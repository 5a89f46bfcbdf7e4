// A layout file or pictures put into the folder of a running panel by another program (the
// transfer receiver above all) take effect without a restart; the user's unsaved changes, the
// panel's own stores, unusable files, open dialogs and touches are respected.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "GuiTestSupport.h"
#include "ModalScript.h"
#include "model/LayoutFormat.h"
#include "model/PanelState.h"
#include "model/Paths.h"
#include "panel/PageArea.h"

namespace {

using namespace std::chrono_literals;

const std::string kReceivePath = std::string(TVX_BINARY_DIR) + "/tvx-receive";
const std::wstring kQuestion = L"A new layout has arrived. Load it and discard your changes?";
const std::wstring kCannotBeUsed = L"A new layout has arrived, but it cannot be used:\n";
const wxColour kWhite(255, 255, 255);
const wxColour kDefaultGrey(128, 128, 128);

/// How long a file takes to show at most: a look every 300 ms, and two alike before it counts.
constexpr int kArrivalMs = 5000;
/// Long enough for several looks at the folder.
constexpr int kSeveralLooksMs = 1500;

/// A white 400 x 300 page 0 of that name with one button, a picture without text, at
/// (100, 100).
std::unique_ptr<::Layout> Named(const std::wstring& name) {
    auto layout = SmallLayout();
    layout->Page(0).PageName = name;
    layout->Page(0).Button_Last = 1;
    ButtonRecord& button = layout->Button(0, 0);
    button.PosX = 100;
    button.PosY = 100;
    button.Text_Off = L"";
    button.Text_On = L"";
    return layout;
}

/// A loopback address of this process for the receiver, apart from the fake controllers'
/// (127.16-215.x.y), the transmit and transfer tests' (127.216-249.x.y) and the screen tests'.
std::array<int, 4> ReceiverAddress(int instance) {
    const unsigned pid = static_cast<unsigned>(::getpid());
    return {127, 250 + instance % 5, static_cast<int>((pid >> 8) & 0xFF),
            1 + static_cast<int>(pid % 250)};
}

int g_receivers = 0;

/// The real transfer receiver (build/tvx-receive) on port 4001 of a loopback address of its
/// own, storing into a panel's folder.
class ReceiverIntoFolder {
  public:
    explicit ReceiverIntoFolder(const std::string& folder) {
        for (int attempt = 0; attempt < 5 && !m_listening; ++attempt) {
            m_address = ReceiverAddress(g_receivers++);
            const std::string listen =
                std::to_string(m_address[0]) + "." + std::to_string(m_address[1]) + "." +
                std::to_string(m_address[2]) + "." + std::to_string(m_address[3]) + ":4001";
            m_process = std::make_unique<ChildProcess>(
                kReceivePath, std::vector<std::string>{"--listen", listen, "--into", folder});
            const auto line = m_process->Out().Next();
            m_listening = line && line->rfind("listening on ", 0) == 0;
        }
    }

    const std::array<int, 4>& Address() const { return m_address; }
    bool Listening() const { return m_listening; }

    /// Whether the receiver has reported a file of that name stored, since the last call.
    bool Stored(const std::string& name) {
        while (const auto line = m_process->Out().Next(0ms)) {
            if (line->rfind("received " + name + " ", 0) == 0) {
                return true;
            }
        }
        return false;
    }

  private:
    std::array<int, 4> m_address{};
    std::unique_ptr<ChildProcess> m_process;
    bool m_listening = false;
};

/// A second panel that sends files of a folder of its own with the panel's transfer code.
class SendingPanel {
  public:
    explicit SendingPanel(const std::array<int, 4>& receiver) : m_layout(SmallLayout()) {
        m_layout->Form.LayoutDirectory = folder.WidePath();
        m_layout->Form.Transmit_IP = receiver;
    }

    /// Sends one file and waits until the transfer is through.
    bool Send(const std::wstring& name) {
        m_host.transfer.StartTransfer(*m_layout, name);
        return WaitFor([this] { return m_host.transfer.TransferState() == TransferSocket::kDone; },
                       kArrivalMs);
    }

    LayoutFolder folder;

  private:
    std::unique_ptr<::Layout> m_layout;
    TransferHost m_host;
};

class ReceivedLayout : public testing::Test, public PanelRig {
  protected:
    void Start(const ::Layout& layout) {
        PanelRig::Start(layout);
        ASSERT_TRUE(Panel().StartedUp());
    }

    /// Puts a layout file in place as a receiver does: written beside it, renamed over it.
    void Arrive(const std::string& bytes) const {
        folder.Write("incoming.part", bytes);
        ASSERT_EQ(std::rename((folder.Path() + "/incoming.part").c_str(),
                              (folder.Path() + "/tvxdef.ini").c_str()),
                  0);
    }
    void Arrive(const ::Layout& layout) const { Arrive(LayoutFormat::FormatLayout(layout)); }

    bool TitleBecomes(const wxString& title) const {
        return WaitFor([&] { return Panel().GetTitle() == title; }, kArrivalMs);
    }
};

TEST_F(ReceivedLayout, ALayoutSentThroughTheReceiverIsShownAndSoAreThePicturesAfterIt) {
    auto before = Named(L"Before");
    before->Page(0).Button_Last = 0;
    Start(*before);
    ReceiverIntoFolder receiver(folder.Path());
    ASSERT_TRUE(receiver.Listening());
    SendingPanel sender(receiver.Address());

    // A new page name, and a button where the panel had none, with a picture the panel does
    // not have yet.
    auto sent = Named(L"Received");
    sent->Button(0, 0).PosX = 200;
    sent->Button(0, 0).PosY = 150;
    sent->Button(0, 0).Image_File_Off = L"arrived.png";
    sender.folder.Write(*sent);
    ASSERT_TRUE(sender.Send(L"tvxdef.ini"));
    EXPECT_TRUE(WaitFor([&] { return receiver.Stored("tvxdef.ini"); }));
    ASSERT_TRUE(TitleBecomes("Received"));
    EXPECT_EQ(TheLayout().Page(0).PageName, L"Received");
    // Until its picture comes, the button shows the default picture.
    const wxRect around(190, 140, 120, 70);
    wxImage screen = PageOnScreen(Panel(), around);
    ASSERT_TRUE(screen.IsOk());
    EXPECT_EQ(panel->PagePixel(250, 175), kDefaultGrey);
    EXPECT_EQ(wxColour(screen.GetRed(60, 35), screen.GetGreen(60, 35), screen.GetBlue(60, 35)),
              kDefaultGrey);
    EXPECT_EQ(wxColour(screen.GetRed(5, 5), screen.GetGreen(5, 5), screen.GetBlue(5, 5)), kWhite);

    // The picture follows the layout; then it comes again in another colour, at the same size.
    for (const wxColour& colour : {kOn, kOff}) {
        sender.folder.WritePicture("arrived.png", 100, 50, colour);
        ASSERT_TRUE(sender.Send(L"arrived.png"));
        EXPECT_TRUE(WaitFor([&] { return panel->PagePixel(250, 175) == colour; }, kArrivalMs));
        screen = PageOnScreen(Panel(), around);
        ASSERT_TRUE(screen.IsOk());
        EXPECT_EQ(wxColour(screen.GetRed(60, 35), screen.GetGreen(60, 35), screen.GetBlue(60, 35)),
                  colour);
    }
    EXPECT_TRUE(prompter.questions.empty());
    EXPECT_TRUE(prompter.messages.empty());
}

// A picture of the page copied over in place, as a copy command does (the same file, other
// bytes), is shown as one renamed into place is.
TEST_F(ReceivedLayout, APictureCopiedOverInPlaceIsShown) {
    auto layout = Named(L"Pictures");
    layout->Button(0, 0).Image_File_Off = L"look.png";
    folder.WritePicture("look.png", 100, 50, kOff);
    Start(*layout);
    ASSERT_EQ(panel->PagePixel(150, 125), kOff);
    struct stat before {};
    ASSERT_EQ(::stat(folder.At("look.png").c_str(), &before), 0);
    // Made elsewhere, so that nothing but the picture changes in the folder.
    const LayoutFolder elsewhere;
    for (const wxColour& colour : {kOn, kPressed}) {
        elsewhere.WritePicture("copy.png", 100, 50, colour);
        folder.Write("look.png", elsewhere.Read("copy.png"));
        struct stat after {};
        ASSERT_EQ(::stat(folder.At("look.png").c_str(), &after), 0);
        ASSERT_EQ(after.st_ino, before.st_ino) << "written in place";
        EXPECT_TRUE(WaitFor([&] { return panel->PagePixel(150, 125) == colour; }, kArrivalMs));
    }
    EXPECT_TRUE(prompter.messages.empty());
}

// The layout folder removed under the running panel: the page stays as it is and the user is told
// once; the folder put back brings its layout.
TEST_F(ReceivedLayout, AFolderRemovedUnderThePanelKeepsThePageAndIsReported) {
    auto layout = Named(L"Kept");
    layout->Button(0, 0).Image_File_Off = L"off.png";
    folder.WriteButtonLooks();
    Start(*layout);
    ASSERT_EQ(panel->PagePixel(150, 125), kOff);
    const TempFolder aside("tvx-aside");
    const std::string copy = aside.At("copy");
    std::filesystem::copy(folder.Path(), copy);

    std::filesystem::remove_all(folder.Path());
    ASSERT_TRUE(WaitFor([&] { return !prompter.messages.empty(); }, kArrivalMs));
    Pump(kSeveralLooksMs);
    EXPECT_EQ(prompter.messages,
              std::vector<std::wstring>{L"The layout folder is gone:\n" + folder.WidePath() +
                                        L"\n\nThe panel goes on with the page it shows. A layout "
                                        L"put back there is loaded."});
    EXPECT_EQ(panel->PagePixel(150, 125), kOff);
    const wxImage screen = PageOnScreen(Panel(), wxRect(90, 90, 120, 70));
    ASSERT_TRUE(screen.IsOk());
    EXPECT_EQ(wxColour(screen.GetRed(60, 35), screen.GetGreen(60, 35), screen.GetBlue(60, 35)),
              kOff);
    EXPECT_EQ(Panel().GetTitle(), "Kept");
    // A page loaded meanwhile (a flip) finds no pictures, but that does not end the panel.
    Panel().View().LoadPage(0);
    EXPECT_EQ(prompter.exitCode, -1);
    EXPECT_EQ(prompter.messages.size(), 1u);

    // Put back, with a layout of another name.
    {
        auto back = Named(L"Back");
        back->Button(0, 0).Image_File_Off = L"off.png";
        std::ofstream(copy + "/tvxdef.ini", std::ios::binary | std::ios::trunc)
            << LayoutFormat::FormatLayout(*back);
    }
    std::filesystem::rename(copy, folder.Path());
    ASSERT_TRUE(TitleBecomes("Back"));
    EXPECT_TRUE(WaitFor([&] { return panel->PagePixel(150, 125) == kOff; }));
    EXPECT_EQ(prompter.messages.size(), 1u);
    EXPECT_TRUE(prompter.questions.empty());
}

TEST_F(ReceivedLayout, WithUnsavedChangesTheUserDecidesAndNoIsNotAskedAgainForTheSameFile) {
    Start(*Named(L"Before"));
    TheLayout().Page(0).PageName = L"Edited";
    TheLayout().Button(0, 0).PosX = 220;
    TheState().LayoutChanged = 1;
    const std::string edited = LayoutFormat::FormatLayout(TheLayout());

    prompter.answers = {Prompter::Answer::No};
    Arrive(*Named(L"First"));
    ASSERT_TRUE(WaitFor([&] { return prompter.questions.size() == 1; }, kArrivalMs));
    EXPECT_EQ(prompter.questions[0], kQuestion);
    EXPECT_EQ(prompter.captions[0], L"Tolvamix");
    Pump(kSeveralLooksMs);
    EXPECT_EQ(prompter.questions.size(), 1u) << "asked again for the same file";
    EXPECT_EQ(LayoutFormat::FormatLayout(TheLayout()), edited);
    EXPECT_EQ(TheState().LayoutChanged, 1);

    // Another file asks again; Yes loads it, and the panel's edit mode ends with the old layout.
    TheState().EditMode = EditModes::Move;
    prompter.answers = {Prompter::Answer::Yes};
    Arrive(*Named(L"Second"));
    ASSERT_TRUE(TitleBecomes("Second"));
    EXPECT_EQ(prompter.questions.size(), 2u);
    EXPECT_EQ(TheLayout().Button(0, 0).PosX, 100);
    EXPECT_EQ(TheState().LayoutChanged, 0);
    EXPECT_EQ(TheState().EditMode, EditModes::Normal);

    // Without changes the next file comes without a question.
    Arrive(*Named(L"Third"));
    ASSERT_TRUE(TitleBecomes("Third"));
    EXPECT_EQ(prompter.questions.size(), 2u);
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(ReceivedLayout, ThePanelsOwnStoresAreNotTakenForArrivals) {
    Start(*Named(L"Before"));
    // A change in memory that no file has shows whether the file was read again.
    const auto readAgain = [](int page, const std::wstring& mark) {
        TheLayout().Page(page).PageName = mark;
        Pump(kSeveralLooksMs);
        return TheLayout().Page(page).PageName != mark;
    };

    TheLayout().Page(0).PageName = L"Stored from the menu";
    TheState().LayoutChanged = 1;
    ModalScript script;
    script.Then([](wxDialog& menu) {
        ClickButton(menu, "Store");
        ClickButton(menu, "Close");
    });
    Panel().Dialogs().MenuRequest();
    ASSERT_TRUE(script.Done());
    ASSERT_EQ(TheState().LayoutChanged, 0);
    EXPECT_FALSE(readAgain(1, L"Only in memory"));

    // "SAVE CHANGES ?" answered Yes on closing (the test's prompter does not end the process).
    TheLayout().Page(0).PageName = L"Stored on closing";
    TheState().LayoutChanged = 1;
    prompter.answers = {Prompter::Answer::Yes};
    Panel().Close();
    ASSERT_EQ(prompter.exitCode, 0);
    ASSERT_EQ(folder.Read("tvxdef.ini"), LayoutFormat::FormatLayout(TheLayout()));
    EXPECT_FALSE(readAgain(2, L"Also only in memory"));

    EXPECT_EQ(prompter.questions, std::vector<std::wstring>{L"SAVE CHANGES ?"});
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(ReceivedLayout, AFileThatCannotBeUsedKeepsTheRunningLayoutAndIsReportedOnce) {
    Start(*Named(L"Running"));
    TheState().LayoutChanged = 1;
    const std::string running = LayoutFormat::FormatLayout(TheLayout());
    const std::string path = folder.Path() + "/tvxdef.ini";
    const std::string whole = LayoutFormat::FormatLayout(*Named(L"Whole"));
    struct Case {
        const char* what;
        std::function<void()> put;
        std::string reason;
    };
    const Case cases[] = {
        {"cut off", [&] { Arrive(whole.substr(0, whole.size() / 2)); },
         "no \"EndOfFile\" line at the end of " + path},
        {"garbage", [&] { Arrive(std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\r\n", 18)); },
         "no \"EndOfFile\" line at the end of " + path},
        {"a folder",
         [&] {
             ::unlink(path.c_str());
             ::mkdir(path.c_str(), 0755);
         },
         path + " is a folder"},
        {"a pipe",
         [&] {
             ::rmdir(path.c_str());
             ::mkfifo(path.c_str(), 0600);
         },
         path + " is not a regular file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        prompter.messages.clear();
        c.put();
        ASSERT_TRUE(WaitFor([&] { return !prompter.messages.empty(); }, kArrivalMs));
        Pump(kSeveralLooksMs);
        ASSERT_EQ(prompter.messages.size(), 1u);
        EXPECT_EQ(prompter.messages[0], kCannotBeUsed + TextFromNative(c.reason) +
                                            L"\n\nThe panel goes on with its current layout.");
        EXPECT_EQ(LayoutFormat::FormatLayout(TheLayout()), running);
        EXPECT_EQ(TheState().LayoutChanged, 1);
        EXPECT_EQ(Panel().GetTitle(), "Running");
        EXPECT_EQ(prompter.exitCode, -1);
    }
    // Questions are only for files that can be loaded.
    EXPECT_TRUE(prompter.questions.empty());

    // A good file after them loads.
    ::unlink(path.c_str());
    prompter.answers = {Prompter::Answer::Yes};
    Arrive(whole);
    EXPECT_TRUE(TitleBecomes("Whole"));
}

TEST_F(ReceivedLayout, WaitsWhileADialogIsOpenOrAFingerIsOnAButton) {
    Start(*Named(L"Before"));
    ModalScript script;
    script.Then([&](wxDialog& menu) {
        Arrive(*Named(L"After the menu"));
        Pump(kSeveralLooksMs);
        EXPECT_EQ(TheLayout().Page(0).PageName, L"Before");
        ClickButton(menu, "Close");
    });
    Panel().Dialogs().MenuRequest();
    ASSERT_TRUE(script.Done());
    EXPECT_TRUE(TitleBecomes("After the menu"));

    ASSERT_TRUE(PointAt(Panel(), 150, 125));
    ASSERT_TRUE(FingerDown());
    Arrive(*Named(L"After the touch"));
    Pump(kSeveralLooksMs);
    EXPECT_EQ(TheLayout().Page(0).PageName, L"After the menu");
    EXPECT_EQ(TheState().HeldButton.button, 0);
    ASSERT_TRUE(FingerUp());
    EXPECT_TRUE(TitleBecomes("After the touch"));
    EXPECT_TRUE(prompter.questions.empty());
}

TEST_F(ReceivedLayout, ANewSizeAndANewControllerTakeEffectAsTheMainSettingsOkDoes) {
    FakeController first;
    FakeController second;
    const auto gone = [](FakeController& controller) {
        return WaitFor([&] {
            controller.Poll();
            return !controller.HasClient();
        });
    };
    auto before = Named(L"Before");
    before->Form.Form_ConnectModus = 1;
    before->Form.Destination_IP = first.Address();
    Start(*before);
    ASSERT_TRUE(PanelLinked(first));

    auto next = Named(L"Larger");
    next->Form.SizeX = 600;
    next->Form.SizeY = 400;
    next->Form.Form_ConnectModus = 1;
    next->Form.Destination_IP = second.Address();
    Arrive(*next);
    ASSERT_TRUE(TitleBecomes("Larger"));
    EXPECT_EQ(Panel().GetClientSize(), wxSize(600, 400));
    EXPECT_EQ(Panel().View().Area().GetVirtualSize(), wxSize(600, 400));
    EXPECT_TRUE(PanelLinked(second));
    EXPECT_TRUE(gone(first));

    // Off the LAN: the link closes.
    next->Page(0).PageName = L"Bus";
    next->Form.Form_ConnectModus = 0;
    Arrive(*next);
    ASSERT_TRUE(TitleBecomes("Bus"));
    EXPECT_TRUE(gone(second));
    EXPECT_EQ(first.Connections(), 1);
    EXPECT_EQ(second.Connections(), 1);
}

}  // namespace
