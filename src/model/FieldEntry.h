#pragma once

#include <cstddef>
#include <string>

/// What a dialog's text field takes, as far as a panel without a keyboard is concerned.
enum class FieldInput {
    Number,  ///< digits: the numeric keypad
    Text,    ///< one line of text: the on-screen keyboard
    Lines,   ///< text of several lines: the on-screen keyboard with its line break key
};

/// The two pads a long touch on a field opens.
enum class EntryPad { Keypad, Keyboard };

EntryPad PadFor(FieldInput input);
/// Whether the pad offers a line break for the field.
bool TakesLineBreaks(FieldInput input);

/// What a pad's "OK" puts into a field: what was typed, without line breaks when the field has
/// one line only, and cut to the field's limit of characters (0: none), as typing would have
/// left it.
std::wstring TextForField(const std::wstring& typed, std::size_t limit, bool multiLine);
