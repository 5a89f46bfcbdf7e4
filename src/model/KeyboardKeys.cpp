#include "model/KeyboardKeys.h"

namespace {

/// Each key as a pair of characters, unshifted then shifted; "  " marks shift.
const wchar_t* const kKeys[KeyboardKeys::kRows] = {
    L"^°1!2\"3§4$5%6&7/8(9)0=ß?",
    L"qQwWeErRtTzZuUiIoOpPüÜ+*",
    L"aAsSdDfFgGhHjJkKlLöÖäÄ#'",
    L"  <>yYxXcCvVbBnNmM,;.:-_",
};

}  // namespace

bool KeyboardKeys::IsShift(std::size_t row, std::size_t column) {
    return kKeys[row][2 * column] == L' ';
}

std::wstring KeyboardKeys::Label(std::size_t row, std::size_t column) const {
    if (IsShift(row, column)) {
        return m_shift == Shift::Locked ? L"SHIFT" : L"Shift";
    }
    return std::wstring(1, kKeys[row][2 * column + (m_shift == Shift::Off ? 0 : 1)]);
}

std::wstring KeyboardKeys::Press(std::size_t row, std::size_t column) {
    if (IsShift(row, column)) {
        m_shift = m_shift == Shift::Off    ? Shift::Once
                  : m_shift == Shift::Once ? Shift::Locked
                                           : Shift::Off;
        return std::wstring();
    }
    const std::wstring typed = Label(row, column);
    if (m_shift == Shift::Once) {
        m_shift = Shift::Off;
    }
    return typed;
}
