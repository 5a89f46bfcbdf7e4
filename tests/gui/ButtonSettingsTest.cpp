// The button settings dialog of the real panel, driven as the user drives it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <ctime>
#include <functional>
#include <iterator>
#include <memory>
#include <string>

#include <wx/checkbox.h>
#include <wx/colordlg.h>
#include <wx/combobox.h>
#include <wx/dcmemory.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/fontdlg.h>
#include <wx/radiobox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "GuiTestSupport.h"
#include "ModalScript.h"
#include "dialogs/ButtonSettingsDlg.h"
#include "model/PanelRules.h"
#include "model/PanelState.h"
#include "panel/PageRenderer.h"
#include "panel/PanelDialogs.h"
#include "panel/PanelEditor.h"

namespace {

/// The controls of the dialog, found by their identifiers before it is shown.
struct Controls {
    explicit Controls(wxWindow& dialog) {
        auto text = [&dialog](int id) { return dynamic_cast<wxTextCtrl*>(dialog.FindWindow(id)); };
        textOff = text(ButtonSettingsDlg::ID_TEXT_OFF);
        textOn = text(ButtonSettingsDlg::ID_TEXT_ON);
        fontName = text(ButtonSettingsDlg::ID_FONT_NAME);
        taster = text(ButtonSettingsDlg::ID_TASTER);
        led = text(ButtonSettingsDlg::ID_LED);
        imageOff = text(ButtonSettingsDlg::ID_IMAGE_OFF);
        imagePress = text(ButtonSettingsDlg::ID_IMAGE_PRESS);
        imageOn = text(ButtonSettingsDlg::ID_IMAGE_ON);
        align = dynamic_cast<wxRadioBox*>(dialog.FindWindow(ButtonSettingsDlg::ID_ALIGN));
        pageflip = dynamic_cast<wxComboBox*>(dialog.FindWindow(ButtonSettingsDlg::ID_PAGEFLIP));
        inactive = dynamic_cast<wxCheckBox*>(dialog.FindWindow(ButtonSettingsDlg::ID_INACTIVE));
    }
    bool Complete() const {
        const wxWindow* all[] = {textOff,    textOn,  fontName, taster,   led,     imageOff,
                                 imagePress, imageOn, align,    pageflip, inactive};
        return std::all_of(std::begin(all), std::end(all),
                           [](const wxWindow* w) { return w != nullptr; });
    }

    wxTextCtrl* textOff = nullptr;
    wxTextCtrl* textOn = nullptr;
    wxTextCtrl* fontName = nullptr;
    wxTextCtrl* taster = nullptr;
    wxTextCtrl* led = nullptr;
    wxTextCtrl* imageOff = nullptr;
    wxTextCtrl* imagePress = nullptr;
    wxTextCtrl* imageOn = nullptr;
    wxRadioBox* align = nullptr;
    wxComboBox* pageflip = nullptr;
    wxCheckBox* inactive = nullptr;
};

/// Picks an entry of the list as a click on it does.
void Pick(wxComboBox& list, int entry) {
    list.SetSelection(entry);
    wxCommandEvent event(wxEVT_COMBOBOX, list.GetId());
    event.SetEventObject(&list);
    event.SetInt(entry);
    event.SetString(list.GetString(static_cast<unsigned>(entry)));
    list.GetEventHandler()->ProcessEvent(event);
}

/// A panel on a 400 x 300 page (or a wider one) with three buttons on page 0 and one on page 1.
class SettingsRig : public PanelRig {
  public:
    explicit SettingsRig(int pageWidth = 400) {
        auto layout = SmallLayout();
        layout->Form.SizeX = pageWidth;
        layout->Page(0).PageName = L"Wohnen";
        layout->Page(1).PageName = L"Küche";
        layout->Page(0).Button_Last = 3;
        for (int b = 0; b < 3; ++b) {
            layout->Button(0, b).PosX = 60 + 110 * b;
            layout->Button(0, b).PosY = 100;
        }
        layout->Page(1).Button_Last = 1;
        layout->Button(1, 0).PosX = 200;
        layout->Button(1, 0).PosY = 200;
        Start(*layout);
    }

    ButtonSettingsDlg& Dialog() { return (*panel)->Dialogs().ButtonSettings(); }

    /// Shows the dialog for a button as the panel does in settings mode.
    void Open(int page, int button) {
        PanelState& state = TheState();
        state.CurrentPage = page;
        state.SelectedButton = button;
        panel->Get()->Dialogs().Editor().EditInDialog(PanelDialog::ButtonSettings);
    }
};

TEST(ButtonSettings, ShowsEveryControlAtItsPlace) {
    SettingsRig rig;
    ButtonSettingsDlg& dialog = rig.Dialog();
    EXPECT_EQ(dialog.GetTitle(), "Button Settings");
    EXPECT_EQ(dialog.GetClientSize(), wxSize(300, 422));
    EXPECT_EQ(dialog.GetParent(), rig.panel->Get());
    EXPECT_TRUE(dialog.HasFlag(wxSTAY_ON_TOP));
    EXPECT_TRUE(dialog.HasFlag(wxCLOSE_BOX));
    struct Place {
        int id;  ///< wxID_ANY: a label, found by its text
        const char* label;
        wxPoint position;
    };
    using D = ButtonSettingsDlg;
    const Place places[] = {
        {wxID_ANY, "Text Off", {8, 8}},
        {D::ID_TEXT_OFF, nullptr, {8, 32}},
        {wxID_ANY, "Text On", {152, 8}},
        {D::ID_TEXT_ON, nullptr, {152, 32}},
        {D::ID_FONT_NAME, nullptr, {8, 88}},
        {D::ID_FONT, "Font", {176, 88}},
        {D::ID_COLOR, "Color", {240, 88}},
        {D::ID_ALIGN, "Font Align", {8, 120}},
        {D::ID_INACTIVE, "Btn Inaktiv\n(Lable)", {192, 176}},
        {wxID_ANY, "Taster", {8, 184}},
        {D::ID_TASTER, nullptr, {48, 184}},
        {wxID_ANY, "Led", {104, 184}},
        {D::ID_LED, nullptr, {136, 184}},
        {D::ID_IMAGE_OFF, nullptr, {8, 216}},
        {D::ID_PIC_BTN_OFF, "Pic Btn Off", {192, 216}},
        {D::ID_IMAGE_PRESS, nullptr, {8, 248}},
        {D::ID_PIC_BTN_PRESS, "Pic Btn Press", {192, 248}},
        {D::ID_IMAGE_ON, nullptr, {8, 280}},
        {D::ID_PIC_BTN_ON, "Pic Btn On", {192, 280}},
        {wxID_ANY, "Pageflip", {16, 328}},
        {D::ID_PAGEFLIP, nullptr, {72, 328}},
        {wxID_CANCEL, "Cancel", {120, 368}},
        {wxID_OK, "OK", {208, 368}},
    };
    for (const Place& place : places) {
        SCOPED_TRACE(place.label != nullptr ? wxString(place.label) : wxString() << place.id);
        wxWindow* control = place.id == wxID_ANY
                                ? FindChild(dialog, place.label, wxCLASSINFO(wxStaticText))
                                : dialog.FindWindow(place.id);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->GetPosition(), place.position);
        if (place.label != nullptr) {
            EXPECT_EQ(control->GetLabel(), place.label);
        }
    }
    // Nothing is cut: every label has the room it needs, and every control lies inside.
    const wxRect client(wxPoint(0, 0), dialog.GetClientSize());
    for (wxWindow* control : dialog.GetChildren()) {
        if (control->IsTopLevel()) {
            continue;
        }
        SCOPED_TRACE(control->GetName());
        EXPECT_TRUE(client.Contains(control->GetRect()));
        if (control->IsKindOf(wxCLASSINFO(wxStaticText)) ||
            control->IsKindOf(wxCLASSINFO(wxCheckBox))) {
            EXPECT_GE(control->GetSize().x, control->GetBestSize().x);
        }
    }
    const Controls c(dialog);
    ASSERT_TRUE(c.Complete());
    EXPECT_GE(c.led->GetSize().x, 40);
    EXPECT_GE(c.taster->GetSize().x, 40);
    EXPECT_EQ(c.align->GetCount(), 3u);
    EXPECT_EQ(c.align->GetString(0), "Left");
    EXPECT_EQ(c.align->GetString(1), "Center");
    EXPECT_EQ(c.align->GetString(2), "Right");
    EXPECT_TRUE(c.textOff->IsMultiLine());
    EXPECT_TRUE(c.textOn->IsMultiLine());
}

TEST(ButtonSettings, FillsTheFieldsFromTheButtonOnEveryShow) {
    SettingsRig rig;
    ButtonRecord& b = TheLayout().Button(0, 1);
    b.Text_Off = L"Licht\naus";
    b.Text_On = L"Licht an";
    b.Led = 7;
    b.Taster = 1234;
    b.Image_File_Off = L"off.png";
    b.Image_File_Press = L"press.png";
    b.Image_File_On = L"on.png";
    b.Font_Family = L"DejaVu Sans";
    b.Font_Size = 15;
    b.Font_Color = 0xFF00FF00u;  // green, with an alpha byte the fields must ignore
    b.Pageflip = 1;
    b.Inaktiv = 1;
    const Controls c(rig.Dialog());
    ASSERT_TRUE(c.Complete());

    ModalScript script;
    script.Then([&](wxDialog& d) {
        EXPECT_TRUE(d.IsShown());
        EXPECT_EQ(c.textOff->GetValue(), "Licht\naus");
        EXPECT_EQ(c.textOn->GetValue(), "Licht an");
        EXPECT_EQ(c.led->GetValue(), "007");
        EXPECT_EQ(c.taster->GetValue(), "1234");
        EXPECT_EQ(c.imageOff->GetValue(), "off.png");
        EXPECT_EQ(c.imagePress->GetValue(), "press.png");
        EXPECT_EQ(c.imageOn->GetValue(), "on.png");
        EXPECT_EQ(c.fontName->GetValue(), "DejaVu Sans");
        EXPECT_EQ(c.textOff->GetFont().GetPointSize(), 15);
        EXPECT_EQ(c.textOn->GetFont().GetFaceName(), "DejaVu Sans");
        EXPECT_EQ(c.textOff->GetForegroundColour(), wxColour(0, 255, 0));
        EXPECT_EQ(c.textOn->GetForegroundColour(), wxColour(0, 255, 0));
        ASSERT_EQ(c.pageflip->GetCount(), 12u);
        EXPECT_EQ(c.pageflip->GetString(0), "--- No Pageflip ---");
        EXPECT_EQ(c.pageflip->GetString(1), "01:Wohnen");
        EXPECT_EQ(c.pageflip->GetString(2), wxString::FromUTF8("02:Küche"));
        EXPECT_EQ(c.pageflip->GetString(11), "11:newPage");
        EXPECT_EQ(c.pageflip->GetSelection(), 2);
        EXPECT_TRUE(c.inactive->GetValue());
        ClickButton(d, "Cancel");
    });
    // The next show is of another button: nothing of the first may remain.
    script.Then([&](wxDialog& d) {
        EXPECT_EQ(c.textOff->GetValue(), "Text_002");
        EXPECT_EQ(c.led->GetValue(), "000");
        EXPECT_EQ(c.imageOff->GetValue(), "");
        EXPECT_EQ(c.fontName->GetValue(), "<default>");
        EXPECT_EQ(c.textOff->GetForegroundColour(), wxColour(0, 0, 0));
        EXPECT_EQ(c.pageflip->GetCount(), 12u);
        EXPECT_EQ(c.pageflip->GetSelection(), 0);
        EXPECT_FALSE(c.inactive->GetValue());
        ClickButton(d, "Cancel");
    });
    rig.Open(0, 1);
    rig.Open(0, 2);
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(TheState().LayoutChanged, 0);
}

TEST(ButtonSettings, OkStoresEveryFieldAndRedraws) {
    SettingsRig rig;
    ButtonRecord& b = TheLayout().Button(0, 0);
    b.Font_Color = 0x00FF00u;  // no alpha: stays so when "Color" is not used
    b.Font_Style = 5;
    b.Pageflip = 4;
    const ButtonRecord before = b;
    const Controls c(rig.Dialog());
    ASSERT_TRUE(c.Complete());
    TheLayout().Page(0).PageName = L"Renamed";  // the redraw puts the name into the title

    ModalScript script;
    script.Then([&](wxDialog& d) {
        c.textOff->SetValue("Zeile 1\nZeile 2");
        c.textOn->SetValue("An");
        c.led->SetValue("15");
        c.taster->SetValue("300");
        c.imageOff->SetValue("a.png");
        c.imagePress->SetValue("b.png");
        c.imageOn->SetValue("c.png");
        c.fontName->SetValue("typed, never read");
        c.align->SetSelection(0);
        c.inactive->SetValue(true);
        ClickButton(d, "OK");
    });
    rig.Open(0, 0);
    EXPECT_FALSE(rig.Dialog().IsShown());
    EXPECT_EQ(b.Text_Off, L"Zeile 1\nZeile 2");
    EXPECT_EQ(b.Text_On, L"An");
    EXPECT_EQ(b.Led, 15);
    EXPECT_EQ(b.Taster, 300);
    EXPECT_EQ(b.Image_File_Off, L"a.png");
    EXPECT_EQ(b.Image_File_Press, L"b.png");
    EXPECT_EQ(b.Image_File_On, L"c.png");
    EXPECT_EQ(b.Font_Family, before.Font_Family);
    EXPECT_EQ(b.Font_Size, before.Font_Size);
    EXPECT_EQ(b.Font_Color, 0x00FF00u);
    EXPECT_EQ(b.Font_Style, 5);
    EXPECT_EQ(b.Font_HorizAlign, 1);
    EXPECT_EQ(b.Inaktiv, 1);
    EXPECT_EQ(b.Pageflip, 4);
    EXPECT_EQ(b.PosX, before.PosX);
    EXPECT_EQ(TheState().LayoutChanged, 1);
    EXPECT_EQ((*rig.panel)->GetTitle(), "Renamed");
    // The other buttons are untouched.
    EXPECT_EQ(TheLayout().Button(0, 1).Text_Off, L"Text_001");
}

TEST(ButtonSettings, CancelAndTheCloseBoxStoreNothing) {
    for (const bool closeBox : {false, true}) {
        SCOPED_TRACE(closeBox ? "close box" : "Cancel");
        SettingsRig rig;
        const ButtonRecord before = TheLayout().Button(0, 2);
        const Controls c(rig.Dialog());
        ASSERT_TRUE(c.Complete());
        ModalScript script;
        script.Then([&](wxDialog& d) {
            c.textOff->SetValue("changed");
            c.led->SetValue("77");
            c.imageOn->SetValue("x.png");
            c.align->SetSelection(2);
            c.inactive->SetValue(true);
            if (closeBox) {
                d.Close();
            } else {
                ClickButton(d, "Cancel");
            }
        });
        rig.Open(0, 2);
        EXPECT_FALSE(rig.Dialog().IsShown());
        const ButtonRecord& after = TheLayout().Button(0, 2);
        EXPECT_EQ(after.Text_Off, before.Text_Off);
        EXPECT_EQ(after.Led, before.Led);
        EXPECT_EQ(after.Image_File_On, before.Image_File_On);
        EXPECT_EQ(after.Font_HorizAlign, before.Font_HorizAlign);
        EXPECT_EQ(after.Inaktiv, before.Inaktiv);
        EXPECT_EQ(TheState().LayoutChanged, 0);
    }
}

TEST(ButtonSettings, LedAndTasterAreReadLikeTheWideConversion) {
    SettingsRig rig;
    const Controls c(rig.Dialog());
    ASSERT_TRUE(c.Complete());
    struct Case {
        const char* typed;
        int stored;
        const char* shownNext;
    };
    for (const Case k : {Case{"12a", 12, "012"}, Case{" -5", -5, "-005"}, Case{"abc", 0, "000"},
                         Case{"0042", 42, "042"}, Case{"2000", 2000, "2000"}}) {
        SCOPED_TRACE(k.typed);
        ModalScript script;
        script.Then([&](wxDialog& d) {
            c.led->SetValue(k.typed);
            c.taster->SetValue(k.typed);
            ClickButton(d, "OK");
        });
        script.Then([&](wxDialog& d) {
            EXPECT_EQ(c.led->GetValue(), k.shownNext);
            EXPECT_EQ(c.taster->GetValue(), k.shownNext);
            ClickButton(d, "Cancel");
        });
        rig.Open(0, 1);
        EXPECT_EQ(TheLayout().Button(0, 1).Led, k.stored);
        EXPECT_EQ(TheLayout().Button(0, 1).Taster, k.stored);
        rig.Open(0, 1);
    }
}

TEST(ButtonSettings, PageflipListStoresAtOnceAndSurvivesCancel) {
    SettingsRig rig;
    ButtonRecord& b = TheLayout().Button(0, 0);
    const Controls c(rig.Dialog());
    ASSERT_TRUE(c.Complete());
    struct Step {
        int pick;
        int stored;
    };
    // The entry for page 0 is the second one; the first means no page flip.
    for (const Step s : {Step{1, 0}, Step{11, 10}, Step{3, 2}, Step{0, 999}}) {
        SCOPED_TRACE(s.pick);
        ModalScript script;
        script.Then([&](wxDialog& d) {
            Pick(*c.pageflip, s.pick);
            EXPECT_EQ(b.Pageflip, s.stored);  // before any "OK"
            EXPECT_EQ(c.pageflip->GetSelection(), s.pick);
            ClickButton(d, "Cancel");
        });
        script.Then([&](wxDialog& d) {
            EXPECT_EQ(c.pageflip->GetSelection(), s.pick);
            ClickButton(d, "Cancel");
        });
        rig.Open(0, 0);
        EXPECT_EQ(b.Pageflip, s.stored);
        EXPECT_EQ(TheState().LayoutChanged, 0);
        rig.Open(0, 0);
    }
}

TEST(ButtonSettings, PageflipWithoutAnEntryShowsNoPageflipAndStaysUntilPicked) {
    SettingsRig rig;
    ButtonRecord& b = TheLayout().Button(0, 1);
    const Controls c(rig.Dialog());
    ASSERT_TRUE(c.Complete());
    for (const int odd : {55, 11, -3, 998}) {
        SCOPED_TRACE(odd);
        b.Pageflip = odd;
        ModalScript script;
        script.Then([&](wxDialog& d) {
            EXPECT_EQ(c.pageflip->GetCount(), 12u);
            EXPECT_EQ(c.pageflip->GetSelection(), 0);
            ClickButton(d, "OK");
        });
        script.Then([&](wxDialog& d) {
            Pick(*c.pageflip, 2);
            ClickButton(d, "Cancel");
        });
        rig.Open(0, 1);
        EXPECT_EQ(b.Pageflip, odd);  // "OK" without a pick keeps it
        rig.Open(0, 1);
        EXPECT_EQ(b.Pageflip, 1);
    }
}

TEST(ButtonSettings, AlignmentRadioShowsAndStoresTheEncoding) {
    SettingsRig rig;
    ButtonRecord& b = TheLayout().Button(0, 0);
    const Controls c(rig.Dialog());
    ASSERT_TRUE(c.Complete());
    struct Case {
        int stored;
        int shown;  ///< the radio choice seen
        int storedByOk;
    };
    // 7 names no choice: the radio keeps what the previous show left (Right), and "OK" stores it.
    for (const Case k : {Case{0, 1, 0}, Case{1, 0, 1}, Case{2, 2, 2}, Case{7, 2, 2}}) {
        SCOPED_TRACE(k.stored);
        b.Font_HorizAlign = k.stored;
        ModalScript script;
        script.Then([&](wxDialog& d) {
            EXPECT_EQ(c.align->GetSelection(), k.shown);
            ClickButton(d, "OK");
        });
        rig.Open(0, 0);
        EXPECT_EQ(b.Font_HorizAlign, k.storedByOk);
    }
    // Cancel keeps a value that names no choice.
    b.Font_HorizAlign = 7;
    ModalScript script;
    script.Then([](wxDialog& d) { ClickButton(d, "Cancel"); });
    rig.Open(0, 0);
    EXPECT_EQ(b.Font_HorizAlign, 7);
}

TEST(ButtonSettings, CancelledFontDialogKeepsTheStyle) {
    SettingsRig rig;
    ButtonRecord& b = TheLayout().Button(0, 0);
    b.Font_Family = L"DejaVu Sans";
    b.Font_Size = 14;
    b.Font_Style = 7;
    const Controls c(rig.Dialog());
    ASSERT_TRUE(c.Complete());
    ModalScript script;
    script.Then([&](wxDialog& d) {
        ClickButton(d, "Font");
        EXPECT_EQ(c.fontName->GetValue(), "DejaVu Sans");
        ClickButton(d, "OK");
    });
    script.Return<wxFontDialog>([](wxFontDialog& chooser) {
        const wxFont initial = chooser.GetFontData().GetInitialFont();
        EXPECT_EQ(initial.GetFaceName(), "DejaVu Sans");
        EXPECT_EQ(initial.GetPointSize(), 14);
        EXPECT_EQ(initial.GetWeight(), wxFONTWEIGHT_BOLD);
        EXPECT_EQ(initial.GetStyle(), wxFONTSTYLE_ITALIC);
        EXPECT_TRUE(initial.GetUnderlined());
        EXPECT_EQ(chooser.GetParent(), &ThePanel().Dialogs().ButtonSettings());
        return wxID_CANCEL;
    });
    rig.Open(0, 0);
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(b.Font_Style, 7);
    EXPECT_EQ(b.Font_Family, L"DejaVu Sans");
    EXPECT_EQ(b.Font_Size, 14);
}

TEST(ButtonSettings, ChosenFontGivesFaceSizeAndStyleOnlyOnOk) {
    for (const bool confirm : {true, false}) {
        SCOPED_TRACE(confirm ? "OK" : "Cancel");
        SettingsRig rig;
        ButtonRecord& b = TheLayout().Button(0, 1);
        b.Font_Style = 4;
        const ButtonRecord before = b;
        const Controls c(rig.Dialog());
        ASSERT_TRUE(c.Complete());
        ModalScript script;
        script.Then([&](wxDialog& d) {
            ClickButton(d, "Font");
            EXPECT_EQ(c.fontName->GetValue(), "DejaVu Serif");
            EXPECT_EQ(c.textOff->GetFont().GetPointSize(), 20);
            // The fields show face and size, not the style.
            EXPECT_NE(c.textOff->GetFont().GetWeight(), wxFONTWEIGHT_BOLD);
            ClickButton(d, confirm ? "OK" : "Cancel");
        });
        script.Return<wxFontDialog>([](wxFontDialog& chooser) {
            chooser.GetFontData().SetChosenFont(
                wxFont(wxFontInfo(20).FaceName("DejaVu Serif").Bold().Italic()));
            return wxID_OK;
        });
        rig.Open(0, 1);
        if (confirm) {
            EXPECT_EQ(b.Font_Family, L"DejaVu Serif");
            EXPECT_EQ(b.Font_Size, 20);
            EXPECT_EQ(b.Font_Style, 3);  // the chosen font is not underlined
        } else {
            EXPECT_EQ(b.Font_Family, before.Font_Family);
            EXPECT_EQ(b.Font_Size, before.Font_Size);
            EXPECT_EQ(b.Font_Style, 4);
        }
    }
}

// Weights as the font chooser gives them: a semibold face and anything heavier is bold.
TEST(ButtonSettings, SemiboldAndHeavierFontsStoreTheBoldBit) {
    const struct {
        int weight;
        int style;
    } cases[] = {{500, 0}, {600, 1}, {700, 1}, {800, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.weight);
        SettingsRig rig;
        ButtonRecord& b = TheLayout().Button(0, 1);
        b.Font_Style = 0;
        ModalScript script;
        script.Then([](wxDialog& d) {
            ClickButton(d, "Font");
            ClickButton(d, "OK");
        });
        script.Return<wxFontDialog>([&c](wxFontDialog& chooser) {
            wxFont chosen(wxFontInfo(12).FaceName("DejaVu Sans"));
            chosen.SetNumericWeight(c.weight);
            chooser.GetFontData().SetChosenFont(chosen);
            return wxID_OK;
        });
        rig.Open(0, 1);
        EXPECT_TRUE(script.Done());
        EXPECT_EQ(b.Font_Style, c.style);
    }
}

TEST(ButtonSettings, ChosenColourIsStoredWithItsAlpha) {
    SettingsRig rig;
    ButtonRecord& b = TheLayout().Button(0, 2);
    b.Font_Color = 0x123456u;
    const Controls c(rig.Dialog());
    ASSERT_TRUE(c.Complete());
    ModalScript script;
    script.Then([&](wxDialog& d) {
        ClickButton(d, "Color");
        EXPECT_EQ(c.textOff->GetForegroundColour(), wxColour(255, 0, 0));
        EXPECT_EQ(c.textOn->GetForegroundColour(), wxColour(255, 0, 0));
        EXPECT_EQ(b.Font_Color, 0x123456u);  // only "OK" stores it
        ClickButton(d, "OK");
    });
    script.Return<wxColourDialog>([](wxColourDialog& chooser) {
        // Starts from the working colour.
        EXPECT_EQ(chooser.GetColourData().GetColour(), wxColour(0x56, 0x34, 0x12));
        ChooseColour(chooser, wxColour(255, 0, 0));
        return wxID_OK;
    });
    rig.Open(0, 2);
    EXPECT_EQ(b.Font_Color, 0xFF0000FFu);
}

TEST(ButtonSettings, CancelledColourDialogChangesNothing) {
    SettingsRig rig;
    ButtonRecord& b = TheLayout().Button(0, 2);
    b.Font_Color = 0x0000FFu;
    const Controls c(rig.Dialog());
    ASSERT_TRUE(c.Complete());
    ModalScript script;
    script.Then([&](wxDialog& d) {
        ClickButton(d, "Color");
        EXPECT_EQ(c.textOff->GetForegroundColour(), wxColour(255, 0, 0));
        ClickButton(d, "OK");
    });
    script.Return<wxColourDialog>([](wxColourDialog&) { return wxID_CANCEL; });
    rig.Open(0, 2);
    EXPECT_EQ(b.Font_Color, 0x0000FFu);
}

// A picture chosen elsewhere is copied into the layout folder; every picture is named by its
// bare name.
TEST(ButtonSettings, PictureButtonsStoreBareFileNames) {
    // Made before the panel and so removed after it: a chooser that showed the folder may
    // still be reading it, and the toolkit answers a folder gone meanwhile with a box of its own.
    LayoutFolder elsewhere;
    SettingsRig rig;
    elsewhere.WritePicture("lamp_off.png", 100, 50, kOff);
    rig.folder.WritePicture("lamp on.jpg", 100, 50, kOn);
    ButtonRecord& b = TheLayout().Button(0, 0);
    b.Image_File_Press = L"keep.png";
    const Controls c(rig.Dialog());
    ASSERT_TRUE(c.Complete());
    const wxString folder = rig.folder.WidePath() + wxFileName::GetPathSeparator();
    auto choose = [folder](const wxString& path) {
        return [folder, path](wxFileDialog& chooser) {
            EXPECT_EQ(chooser.GetMessage(), "Select file");
            EXPECT_TRUE(chooser.HasFlag(wxFD_OPEN));
            EXPECT_EQ(chooser.GetDirectory(), folder);
            if (path.empty()) {
                return wxID_CANCEL;
            }
            chooser.SetPath(path);
            return wxID_OK;
        };
    };
    ModalScript script;
    script.Then([&](wxDialog& d) {
        ClickButton(d, "Pic Btn Off");
        EXPECT_EQ(c.imageOff->GetValue(), "lamp_off.png");
        ClickButton(d, "Pic Btn Press");
        EXPECT_EQ(c.imagePress->GetValue(), "keep.png");
        ClickButton(d, "Pic Btn On");
        EXPECT_EQ(c.imageOn->GetValue(), "lamp on.jpg");
        ClickButton(d, "OK");
    });
    script.Return<wxFileDialog>(choose(elsewhere.At("lamp_off.png")));
    script.Return<wxFileDialog>(choose(wxEmptyString));
    script.Return<wxFileDialog>(choose(folder + "lamp on.jpg"));
    rig.Open(0, 0);
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(b.Image_File_Off, L"lamp_off.png");
    EXPECT_EQ(b.Image_File_Press, L"keep.png");
    EXPECT_EQ(b.Image_File_On, L"lamp on.jpg");
    EXPECT_TRUE(rig.folder.Read("lamp_off.png") == elsewhere.Read("lamp_off.png"));
    EXPECT_TRUE(rig.prompter.messages.empty());
}

// What the real chooser lists, through the toolkit's own filter: every picture type the panel
// draws, in any letter case, and nothing else.
TEST(ButtonSettings, PictureChooserListsEveryPictureType) {
    SettingsRig rig;
    LayoutFolder samples;
    for (const char* name : {"a.png", "b.JPG", "c.bmp", "d.txt", "e.jpeg", "F.Png", "g.gif",
                             "h.png.txt", "ipng", "j.BMP"}) {
        samples.Write(name, "");
    }
    ModalScript script;
    script.Then([](wxDialog& d) {
        ClickButton(d, "Pic Btn On");
        ClickButton(d, "Cancel");
    });
    script.Return<wxFileDialog>([&samples](wxFileDialog& chooser) {
        EXPECT_EQ(NamesTheChooserLists(chooser, samples.Path()),
                  (std::vector<std::string>{"F.Png", "TvxMenu.png", "a.png", "b.JPG", "c.bmp",
                                            "defaultButton.png", "e.jpeg", "j.BMP"}));
        return wxID_CANCEL;
    });
    rig.Open(0, 0);
    EXPECT_TRUE(script.Done());
}

/// The page as a panel composes it from the layout and the files alone, with no picture or
/// button kept from an earlier drawing.
wxImage ComposedAfresh(int page) {
    const auto layout = std::make_unique<::Layout>(TheLayout());
    PageRenderer renderer;
    renderer.BuildPageBackground(*layout, page);
    renderer.LoadMenuImage(*layout);
    renderer.LoadButtonImages(*layout, page);
    wxBitmap bitmap(layout->Form.SizeX, layout->Form.SizeY);
    {
        wxMemoryDC dc(bitmap);
        renderer.DrawPage(dc, *layout, page, L"", [&](int button) {
            return PageRenderer::ButtonLook{LampLookOf(*layout, TheState().Lamps, page, button)};
        });
    }
    return bitmap.ConvertToImage();
}

/// A step for the font chooser that picks a font.
ModalScript::StandIn ChooseFont(const wxFont& font) {
    return ModalScript::For<wxFontDialog>([font](wxFontDialog& chooser) {
        chooser.GetFontData().SetChosenFont(font);
        return wxID_OK;
    });
}

TEST(ButtonSettings, EveryEditOfTheLookShowsOnTheScreenAfterOk) {
    // 800 pixels wide: button 1 lies under the dialog while it is open, button 2 goes beside it.
    SettingsRig rig(800);
    TheLayout().Button(0, 2).PosX = 640;
    rig.panel->Get()->View().LoadButtonImages(0);
    rig.panel->Get()->View().DrawPage(0);
    const Controls c(rig.Dialog());
    ASSERT_TRUE(c.Complete());

    // The ways the dialog is used: fields changed before "OK", a font or a colour chosen. Each
    // notes where the dialog was on the screen.
    wxRect dialogOnScreen;
    using Script = std::function<void(ModalScript&)>;
    const auto fields = [&dialogOnScreen](std::function<void()> change) -> Script {
        return [&dialogOnScreen, change](ModalScript& s) {
            s.Then([&dialogOnScreen, change](wxDialog& d) {
                dialogOnScreen = PlaceOnScreen(d);
                change();
                ClickButton(d, "OK");
            });
        };
    };
    const auto chosen = [&dialogOnScreen](const wxString& button,
                                          ModalScript::StandIn chooser) -> Script {
        return [&dialogOnScreen, button, chooser](ModalScript& s) {
            s.Then([&dialogOnScreen, button](wxDialog& d) {
                dialogOnScreen = PlaceOnScreen(d);
                ClickButton(d, button);
                ClickButton(d, "OK");
            });
            s.Return(chooser);
        };
    };
    const auto colour = [](const wxColour& colour) {
        return ModalScript::For<wxColourDialog>([colour](wxColourDialog& chooser) {
            ChooseColour(chooser, colour);
            return wxID_OK;
        });
    };
    const auto serif = [](int size) { return wxFontInfo(size).FaceName("DejaVu Serif"); };

    struct Pass {
        int button;
        bool underTheDialog;  ///< shown again when the dialog goes, else only by the redraw
        std::string picture;
    };
    for (const Pass& pass : {Pass{1, true, "lamp1.bmp"}, Pass{2, false, "lamp2.bmp"}}) {
        SCOPED_TRACE(pass.button);
        const ButtonRecord& b = TheLayout().Button(0, pass.button);
        const wxRect button(b.PosX, b.PosY, 100, 50);
        const std::string path = rig.folder.Path() + "/" + pass.picture;
        rig.folder.WritePicture(pass.picture, 100, 50, wxColour(250, 220, 60));

        struct Case {
            const char* name;
            std::function<void()> beforehand;
            Script script;
        };
        // Each edit builds on the ones before.
        const Case cases[] = {
            {"picture named", nullptr,
             fields([&] { c.imageOff->SetValue(wxString::FromUTF8(pass.picture.c_str())); })},
            {"text", nullptr, fields([&] { c.textOff->SetValue("Licht"); })},
            {"colour", nullptr, chosen("Color", colour(wxColour(0, 0, 255)))},
            {"alignment", nullptr, fields([&] { c.align->SetSelection(0); })},
            {"font face", nullptr, chosen("Font", ChooseFont(wxFont(serif(12))))},
            {"font size", nullptr, chosen("Font", ChooseFont(wxFont(serif(16))))},
            {"bold", nullptr, chosen("Font", ChooseFont(wxFont(serif(16).Bold())))},
            {"italic", nullptr, chosen("Font", ChooseFont(wxFont(serif(16).Bold().Italic())))},
            {"underlined", nullptr,
             chosen("Font", ChooseFont(wxFont(serif(16).Bold().Italic().Underlined())))},
            {"picture replaced on disk under the same name",
             [&] {
                 struct stat old {};
                 ASSERT_EQ(::stat(path.c_str(), &old), 0);
                 rig.folder.WritePicture(pass.picture, 100, 50, wxColour(60, 120, 250));
                 // The file's time a minute ahead: every look the panel takes at it until the
                 // next case, however slowly the test goes, falls within one step of a coarse
                 // clock.
                 const timespec ahead{std::time(nullptr) + 60, 0};
                 const timespec times[2] = {ahead, ahead};
                 ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
                 struct stat now {};
                 ASSERT_EQ(::stat(path.c_str(), &now), 0);
                 // Only the time and the pixels tell the two files apart.
                 ASSERT_EQ(now.st_size, old.st_size);
             },
             fields([] {})},
            {"picture replaced again at once, on a file system with a coarse clock",
             [&] {
                 struct stat old {};
                 ASSERT_EQ(::stat(path.c_str(), &old), 0);
                 rig.folder.WritePicture(pass.picture, 100, 50, wxColour(40, 200, 90));
                 // A clock that counts in whole seconds (two on a memory card) gives a file
                 // written again within its step the time it had.
                 const timespec times[2] = {old.st_atim, old.st_mtim};
                 ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
                 struct stat now {};
                 ASSERT_EQ(::stat(path.c_str(), &now), 0);
                 ASSERT_EQ(now.st_size, old.st_size);
                 ASSERT_EQ(now.st_mtim.tv_sec, old.st_mtim.tv_sec);
                 ASSERT_EQ(now.st_mtim.tv_nsec, old.st_mtim.tv_nsec);
             },
             fields([] {})},
        };
        for (const Case& k : cases) {
            SCOPED_TRACE(k.name);
            const wxImage before = PageOnScreen(*rig.panel->Get(), button);
            ASSERT_TRUE(before.IsOk());
            if (k.beforehand) {
                k.beforehand();
            }
            ModalScript script;
            k.script(script);
            rig.Open(0, pass.button);
            ASSERT_TRUE(script.Done());
            EXPECT_EQ(dialogOnScreen.Intersects(PageRectOnScreen(*rig.panel->Get(), button)),
                      pass.underTheDialog)
                << "dialog " << dialogOnScreen << ", button "
                << PageRectOnScreen(*rig.panel->Get(), button);
            const wxImage after = PageOnScreen(*rig.panel->Get(), button);
            EXPECT_GT(DifferingPixels(before, after), 0) << "the edit left the screen as it was";
            EXPECT_EQ(DifferingPixels(after, ComposedAfresh(0).GetSubImage(button)), 0)
                << "the screen shows a button the layout no longer describes";
        }
        EXPECT_EQ(b.Font_Family, L"DejaVu Serif");
        EXPECT_EQ(b.Font_Size, 16);
        EXPECT_EQ(b.Font_Style, 7);
        EXPECT_EQ(b.Font_Color & 0xFFFFFFu, 0xFF0000u);
        EXPECT_EQ(b.Font_HorizAlign, 1);
    }
}

TEST(ButtonSettings, OpensForTheTouchedButtonInSettingsMode) {
    SettingsRig rig;
    MainDialog& panel = *rig.panel->Get();
    TheState().EditMode = EditModes::Settings;
    const Controls c(rig.Dialog());
    ASSERT_TRUE(c.Complete());
    ModalScript script;
    script.Then([&](wxDialog& d) {
        EXPECT_EQ(d.GetTitle(), "Button Settings");
        EXPECT_EQ(c.textOff->GetValue(), "Text_002");
        c.textOn->SetValue("touched");
        ClickButton(d, "OK");
    });
    // Button 2 of page 0 lies at (280, 100), 100 x 50.
    ASSERT_TRUE(TouchAt(panel, 320, 120));
    EXPECT_TRUE(WaitFor([&] { return script.Done(); }));
    EXPECT_EQ(TheLayout().Button(0, 2).Text_On, L"touched");
    EXPECT_EQ(TheState().LayoutChanged, 1);
    EXPECT_EQ(TheState().SelectedButton, -1);
}

TEST(ButtonSettings, AButtonOutsideTheTablesIsNeverRead) {
    SettingsRig rig;
    const Controls c(rig.Dialog());
    ASSERT_TRUE(c.Complete());
    ModalScript script;
    script.Then([&](wxDialog& d) {
        EXPECT_EQ(c.textOff->GetValue(), "");
        EXPECT_EQ(c.pageflip->GetSelection(), 0);
        Pick(*c.pageflip, 3);
        ClickButton(d, "OK");
    });
    rig.Open(0, -1);
    EXPECT_EQ(TheState().LayoutChanged, 0);
}

}  // namespace

namespace {

/// Pixels of a field on the screen that are close to a colour: the text drawn in it.
int PixelsCloseTo(const wxImage& image, const wxColour& colour) {
    int close = 0;
    for (int y = 0; y < image.GetHeight(); ++y) {
        for (int x = 0; x < image.GetWidth(); ++x) {
            if (std::abs(image.GetRed(x, y) - colour.Red()) < 40 &&
                std::abs(image.GetGreen(x, y) - colour.Green()) < 40 &&
                std::abs(image.GetBlue(x, y) - colour.Blue()) < 40) {
                ++close;
            }
        }
    }
    return close;
}

}  // namespace

// The text of both fields on the screen is in the button's colour when the dialog opens, in each
// colour chosen afterwards, and in the next button's own colour when it opens for that one.
TEST(ButtonSettings, TextFieldsShowTheColourOnTheScreen) {
    SettingsRig rig;
    ButtonRecord& b = TheLayout().Button(0, 2);
    b.Text_Off = L"WWWW MMMM";
    b.Text_On = L"MMMM WWWW";
    b.Font_Color = 0x0000C8u;  // red 200
    TheLayout().Button(0, 1).Font_Color = 0xC800C8u;
    const Controls c(rig.Dialog());
    ASSERT_TRUE(c.Complete());
    const wxColour red(200, 0, 0);
    const wxColour green(0, 160, 0);
    const wxColour blue(0, 0, 220);
    const wxColour magenta(200, 0, 200);
    const auto shows = [&c](const wxColour& wanted, const wxColour& gone) {
        for (wxTextCtrl* field : {c.textOff, c.textOn}) {
            wxImage shown;
            const bool seen = WaitFor([&] {
                shown = ScreenImage(field->GetScreenRect());
                return PixelsCloseTo(shown, wanted) > 20 && PixelsCloseTo(shown, gone) == 0;
            });
            EXPECT_TRUE(seen) << field->GetName() << " in " << wanted.GetAsString() << ": "
                              << PixelsCloseTo(shown, wanted) << " pixels in that colour, "
                              << PixelsCloseTo(shown, gone) << " in " << gone.GetAsString();
        }
    };
    ModalScript script;
    script.Then([&](wxDialog& d) {
        shows(red, *wxBLACK);
        ClickButton(d, "Color");
        shows(green, red);
        ClickButton(d, "Color");
        shows(blue, green);
        ClickButton(d, "Cancel");
    });
    for (const wxColour& chosen : {green, blue}) {
        script.Return<wxColourDialog>([chosen](wxColourDialog& chooser) {
            ChooseColour(chooser, chosen);
            return wxID_OK;
        });
    }
    // Another button in the same font.
    script.Then([&](wxDialog& d) {
        shows(magenta, blue);
        ClickButton(d, "Cancel");
    });
    rig.Open(0, 2);
    rig.Open(0, 1);
    EXPECT_TRUE(script.Done());
}
