#include "dialogs/KeyboardDlg.h"

#include <wx/button.h>
#include <wx/stattext.h>

#include "dialogs/LimitedField.h"
#include "dialogs/PadEntry.h"
#include "model/FieldEntry.h"

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
    // The entry and, below it, how many characters the field takes.
    m_entry = new LimitedField(this, ID_TEXTCTRL1, wxPoint(64, 178), wxSize(48, 23), 0);
    auto* room = new wxStaticText(this, ID_STATICTEXT1, wxEmptyString, wxPoint(64, 204),
                                  wxSize(48, 16), wxALIGN_CENTRE_HORIZONTAL | wxST_NO_AUTORESIZE);
    room->SetFont(wxFont(wxFontInfo(8)));
    m_padEntry = std::make_unique<PadEntry>(*room);
    m_entry->Bind(wxEVT_TEXT, [this](wxCommandEvent& event) {
        event.Skip();
        CallAfter([this] { m_padEntry->ShowRoom(); });
    });
    new wxButton(this, ID_BUTTON3, "Clear", wxPoint(120, 176), key);
    new wxButton(this, ID_BUTTON5, "Cancel", wxPoint(8, 232), key);
    new wxButton(this, ID_BUTTON4, "OK", wxPoint(64, 232), wxSize(104, 48));
    Centre(wxBOTH);

    Bind(wxEVT_INIT_DIALOG, &KeyboardDlg::OnInit, this);
    Bind(wxEVT_BUTTON, &KeyboardDlg::OnClear, this, ID_BUTTON3);
    Bind(wxEVT_BUTTON, &KeyboardDlg::OnOk, this, ID_BUTTON4);
    Bind(wxEVT_BUTTON, &KeyboardDlg::OnCancel, this, ID_BUTTON5);
}

KeyboardDlg::~KeyboardDlg() = default;

void KeyboardDlg::SetTarget(wxTextCtrl* field) {
    m_padEntry->SetTarget(field);
}

wxTextCtrl* KeyboardDlg::Target() const {
    return m_padEntry->Target();
}

void KeyboardDlg::OnInit(wxInitDialogEvent& event) {
    m_padEntry->Start(*m_entry);
    event.Skip();
}

void KeyboardDlg::OnDigit(wxCommandEvent& event) {
    // Each digit key carries its digit as its label.
    if (const wxWindow* key = FindWindow(event.GetId())) {
        m_padEntry->Type(key->GetLabel());
    }
}

void KeyboardDlg::OnClear(wxCommandEvent&) {
    m_entry->ChangeValue(wxEmptyString);
    m_padEntry->ShowRoom();
}

void KeyboardDlg::OnOk(wxCommandEvent&) {
    m_padEntry->PassToTarget();
    Close();
}

void KeyboardDlg::OnCancel(wxCommandEvent&) {
    Close();
}
