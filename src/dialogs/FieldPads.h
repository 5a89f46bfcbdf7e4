#pragma once

#include "model/FieldEntry.h"

class KeyboardDlg;
class TextKeyboardDlg;
class wxTextCtrl;

/// The pads that let a panel without a keyboard fill in the dialogs' fields: a long touch on a
/// field opens the numeric keypad or the on-screen keyboard, with that field as the target,
/// modally over the dialog the field is in. The panel window makes one around the two pads it
/// keeps and hands it to the dialogs whose fields open them; it outlives those fields.
class FieldPads {
  public:
    FieldPads(KeyboardDlg& keypad, TextKeyboardDlg& keyboard);
    FieldPads(const FieldPads&) = delete;
    FieldPads& operator=(const FieldPads&) = delete;

    /// Opens the pad for `input` with `field` as the target, and returns when it is closed.
    void Open(wxTextCtrl& field, FieldInput input);

  private:
    KeyboardDlg& m_keypad;
    TextKeyboardDlg& m_keyboard;
};

/// Lets a long touch on `field` open the pad of `pads` for `input`. Short touches and typing
/// reach the field as they would without it.
void AttachPad(wxTextCtrl& field, FieldInput input, FieldPads& pads);
