#include "dialogs/FieldPads.h"

#include <wx/clntdata.h>
#include <wx/textctrl.h>

#include "dialogs/KeyboardDlg.h"
#include "dialogs/TextKeyboardDlg.h"
#include "model/LongTouch.h"

namespace {

/// Watches the touches on one field, which owns it, and opens the field's pad after a long one.
class FieldTouch : public wxClientData {
  public:
    FieldTouch(wxTextCtrl& field, FieldInput input, FieldPads& pads)
        : m_field(field), m_input(input), m_pads(pads) {
        // The field's own handling goes on for every event: a long touch places the cursor
        // like a short one before the pad opens.
        field.Bind(wxEVT_LEFT_DOWN, &FieldTouch::OnLeftDown, this);
        field.Bind(wxEVT_LEFT_DCLICK, &FieldTouch::OnLeftDown, this);
        field.Bind(wxEVT_MOTION, &FieldTouch::OnMotion, this);
        field.Bind(wxEVT_LEFT_UP, &FieldTouch::OnLeftUp, this);
    }

  private:
    void OnLeftDown(wxMouseEvent& event) {
        m_touch.Down(event.GetX(), event.GetY(), event.GetTimestamp());
        event.Skip();
    }

    void OnMotion(wxMouseEvent& event) {
        m_touch.Move(event.GetX(), event.GetY());
        event.Skip();
    }

    void OnLeftUp(wxMouseEvent& event) {
        if (m_touch.Up(event.GetTimestamp())) {
            // Opened once the field is done with the release, so that it does not go on
            // selecting under the pad as though the button were still down.
            wxTextCtrl* field = &m_field;
            const FieldInput input = m_input;
            FieldPads* pads = &m_pads;
            m_field.CallAfter([field, input, pads] { pads->Open(*field, input); });
        }
        event.Skip();
    }

    wxTextCtrl& m_field;
    FieldInput m_input;
    FieldPads& m_pads;
    LongTouch m_touch;
};

}  // namespace

FieldPads::FieldPads(KeyboardDlg& keypad, TextKeyboardDlg& keyboard)
    : m_keypad(keypad), m_keyboard(keyboard) {}

void FieldPads::Open(wxTextCtrl& field, FieldInput input) {
    const bool keypad = PadFor(input) == EntryPad::Keypad;
    wxDialog& pad = keypad ? static_cast<wxDialog&>(m_keypad) : m_keyboard;
    wxWindow* served = wxGetTopLevelParent(&field);
    if (pad.IsModal() || served == nullptr || !served->IsShown()) {
        return;
    }
    m_keyboard.TakeLineBreaks(TakesLineBreaks(input));
    const auto target = [&](wxTextCtrl* to) {
        if (keypad) {
            m_keypad.SetTarget(to);
        } else {
            m_keyboard.SetTarget(to);
        }
    };
    target(&field);
    // For its modal run the pad belongs to the dialog it serves: the toolkit makes it that
    // dialog's transient, so a window manager keeps it above that dialog, not only above the
    // panel. Its place among the panel's windows does not change.
    wxWindow* owner = pad.GetParent();
    pad.SetParent(served);
    pad.CentreOnParent(wxBOTH);
    pad.ShowModal();
    pad.SetParent(owner);
    target(nullptr);
}

void AttachPad(wxTextCtrl& field, FieldInput input, FieldPads& pads) {
    field.SetClientObject(new FieldTouch(field, input, pads));
}
