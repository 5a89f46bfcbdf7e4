// How the panel's dialogs end without "OK": Escape and the close box of every dialog with "OK"
// and "Cancel" end it as cancelled and leave what "OK" would have written as it was.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include <wx/checkbox.h>
#include <wx/textctrl.h>

#include "GuiTestSupport.h"
#include "ModalScript.h"
#include "dialogs/ButtonSettingsDlg.h"
#include "dialogs/ChangeStyleDlg.h"
#include "dialogs/KeyboardDlg.h"
#include "dialogs/PageDlg.h"
#include "dialogs/PasswordDlg.h"
#include "dialogs/SettingsDlg.h"
#include "dialogs/TextKeyboardDlg.h"
#include "dialogs/TransmitDlg.h"
#include "model/PanelState.h"

namespace {

/// The Escape key, as the toolkit hands it to the dialog in front.
void PressEscape(wxDialog& dialog) {
    wxKeyEvent key(wxEVT_CHAR_HOOK);
    key.m_keyCode = WXK_ESCAPE;
    key.SetEventObject(&dialog);
    dialog.GetEventHandler()->ProcessEvent(key);
}

/// A dialog that the way out just taken left open fails the test and is ended, so that the test
/// goes on.
void ExpectEnded(wxDialog& dialog) {
    dialog.CallAfter([&dialog] {
        if (dialog.IsModal()) {
            ADD_FAILURE() << "the dialog is still open";
            dialog.EndModal(wxID_ABORT);
        }
    });
}

void Type(wxDialog& dialog, int id, const wxString& text) {
    auto* field = dynamic_cast<wxTextCtrl*>(dialog.FindWindow(id));
    ASSERT_NE(field, nullptr) << id;
    field->SetValue(text);
}

/// A panel whose dialogs each have something that "OK" would write: a password, a button with
/// texts, a style source, a field on the panel for the pads.
class EndsRig : public PanelRig {
  public:
    EndsRig() {
        auto layout = SmallLayout();
        layout->Form.Form_Password = L"4711";
        layout->Page(0).Button_Last = 2;
        layout->Button(0, 0).Text_Off = L"Licht";
        layout->Button(0, 1).PosX = 200;
        Start(*layout);
        PanelState& state = TheState();
        state.CurrentPage = 0;
        state.SelectedButton = 0;
        state.StyleSource = ButtonRef{1, 0};
        padTarget = new wxTextCtrl(panel->Get(), wxID_ANY, "12");
    }
    ~EndsRig() { padTarget->Destroy(); }

    wxTextCtrl* padTarget = nullptr;
};

/// One dialog: how to show it, what to change in it, and what "OK" would have written.
struct Case {
    const char* name;
    std::function<wxDialog&(EndsRig&)> dialog;
    std::function<void(wxDialog&)> change;
    std::function<std::wstring(EndsRig&)> written;
};

const Case kCases[] = {
    {"password", [](EndsRig& r) -> wxDialog& { return r.Panel().Dialogs().Password(); },
     [](wxDialog& d) { Type(d, PasswordDlg::ID_ENTRY, "4711"); },
     [](EndsRig&) { return std::to_wstring(TheState().MenuUnlocked); }},
    {"main settings", [](EndsRig& r) -> wxDialog& { return r.Panel().Dialogs().MainSettings(); },
     [](wxDialog& d) { Type(d, SettingsDlg::ID_SIZE_X, "640"); },
     [](EndsRig&) { return std::to_wstring(TheLayout().Form.SizeX); }},
    {"page settings", [](EndsRig& r) -> wxDialog& { return r.Panel().Dialogs().PageSettings(); },
     [](wxDialog& d) { Type(d, PageDlg::ID_NAME, "Renamed"); },
     [](EndsRig&) { return TheLayout().Page(0).PageName; }},
    {"transmit", [](EndsRig& r) -> wxDialog& { return r.Panel().Dialogs().Transmit(); },
     [](wxDialog& d) { Type(d, TransmitDlg::ID_ADDRESS1, "10"); },
     [](EndsRig&) { return std::to_wstring(TheLayout().Form.Transmit_IP[0]); }},
    {"button settings",
     [](EndsRig& r) -> wxDialog& { return r.Panel().Dialogs().ButtonSettings(); },
     [](wxDialog& d) { Type(d, ButtonSettingsDlg::ID_TEXT_OFF, "Dunkel"); },
     [](EndsRig&) { return TheLayout().Button(0, 0).Text_Off; }},
    {"style copy", [](EndsRig& r) -> wxDialog& { return r.Panel().Dialogs().ChangeStyle(); },
     [](wxDialog& d) {
         auto* text = dynamic_cast<wxCheckBox*>(d.FindWindow(ChangeStyleDlg::ID_TEXT));
         ASSERT_NE(text, nullptr);
         text->SetValue(true);
     },
     [](EndsRig&) {
         return TheLayout().Button(0, 0).Text_Off + std::to_wstring(TheState().CopyChoices[0]);
     }},
    {"keypad",
     [](EndsRig& r) -> wxDialog& {
         r.Panel().Dialogs().Keyboard().SetTarget(r.padTarget);
         return r.Panel().Dialogs().Keyboard();
     },
     [](wxDialog& d) { ClickButton(d, KeyboardDlg::ID_DIGIT0 + 7); },
     [](EndsRig& r) { return r.padTarget->GetValue().ToStdWstring(); }},
    {"text keyboard",
     [](EndsRig& r) -> wxDialog& {
         r.Panel().Dialogs().TextKeyboard().SetTarget(r.padTarget);
         return r.Panel().Dialogs().TextKeyboard();
     },
     [](wxDialog& d) { ClickButton(d, TextKeyboardDlg::ID_SPACE); },
     [](EndsRig& r) { return r.padTarget->GetValue().ToStdWstring(); }},
};

TEST(DialogEnds, EscapeAndTheCloseBoxCancelEveryDialogWithOkAndCancel) {
    EndsRig rig;
    const struct {
        const char* name;
        void (*end)(wxDialog&);
    } ends[] = {{"Escape", &PressEscape}, {"close box", [](wxDialog& d) { d.Close(); }}};
    for (const Case& c : kCases) {
        for (const auto& end : ends) {
            SCOPED_TRACE(std::string(c.name) + ", " + end.name);
            const std::wstring before = c.written(rig);
            ModalScript script;
            script.Then([&](wxDialog& dialog) {
                c.change(dialog);
                end.end(dialog);
                ExpectEnded(dialog);
            });
            EXPECT_EQ(c.dialog(rig).ShowModal(), wxID_CANCEL);
            EXPECT_TRUE(script.Done());
            EXPECT_EQ(c.written(rig), before);
            EXPECT_EQ(TheState().LayoutChanged, 0);
        }
    }
    rig.Panel().Dialogs().Keyboard().SetTarget(nullptr);
    rig.Panel().Dialogs().TextKeyboard().SetTarget(nullptr);
}

// The page settings apply a background at once. "Cancel" puts it back, and Escape does what
// "Cancel" does; only the close box keeps it (its own test).
TEST(DialogEnds, EscapeOnThePageSettingsPutsTheBackgroundBack) {
    EndsRig rig;
    const Colour before = TheLayout().Page(0).BackColor1;
    ModalScript script;
    script.Then([](wxDialog& d) {
        Type(d, PageDlg::ID_RED1, "1");
        Type(d, PageDlg::ID_GREEN1, "2");
        Type(d, PageDlg::ID_BLUE1, "3");
        ClickButton(d, PageDlg::ID_SET1);
        EXPECT_EQ(TheLayout().Page(0).BackColor1, 0x030201u);
        PressEscape(d);
        ExpectEnded(d);
    });
    EXPECT_EQ(rig.Panel().Dialogs().PageSettings().ShowModal(), wxID_CANCEL);
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(TheLayout().Page(0).BackColor1, before);
}

}  // namespace
