#pragma once

#include <wx/dialog.h>

class PanelOperations;

/// The button menu: chooses the edit operation the next touches on the panel perform, inserts a
/// button at once, or goes back to the main menu.
class ButtonDlg : public wxDialog {
  public:
    ButtonDlg(wxWindow* parent, PanelOperations& panel);

    enum {
        ID_BUTTON1 = wxID_HIGHEST + 1,
        ID_BUTTON2,
        ID_BUTTON3,
        ID_BUTTON4,
        ID_BUTTON5,
        ID_BUTTON6,
        ID_BUTTON7,
    };

  private:
    void OnSettings(wxCommandEvent& event);
    void OnMove(wxCommandEvent& event);
    void OnGetStyle(wxCommandEvent& event);
    void OnChangeStyle(wxCommandEvent& event);
    void OnInsert(wxCommandEvent& event);
    void OnDelete(wxCommandEvent& event);
    void OnBack(wxCommandEvent& event);

    /// Puts the edit mode in force on the panel (title and page) and closes the menu.
    void ChooseMode(int mode);
    PanelOperations& m_panel;
};
