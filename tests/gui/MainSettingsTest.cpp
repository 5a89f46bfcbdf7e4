// The main settings dialog of the real panel: what it shows, how "OK" reads and bounds the
// fields, the window and the controller link it applies at once, and what "Cancel" leaves alone.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include <wx/checkbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include "GuiTestSupport.h"
#include "ModalScript.h"
#include "dialogs/SettingsDlg.h"
#include "link/LinkMessages.h"
#include "link/LinkSocket.h"
#include "model/LayoutFormat.h"
#include "model/PanelState.h"
#include "panel/PageArea.h"

namespace {

using Bytes = FakeController::Bytes;

const std::wstring kNoConnection = L"Keine Verbindung zum Server";

wxTextCtrl& Field(wxDialog& dialog, int id) {
    return *wxStaticCast(dialog.FindWindow(id), wxTextCtrl);
}

wxCheckBox& Box(wxDialog& dialog, int id) {
    return *wxStaticCast(dialog.FindWindow(id), wxCheckBox);
}

/// Ticks or unticks a check box as a click on it does.
void Toggle(wxDialog& dialog, int id) {
    wxCheckBox& box = Box(dialog, id);
    box.SetValue(!box.GetValue());
    wxCommandEvent click(wxEVT_CHECKBOX, id);
    click.SetEventObject(&box);
    click.SetInt(box.GetValue() ? 1 : 0);
    box.GetEventHandler()->ProcessEvent(click);
}

/// A panel on a layout of 400 x 300 with one 100 x 50 button on page 0 (value 300), in the
/// given connection mode, pointed at its own fake controller.
class SettingsRig : public PanelRig {
  public:
    explicit SettingsRig(int connectModus, const std::function<void(::Layout&)>& adjust = {}) {
        auto layout = SmallLayout();
        layout->Form.Form_ConnectModus = connectModus;
        layout->Form.Destination_IP = controller.Address();
        layout->Form.Form_Password = L"4711";
        layout->Form.Display_Off = 200;
        layout->Form.Display_Off_Dim = 30;
        layout->Form.Display_Bright = 250;
        layout->Form.Display_Bright_Dim = 90;
        ButtonRecord& button = layout->Button(0, 0);
        button.PosX = 200;
        button.PosY = 150;
        button.Taster = 300;
        layout->Page(0).Button_Last = 1;
        if (adjust) {
            adjust(*layout);
        }
        Start(*layout);
        Pump(150);
    }
    ~SettingsRig() { panel.reset(); }

    FormSettings& Form() { return TheLayout().Form; }

    /// Shows the dialog modally; `step` runs in it once it is shown.
    void Open(std::function<void(wxDialog&)> step) {
        ModalScript script;
        script.Then([step](wxDialog& dialog) {
            EXPECT_EQ(dialog.GetTitle(), "Main Settings");
            step(dialog);
        });
        Panel().Dialogs().MainSettings().ShowModal();
        EXPECT_TRUE(script.Done());
    }

    FakeController controller;
};

TEST(MainSettings, ShowsTheSettingsHeldNow) {
    SettingsRig rig(1);
    const std::array<int, 4> ip = rig.Form().Destination_IP;
    rig.Open([&](wxDialog& d) {
        EXPECT_EQ(d.GetClientSize(), wxSize(300, 482));
        EXPECT_TRUE(d.HasFlag(wxSTAY_ON_TOP));
        EXPECT_EQ(Field(d, SettingsDlg::ID_SIZE_X).GetValue(), "400");
        EXPECT_EQ(Field(d, SettingsDlg::ID_SIZE_Y).GetValue(), "300");
        EXPECT_EQ(Field(d, SettingsDlg::ID_GRID_X).GetValue(), "20");
        EXPECT_EQ(Field(d, SettingsDlg::ID_GRID_Y).GetValue(), "20");
        EXPECT_EQ(Field(d, SettingsDlg::ID_START_PAGE).GetValue(), "1");
        EXPECT_TRUE(Box(d, SettingsDlg::ID_LAN_MODUS).GetValue());
        EXPECT_FALSE(Box(d, SettingsDlg::ID_FULLSCREEN).GetValue());
        EXPECT_FALSE(Box(d, SettingsDlg::ID_BUS_MODUS).GetValue());
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(Field(d, SettingsDlg::ID_DESTINATION_IP1 + i).GetValue(),
                      std::to_string(ip[i]));
        }
        // Longer than the field lets the user type, but shown whole.
        EXPECT_EQ(Field(d, SettingsDlg::ID_DISPLAY_OFF).GetValue(), "200");
        EXPECT_EQ(Field(d, SettingsDlg::ID_DISPLAY_OFF_DIM).GetValue(), "30");
        EXPECT_EQ(Field(d, SettingsDlg::ID_DISPLAY_BRIGHT).GetValue(), "250");
        EXPECT_EQ(Field(d, SettingsDlg::ID_DISPLAY_BRIGHT_DIM).GetValue(), "90");
        wxTextCtrl& password = Field(d, SettingsDlg::ID_PASSWORD);
        EXPECT_EQ(password.GetValue(), "4711");
        EXPECT_FALSE(password.HasFlag(wxTE_PASSWORD));
        wxTextCtrl& path = Field(d, SettingsDlg::ID_PATH);
        EXPECT_EQ(path.GetValue(), rig.folder.WidePath());
        EXPECT_EQ(path.GetForegroundColour(), wxColour(128, 128, 128));
        auto* heading = wxDynamicCast(
            FindChild(d, "----- Reboot required -----", wxCLASSINFO(wxStaticText)), wxStaticText);
        ASSERT_NE(heading, nullptr);
        EXPECT_EQ(heading->GetFont().GetPointSize(), 8);
        EXPECT_TRUE(heading->HasFlag(wxALIGN_CENTRE_HORIZONTAL));

        // The path is never read: what is typed there is gone on the next showing.
        path.SetValue("/somewhere/else");
        ClickButton(d, "OK");
    });
    EXPECT_EQ(rig.Form().LayoutDirectory, rig.folder.WidePath());
    EXPECT_EQ(rig.Form().Display_Off, 180);
    EXPECT_EQ(rig.Form().Form_PageStart, 0);
    rig.Open([&](wxDialog& d) {
        EXPECT_EQ(Field(d, SettingsDlg::ID_PATH).GetValue(), rig.folder.WidePath());
        EXPECT_EQ(Field(d, SettingsDlg::ID_DISPLAY_OFF).GetValue(), "180");
        d.Close();
    });
}

TEST(MainSettings, OkReadsAndBoundsTheFields) {
    struct Case {
        const char* startPage;
        const char* size;
        const char* displayOff;
        const char* displayOffDim;
        const char* bright;
        int storedStartPage;
        int storedSize;
        int storedOff;
        int storedOffDim;
        int storedBright;
    };
    SettingsRig rig(0);
    for (const Case& c : {Case{"0", "150", "30", "45", "300", 0, 200, 30, 30, 255},
                          Case{"-3", "1024", "90", "10", "255", 0, 1024, 90, 10, 255},
                          Case{"11", "200", "-5", "10", "-1", 9, 200, -5, -5, -1},
                          Case{"99", "abc", "0", "0", "0", 9, 200, 0, 0, 0},
                          Case{"1", "640", "60", "60", "12", 0, 640, 60, 60, 12},
                          Case{"10", "480", "5", "4", "7", 9, 480, 5, 4, 7}}) {
        SCOPED_TRACE(c.startPage);
        TheState().LayoutChanged = 0;
        rig.Open([&c](wxDialog& d) {
            Field(d, SettingsDlg::ID_START_PAGE).SetValue(c.startPage);
            Field(d, SettingsDlg::ID_SIZE_X).SetValue(c.size);
            Field(d, SettingsDlg::ID_SIZE_Y).SetValue(c.size);
            Field(d, SettingsDlg::ID_DISPLAY_OFF).SetValue(c.displayOff);
            Field(d, SettingsDlg::ID_DISPLAY_OFF_DIM).SetValue(c.displayOffDim);
            Field(d, SettingsDlg::ID_DISPLAY_BRIGHT).SetValue(c.bright);
            Field(d, SettingsDlg::ID_DISPLAY_BRIGHT_DIM).SetValue(c.bright);
            Field(d, SettingsDlg::ID_GRID_X).SetValue("-4");
            Field(d, SettingsDlg::ID_GRID_Y).SetValue("0");
            ClickButton(d, "OK");
        });
        const FormSettings& form = rig.Form();
        EXPECT_EQ(form.Form_PageStart, c.storedStartPage);
        EXPECT_EQ(form.SizeX, c.storedSize);
        EXPECT_EQ(form.SizeY, c.storedSize);
        EXPECT_EQ(form.Display_Off, c.storedOff);
        EXPECT_EQ(form.Display_Off_Dim, c.storedOffDim);
        EXPECT_EQ(form.Display_Bright, c.storedBright);
        EXPECT_EQ(form.Display_Bright_Dim, c.storedBright);
        EXPECT_EQ(form.GridX, -4);
        EXPECT_EQ(form.GridY, 0);
        EXPECT_EQ(TheState().LayoutChanged, 1);

        // The window takes the new size at once, fitted to the display, and the page is drawn
        // at that size.
        const wxSize layoutSize(c.storedSize, c.storedSize);
        EXPECT_TRUE(WaitFor([&] {
            return rig.Panel().GetClientSize() == FittedPageSize(rig.Panel(), layoutSize);
        })) << rig.Panel().GetClientSize().x
            << "x" << rig.Panel().GetClientSize().y;
        EXPECT_EQ(rig.Panel().View().Area().GetVirtualSize(), wxSize(c.storedSize, c.storedSize));
        EXPECT_EQ(rig.panel->PageImage().GetSize(), wxSize(c.storedSize, c.storedSize));
    }
}

TEST(MainSettings, ModeCheckBoxesExcludeEachOther) {
    SettingsRig rig(2);
    rig.Open([](wxDialog& d) {
        const int lan = SettingsDlg::ID_LAN_MODUS;
        const int bus = SettingsDlg::ID_BUS_MODUS;
        const int fullscreen = SettingsDlg::ID_FULLSCREEN;
        EXPECT_TRUE(Box(d, bus).GetValue());
        Toggle(d, lan);  // ticking LAN unticks BUS
        EXPECT_TRUE(Box(d, lan).GetValue());
        EXPECT_FALSE(Box(d, bus).GetValue());
        Toggle(d, lan);  // unticking LAN leaves BUS unticked
        EXPECT_FALSE(Box(d, lan).GetValue());
        EXPECT_FALSE(Box(d, bus).GetValue());
        Toggle(d, lan);
        Toggle(d, bus);  // and the other way round
        EXPECT_FALSE(Box(d, lan).GetValue());
        EXPECT_TRUE(Box(d, bus).GetValue());
        Toggle(d, fullscreen);  // independent of both
        EXPECT_TRUE(Box(d, bus).GetValue());
        Toggle(d, bus);
        EXPECT_TRUE(Box(d, fullscreen).GetValue());
        ClickButton(d, "OK");
    });
    EXPECT_EQ(rig.Form().Form_ConnectModus, 0);
    EXPECT_EQ(rig.Form().Form_FullScreen, 1);
}

TEST(MainSettings, CancelAndTheCloseBoxChangeNothing) {
    SettingsRig rig(1);
    ASSERT_TRUE(PanelLinked(rig.controller));
    FakeController other;
    const std::string before = LayoutFormat::FormatLayout(TheLayout());
    const wxSize windowBefore = rig.Panel().GetClientSize();
    for (const bool closeBox : {false, true}) {
        SCOPED_TRACE(closeBox);
        rig.Open([&other, closeBox](wxDialog& d) {
            for (const int id :
                 {SettingsDlg::ID_SIZE_X, SettingsDlg::ID_SIZE_Y, SettingsDlg::ID_GRID_X,
                  SettingsDlg::ID_GRID_Y, SettingsDlg::ID_START_PAGE,
                  SettingsDlg::ID_DISPLAY_BRIGHT, SettingsDlg::ID_DISPLAY_BRIGHT_DIM,
                  SettingsDlg::ID_DISPLAY_OFF_DIM, SettingsDlg::ID_DISPLAY_OFF}) {
                Field(d, id).SetValue("5");
            }
            for (int i = 0; i < 4; ++i) {
                Field(d, SettingsDlg::ID_DESTINATION_IP1 + i)
                    .SetValue(std::to_string(other.Address()[i]));
            }
            Field(d, SettingsDlg::ID_PASSWORD).SetValue("");
            Toggle(d, SettingsDlg::ID_BUS_MODUS);
            Toggle(d, SettingsDlg::ID_FULLSCREEN);
            if (closeBox) {
                d.Close();
            } else {
                ClickButton(d, "Cancel");
            }
        });
        EXPECT_EQ(LayoutFormat::FormatLayout(TheLayout()), before);
        EXPECT_EQ(TheState().LayoutChanged, 0);
        Pump(300);
        EXPECT_EQ(rig.Panel().GetClientSize(), windowBefore);
        rig.controller.Poll();
        other.Poll();
        EXPECT_TRUE(rig.controller.HasClient());
        EXPECT_EQ(rig.controller.Connections(), 1);
        EXPECT_TRUE(rig.controller.Received().empty());
        EXPECT_EQ(other.Connections(), 0);
        EXPECT_TRUE(rig.Panel().Link().Socket()->IsConnected());
    }
}

TEST(MainSettings, OkReconnectsAtOnceToTheNewAddress) {
    SettingsRig rig(1);
    ASSERT_TRUE(PanelLinked(rig.controller));
    FakeController other;
    rig.Open([&other](wxDialog& d) {
        for (int i = 0; i < 4; ++i) {
            Field(d, SettingsDlg::ID_DESTINATION_IP1 + i)
                .SetValue(std::to_string(other.Address()[i]));
        }
        ClickButton(d, "OK");
        // Before any timer tick: the old link is closed and an attempt is under way.
        EXPECT_EQ(TheState().StatusText, kNoConnection);
    });
    EXPECT_EQ(rig.Form().Destination_IP, other.Address());
    ASSERT_TRUE(PanelLinked(other));
    EXPECT_EQ(other.Connections(), 1);
    EXPECT_TRUE(WaitFor([&rig] {
        rig.controller.Poll();
        return !rig.controller.HasClient();
    })) << "the old connection stays open";
    EXPECT_EQ(rig.controller.Connections(), 1);
}

TEST(MainSettings, OkOutsideLanModeClosesTheLinkAndStaysSilent) {
    SettingsRig rig(1);
    ASSERT_TRUE(PanelLinked(rig.controller));
    rig.Open([](wxDialog& d) {
        Toggle(d, SettingsDlg::ID_BUS_MODUS);
        ClickButton(d, "OK");
    });
    EXPECT_EQ(rig.Form().Form_ConnectModus, 2);
    EXPECT_TRUE(WaitFor([&rig] {
        rig.controller.Poll();
        return !rig.controller.HasClient();
    }));
    // No attempt, no status line, and a touch sends nothing.
    ASSERT_TRUE(TouchAt(rig.Panel(), 250, 175));
    Pump(300);
    rig.controller.Poll();
    EXPECT_EQ(rig.controller.Connections(), 1);
    EXPECT_TRUE(rig.controller.Received().empty());
    EXPECT_TRUE(TheState().StatusText.empty());
}

TEST(MainSettings, ATouchAfterOkSendsOnePressAndOneRelease) {
    SettingsRig rig(1);
    ASSERT_TRUE(PanelLinked(rig.controller));
    // Each "OK" fits the window again.
    for (int round = 0; round < 2; ++round) {
        rig.Open([](wxDialog& d) { ClickButton(d, "OK"); });
        ASSERT_TRUE(PanelLinked(rig.controller));
    }
    Pump(200);
    ASSERT_TRUE(TouchAt(rig.Panel(), 250, 175));
    EXPECT_TRUE(WaitFor([&rig] {
        rig.controller.Poll();
        return rig.controller.Received().size() >= 10;
    }));
    Pump(300);
    rig.controller.Poll();
    EXPECT_EQ(rig.controller.Received(), Join({PressBytes(300), ReleaseBytes(300)}));
}

TEST(MainSettings, TypingStopsAtTheFieldsLimits) {
    SettingsRig rig(0);
    rig.Open([](wxDialog& d) {
        wxUIActionSimulator typist;
        auto typeInto = [&](int id, const char* keys) {
            wxTextCtrl& field = Field(d, id);
            // Without a window manager the keyboard goes to the window under the pointer.
            typist.MouseMove(field.GetScreenRect().GetPosition() + wxPoint(5, 5));
            field.SetFocus();
            field.SetInsertionPointEnd();
            Pump(50);
            typist.Text(keys);
            Pump(100);
            return field.GetValue();
        };
        Field(d, SettingsDlg::ID_DESTINATION_IP1).ChangeValue("");
        EXPECT_EQ(typeInto(SettingsDlg::ID_DESTINATION_IP1, "12345"), "123");
        // A value shown whole beyond the limit cannot grow, but can be shortened and retyped.
        EXPECT_EQ(typeInto(SettingsDlg::ID_DISPLAY_OFF, "7"), "200");
        Field(d, SettingsDlg::ID_DISPLAY_OFF).SetInsertionPointEnd();
        typist.Char(WXK_BACK);
        Pump(50);
        EXPECT_EQ(Field(d, SettingsDlg::ID_DISPLAY_OFF).GetValue(), "20");
        Field(d, SettingsDlg::ID_DISPLAY_OFF_DIM).ChangeValue("");
        EXPECT_EQ(typeInto(SettingsDlg::ID_DISPLAY_OFF_DIM, "456"), "45");
        Field(d, SettingsDlg::ID_DISPLAY_BRIGHT).ChangeValue("");
        EXPECT_EQ(typeInto(SettingsDlg::ID_DISPLAY_BRIGHT, "2555"), "255");
        // No limit on the other fields.
        Field(d, SettingsDlg::ID_SIZE_X).ChangeValue("");
        EXPECT_EQ(typeInto(SettingsDlg::ID_SIZE_X, "12345"), "12345");
        d.Close();
    });
}

}  // namespace
