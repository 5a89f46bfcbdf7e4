#pragma once

#include "dialogs/StandardDlg.h"

class EditSession;

/// The button menu: chooses the edit operation the next touches on the panel perform, inserts a
/// button at once, or goes back to the main menu.
class ButtonDlg : public StandardDlg {
  public:
    ButtonDlg(wxWindow* parent, EditSession& panel);

    enum {
        ID_SETTINGS = wxID_HIGHEST + 1,
        ID_MOVE,
        ID_GET_STYLE,
        ID_CHANGE_STYLE,
        ID_INSERT,
        ID_DELETE,
        ID_BACK,
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
    EditSession& m_panel;
};
