#pragma once

#include <wx/stattext.h>
#include <wx/string.h>
#include <wx/textctrl.h>
#include <wx/weakref.h>

class LimitedField;

/// The entry line of a pad and the count of characters beside it. It starts from the text of
/// the field the pad serves, takes at most as many characters as that field, and shows how many
/// it has of them ("3 / 4"; nothing for a field without a limit). A key that would make it longer
/// is refused, and the count turns red until a key is taken again. The field it serves is its
/// target, set by whoever opens the pad; a field that is destroyed stops being the target by
/// itself.
class PadEntry {
  public:
    explicit PadEntry(wxStaticText& room) : m_room(room) {}

    void SetTarget(wxTextCtrl* field) { m_target = field; }
    /// The field the pad fills, or nullptr when none is set.
    wxTextCtrl* Target() const { return m_target.get(); }
    /// Takes `entry` as the entry line from now on, with the text and the limit of the target
    /// (none: empty, no limit).
    void Start(LimitedField& entry);
    /// What a pad's "OK" does: the entry line into the target, if there is one, as far as the
    /// field takes it (its limit of characters, its lines).
    void PassToTarget();
    /// Types `text` at the cursor, in place of a selection; false, and nothing typed, when that
    /// would make the entry longer than the field takes.
    bool Type(const wxString& text);
    /// The count as the entry stands now; red when the last key was refused.
    void ShowRoom(bool refused = false);

    LimitedField& Entry() const { return *m_entry; }

  private:
    wxStaticText& m_room;
    LimitedField* m_entry = nullptr;
    wxWeakRef<wxTextCtrl> m_target;
};
