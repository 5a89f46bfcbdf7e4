// The numeric keypad, driven through its keys as a user would.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <wx/button.h>
#include <wx/textctrl.h>

#include "GuiTestSupport.h"
#include "ModalScript.h"
#include "dialogs/KeyboardDlg.h"

namespace {

class KeyboardTest : public testing::Test {
  protected:
    void SetUp() override {
        folder.Write(*SmallLayout());
        panel = std::make_unique<PanelUnderTest>(folder, prompter);
        ASSERT_TRUE(panel->Get()->StartedUp());
        target = new wxTextCtrl(panel->Get(), wxID_ANY, "before", wxPoint(0, 0), wxSize(80, 24));
        SetTargetTextField(target);
    }
    void TearDown() override {
        SetTargetTextField(nullptr);
        target->Destroy();
    }

    KeyboardDlg& Keypad() const { return panel->Get()->Keyboard(); }
    wxTextCtrl& Entry() const {
        return *wxStaticCast(Keypad().FindWindow(KeyboardDlg::ID_TEXTCTRL1), wxTextCtrl);
    }

    /// Shows the keypad modally and touches the keys in order; the last one must close it.
    /// Returns the entry field's text just before the last key.
    wxString Touch(const std::vector<wxString>& keys) {
        wxString entryBeforeLast;
        ModalScript script;
        script.Then([&](wxDialog& keypad) {
            EXPECT_EQ(Entry().GetValue(), "") << "a showing starts empty";
            for (std::size_t i = 0; i < keys.size(); ++i) {
                if (i + 1 == keys.size()) {
                    entryBeforeLast = Entry().GetValue();
                }
                ClickButton(keypad, keys[i]);
            }
        });
        Keypad().ShowModal();
        EXPECT_TRUE(script.Done());
        EXPECT_FALSE(Keypad().IsShown());
        return entryBeforeLast;
    }

    FakePrompter prompter;
    LayoutFolder folder;
    std::unique_ptr<PanelUnderTest> panel;
    wxTextCtrl* target = nullptr;
};

TEST_F(KeyboardTest, KeysSitInTheirPlacesWithTheirIdentifiers) {
    KeyboardDlg& keypad = Keypad();
    EXPECT_EQ(keypad.GetTitle(), "Keyboard");
    EXPECT_EQ(keypad.GetClientSize(), wxSize(175, 291));
    EXPECT_EQ(keypad.GetParent(), panel->Get());
    EXPECT_EQ(keypad.GetBackgroundColour(), wxColour(255, 255, 128));
    for (const long flag : {wxCAPTION, wxSYSTEM_MENU, wxCLOSE_BOX, wxSTAY_ON_TOP}) {
        EXPECT_TRUE(keypad.HasFlag(flag)) << flag;
    }
    const struct {
        int id;
        const char* label;
        wxRect rect;
    } controls[] = {
        {KeyboardDlg::ID_BUTTON12, "7", {8, 8, 48, 48}},
        {KeyboardDlg::ID_BUTTON11, "8", {64, 8, 48, 48}},
        {KeyboardDlg::ID_BUTTON6, "9", {120, 8, 48, 48}},
        {KeyboardDlg::ID_BUTTON7, "4", {8, 64, 48, 48}},
        {KeyboardDlg::ID_BUTTON8, "5", {64, 64, 48, 48}},
        {KeyboardDlg::ID_BUTTON9, "6", {120, 64, 48, 48}},
        {KeyboardDlg::ID_BUTTON1, "1", {8, 120, 48, 48}},
        {KeyboardDlg::ID_BUTTON2, "2", {64, 120, 48, 48}},
        {KeyboardDlg::ID_BUTTON10, "3", {120, 120, 48, 48}},
        {KeyboardDlg::ID_BUTTON13, "0", {8, 176, 48, 48}},
        {KeyboardDlg::ID_TEXTCTRL1, "", {64, 188, 48, 23}},
        {KeyboardDlg::ID_BUTTON3, "Clear", {120, 176, 48, 48}},
        {KeyboardDlg::ID_BUTTON5, "Cancel", {8, 232, 48, 48}},
        {KeyboardDlg::ID_BUTTON4, "OK", {64, 232, 104, 48}},
    };
    EXPECT_EQ(keypad.GetChildren().size(), std::size(controls));
    for (const auto& c : controls) {
        SCOPED_TRACE(c.label);
        wxWindow* control = keypad.FindWindow(c.id);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->GetRect(), c.rect);
        if (control->IsKindOf(wxCLASSINFO(wxButton))) {
            EXPECT_EQ(control->GetLabel(), c.label);
        }
    }
    EXPECT_TRUE(keypad.FindWindow(KeyboardDlg::ID_TEXTCTRL1)->IsKindOf(wxCLASSINFO(wxTextCtrl)));
}

TEST_F(KeyboardTest, OkPassesWhatTheKeysTyped) {
    const struct {
        std::vector<wxString> keys;
        const char* entry;   ///< the entry field before the last key
        const char* target;  ///< the target afterwards
    } cases[] = {
        {{"1", "2", "0", "OK"}, "120", "120"},
        {{"5", "Clear", "7", "OK"}, "7", "7"},
        {{"OK"}, "", ""},
        {{"9", "8", "7", "6", "5", "4", "3", "2", "1", "0", "0", "OK"},
         "98765432100",
         "98765432100"},
        {{"3", "Cancel"}, "3", "before"},
        {{"Clear", "Cancel"}, "", "before"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        target->ChangeValue("before");
        EXPECT_EQ(Touch(c.keys), c.entry);
        EXPECT_EQ(target->GetValue(), c.target);
    }
}

TEST_F(KeyboardTest, CancelDropsTheEntryAndTheNextShowingStartsEmpty) {
    Touch({"4", "2", "Cancel"});
    EXPECT_EQ(target->GetValue(), "before");
    // Touch() checks that the entry is empty again; the digits left nothing behind.
    Touch({"7", "OK"});
    EXPECT_EQ(target->GetValue(), "7");
}

TEST_F(KeyboardTest, WithoutATargetOkOnlyCloses) {
    SetTargetTextField(nullptr);
    EXPECT_EQ(Touch({"1", "OK"}), "1");
    EXPECT_EQ(target->GetValue(), "before");
}

TEST_F(KeyboardTest, CloseBoxClosesWithoutPassingAnythingOn) {
    ModalScript script;
    script.Then([&](wxDialog& keypad) {
        ClickButton(keypad, "5");
        keypad.Close();
    });
    Keypad().ShowModal();
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(target->GetValue(), "before");
}

TEST_F(KeyboardTest, ADestroyedTargetIsNoTargetAnyMore) {
    auto* other = new wxTextCtrl(panel->Get(), wxID_ANY);
    SetTargetTextField(other);
    EXPECT_EQ(TargetTextField(), other);
    delete other;
    EXPECT_EQ(TargetTextField(), nullptr);
    Touch({"1", "OK"});
}

}  // namespace
