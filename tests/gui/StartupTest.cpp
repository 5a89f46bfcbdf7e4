// Start-up and closing of the real panel window.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>

#include <wx/app.h>
#include <wx/uiaction.h>

#include "FileDoubles.h"
#include "GuiTestSupport.h"
#include "model/File.h"
#include "model/LayoutFormat.h"
#include "model/PanelState.h"
#include "model/Paths.h"
#include "model/StartOptions.h"
#include "panel/PageArea.h"

namespace {

TEST(Startup, CancelledChooserEndsWithCodeZero) {
    FakePrompter prompter;
    prompter.chooseOk = false;
    LayoutFolder folder;
    folder.Write(*SmallLayout());
    PanelUnderTest panel(folder, prompter, false);
    EXPECT_FALSE(panel->StartedUp());
    EXPECT_EQ(prompter.exitCode, 0);
    EXPECT_EQ(prompter.lastChooserMessage, L"Select directory");
    // It opens where the panel was started: one touch on "Open" takes that folder.
    char working[4096];
    ASSERT_NE(::getcwd(working, sizeof working), nullptr);
    EXPECT_EQ(prompter.lastChooserStart, TextFromNative(working));
    EXPECT_TRUE(prompter.messages.empty());
}

// A folder given on the command line is the layout folder: nobody is asked.
TEST(Startup, AGivenFolderIsTakenWithoutTheChooser) {
    FakePrompter prompter;
    prompter.chooseOk = false;
    SetPrompter(&prompter);
    LayoutFolder folder;
    auto layout = SmallLayout();
    layout->Page(0).PageName = L"Given";
    folder.Write(*layout);
    PanelDocument document;
    ModalDialogStack dialogs;
    auto* panel = new MainDialog(document, dialogs, nullptr, wxID_ANY, folder.WidePath());
    EXPECT_TRUE(panel->StartedUp());
    EXPECT_EQ(prompter.choosers, 0);
    EXPECT_EQ(prompter.exitCode, -1);
    EXPECT_EQ(document.Layout().Form.LayoutDirectory, folder.WidePath());
    EXPECT_EQ(document.Layout().Page(0).PageName, L"Given");
    panel->Destroy();
    WaitFor([panel] { return !wxTheApp->IsScheduledForDestruction(panel); });

    // Without a layout file there, the same message and end as after the chooser.
    LayoutFolder empty;
    ::unlink((empty.Path() + "/tvxdef.ini").c_str());
    PanelDocument fresh;
    auto* none = new MainDialog(fresh, dialogs, nullptr, wxID_ANY, empty.WidePath());
    EXPECT_FALSE(none->StartedUp());
    delete none;
    EXPECT_EQ(prompter.choosers, 0);
    EXPECT_EQ(prompter.exitCode, ExitCodes::kFailure);
    EXPECT_EQ(prompter.messages,
              std::vector<std::wstring>{L"tvxdef.ini missing ! " + empty.WidePath()});
}

// A start that fails ends with code 1, so that a session or a unit tells it from "Quit".
TEST(Startup, MissingLayoutFileEndsWithCodeOneAndNamesTheFolder) {
    FakePrompter prompter;
    LayoutFolder folder;
    PanelUnderTest panel(folder, prompter, false);
    EXPECT_FALSE(panel->StartedUp());
    EXPECT_EQ(prompter.exitCode, ExitCodes::kFailure);
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0], L"tvxdef.ini missing ! " + folder.WidePath());
}

TEST(Startup, LayoutFileThatCannotBeReadIsReportedWithItsReasonAndEndsWithCodeOne) {
    struct Case {
        const char* name;
        std::function<void(const std::string& path)> make;
        int readError;  ///< a read that fails with this, 0 for a real read
        std::function<std::string(const std::string& path)> reason;
    };
    const Case cases[] = {
        {"a folder of that name", [](const std::string& path) { ::mkdir(path.c_str(), 0700); }, 0,
         [](const std::string& path) { return path + " is a folder"; }},
        {"a link that leads nowhere",
         [](const std::string& path) { ::symlink("gone.ini", path.c_str()); }, 0,
         [](const std::string& path) {
             return "the link " + path + " leads to " + path.substr(0, path.rfind('/')) +
                    "/gone.ini, which does not exist";
         }},
        {"a file that cannot be read", [](const std::string&) {}, EACCES,
         [](const std::string& path) {
             return "cannot read " + path + ": " + std::strerror(EACCES);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakePrompter prompter;
        LayoutFolder folder;
        const std::string path = folder.Path() + "/tvxdef.ini";
        if (c.readError != 0) {
            folder.Write(*SmallLayout());
        }
        c.make(path);
        {
            PanelUnderTest panel(folder, prompter, false,
                                 c.readError != 0 ? std::make_unique<FileFailingToRead>(c.readError)
                                                  : std::make_unique<File>());
            EXPECT_FALSE(panel->StartedUp());
        }
        EXPECT_EQ(prompter.exitCode, ExitCodes::kFailure);
        EXPECT_EQ(prompter.messages,
                  std::vector<std::wstring>{L"tvxdef.ini cannot be read ! " + folder.WidePath() +
                                            L"\n" + TextFromNative(c.reason(path))});
        ::rmdir(path.c_str());
        ::unlink(path.c_str());
    }
}

// A layout file cut off before its end is never run as it is (what follows the cut would be
// lost at the next store): the panel says so and runs on the whole backup the last store kept,
// leaving the files as they are until a store; without a whole backup it ends with code 1.
TEST(Startup, ACutOffLayoutFileRunsOnItsWholeBackupOrEndsWithCodeOne) {
    auto cut = SmallLayout();
    cut->Page(0).PageName = L"Cut off";
    const std::string cutBytes = LayoutFormat::FormatLayout(*cut).substr(0, 1500);
    auto backup = SmallLayout();
    backup->Page(0).PageName = L"Kept";
    const std::string backupBytes = LayoutFormat::FormatLayout(*backup);
    for (const bool whole : {true, false}) {
        SCOPED_TRACE(whole ? "a whole backup" : "a backup cut off too");
        FakePrompter prompter;
        LayoutFolder folder;
        folder.Write("tvxdef.ini", cutBytes);
        folder.Write("tvxdef.ini.bak", whole ? backupBytes : backupBytes.substr(0, 900));
        const std::wstring reason =
            L"no \"EndOfFile\" line at the end of " + folder.WidePath() + L"/tvxdef.ini";
        PanelUnderTest panel(folder, prompter);
        if (!whole) {
            EXPECT_FALSE(panel->StartedUp());
            EXPECT_EQ(prompter.exitCode, ExitCodes::kFailure);
            EXPECT_EQ(prompter.messages,
                      std::vector<std::wstring>{L"tvxdef.ini cannot be used ! " +
                                                folder.WidePath() + L"\n" + reason +
                                                L"\n\nThere is no whole tvxdef.ini.bak to run on "
                                                L"instead."});
            continue;
        }
        ASSERT_TRUE(panel->StartedUp());
        EXPECT_EQ(panel->GetTitle(), "Kept");
        EXPECT_EQ(prompter.messages,
                  std::vector<std::wstring>{
                      L"tvxdef.ini cannot be used:\n" + reason +
                      L"\n\nThe panel runs on the layout the last store kept as tvxdef.ini.bak. "
                      L"\"Store\" makes it tvxdef.ini again."});
        EXPECT_EQ(folder.Read("tvxdef.ini"), cutBytes);
        EXPECT_EQ(folder.Read("tvxdef.ini.bak"), backupBytes);
        // What runs is not in tvxdef.ini yet: closing asks, and Yes stores it there.
        EXPECT_EQ(TheState().LayoutChanged, 1);
        prompter.answers.push_back(Prompter::Answer::Yes);
        panel->Close();
        EXPECT_EQ(prompter.questions, std::vector<std::wstring>{L"SAVE CHANGES ?"});
        EXPECT_EQ(prompter.exitCode, ExitCodes::kQuit);
        EXPECT_EQ(folder.Read("tvxdef.ini"), backupBytes);
    }
}

TEST(Startup, WindowTakesTheSizeOfTheLayoutAndRaisesSmallSizes) {
    FakePrompter prompter;
    LayoutFolder folder;
    auto layout = SmallLayout();
    layout->Form.SizeX = 150;
    layout->Form.SizeY = 320;
    folder.Write(*layout);
    PanelUnderTest panel(folder, prompter);
    ASSERT_TRUE(panel->StartedUp());
    EXPECT_EQ(TheLayout().Form.SizeX, 200);
    EXPECT_EQ(TheLayout().Form.SizeY, 320);
    EXPECT_EQ(panel->GetClientSize(), wxSize(200, 320));
    EXPECT_EQ(panel->GetTitle(), "newPage");
    EXPECT_EQ(panel->View().Area().GetId(), 3002);
    EXPECT_EQ(panel->View().Area().GetName(), "ID_SCROLL_WINDOW1");
    EXPECT_EQ(prompter.exitCode, -1);
}

TEST(Startup, LargeLayoutIsFittedToTheDisplayAndScrolls) {
    FakePrompter prompter;
    LayoutFolder folder;
    auto layout = SmallLayout();
    layout->Form.SizeX = 1920;
    layout->Form.SizeY = 1080;
    folder.Write(*layout);
    PanelUnderTest panel(folder, prompter);
    // Under a window manager the frame is known, and the page fitted again, once it is shown.
    EXPECT_TRUE(WaitFor([&] {
        return panel->GetClientSize() == FittedPageSize(*panel.Get(), wxSize(1920, 1080));
    })) << panel->GetClientSize().x
        << "x" << panel->GetClientSize().y;
    EXPECT_EQ(panel->View().Area().GetVirtualSize(), wxSize(1920, 1080));
    int unitX = 0;
    int unitY = 0;
    panel->View().Area().GetScrollPixelsPerUnit(&unitX, &unitY);
    EXPECT_EQ(unitX, 1);
    EXPECT_EQ(unitY, 1);
}

TEST(Startup, StartPageOutsideThePagesStartsOnPageZero) {
    for (const int start : {3, 11, -4, 999}) {
        FakePrompter prompter;
        LayoutFolder folder;
        auto layout = SmallLayout();
        layout->Form.Form_PageStart = start;
        layout->Page(3).PageName = L"Third";
        folder.Write(*layout);
        PanelUnderTest panel(folder, prompter);
        const int expected = start == 3 ? 3 : 0;
        EXPECT_EQ(TheState().CurrentPage, expected) << start;
    }
}

TEST(Closing, WithoutChangesEndsAtOnceWithoutAQuestion) {
    FakePrompter prompter;
    LayoutFolder folder;
    folder.Write(*SmallLayout());
    PanelUnderTest panel(folder, prompter);
    panel->Close();
    EXPECT_TRUE(prompter.questions.empty());
    EXPECT_EQ(prompter.exitCode, 0);
}

TEST(Closing, AnswersToSaveChanges) {
    struct Case {
        Prompter::Answer answer;
        bool stored;
        int exitCode;
    };
    for (const Case c : {Case{Prompter::Answer::Yes, true, 0}, Case{Prompter::Answer::No, false, 0},
                         Case{Prompter::Answer::Cancel, false, -1}}) {
        FakePrompter prompter;
        LayoutFolder folder;
        folder.Write(*SmallLayout());
        PanelUnderTest panel(folder, prompter);
        TheLayout().Page(0).PageName = L"Changed";
        TheState().LayoutChanged = 1;
        prompter.answers.push_back(c.answer);
        panel->Close();
        ASSERT_EQ(prompter.questions.size(), 1u);
        EXPECT_EQ(prompter.questions[0], L"SAVE CHANGES ?");
        EXPECT_EQ(prompter.exitCode, c.exitCode);
        const bool stored =
            folder.Read("tvxdef.ini").find("Page_PageName:000 Changed\r\n") != std::string::npos;
        EXPECT_EQ(stored, c.stored);
        EXPECT_TRUE(panel->IsShown());
    }
}

TEST(Closing, StoreThatFindsTheFileGoneKeepsRunningWithTheChanges) {
    FakePrompter prompter;
    LayoutFolder folder;
    folder.Write(*SmallLayout());
    PanelUnderTest panel(folder, prompter);
    TheState().LayoutChanged = 1;
    ::unlink((folder.Path() + "/tvxdef.ini").c_str());
    prompter.answers.push_back(Prompter::Answer::Yes);
    panel->Close();
    EXPECT_EQ(prompter.exitCode, -1);
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0], L"tvxdef.ini nicht vorhanden !");
    EXPECT_EQ(TheState().LayoutChanged, 1);
    EXPECT_TRUE(folder.Read("tvxdef.ini").empty());
}

TEST(Closing, StoreWhoseFolderCannotBeSyncedCountsAsDoneWithAWarning) {
    struct Case {
        const char* name;
        bool storeFirst;  ///< "Store" in the menu, then "Quit"; else Yes to "SAVE CHANGES ?"
    };
    for (const Case c : {Case{"SAVE CHANGES ? Yes", false}, Case{"Store, then Quit", true}}) {
        SCOPED_TRACE(c.name);
        FakePrompter prompter;
        LayoutFolder folder;
        folder.Write(*SmallLayout());
        PanelUnderTest panel(folder, prompter, true,
                             std::make_unique<FileFailingToSyncTheFolder>());
        TheLayout().Page(0).PageName = L"Changed";
        TheState().LayoutChanged = 1;
        if (c.storeFirst) {
            EXPECT_TRUE(panel->Store().StoreLayoutAndReport());
            EXPECT_EQ(TheState().LayoutChanged, 0);
        } else {
            prompter.answers.push_back(Prompter::Answer::Yes);
        }
        panel->Close();
        EXPECT_EQ(prompter.questions.size(), c.storeFirst ? 0u : 1u);
        EXPECT_EQ(prompter.exitCode, 0);
        EXPECT_EQ(prompter.messages,
                  std::vector<std::wstring>{
                      L"The layout was stored, but it may not survive a power cut:\ncannot sync "
                      L"the folder " +
                      folder.WidePath() + L": " + TextFromNative(std::strerror(EIO)) +
                      L"\n\nStore it again before switching the panel off."});
        EXPECT_EQ(TheState().LayoutChanged, 0);
        EXPECT_NE(folder.Read("tvxdef.ini").find("Page_PageName:000 Changed\r\n"),
                  std::string::npos);
    }
}

TEST(Keys, EscapeDoesNotCloseThePanel) {
    FakePrompter prompter;
    LayoutFolder folder;
    folder.Write(*SmallLayout());
    PanelUnderTest panel(folder, prompter);
    panel->Raise();
    panel->SetFocus();
    wxUIActionSimulator sim;
    sim.Char(WXK_ESCAPE);
    Pump(100);
    EXPECT_TRUE(panel->IsShown());
    EXPECT_EQ(prompter.exitCode, -1);
}

// A required picture that is there but cannot be decoded is as good as missing: without the menu
// picture there would be no way into the menu, no "Store" and no "Quit".
TEST(Pictures, DamagedRequiredPicturesCountAsMissing) {
    const std::string png = [] {
        LayoutFolder made;
        return made.Read("TvxMenu.png");
    }();
    const struct {
        const char* file;
        std::string bytes;
        const wchar_t* message;
    } cases[] = {
        {"TvxMenu.png", "", L"TvxMenu.png is missing, Porgram will be terminated"},
        {"TvxMenu.png", png.substr(0, png.size() / 2),
         L"TvxMenu.png is missing, Porgram will be terminated"},
        {"TvxMenu.png", "just text, no picture",
         L"TvxMenu.png is missing, Porgram will be terminated"},
        {"defaultButton.png", "", L"defaultButton.png is missing, Porgram will be terminated"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.file) + ", " + std::to_string(c.bytes.size()) + " bytes");
        FakePrompter prompter;
        LayoutFolder folder;
        folder.Write(*SmallLayout());
        folder.Write(c.file, c.bytes);
        PanelUnderTest panel(folder, prompter);
        ASSERT_FALSE(prompter.messages.empty());
        EXPECT_EQ(prompter.messages[0], c.message);
        EXPECT_EQ(prompter.exitCode, ExitCodes::kFailure);
    }
}

TEST(Pictures, MissingMenuPictureIsReportedAndClosesThePanel) {
    FakePrompter prompter;
    LayoutFolder folder;
    folder.Write(*SmallLayout());
    ::unlink((folder.Path() + "/TvxMenu.png").c_str());
    PanelUnderTest panel(folder, prompter);
    ASSERT_FALSE(prompter.messages.empty());
    EXPECT_EQ(prompter.messages[0], L"TvxMenu.png is missing, Porgram will be terminated");
    EXPECT_EQ(prompter.exitCode, ExitCodes::kFailure);
}

}  // namespace
