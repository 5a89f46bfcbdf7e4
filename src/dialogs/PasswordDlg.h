#pragma once

#include <wx/dialog.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

/// The password prompt in front of the main menu. The entry is masked. A right entry unlocks
/// the menu until the panel locks itself again; a wrong one keeps the prompt open, says "Wrong
/// password" and empties the field for another try.
class FieldPads;
class PanelDocument;

class PasswordDlg : public wxDialog {
  public:
    PasswordDlg(wxWindow* parent, PanelDocument& document, FieldPads& pads);

    enum {
        ID_TEXTCTRL1 = wxID_HIGHEST + 1,
        ID_BUTTON1,
        ID_BUTTON2,
        ID_STATICTEXT1,
    };

  private:
    void OnInit(wxInitDialogEvent& event);
    void OnCancel(wxCommandEvent& event);
    void OnOk(wxCommandEvent& event);

    wxTextCtrl* m_entry = nullptr;
    wxStaticText* m_refusal = nullptr;
    PanelDocument& m_document;
};
