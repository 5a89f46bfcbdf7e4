#pragma once

#include <memory>

#include <wx/dialog.h>
#include <wx/textctrl.h>

class LimitedField;
class PadEntry;

/// A numeric keypad for a panel without a keyboard: the user touches digits into a small entry
/// field that starts with the target field's text and takes as many characters as the target
/// does, and "OK" copies them into the text field set as the target by whoever opened it.
/// "OK" and "Cancel" both end with an ordinary close request, so the opener reads the outcome
/// from its own field, not from the modal result.
class KeyboardDlg : public wxDialog {
  public:
    explicit KeyboardDlg(wxWindow* parent);
    ~KeyboardDlg() override;

    /// The text field that "OK" fills; nullptr: none.
    void SetTarget(wxTextCtrl* field);
    wxTextCtrl* Target() const;

    enum {
        ID_BUTTON1 = wxID_HIGHEST + 1,
        ID_BUTTON2,
        ID_BUTTON3,
        ID_BUTTON4,
        ID_BUTTON5,
        ID_BUTTON6,
        ID_BUTTON7,
        ID_BUTTON8,
        ID_BUTTON9,
        ID_BUTTON10,
        ID_BUTTON11,
        ID_BUTTON12,
        ID_BUTTON13,
        ID_TEXTCTRL1,
        ID_STATICTEXT1,
    };

  private:
    void OnInit(wxInitDialogEvent& event);
    void OnDigit(wxCommandEvent& event);
    void OnClear(wxCommandEvent& event);
    void OnOk(wxCommandEvent& event);
    void OnCancel(wxCommandEvent& event);

    LimitedField* m_entry = nullptr;
    std::unique_ptr<PadEntry> m_padEntry;
};
