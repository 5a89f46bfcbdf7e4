#include "dialogs/KeyboardDlg.h"

#include <wx/button.h>
#include <wx/weakref.h>

#include "dialogs/LimitedField.h"
#include "model/FieldEntry.h"

namespace {

wxWeakRef<wxTextCtrl>& Target() {
    static wxWeakRef<wxTextCtrl> target;
    return target;
}

}  // namespace

wxTextCtrl* TargetTextField() {
    return Target().get();
}

void SetTargetTextField(wxTextCtrl* field) {
    Target() = field;
}

void PassToTargetTextField(const wxString& typed) {
    wxTextCtrl* target = TargetTextField();
    if (target == nullptr) {
        return;
    }
    const auto* limited = dynamic_cast<const LimitedField*>(target);
    target->SetValue(TextForField(typed.ToStdWstring(), limited != nullptr ? limited->Limit() : 0,
                                  target->IsMultiLine()));
}

KeyboardDlg::KeyboardDlg(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, wxString::FromUTF8("Keyboard"), wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | wxSTAY_ON_TOP | wxBORDER_THEME) {
    SetClientSize(175, 291);
    SetBackgroundColour(wxColour(255, 255, 128));

    const wxSize key(48, 48);
    const struct {
        int id;
        const char* label;
        wxPoint position;
    } digits[] = {
        {ID_BUTTON12, "7", wxPoint(8, 8)},     {ID_BUTTON11, "8", wxPoint(64, 8)},
        {ID_BUTTON6, "9", wxPoint(120, 8)},    {ID_BUTTON7, "4", wxPoint(8, 64)},
        {ID_BUTTON8, "5", wxPoint(64, 64)},    {ID_BUTTON9, "6", wxPoint(120, 64)},
        {ID_BUTTON1, "1", wxPoint(8, 120)},    {ID_BUTTON2, "2", wxPoint(64, 120)},
        {ID_BUTTON10, "3", wxPoint(120, 120)}, {ID_BUTTON13, "0", wxPoint(8, 176)},
    };
    for (const auto& digit : digits) {
        new wxButton(this, digit.id, digit.label, digit.position, key);
        Bind(wxEVT_BUTTON, &KeyboardDlg::OnDigit, this, digit.id);
    }
    m_entry = new wxTextCtrl(this, ID_TEXTCTRL1, wxEmptyString, wxPoint(64, 188), wxSize(48, 23));
    new wxButton(this, ID_BUTTON3, "Clear", wxPoint(120, 176), key);
    new wxButton(this, ID_BUTTON5, "Cancel", wxPoint(8, 232), key);
    new wxButton(this, ID_BUTTON4, "OK", wxPoint(64, 232), wxSize(104, 48));
    Centre(wxBOTH);

    Bind(wxEVT_INIT_DIALOG, &KeyboardDlg::OnInit, this);
    Bind(wxEVT_BUTTON, &KeyboardDlg::OnClear, this, ID_BUTTON3);
    Bind(wxEVT_BUTTON, &KeyboardDlg::OnOk, this, ID_BUTTON4);
    Bind(wxEVT_BUTTON, &KeyboardDlg::OnCancel, this, ID_BUTTON5);
}

void KeyboardDlg::OnInit(wxInitDialogEvent& event) {
    m_entry->ChangeValue(wxEmptyString);
    event.Skip();
}

void KeyboardDlg::OnDigit(wxCommandEvent& event) {
    // Each digit key carries its digit as its label.
    if (const wxWindow* key = FindWindow(event.GetId())) {
        m_entry->ChangeValue(m_entry->GetValue() + key->GetLabel());
    }
}

void KeyboardDlg::OnClear(wxCommandEvent&) {
    m_entry->ChangeValue(wxEmptyString);
}

void KeyboardDlg::OnOk(wxCommandEvent&) {
    PassToTargetTextField(m_entry->GetValue());
    Close();
}

void KeyboardDlg::OnCancel(wxCommandEvent&) {
    Close();
}
