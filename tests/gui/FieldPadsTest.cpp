// The keypad and the on-screen keyboard on the dialogs' fields, opened with the real pointer as
// a finger on a panel without a keyboard would: held on a field for a long touch.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include "GuiTestSupport.h"
#include "ModalScript.h"
#include "dialogs/ButtonSettingsDlg.h"
#include "dialogs/KeyboardDlg.h"
#include "dialogs/PageDlg.h"
#include "dialogs/PasswordDlg.h"
#include "dialogs/SettingsDlg.h"
#include "dialogs/TextKeyboardDlg.h"
#include "dialogs/TransmitDlg.h"
#include "model/PanelState.h"

namespace {

/// Longer than a long touch needs, with room for a slow machine.
constexpr int kHeldMs = 800;

/// The finger on the middle of a window, held for `heldMs`, then lifted.
bool Touch(wxWindow& field, int heldMs) {
    // A window manager may still be placing the dialog: the field must have come to rest.
    wxRect rect = field.GetScreenRect();
    for (int tries = 0; tries < 20; ++tries) {
        Pump(100);
        const wxRect now = field.GetScreenRect();
        if (now == rect) {
            break;
        }
        rect = now;
    }
    if (!PointAtScreen(wxPoint(rect.x + rect.width / 2, rect.y + rect.height / 2)) ||
        !FingerDown()) {
        return false;
    }
    Pump(heldMs);
    return FingerUp();
}

/// The entry line of the on-screen keyboard that is on screen.
wxTextCtrl& KeyboardEntry(wxDialog& pad) {
    for (const int id : {TextKeyboardDlg::ID_ENTRY, TextKeyboardDlg::ID_MASKED_ENTRY}) {
        auto* entry = dynamic_cast<wxTextCtrl*>(pad.FindWindow(id));
        if (entry != nullptr && entry->IsShown()) {
            return *entry;
        }
    }
    ADD_FAILURE() << "no entry line on screen";
    return *dynamic_cast<wxTextCtrl*>(pad.FindWindow(TextKeyboardDlg::ID_ENTRY));
}

/// The field a pad serves.
wxTextCtrl* TargetOf(wxDialog& pad) {
    if (auto* keypad = dynamic_cast<KeyboardDlg*>(&pad)) {
        return keypad->Target();
    }
    return dynamic_cast<TextKeyboardDlg&>(pad).Target();
}

/// A panel with one button on its 400 x 300 page, the button selected for its settings.
class FieldPads : public testing::Test, public PanelRig {
  protected:
    void SetUp() override {
        auto layout = SmallLayout();
        layout->Page(0).Button_Last = 1;
        layout->Page(0).PageName = L"Flur";
        layout->Button(0, 0).Text_Off = L"Licht";
        layout->Form.Transmit_IP = {10, 0, 0, 7};
        Start(*layout);
        ASSERT_TRUE(Panel().StartedUp());
        Pump(100);
        TheState().CurrentPage = 0;
        TheState().SelectedButton = 0;
    }

    /// Shows `dialog` modally; in it, a long touch on the field `find` gives, then `onPad` in
    /// the pad that opens (which must close it), then `after` with the field. The dialog is
    /// cancelled at the end. Returns the titles of the modal dialogs that opened.
    std::vector<std::string> LongTouchIn(wxDialog& dialog,
                                         const std::function<wxTextCtrl*(wxDialog&)>& find,
                                         const std::function<void(wxDialog& pad)>& onPad,
                                         const std::function<void(wxTextCtrl&)>& after = {}) {
        ModalScript script;
        wxTextCtrl* field = nullptr;
        bool padDone = false;
        script.Then([&](wxDialog& shown) {
            field = find(shown);
            ASSERT_NE(field, nullptr);
            EXPECT_TRUE(Touch(*field, kHeldMs));
            EXPECT_TRUE(WaitFor([&] { return padDone; }));
            if (after) {
                after(*field);
            }
            if (shown.IsModal()) {
                shown.EndModal(wxID_CANCEL);
            }
        });
        script.Then([&](wxDialog& pad) {
            // The pad serves the field, and belongs to the dialog the field is in.
            EXPECT_EQ(TargetOf(pad), field);
            EXPECT_EQ(pad.GetParent(), &dialog);
            onPad(pad);
            padDone = true;
        });
        dialog.ShowModal();
        EXPECT_TRUE(script.Done());
        EXPECT_EQ(panel->Get()->Dialogs().Keyboard().Target(), nullptr) << "the target is let go";
        EXPECT_EQ(panel->Get()->Dialogs().TextKeyboard().Target(), nullptr)
            << "the target is let go";
        EXPECT_EQ(panel->Get()->Dialogs().Keyboard().GetParent(), panel->Get());
        EXPECT_EQ(panel->Get()->Dialogs().TextKeyboard().GetParent(), panel->Get());
        return script.Opened();
    }

    /// The keys, by their labels, touched in the pad in order.
    static void Keys(wxDialog& pad, const std::vector<wxString>& labels) {
        for (const wxString& label : labels) {
            ClickButton(pad, label);
        }
    }

    static std::function<wxTextCtrl*(wxDialog&)> ById(int id) {
        return [id](wxDialog& dialog) { return dynamic_cast<wxTextCtrl*>(dialog.FindWindow(id)); };
    }
};

// Each pad starts from the field's text, shows how many characters the field takes, and refuses
// a key beyond that: "123" cannot be typed into a field of two.
TEST_F(FieldPads, ALongTouchOnEachKindOfFieldOpensItsPadAndOkFillsTheFieldWithinItsLimit) {
    const struct {
        const char* what;
        wxDialog& dialog;
        std::function<wxTextCtrl*(wxDialog&)> field;
        const char* pad;
        std::vector<wxString> keys;
        const char* room;  ///< the count of the pad before its last key
        wxString value;
    } cases[] = {
        {"transmit address",
         Panel().Dialogs().Transmit(),
         ById(TransmitDlg::ID_ADDRESS1),
         "Keyboard",
         {"Clear", "1", "9", "2", "OK"},
         "3 / 3",
         "192"},
        {"display off, a third digit refused",
         Panel().Dialogs().MainSettings(),
         ById(SettingsDlg::ID_DISPLAY_OFF),
         "Keyboard",
         {"Clear", "1", "2", "3", "OK"},
         "2 / 2",
         "12"},
        {"controller address, a fourth digit refused",
         Panel().Dialogs().MainSettings(),
         ById(SettingsDlg::ID_DESTINATION_IP1),
         "Keyboard",
         {"Clear", "1", "0", "2", "4", "OK"},
         "3 / 3",
         "102"},
        {"panel width, one digit more than it had",
         Panel().Dialogs().MainSettings(),
         ById(SettingsDlg::ID_SIZE_X),
         "Keyboard",
         {"0", "OK"},
         "",
         "4000"},
        {"password",
         Panel().Dialogs().MainSettings(),
         ById(SettingsDlg::ID_PASSWORD),
         "Text Keyboard",
         {"Clear", "4", "7", "1", "1", "OK"},
         "",
         "4711"},
        {"Led",
         Panel().Dialogs().ButtonSettings(),
         ById(ButtonSettingsDlg::ID_LED),
         "Keyboard",
         {"Clear", "4", "2", "OK"},
         "",
         "42"},
        {"Taster",
         Panel().Dialogs().ButtonSettings(),
         ById(ButtonSettingsDlg::ID_TASTER),
         "Keyboard",
         {"Clear", "3", "0", "0", "OK"},
         "",
         "300"},
        {"button text",
         Panel().Dialogs().ButtonSettings(),
         ById(ButtonSettingsDlg::ID_TEXT_OFF),
         "Text Keyboard",
         {wxString::FromUTF8("↵"), "a", "n", "OK"},
         "",
         "Licht\nan"},
        {"page name",
         Panel().Dialogs().PageSettings(),
         ById(PageDlg::ID_NAME),
         "Text Keyboard",
         {"2", "OK"},
         "",
         "Flur2"},
        {"page colour, a fourth digit refused",
         Panel().Dialogs().PageSettings(),
         ById(PageDlg::ID_RED1),
         "Keyboard",
         {"Clear", "2", "5", "5", "5", "OK"},
         "3 / 3",
         "255"},
        {"password prompt",
         Panel().Dialogs().Password(),
         ById(PasswordDlg::ID_ENTRY),
         "Text Keyboard",
         {"x", "OK"},
         "",
         "x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<std::string> opened = LongTouchIn(
            c.dialog, c.field,
            [&c](wxDialog& pad) {
                // The pad's entry line starts from the field's text.
                const wxString before = TargetOf(pad)->GetValue();
                const bool keyboard = pad.FindWindow(TextKeyboardDlg::ID_LINEBREAK) != nullptr;
                wxTextCtrl& entry =
                    keyboard ? KeyboardEntry(pad)
                             : *dynamic_cast<wxTextCtrl*>(pad.FindWindow(KeyboardDlg::ID_ENTRY));
                EXPECT_EQ(entry.GetValue(), before);
                // The keyboard's line break serves only fields of several lines, and its entry
                // line is masked for a masked field.
                if (keyboard) {
                    EXPECT_EQ(pad.FindWindow(TextKeyboardDlg::ID_LINEBREAK)->IsEnabled(),
                              TargetOf(pad)->IsMultiLine());
                    EXPECT_EQ(ShowsInClear(entry), ShowsInClear(*TargetOf(pad)));
                }
                Keys(pad, std::vector<wxString>(c.keys.begin(), c.keys.end() - 1));
                const wxWindow* room = pad.FindWindow(keyboard ? int(TextKeyboardDlg::ID_ROOM)
                                                               : int(KeyboardDlg::ID_ROOM));
                ASSERT_NE(room, nullptr);
                EXPECT_EQ(room->GetLabel(), c.room);
                Keys(pad, {c.keys.back()});
            },
            [&c](wxTextCtrl& field) { EXPECT_EQ(field.GetValue(), c.value); });
        ASSERT_EQ(opened.size(), 2u);
        EXPECT_EQ(opened[1], c.pad);
    }
}

TEST_F(FieldPads, TypedKeysArriveUmlautsShiftSpaceAndBackspaceIncluded) {
    PageDlg& settings = Panel().Dialogs().PageSettings();
    LongTouchIn(
        settings, ById(PageDlg::ID_NAME),
        [](wxDialog& pad) {
            auto* entry = dynamic_cast<wxTextCtrl*>(pad.FindWindow(TextKeyboardDlg::ID_ENTRY));
            ASSERT_NE(entry, nullptr);
            EXPECT_EQ(entry->GetValue(), "Flur") << "the keyboard starts from the field's text";
            Keys(pad, {"Clear", "Shift", "K"});
            // One touch on shift shifts one letter; the keys show it.
            EXPECT_EQ(entry->GetValue(), "K");
            EXPECT_NE(FindChild(pad, wxString::FromUTF8("ü")), nullptr);
            Keys(pad, {wxString::FromUTF8("ü"), "c", "h", "e", "x"});
            ClickButton(pad, wxString::FromUTF8("←"));
            ClickButton(pad, TextKeyboardDlg::ID_SPACE);
            Keys(pad, {"Shift", "Shift", wxString::FromUTF8("Ö"), "L", "SHIFT", "2", "OK"});
        },
        [&settings](wxTextCtrl& field) {
            EXPECT_EQ(field.GetValue(), wxString::FromUTF8("Küche ÖL2"));
            // The dialog's own "OK" stores what the keyboard put in.
            ClickButton(settings, "OK");
        });
    EXPECT_EQ(TheLayout().Page(0).PageName, L"Küche ÖL2");
}
TEST_F(FieldPads, CancelAndTheCloseBoxLeaveTheFieldAsItWas) {
    const struct {
        const char* what;
        wxDialog& dialog;
        std::function<wxTextCtrl*(wxDialog&)> field;
        std::function<void(wxDialog&)> leave;
        wxString value;
    } cases[] = {
        {"keypad, Cancel", Panel().Dialogs().Transmit(), ById(TransmitDlg::ID_ADDRESS1),
         [](wxDialog& pad) {
             Keys(pad, {"5", "Cancel"});
         },
         "10"},
        {"keypad, close box", Panel().Dialogs().Transmit(), ById(TransmitDlg::ID_ADDRESS1),
         [](wxDialog& pad) {
             Keys(pad, {"5"});
             pad.Close();
         },
         "10"},
        {"keyboard, Cancel", Panel().Dialogs().PageSettings(), ById(PageDlg::ID_NAME),
         [](wxDialog& pad) {
             Keys(pad, {"Clear", "a", "Cancel"});
         },
         "Flur"},
        {"keyboard, close box", Panel().Dialogs().PageSettings(), ById(PageDlg::ID_NAME),
         [](wxDialog& pad) {
             Keys(pad, {"a"});
             pad.Close();
         },
         "Flur"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LongTouchIn(c.dialog, c.field, c.leave,
                    [&c](wxTextCtrl& field) { EXPECT_EQ(field.GetValue(), c.value); });
    }
}

TEST_F(FieldPads, AShortTouchOpensNoPadAndTheFieldStillTakesKeys) {
    SettingsDlg& settings = Panel().Dialogs().MainSettings();
    ModalScript script;
    script.Then([](wxDialog& shown) {
        wxWindow* field = shown.FindWindow(SettingsDlg::ID_SIZE_X);
        ASSERT_NE(field, nullptr);
        // A tap, then the finger held but dragged along the field: neither opens a pad (the
        // script fails the test on any dialog that opens).
        EXPECT_TRUE(Touch(*field, 50));
        const wxRect rect = field->GetScreenRect();
        EXPECT_TRUE(PointAtScreen(wxPoint(rect.x + 4, rect.y + rect.height / 2)));
        EXPECT_TRUE(FingerDown());
        Pump(300);
        EXPECT_TRUE(PointAtScreen(wxPoint(rect.x + rect.width - 4, rect.y + rect.height / 2)));
        Pump(kHeldMs);
        EXPECT_TRUE(FingerUp());
        Pump(200);

        // The tap gave the field the keyboard as before.
        EXPECT_TRUE(Touch(*field, 50));
        auto* text = dynamic_cast<wxTextCtrl*>(field);
        text->SelectAll();
        wxUIActionSimulator().Text("77");
        EXPECT_TRUE(WaitFor([text] { return text->GetValue() == "77"; })) << text->GetValue();
        shown.EndModal(wxID_CANCEL);
    });
    settings.ShowModal();
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(script.Opened().size(), 1u);
}

}  // namespace
