#pragma once

#include <array>
#include <memory>

#include "dialogs/StandardDlg.h"
#include "model/KeyboardKeys.h"

class LimitedField;
class PadEntry;
class wxButton;
class wxTextCtrl;

/// The on-screen keyboard for the text fields, in the keypad's style: German letters with
/// shift, digits and punctuation, space, backspace and a line break around an entry field that
/// starts with the target field's text, masked when the target is, and takes as many characters
/// as the target does. "OK" passes the text to its target field; "Cancel", Escape and the
/// close box drop it.
class TextKeyboardDlg : public StandardDlg {
  public:
    explicit TextKeyboardDlg(wxWindow* parent);
    ~TextKeyboardDlg() override;

    /// The text field that "OK" fills; nullptr: none.
    void SetTarget(wxTextCtrl* field);
    wxTextCtrl* Target() const;

    /// Whether the line break key types, for a target with several lines; set before showing.
    void TakeLineBreaks(bool lineBreaks) { m_lineBreaks = lineBreaks; }

    /// Fresh keys, and the entry line that suits the target, starting with its text.
    bool TransferDataToWindow() override;
    /// The entry into the target.
    bool TransferDataFromWindow() override;

    enum {
        ID_KEY_FIRST = wxID_HIGHEST + 1,
        ID_KEY_LAST = ID_KEY_FIRST + KeyboardKeys::kRows * KeyboardKeys::kColumns - 1,
        ID_SPACE,
        ID_BACKSPACE,
        ID_LINEBREAK,
        ID_CLEAR,
        ID_ENTRY,
        ID_MASKED_ENTRY,
        ID_ROOM,
    };

  private:
    void OnKey(wxCommandEvent& event);
    void OnSpace(wxCommandEvent& event);
    void OnBackspace(wxCommandEvent& event);
    void OnLineBreak(wxCommandEvent& event);
    void OnClear(wxCommandEvent& event);

    /// Every key shows what it types with the shift as it is now.
    void ShowLabels();

    KeyboardKeys m_keys;
    std::array<wxButton*, KeyboardKeys::kRows * KeyboardKeys::kColumns> m_keyButtons{};
    wxButton* m_lineBreak = nullptr;
    LimitedField* m_lines = nullptr;       ///< the entry line for every field but a masked one
    LimitedField* m_masked = nullptr;      ///< the entry line for a masked field (the password)
    std::unique_ptr<PadEntry> m_padEntry;  ///< the one of the two in use, and its count

    bool m_lineBreaks = false;
};
