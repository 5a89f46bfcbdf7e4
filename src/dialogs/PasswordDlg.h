#pragma once

#include <wx/dialog.h>
#include <wx/textctrl.h>

/// The password prompt in front of the main menu. A right entry unlocks the menu for the rest
/// of the run; a wrong one keeps the prompt open with the text left for another try.
class PasswordDlg : public wxDialog {
  public:
    explicit PasswordDlg(wxWindow* parent);

    enum {
        ID_TEXTCTRL1 = wxID_HIGHEST + 1,
        ID_BUTTON1,
        ID_BUTTON2,
    };

  private:
    void OnInit(wxInitDialogEvent& event);
    void OnCancel(wxCommandEvent& event);
    void OnOk(wxCommandEvent& event);

    wxTextCtrl* m_entry = nullptr;
};
