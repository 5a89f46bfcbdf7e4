#pragma once

#include "dialogs/StandardDlg.h"
#include "model/ButtonEditing.h"

class FieldPads;
class PanelDocument;

class wxCheckBox;
class wxColour;
class wxComboBox;
class PictureChooser;
class wxFont;
class wxFontDialog;
class wxRadioBox;
class wxTextCtrl;

/// Edits every property of one button except its position: the button the panel names with
/// CurrentPage and SelectedButton when it shows the dialog. The font is edited in a working
/// copy outside the controls; "OK" writes everything back, except the page flip, which the
/// list stores the moment an entry is picked. Whoever showed it shows the page again after "OK".
class ButtonSettingsDlg : public StandardDlg {
  public:
    ButtonSettingsDlg(wxWindow* parent, PanelDocument& document, FieldPads& pads);

    /// The button the panel names now, or an empty one when it names none.
    bool TransferDataToWindow() override;
    /// Everything but the page flip into the button, when the dialog edits one.
    bool TransferDataFromWindow() override;

    enum {
        ID_TEXT_OFF = wxID_HIGHEST + 1,
        ID_TEXT_ON,
        ID_FONT_NAME,
        ID_FONT,
        ID_COLOR,
        ID_ALIGN,
        ID_INACTIVE,
        ID_TASTER,
        ID_LED,
        ID_IMAGE_OFF,
        ID_PIC_BTN_OFF,
        ID_IMAGE_PRESS,
        ID_PIC_BTN_PRESS,
        ID_IMAGE_ON,
        ID_PIC_BTN_ON,
        ID_PAGEFLIP,
    };

  private:
    void OnFont(wxCommandEvent& event);
    void OnColor(wxCommandEvent& event);
    void OnPicBtnOff(wxCommandEvent& event);
    void OnPicBtnPress(wxCommandEvent& event);
    void OnPicBtnOn(wxCommandEvent& event);
    void OnPageflip(wxCommandEvent& event);

    /// Puts the bare name of a chosen picture file into `field`.
    void ChoosePicture(wxTextCtrl& field);
    /// The working font as a toolkit font, with its style bits.
    wxFont WorkingFontInHand() const;
    /// Shows the working face and size in the two text fields and the face name field.
    void ShowWorkingFace();
    /// Colours the text of both text fields (opaque).
    void ShowTextColour(const wxColour& colour);
    bool EditsAButton() const { return NamesButtonSlot(m_button); }

    wxTextCtrl* m_textOff = nullptr;
    wxTextCtrl* m_textOn = nullptr;
    wxTextCtrl* m_fontName = nullptr;
    wxTextCtrl* m_taster = nullptr;
    wxTextCtrl* m_led = nullptr;
    wxTextCtrl* m_imageOff = nullptr;
    wxTextCtrl* m_imagePress = nullptr;
    wxTextCtrl* m_imageOn = nullptr;
    wxRadioBox* m_align = nullptr;
    wxCheckBox* m_inactive = nullptr;
    wxComboBox* m_pageflip = nullptr;
    PictureChooser* m_fileDialog = nullptr;
    wxFontDialog* m_fontDialog = nullptr;

    WorkingFont m_font;
    ButtonRef m_button;  ///< the button being edited, fixed when the dialog is shown
    PanelDocument& m_document;
};
