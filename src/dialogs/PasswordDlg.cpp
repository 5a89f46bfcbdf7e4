#include "dialogs/PasswordDlg.h"

#include <wx/button.h>
#include <wx/stattext.h>

#include "dialogs/FieldPads.h"
#include "model/Layout.h"
#include "model/PanelDocument.h"
#include "model/PanelState.h"

PasswordDlg::PasswordDlg(wxWindow* parent, PanelDocument& document, FieldPads& pads)
    : wxDialog(parent, wxID_ANY, wxString::FromUTF8("Password"), wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | wxSTAY_ON_TOP),
      m_document(document) {
    SetClientSize(197, 129);
    // Masked, here and on the on-screen keyboard: a panel in a hallway is read over the
    // shoulder.
    m_entry =
        new wxTextCtrl(this, ID_TEXTCTRL1, "Text", wxPoint(8, 16), wxSize(184, 23), wxTE_PASSWORD);
    AttachPad(*m_entry, FieldInput::Text, pads);
    new wxButton(this, ID_BUTTON1, "Cancel", wxPoint(16, 48), wxSize(75, 40));
    new wxButton(this, ID_BUTTON2, "OK", wxPoint(112, 48), wxSize(75, 40));
    m_refusal = new wxStaticText(this, ID_STATICTEXT1, wxEmptyString, wxPoint(8, 96),
                                 wxSize(184, 24), wxALIGN_CENTRE_HORIZONTAL | wxST_NO_AUTORESIZE);
    m_refusal->SetForegroundColour(wxColour(255, 0, 0));
    Centre(wxBOTH);

    Bind(wxEVT_INIT_DIALOG, &PasswordDlg::OnInit, this);
    Bind(wxEVT_BUTTON, &PasswordDlg::OnCancel, this, ID_BUTTON1);
    Bind(wxEVT_BUTTON, &PasswordDlg::OnOk, this, ID_BUTTON2);
}

void PasswordDlg::OnInit(wxInitDialogEvent& event) {
    m_entry->ChangeValue(wxEmptyString);
    m_refusal->SetLabel(wxEmptyString);
    m_entry->SetFocus();
    event.Skip();
}

void PasswordDlg::OnCancel(wxCommandEvent&) {
    Close();
}

void PasswordDlg::OnOk(wxCommandEvent&) {
    // Exactly as typed: no trimming, no case folding.
    const std::wstring entry = m_entry->GetValue().ToStdWstring();
    PanelState& panel = m_document.State();
    if (entry != m_document.Layout().Form.Form_Password) {
        // Said where the user looks, and the field empty for the next try.
        panel.MenuUnlocked = 0;
        m_refusal->SetLabel("Wrong password");
        m_entry->ChangeValue(wxEmptyString);
        m_entry->SetFocus();
        return;
    }
    panel.MenuUnlocked = 1;
    EndDialog(wxID_OK);
}
