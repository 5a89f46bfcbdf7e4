#include "model/FieldEntry.h"

#include <algorithm>

EntryPad PadFor(FieldInput input) {
    return input == FieldInput::Number ? EntryPad::Keypad : EntryPad::Keyboard;
}

bool TakesLineBreaks(FieldInput input) {
    return input == FieldInput::Lines;
}

bool FitsInField(std::size_t before, std::size_t after, std::size_t limit) {
    return limit == 0 || after <= limit || after <= before;
}

std::wstring RoomText(std::size_t length, std::size_t limit) {
    if (limit == 0) {
        return std::wstring();
    }
    return std::to_wstring(length) + L" / " + std::to_wstring(limit);
}

std::wstring TextForField(const std::wstring& typed, bool multiLine) {
    std::wstring text = typed;
    if (!multiLine) {
        text.erase(std::remove_if(text.begin(), text.end(),
                                  [](wchar_t c) { return c == L'\n' || c == L'\r'; }),
                   text.end());
    }
    return text;
}
