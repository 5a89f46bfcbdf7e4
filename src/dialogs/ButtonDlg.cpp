#include "dialogs/ButtonDlg.h"

#include <wx/button.h>

#include "dialogs/MenuDlg.h"
#include "model/Layout.h"
#include "model/PanelState.h"
#include "panel/PanelOperations.h"

ButtonDlg::ButtonDlg(wxWindow* parent, PanelOperations& panel)
    : wxDialog(parent, wxID_ANY, wxString::FromUTF8("Button Menu"), wxDefaultPosition,
               wxDefaultSize, wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | wxSTAY_ON_TOP),
      m_panel(panel) {
    SetClientSize(180, 358);
    new wxButton(this, ID_BUTTON1, "Settings (s)", wxPoint(8, 16), wxSize(160, 40));
    new wxButton(this, ID_BUTTON2, "Move (m)", wxPoint(8, 64), wxSize(160, 40));
    new wxButton(this, ID_BUTTON3, "Get Style (g)", wxPoint(8, 112), wxSize(160, 40));
    new wxButton(this, ID_BUTTON4, "Change Style (c)", wxPoint(8, 160), wxSize(160, 40));
    new wxButton(this, ID_BUTTON5, "Insert Btn (i)", wxPoint(8, 208), wxSize(160, 40));
    auto* remove = new wxButton(this, ID_BUTTON6, "Delete", wxPoint(8, 264), wxSize(163, 32));
    remove->SetForegroundColour(wxColour(255, 0, 0));
    auto* back = new wxButton(this, ID_BUTTON7, "Back", wxPoint(8, 312), wxSize(160, 40));
    back->SetForegroundColour(wxColour(0, 0, 255));
    CentreOnScreen(wxBOTH);

    Bind(wxEVT_BUTTON, &ButtonDlg::OnSettings, this, ID_BUTTON1);
    Bind(wxEVT_BUTTON, &ButtonDlg::OnMove, this, ID_BUTTON2);
    Bind(wxEVT_BUTTON, &ButtonDlg::OnGetStyle, this, ID_BUTTON3);
    Bind(wxEVT_BUTTON, &ButtonDlg::OnChangeStyle, this, ID_BUTTON4);
    Bind(wxEVT_BUTTON, &ButtonDlg::OnInsert, this, ID_BUTTON5);
    Bind(wxEVT_BUTTON, &ButtonDlg::OnDelete, this, ID_BUTTON6);
    Bind(wxEVT_BUTTON, &ButtonDlg::OnBack, this, ID_BUTTON7);
}

void ButtonDlg::ChooseMode(int mode) {
    m_panel.SetEditMode(mode);
    Close();
}

void ButtonDlg::OnSettings(wxCommandEvent&) {
    ChooseMode(EditModes::Settings);
}

void ButtonDlg::OnMove(wxCommandEvent&) {
    ChooseMode(EditModes::Move);
}

void ButtonDlg::OnGetStyle(wxCommandEvent&) {
    ChooseMode(EditModes::GetStyle);
}

void ButtonDlg::OnChangeStyle(wxCommandEvent&) {
    ChooseMode(EditModes::ChangeStyle);
}

void ButtonDlg::OnDelete(wxCommandEvent&) {
    ChooseMode(EditModes::Delete);
}

void ButtonDlg::OnInsert(wxCommandEvent&) {
    // The dialog stays open, so several buttons can be inserted in a row.
    m_panel.InsertButton();
}

void ButtonDlg::OnBack(wxCommandEvent&) {
    Close();
    m_panel.BackToMainMenu();
}
