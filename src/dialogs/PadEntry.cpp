#include "dialogs/PadEntry.h"

#include <wx/settings.h>

#include "dialogs/LimitedField.h"
#include "model/FieldEntry.h"

void PadEntry::Start(LimitedField& entry) {
    m_entry = &entry;
    const wxTextCtrl* target = Target();
    const auto* limited = dynamic_cast<const LimitedField*>(target);
    m_entry->SetLimit(limited != nullptr ? limited->Limit() : 0);
    // The field's text to go on from: a value is mended, not typed anew.
    m_entry->ChangeValue(target != nullptr ? target->GetValue() : wxString());
    m_entry->SetInsertionPointEnd();
    ShowRoom();
}

void PadEntry::PassToTarget() {
    wxTextCtrl* target = Target();
    if (target == nullptr) {
        return;
    }
    target->SetValue(TextForField(m_entry->GetValue().ToStdWstring(), target->IsMultiLine()));
}

bool PadEntry::Type(const wxString& text) {
    long from = 0;
    long to = 0;
    m_entry->GetSelection(&from, &to);
    const std::size_t before = m_entry->GetValue().length();
    const std::size_t after = before - static_cast<std::size_t>(to - from) + text.length();
    if (!FitsInField(before, after, m_entry->Limit())) {
        ShowRoom(true);
        return false;
    }
    m_entry->WriteText(text);
    ShowRoom();
    return true;
}

void PadEntry::ShowRoom(bool refused) {
    m_room.SetLabel(RoomText(m_entry->GetValue().length(), m_entry->Limit()));
    m_room.SetForegroundColour(refused ? wxColour(255, 0, 0)
                                       : wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWTEXT));
    m_room.Refresh();
}
