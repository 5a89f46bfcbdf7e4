#pragma once

#include <cstddef>
#include <string>

/// The character keys of the on-screen keyboard in the German layout, four rows of twelve, and
/// its shift. One touch on shift gives the next character shifted; a second touch keeps shift
/// on (for a label in capitals) until a third.
class KeyboardKeys {
  public:
    static constexpr std::size_t kRows = 4;
    static constexpr std::size_t kColumns = 12;

    enum class Shift { Off, Once, Locked };

    /// Whether the key at that place is shift rather than a character.
    static bool IsShift(std::size_t row, std::size_t column);
    /// What the key shows now: the character it types, or the name of the shift key.
    std::wstring Label(std::size_t row, std::size_t column) const;
    /// A touch on a key: the character it types (none for shift), the shift state moved on.
    std::wstring Press(std::size_t row, std::size_t column);

    Shift ShiftState() const { return m_shift; }

  private:
    Shift m_shift = Shift::Off;
};
