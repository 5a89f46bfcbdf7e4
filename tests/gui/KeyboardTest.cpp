// The numeric keypad, driven through its keys as a user would: it starts from the field it
// serves and takes no more characters than that field does.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include <wx/button.h>
#include <wx/textctrl.h>

#include "GuiTestSupport.h"
#include "ModalScript.h"
#include "dialogs/KeyboardDlg.h"
#include "dialogs/LimitedField.h"

namespace {

class KeyboardTest : public testing::Test, public PanelRig {
  protected:
    void SetUp() override {
        Start(*SmallLayout());
        ASSERT_TRUE(Panel().StartedUp());
        target = new LimitedField(panel->Get(), wxID_ANY, wxPoint(0, 0), wxSize(80, 24), 4);
        target->ChangeValue("12");
        Keypad().SetTarget(target);
    }
    void TearDown() override {
        Keypad().SetTarget(nullptr);
        target->Destroy();
    }

    KeyboardDlg& Keypad() const { return panel->Get()->Dialogs().Keyboard(); }
    wxTextCtrl& Entry() const {
        return *wxStaticCast(Keypad().FindWindow(KeyboardDlg::ID_ENTRY), wxTextCtrl);
    }
    wxWindow& Room() const { return *Keypad().FindWindow(KeyboardDlg::ID_ROOM); }

    /// Shows the keypad modally and touches the keys in order; the last one must close it.
    /// Returns the entry field's text and the count beside it just before the last key.
    std::pair<wxString, wxString> Touch(const std::vector<wxString>& keys) {
        std::pair<wxString, wxString> beforeLast;
        ModalScript script;
        script.Then([&](wxDialog& keypad) {
            const wxTextCtrl* served = Keypad().Target();
            EXPECT_EQ(Entry().GetValue(), served != nullptr ? served->GetValue() : "")
                << "a showing starts from the field";
            for (std::size_t i = 0; i < keys.size(); ++i) {
                if (i + 1 == keys.size()) {
                    beforeLast = {Entry().GetValue(), Room().GetLabel()};
                }
                ClickButton(keypad, keys[i]);
            }
        });
        Keypad().ShowModal();
        EXPECT_TRUE(script.Done());
        EXPECT_FALSE(Keypad().IsShown());
        return beforeLast;
    }

    LimitedField* target = nullptr;
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
        {KeyboardDlg::ID_DIGIT0 + 7, "7", {8, 8, 48, 48}},
        {KeyboardDlg::ID_DIGIT0 + 8, "8", {64, 8, 48, 48}},
        {KeyboardDlg::ID_DIGIT0 + 9, "9", {120, 8, 48, 48}},
        {KeyboardDlg::ID_DIGIT0 + 4, "4", {8, 64, 48, 48}},
        {KeyboardDlg::ID_DIGIT0 + 5, "5", {64, 64, 48, 48}},
        {KeyboardDlg::ID_DIGIT0 + 6, "6", {120, 64, 48, 48}},
        {KeyboardDlg::ID_DIGIT0 + 1, "1", {8, 120, 48, 48}},
        {KeyboardDlg::ID_DIGIT0 + 2, "2", {64, 120, 48, 48}},
        {KeyboardDlg::ID_DIGIT0 + 3, "3", {120, 120, 48, 48}},
        {KeyboardDlg::ID_DIGIT0 + 0, "0", {8, 176, 48, 48}},
        {KeyboardDlg::ID_ENTRY, "", {64, 178, 48, 23}},
        {KeyboardDlg::ID_ROOM, "", {64, 204, 48, 16}},
        {KeyboardDlg::ID_CLEAR, "Clear", {120, 176, 48, 48}},
        {wxID_CANCEL, "Cancel", {8, 232, 48, 48}},
        {wxID_OK, "OK", {64, 232, 104, 48}},
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
    EXPECT_TRUE(keypad.FindWindow(KeyboardDlg::ID_ENTRY)->IsKindOf(wxCLASSINFO(wxTextCtrl)));
}

TEST_F(KeyboardTest, OkPassesWhatTheKeysTypedWithinTheFieldsLimit) {
    const struct {
        const char* what;
        const char* field;  ///< the target before
        std::vector<wxString> keys;
        const char* entry;   ///< the entry field before the last key
        const char* room;    ///< the count beside it then
        const char* target;  ///< the target afterwards
    } cases[] = {
        {"one more digit", "12", {"3", "OK"}, "123", "3 / 4", "123"},
        {"anew", "12", {"Clear", "7", "OK"}, "7", "1 / 4", "7"},
        {"as it was", "12", {"OK"}, "12", "2 / 4", "12"},
        {"a digit beyond the limit is refused",
         "12",
         {"3", "4", "5", "OK"},
         "1234",
         "4 / 4",
         "1234"},
        {"a value longer than the limit stays whole",
         "123456",
         {"7", "OK"},
         "123456",
         "6 / 4",
         "123456"},
        {"and can be mended", "123456", {"Clear", "9", "OK"}, "9", "1 / 4", "9"},
        {"Cancel", "12", {"3", "Cancel"}, "123", "3 / 4", "12"},
        {"Clear, then Cancel", "12", {"Clear", "Cancel"}, "", "0 / 4", "12"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        target->ChangeValue(c.field);
        EXPECT_EQ(Touch(c.keys), std::make_pair(wxString(c.entry), wxString(c.room)));
        EXPECT_EQ(target->GetValue(), c.target);
    }
    // Refused: the count turns red until a key is taken again.
    target->ChangeValue("1234");
    ModalScript script;
    script.Then([&](wxDialog& keypad) {
        const wxColour normal = Room().GetForegroundColour();
        ClickButton(keypad, "5");
        EXPECT_EQ(Room().GetForegroundColour(), wxColour(255, 0, 0));
        ClickButton(keypad, "Clear");
        EXPECT_EQ(Room().GetForegroundColour(), normal);
        ClickButton(keypad, "Cancel");
    });
    Keypad().ShowModal();
}

TEST_F(KeyboardTest, AFieldWithoutALimitTakesAnyNumberAndShowsNoCount) {
    auto* plain = new wxTextCtrl(panel->Get(), wxID_ANY, "98765");
    Keypad().SetTarget(plain);
    EXPECT_EQ(Touch({"4", "3", "2", "1", "0", "0", "OK"}),
              std::make_pair(wxString("98765432100"), wxString("")));
    EXPECT_EQ(plain->GetValue(), "98765432100");
    Keypad().SetTarget(nullptr);
    plain->Destroy();
}

TEST_F(KeyboardTest, WithoutATargetOkOnlyCloses) {
    Keypad().SetTarget(nullptr);
    EXPECT_EQ(Touch({"1", "OK"}).first, "1");
    EXPECT_EQ(target->GetValue(), "12");
}

TEST_F(KeyboardTest, CloseBoxClosesWithoutPassingAnythingOn) {
    ModalScript script;
    script.Then([&](wxDialog& keypad) {
        ClickButton(keypad, "5");
        keypad.Close();
    });
    Keypad().ShowModal();
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(target->GetValue(), "12");
}

TEST_F(KeyboardTest, ADestroyedTargetIsNoTargetAnyMore) {
    auto* other = new wxTextCtrl(panel->Get(), wxID_ANY);
    Keypad().SetTarget(other);
    EXPECT_EQ(Keypad().Target(), other);
    delete other;
    EXPECT_EQ(Keypad().Target(), nullptr);
    Touch({"1", "OK"});
}

}  // namespace
