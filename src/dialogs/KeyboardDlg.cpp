#include "dialogs/KeyboardDlg.h"

#include <wx/button.h>
#include <wx/stattext.h>

#include "dialogs/LimitedField.h"
#include "dialogs/PadEntry.h"
#include "model/FieldEntry.h"

KeyboardDlg::KeyboardDlg(wxWindow* parent) : StandardDlg(parent, "Keyboard", wxBORDER_THEME) {
    SetBackgroundColour(wxColour(255, 255, 128));

    const wxSize keySize(48, 48);
    const struct {
        int digit;
        wxPoint position;
    } digits[] = {
        {7, wxPoint(8, 8)},     {8, wxPoint(64, 8)},   {9, wxPoint(120, 8)}, {4, wxPoint(8, 64)},
        {5, wxPoint(64, 64)},   {6, wxPoint(120, 64)}, {1, wxPoint(8, 120)}, {2, wxPoint(64, 120)},
        {3, wxPoint(120, 120)}, {0, wxPoint(8, 176)},
    };
    for (const auto& key : digits) {
        new wxButton(this, ID_DIGIT0 + key.digit, wxString::Format("%d", key.digit), key.position,
                     keySize);
    }
    Bind(wxEVT_BUTTON, &KeyboardDlg::OnDigit, this, ID_DIGIT0, ID_DIGIT0 + 9);
    // The entry and, below it, how many characters the field takes.
    m_entry = new LimitedField(this, ID_ENTRY, wxPoint(64, 178), wxSize(48, 23), 0);
    auto* room = new wxStaticText(this, ID_ROOM, wxEmptyString, wxPoint(64, 204), wxSize(48, 16),
                                  wxALIGN_CENTRE_HORIZONTAL | wxST_NO_AUTORESIZE);
    room->SetFont(wxFont(wxFontInfo(8)));
    m_padEntry = std::make_unique<PadEntry>(*room);
    m_entry->Bind(wxEVT_TEXT, [this](wxCommandEvent& event) {
        event.Skip();
        CallAfter([this] { m_padEntry->ShowRoom(); });
    });
    new wxButton(this, ID_CLEAR, "Clear", wxPoint(120, 176), keySize);
    new wxButton(this, wxID_CANCEL, "Cancel", wxPoint(8, 232), keySize);
    new wxButton(this, wxID_OK, "OK", wxPoint(64, 232), wxSize(104, 48));
    Place(wxSize(175, 291), Centring::OverParent);

    Bind(wxEVT_BUTTON, &KeyboardDlg::OnClear, this, ID_CLEAR);
}

KeyboardDlg::~KeyboardDlg() = default;

void KeyboardDlg::SetTarget(wxTextCtrl* field) {
    m_padEntry->SetTarget(field);
}

wxTextCtrl* KeyboardDlg::Target() const {
    return m_padEntry->Target();
}

bool KeyboardDlg::TransferDataToWindow() {
    m_padEntry->Start(*m_entry);
    return true;
}

bool KeyboardDlg::TransferDataFromWindow() {
    m_padEntry->PassToTarget();
    return true;
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
