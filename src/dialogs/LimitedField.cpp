#include "dialogs/LimitedField.h"

#include <algorithm>

#include "model/FieldEntry.h"

LimitedField::LimitedField(wxWindow* parent, wxWindowID id, const wxPoint& position,
                           const wxSize& size, std::size_t limit, long style)
    : wxTextCtrl(parent, id, wxEmptyString, position, size, style), m_limit(limit) {
    Bind(wxEVT_TEXT, &LimitedField::OnText, this);
}

void LimitedField::DoSetValue(const wxString& value, int flags) {
    m_accepted = value;
    wxTextCtrl::DoSetValue(value, flags);
}

void LimitedField::OnText(wxCommandEvent& event) {
    const wxString text = GetValue();
    // A change that makes the text longer than the limit is taken back, the cursor where it
    // was; shortening an over-long text put in by the program is allowed.
    if (!FitsInField(m_accepted.length(), text.length(), m_limit)) {
        const long added = static_cast<long>(text.length() - m_accepted.length());
        const long cursor = std::max(0L, GetInsertionPoint() - added);
        ChangeValue(m_accepted);
        SetInsertionPoint(cursor);
        return;
    }
    m_accepted = text;
    event.Skip();
}
