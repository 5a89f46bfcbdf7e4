#pragma once

#include "model/FieldEntry.h"

class KeyboardDlg;
class TextKeyboardDlg;
class wxTextCtrl;

/// The pads that let a panel without a keyboard fill in the dialogs' fields: a long touch on a
/// field opens the numeric keypad or the on-screen keyboard, with that field as the target,
/// modally over the dialog the field is in. One for the program, made by the panel window
/// around the two pads it keeps; while none exists a long touch opens nothing.
class FieldPads {
  public:
    FieldPads(KeyboardDlg& keypad, TextKeyboardDlg& keyboard);
    ~FieldPads();
    FieldPads(const FieldPads&) = delete;
    FieldPads& operator=(const FieldPads&) = delete;

    /// Opens the pad for `input` with `field` as the target, and returns when it is closed.
    void Open(wxTextCtrl& field, FieldInput input);

  private:
    KeyboardDlg& m_keypad;
    TextKeyboardDlg& m_keyboard;
};

/// Lets a long touch on `field` open the pad for `input`. Short touches and typing reach the
/// field as before.
void AttachPad(wxTextCtrl& field, FieldInput input);
