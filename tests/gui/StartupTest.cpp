// Start-up and closing of the real panel window.
#include <gtest/gtest.h>

#include <wx/display.h>
#include <wx/uiaction.h>

#include "GuiTestSupport.h"
#include "model/File.h"
#include "model/PanelState.h"
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
    EXPECT_TRUE(prompter.messages.empty());
}

TEST(Startup, MissingLayoutFileEndsWithCodeZeroAndNamesTheFolder) {
    FakePrompter prompter;
    LayoutFolder folder;
    PanelUnderTest panel(folder, prompter, false);
    EXPECT_FALSE(panel->StartedUp());
    EXPECT_EQ(prompter.exitCode, 0);
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0], L"tvxdef.ini missing ! " + folder.WidePath());
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
    EXPECT_EQ(GetLayout().Form.SizeX, 200);
    EXPECT_EQ(GetLayout().Form.SizeY, 320);
    EXPECT_EQ(panel->GetClientSize(), wxSize(200, 320));
    EXPECT_EQ(panel->GetTitle(), "newPage");
    EXPECT_EQ(panel->GetPageArea()->GetId(), 3002);
    EXPECT_EQ(panel->GetPageArea()->GetName(), "ID_SCROLL_WINDOW1");
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
    const wxRect area = wxDisplay(0u).GetClientArea();
    EXPECT_EQ(panel->GetClientSize(),
              wxSize(std::min(area.width, 1920), std::min(area.height, 1080)));
    EXPECT_EQ(panel->GetPageArea()->GetVirtualSize(), wxSize(1920, 1080));
    int unitX = 0;
    int unitY = 0;
    panel->GetPageArea()->GetScrollPixelsPerUnit(&unitX, &unitY);
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
        EXPECT_EQ(GetPanelState().CurrentPage, expected) << start;
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
        GetLayout().Page(0).PageName = L"Changed";
        GetPanelState().LayoutChanged = 1;
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
    GetPanelState().LayoutChanged = 1;
    ::unlink((folder.Path() + "/tvxdef.ini").c_str());
    prompter.answers.push_back(Prompter::Answer::Yes);
    panel->Close();
    EXPECT_EQ(prompter.exitCode, -1);
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0], L"tvxdef.ini nicht vorhanden !");
    EXPECT_EQ(GetPanelState().LayoutChanged, 1);
    EXPECT_TRUE(folder.Read("tvxdef.ini").empty());
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

TEST(Pictures, MissingMenuPictureIsReportedAndClosesThePanel) {
    FakePrompter prompter;
    LayoutFolder folder;
    folder.Write(*SmallLayout());
    ::unlink((folder.Path() + "/TvxMenu.png").c_str());
    PanelUnderTest panel(folder, prompter);
    ASSERT_FALSE(prompter.messages.empty());
    EXPECT_EQ(prompter.messages[0], L"TvxMenu.png is missing, Porgram will be terminated");
    EXPECT_EQ(prompter.exitCode, 0);
}

}  // namespace
