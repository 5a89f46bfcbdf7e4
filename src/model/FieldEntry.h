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

/// Whether a change that turns a text of `before` characters into one of `after` keeps it within
/// a field's `limit` of characters (0: none). A text never grows past the limit; one that is
/// longer already (put in from the layout) may be mended and shortened, but not made longer.
bool FitsInField(std::size_t before, std::size_t after, std::size_t limit);

/// What a pad shows of a field's room: "3 / 4" for 3 characters of the 4 the field takes;
/// empty for a field without a limit.
std::wstring RoomText(std::size_t length, std::size_t limit);

/// What a pad's "OK" puts into a field: what was typed, without line breaks when the field has
/// one line only. Never cut: the pad refused the keys beyond the field's limit.
std::wstring TextForField(const std::wstring& typed, bool multiLine);
