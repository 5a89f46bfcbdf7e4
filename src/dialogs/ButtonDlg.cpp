#include "dialogs/ButtonDlg.h"

#include <wx/button.h>

#include "dialogs/MenuDlg.h"
#include "model/Layout.h"
#include "model/PanelState.h"
#include "panel/EditSession.h"

ButtonDlg::ButtonDlg(wxWindow* parent, EditSession& panel)
    : StandardDlg(parent, "Button Menu"), m_panel(panel) {
    new wxButton(this, ID_SETTINGS, "Settings (s)", wxPoint(8, 16), wxSize(160, 40));
    new wxButton(this, ID_MOVE, "Move (m)", wxPoint(8, 64), wxSize(160, 40));
    new wxButton(this, ID_GET_STYLE, "Get Style (g)", wxPoint(8, 112), wxSize(160, 40));
    new wxButton(this, ID_CHANGE_STYLE, "Change Style (c)", wxPoint(8, 160), wxSize(160, 40));
    new wxButton(this, ID_INSERT, "Insert Btn (i)", wxPoint(8, 208), wxSize(160, 40));
    auto* remove = new wxButton(this, ID_DELETE, "Delete", wxPoint(8, 264), wxSize(163, 32));
    remove->SetForegroundColour(wxColour(255, 0, 0));
    auto* back = new wxButton(this, ID_BACK, "Back", wxPoint(8, 312), wxSize(160, 40));
    back->SetForegroundColour(wxColour(0, 0, 255));
    Place(wxSize(180, 358), Centring::OnScreen);

    Bind(wxEVT_BUTTON, &ButtonDlg::OnSettings, this, ID_SETTINGS);
    Bind(wxEVT_BUTTON, &ButtonDlg::OnMove, this, ID_MOVE);
    Bind(wxEVT_BUTTON, &ButtonDlg::OnGetStyle, this, ID_GET_STYLE);
    Bind(wxEVT_BUTTON, &ButtonDlg::OnChangeStyle, this, ID_CHANGE_STYLE);
    Bind(wxEVT_BUTTON, &ButtonDlg::OnInsert, this, ID_INSERT);
    Bind(wxEVT_BUTTON, &ButtonDlg::OnDelete, this, ID_DELETE);
    Bind(wxEVT_BUTTON, &ButtonDlg::OnBack, this, ID_BACK);
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
