#include "dialogs/ButtonSettingsDlg.h"

#include <optional>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/colordlg.h>
#include <wx/combobox.h>
#include <wx/fontdlg.h>
#include <wx/radiobox.h>
#include <wx/settings.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "dialogs/DialogControls.h"
#include "dialogs/FieldPads.h"
#include "dialogs/PictureChooser.h"
#include "model/Layout.h"
#include "model/PanelDocument.h"

namespace {

/// A font of the face and size; a face the toolkit refuses gives its default face.
wxFont MakeFont(const std::wstring& face, int size, int style) {
    const int shown =
        ShownPointSize(size, wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT).GetPointSize());
    auto info = [&](bool withFace) {
        wxFontInfo result(shown);
        if (withFace && !face.empty()) {
            result.FaceName(face);
        }
        return result.Bold((style & FontStyleBits::Bold) != 0)
            .Italic((style & FontStyleBits::Italic) != 0)
            .Underlined((style & FontStyleBits::Underlined) != 0);
    };
    wxFont font(info(true));
    if (!font.IsOk()) {
        font = wxFont(info(false));
    }
    return font;
}

/// A text field that opens the pad of `pads` for `input` on a long touch, or none.
wxTextCtrl* NewTextField(wxWindow* parent, wxWindowID id, const wxPoint& position,
                         const wxSize& size, long style, std::optional<FieldInput> input,
                         FieldPads& pads) {
    auto* field = new wxTextCtrl(parent, id, wxEmptyString, position, size, style);
    if (input) {
        AttachPad(*field, *input, pads);
    }
    return field;
}

/// Two lines high: no room for a scroll bar, the text scrolls with the cursor instead.
constexpr long kMultiLine = wxTE_MULTILINE | wxTE_NO_VSCROLL;

}  // namespace

ButtonSettingsDlg::ButtonSettingsDlg(wxWindow* parent, PanelDocument& document, FieldPads& pads)
    : StandardDlg(parent, "Button Settings"), m_document(document) {
    NewLabel(this, wxID_ANY, "Text Off", wxPoint(8, 8), wxSize(48, 16));
    m_textOff = NewTextField(this, ID_TEXT_OFF, wxPoint(8, 32), wxSize(128, 40), kMultiLine,
                             FieldInput::Lines, pads);
    NewLabel(this, wxID_ANY, "Text On", wxPoint(152, 8), wxSize(48, 16));
    m_textOn = NewTextField(this, ID_TEXT_ON, wxPoint(152, 32), wxSize(128, 40), kMultiLine,
                            FieldInput::Lines, pads);
    // Shows the working face; the face is chosen with "Font" (by touch as well), so typing here
    // means nothing and no pad opens.
    m_fontName = NewTextField(this, ID_FONT_NAME, wxPoint(8, 88), wxSize(160, 23), wxTE_READONLY,
                              std::nullopt, pads);
    new wxButton(this, ID_FONT, "Font", wxPoint(176, 88), wxSize(56, 23));
    new wxButton(this, ID_COLOR, "Color", wxPoint(240, 88), wxSize(40, 23));

    const wxString alignments[] = {"Left", "Center", "Right"};
    m_align = new wxRadioBox(this, ID_ALIGN, "Font Align", wxPoint(8, 120), wxSize(184, 48), 3,
                             alignments, 1, wxRA_SPECIFY_ROWS);
    m_inactive = new wxCheckBox(this, ID_INACTIVE, "Btn Inaktiv\n(Lable)", wxPoint(192, 176),
                                wxSize(88, 32));
    GrowToLabel(m_inactive);

    NewLabel(this, wxID_ANY, "Taster", wxPoint(8, 184), wxSize(40, 16));
    m_taster = NewTextField(this, ID_TASTER, wxPoint(48, 184), wxSize(40, 23), 0,
                            FieldInput::Number, pads);
    FitDigits(m_taster, 4, 52);
    NewLabel(this, wxID_ANY, "Led", wxPoint(104, 184), wxSize(32, 16));
    m_led =
        NewTextField(this, ID_LED, wxPoint(136, 184), wxSize(40, 23), 0, FieldInput::Number, pads);
    FitDigits(m_led, 4, 52);

    m_imageOff = NewTextField(this, ID_IMAGE_OFF, wxPoint(8, 216), wxSize(168, 23), 0,
                              FieldInput::Text, pads);
    new wxButton(this, ID_PIC_BTN_OFF, "Pic Btn Off", wxPoint(192, 216), wxSize(88, 23));
    m_imagePress = NewTextField(this, ID_IMAGE_PRESS, wxPoint(8, 248), wxSize(168, 23), 0,
                                FieldInput::Text, pads);
    new wxButton(this, ID_PIC_BTN_PRESS, "Pic Btn Press", wxPoint(192, 248), wxSize(88, 23));
    m_imageOn = NewTextField(this, ID_IMAGE_ON, wxPoint(8, 280), wxSize(168, 23), 0,
                             FieldInput::Text, pads);
    new wxButton(this, ID_PIC_BTN_ON, "Pic Btn On", wxPoint(192, 280), wxSize(88, 23));

    NewLabel(this, wxID_ANY, "Pageflip", wxPoint(16, 328), wxDefaultSize);
    // Read-only: only an entry of the list means something.
    m_pageflip = new wxComboBox(this, ID_PAGEFLIP, wxEmptyString, wxPoint(72, 328), wxSize(208, 23),
                                0, nullptr, wxCB_READONLY);

    new wxButton(this, wxID_CANCEL, "Cancel", wxPoint(120, 368), wxSize(75, 40));
    new wxButton(this, wxID_OK, "OK", wxPoint(208, 368), wxSize(75, 40));

    Place(wxSize(300, 422), Centring::OnScreen);

    Bind(wxEVT_BUTTON, &ButtonSettingsDlg::OnFont, this, ID_FONT);
    Bind(wxEVT_BUTTON, &ButtonSettingsDlg::OnColor, this, ID_COLOR);
    Bind(wxEVT_BUTTON, &ButtonSettingsDlg::OnPicBtnOff, this, ID_PIC_BTN_OFF);
    Bind(wxEVT_BUTTON, &ButtonSettingsDlg::OnPicBtnPress, this, ID_PIC_BTN_PRESS);
    Bind(wxEVT_BUTTON, &ButtonSettingsDlg::OnPicBtnOn, this, ID_PIC_BTN_ON);
    Bind(wxEVT_COMBOBOX, &ButtonSettingsDlg::OnPageflip, this, ID_PAGEFLIP);
}

bool ButtonSettingsDlg::TransferDataToWindow() {
    const ::Layout& layout = m_document.Layout();
    const PanelState& panel = m_document.State();
    m_button = ButtonRef{panel.SelectedButton, panel.CurrentPage};
    // A dialog opened for no button shows an empty one and stores nothing.
    ButtonRecord none;
    none.Pageflip = kNoPageflip;
    const ButtonRecord& button =
        EditsAButton() ? layout.Button(m_button.page, m_button.button) : none;
    const ButtonSettingsFields fields = LoadButtonSettings(button);

    m_textOff->ChangeValue(fields.textOff);
    m_textOn->ChangeValue(fields.textOn);
    m_led->ChangeValue(fields.led);
    m_taster->ChangeValue(fields.taster);
    m_imageOff->ChangeValue(fields.imageOff);
    m_imagePress->ChangeValue(fields.imagePress);
    m_imageOn->ChangeValue(fields.imageOn);
    m_font = fields.font;
    ShowTextColour(OpaqueColourOf(m_font.colour));
    ShowWorkingFace();
    // A text longer than the field shows its first lines.
    for (wxTextCtrl* field : {m_textOff, m_textOn}) {
        field->SetInsertionPoint(0);
        field->ShowPosition(0);
    }
    if (fields.alignChoice) {
        m_align->SetSelection(*fields.alignChoice);
    }

    m_pageflip->Clear();
    for (const std::wstring& entry : PageflipEntries(layout, L"--- No Pageflip ---")) {
        m_pageflip->Append(entry);
    }
    m_pageflip->SetSelection(PageflipEntryOf(button.Pageflip, layout.LastPage));
    m_inactive->SetValue(fields.inactive);
    return true;
}

wxFont ButtonSettingsDlg::WorkingFontInHand() const {
    return MakeFont(m_font.face, m_font.size, m_font.style);
}

void ButtonSettingsDlg::ShowWorkingFace() {
    // The fields show face and size only; the style bits are not drawn here.
    const wxFont face = MakeFont(m_font.face, m_font.size, 0);
    m_textOff->SetFont(face);
    m_textOn->SetFont(face);
    m_fontName->ChangeValue(m_font.face);
}

void ButtonSettingsDlg::ShowTextColour(const wxColour& colour) {
    for (wxTextCtrl* field : {m_textOff, m_textOn}) {
        // The colour of a multi-line field reaches the text it is typed into; the text already
        // there keeps the colour it was given when the field's font was last set, unless it is
        // given the new one as well.
        field->SetForegroundColour(colour);
        field->SetStyle(0, field->GetLastPosition(), wxTextAttr(colour));
    }
}

void ButtonSettingsDlg::OnFont(wxCommandEvent&) {
    wxFont inHand = WorkingFontInHand();
    wxFontData data;
    data.SetInitialFont(inHand);
    data.EnableEffects(true);
    // The toolkit's chooser on this platform takes the initial font only when it is built, so
    // the dialog's font chooser is rebuilt around the font in hand before each use.
    if (m_fontDialog != nullptr) {
        m_fontDialog->Destroy();
    }
    m_fontDialog = new wxFontDialog(this, data);
    if (m_fontDialog->ShowModal() == wxID_OK) {
        const wxFont chosen = m_fontDialog->GetFontData().GetChosenFont();
        if (chosen.IsOk()) {
            inHand = chosen;
            m_font.face = inHand.GetFaceName().ToStdWstring();
            m_font.size = inHand.GetPointSize();
            ShowWorkingFace();
        }
    }
    // From the font in hand either way: a cancelled choice leaves the bits as they were.
    m_font.style = StyleBitsOf(IsBoldWeight(inHand.GetNumericWeight()),
                               inHand.GetStyle() == wxFONTSTYLE_ITALIC, inHand.GetUnderlined());
}

void ButtonSettingsDlg::OnColor(wxCommandEvent&) {
    wxColourData data;
    data.SetColour(OpaqueColourOf(m_font.colour));
    wxColourDialog dialog(this, &data);
    if (dialog.ShowModal() != wxID_OK) {
        return;
    }
    const wxColour chosen = dialog.GetColourData().GetColour();
    ShowTextColour(wxColour(chosen.Red(), chosen.Green(), chosen.Blue()));
    m_font.colour = PackColour(chosen.Red(), chosen.Green(), chosen.Blue(), chosen.Alpha());
}

void ButtonSettingsDlg::OnPicBtnOff(wxCommandEvent&) {
    ChoosePicture(*m_imageOff);
}

void ButtonSettingsDlg::OnPicBtnPress(wxCommandEvent&) {
    ChoosePicture(*m_imagePress);
}

void ButtonSettingsDlg::OnPicBtnOn(wxCommandEvent&) {
    ChoosePicture(*m_imageOn);
}

void ButtonSettingsDlg::ChoosePicture(wxTextCtrl& field) {
    // Made when first used: building the toolkit's chooser is a good part of the panel's start.
    if (m_fileDialog == nullptr) {
        m_fileDialog = new PictureChooser(this, wxFD_OPEN);
    }
    if (const auto name = m_fileDialog->ChooseName(m_document.Layout().Form.LayoutDirectory)) {
        field.ChangeValue(*name);
    }
}

void ButtonSettingsDlg::OnPageflip(wxCommandEvent&) {
    ::Layout& layout = m_document.Layout();
    if (!EditsAButton()) {
        return;
    }
    // Stored at once, without marking the layout changed: "Cancel" keeps it too.
    if (const auto pageflip = PageflipOfEntry(m_pageflip->GetSelection(), layout.LastPage)) {
        layout.Button(m_button.page, m_button.button).Pageflip = *pageflip;
    }
}

bool ButtonSettingsDlg::TransferDataFromWindow() {
    if (EditsAButton()) {
        ButtonSettingsFields fields;
        fields.textOff = m_textOff->GetValue().ToStdWstring();
        fields.textOn = m_textOn->GetValue().ToStdWstring();
        fields.led = m_led->GetValue().ToStdWstring();
        fields.taster = m_taster->GetValue().ToStdWstring();
        fields.imageOff = m_imageOff->GetValue().ToStdWstring();
        fields.imagePress = m_imagePress->GetValue().ToStdWstring();
        fields.imageOn = m_imageOn->GetValue().ToStdWstring();
        fields.font = m_font;
        fields.alignChoice = m_align->GetSelection();
        fields.inactive = m_inactive->GetValue();
        StoreButtonSettings(fields, m_document.Layout().Button(m_button.page, m_button.button));
        m_document.State().LayoutChanged = 1;
    }
    return true;
}
