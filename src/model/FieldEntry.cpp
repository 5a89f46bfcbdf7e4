#include "model/FieldEntry.h"

#include <algorithm>

EntryPad PadFor(FieldInput input) {
    return input == FieldInput::Number ? EntryPad::Keypad : EntryPad::Keyboard;
}

bool TakesLineBreaks(FieldInput input) {
    return input == FieldInput::Lines;
}

std::wstring TextForField(const std::wstring& typed, std::size_t limit, bool multiLine) {
    std::wstring text = typed;
    if (!multiLine) {
        text.erase(std::remove_if(text.begin(), text.end(),
                                  [](wchar_t c) { return c == L'\n' || c == L'\r'; }),
                   text.end());
    }
    if (limit > 0 && text.size() > limit) {
        text.resize(limit);
    }
    return text;
}
