#include "dialogs/PasswordDlg.h"

#include <wx/button.h>

#include "dialogs/FieldPads.h"
#include "model/Layout.h"
#include "model/PanelDocument.h"
#include "model/PanelState.h"

PasswordDlg::PasswordDlg(wxWindow* parent, PanelDocument& document, FieldPads& pads)
    : StandardDlg(parent, "Password"), m_document(document) {
    // Masked, here and on the on-screen keyboard: a panel in a hallway is read over the
    // shoulder.
    m_entry =
        new wxTextCtrl(this, ID_ENTRY, "Text", wxPoint(8, 16), wxSize(184, 23), wxTE_PASSWORD);
    AttachPad(*m_entry, FieldInput::Text, pads);
    new wxButton(this, wxID_CANCEL, "Cancel", wxPoint(16, 48), wxSize(75, 40));
    new wxButton(this, wxID_OK, "OK", wxPoint(112, 48), wxSize(75, 40));
    m_refusal = new wxStaticText(this, ID_REFUSAL, wxEmptyString, wxPoint(8, 96), wxSize(184, 24),
                                 wxALIGN_CENTRE_HORIZONTAL | wxST_NO_AUTORESIZE);
    m_refusal->SetForegroundColour(wxColour(255, 0, 0));
    Place(wxSize(197, 129), Centring::OverParent);
}

bool PasswordDlg::TransferDataToWindow() {
    m_entry->ChangeValue(wxEmptyString);
    m_refusal->SetLabel(wxEmptyString);
    m_entry->SetFocus();
    return true;
}

bool PasswordDlg::TransferDataFromWindow() {
    // Exactly as typed: no trimming, no case folding.
    const std::wstring entry = m_entry->GetValue().ToStdWstring();
    PanelState& panel = m_document.State();
    if (entry != m_document.Layout().Form.Form_Password) {
        // Said where the user looks, and the field empty for the next try.
        panel.MenuUnlocked = 0;
        m_refusal->SetLabel("Wrong password");
        m_entry->ChangeValue(wxEmptyString);
        m_entry->SetFocus();
        return false;
    }
    panel.MenuUnlocked = 1;
    return true;
}
