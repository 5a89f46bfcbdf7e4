#include <gtest/gtest.h>

#include <string>

#include "model/FieldEntry.h"
#include "model/KeyboardKeys.h"
#include "model/LongTouch.h"

namespace {

TEST(LongTouch, OnlyAFingerHeldStillLongEnoughIsALongTouch) {
    const struct {
        const char* what;
        long heldMs;
        int moveX;
        int moveY;
        bool longTouch;
    } cases[] = {
        {"a tap", 80, 0, 0, false},
        {"just short of the time", LongTouch::kHoldMs - 1, 0, 0, false},
        {"exactly the time", LongTouch::kHoldMs, 0, 0, true},
        {"held long", 2000, 0, 0, true},
        {"a tremble within the slop", 900, LongTouch::kSlopPixels, -LongTouch::kSlopPixels, true},
        {"dragged sideways", 900, LongTouch::kSlopPixels + 1, 0, false},
        {"dragged down", 900, 0, LongTouch::kSlopPixels + 1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LongTouch touch;
        touch.Down(100, 50, 10000);
        touch.Move(100 + c.moveX, 50 + c.moveY);
        EXPECT_EQ(touch.Up(10000 + c.heldMs), c.longTouch);
    }
}

TEST(LongTouch, AFingerThatWanderedOffAndBackIsNoLongTouchAndEachTouchStartsAfresh) {
    LongTouch touch;
    touch.Down(10, 10, 0);
    touch.Move(40, 10);
    touch.Move(10, 10);
    EXPECT_FALSE(touch.Up(900));
    // The next touch is judged by itself.
    touch.Down(40, 10, 1000);
    EXPECT_TRUE(touch.Up(1600));
    // A lift without a touch down before it: the press went to another window.
    EXPECT_FALSE(touch.Up(5000));
}

TEST(FieldEntry, NumbersGetTheKeypadTextsTheKeyboardWithLineBreaksForSeveralLines) {
    EXPECT_EQ(PadFor(FieldInput::Number), EntryPad::Keypad);
    EXPECT_EQ(PadFor(FieldInput::Text), EntryPad::Keyboard);
    EXPECT_EQ(PadFor(FieldInput::Lines), EntryPad::Keyboard);
    EXPECT_FALSE(TakesLineBreaks(FieldInput::Number));
    EXPECT_FALSE(TakesLineBreaks(FieldInput::Text));
    EXPECT_TRUE(TakesLineBreaks(FieldInput::Lines));
}

TEST(FieldEntry, OkPutsWhatWasTypedWithTheFieldsLinesAndNeverCutsIt) {
    const struct {
        const wchar_t* typed;
        bool multiLine;
        const wchar_t* field;
    } cases[] = {
        {L"98765432100", false, L"98765432100"},
        {L"", false, L""},
        {L"Licht\nKüche", true, L"Licht\nKüche"},
        {L"Licht\nKüche", false, L"LichtKüche"},
        {L"a\r\nb", false, L"ab"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.typed)));
        EXPECT_EQ(TextForField(c.typed, c.multiLine), c.field);
    }
}

TEST(FieldEntry, AKeyBeyondTheLimitIsRefusedAndThePadShowsTheRoom) {
    const struct {
        const char* what;
        std::size_t before;
        std::size_t after;
        std::size_t limit;
        bool fits;
    } cases[] = {
        {"up to the limit", 1, 2, 2, true},
        {"one beyond", 2, 3, 2, false},
        {"several at once beyond", 0, 5, 4, false},
        {"no limit", 900, 901, 0, true},
        {"shortening", 2, 1, 2, true},
        {"a text longer than the limit mended in place", 6, 6, 4, true},
        {"shortened, still over the limit", 6, 5, 4, true},
        {"a text longer than the limit made longer", 6, 7, 4, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(FitsInField(c.before, c.after, c.limit), c.fits);
    }
    EXPECT_EQ(RoomText(0, 2), L"0 / 2");
    EXPECT_EQ(RoomText(3, 40), L"3 / 40");
    EXPECT_EQ(RoomText(6, 4), L"6 / 4");
    EXPECT_EQ(RoomText(3, 0), L"");
}

/// Every key typed in turn, unshifted, as one text per row.
std::wstring Row(KeyboardKeys& keys, std::size_t row) {
    std::wstring typed;
    for (std::size_t column = 0; column < KeyboardKeys::kColumns; ++column) {
        if (!KeyboardKeys::IsShift(row, column)) {
            typed += keys.Press(row, column);
        }
    }
    return typed;
}

TEST(KeyboardKeys, TheGermanLayoutWithUmlautsAndTheLabelPunctuation) {
    KeyboardKeys keys;
    EXPECT_EQ(Row(keys, 0), L"^1234567890ß");
    EXPECT_EQ(Row(keys, 1), L"qwertzuiopü+");
    EXPECT_EQ(Row(keys, 2), L"asdfghjklöä#");
    EXPECT_EQ(Row(keys, 3), L"<yxcvbnm,.-");
    EXPECT_TRUE(KeyboardKeys::IsShift(3, 0));
    int shifts = 0;
    for (std::size_t row = 0; row < KeyboardKeys::kRows; ++row) {
        for (std::size_t column = 0; column < KeyboardKeys::kColumns; ++column) {
            shifts += KeyboardKeys::IsShift(row, column) ? 1 : 0;
        }
    }
    EXPECT_EQ(shifts, 1);
}

TEST(KeyboardKeys, ShiftOnceShiftsOneCharacterTwiceLocksAThirdTimeReleases) {
    KeyboardKeys keys;
    const std::size_t shiftRow = 3;
    const std::size_t shiftColumn = 0;
    EXPECT_EQ(keys.Label(1, 10), L"ü");
    EXPECT_EQ(keys.Press(shiftRow, shiftColumn), L"");
    EXPECT_EQ(keys.ShiftState(), KeyboardKeys::Shift::Once);
    // The labels show what the keys type now.
    EXPECT_EQ(keys.Label(1, 10), L"Ü");
    EXPECT_EQ(keys.Label(0, 3), L"§");
    EXPECT_EQ(keys.Label(shiftRow, shiftColumn), L"Shift");
    EXPECT_EQ(keys.Press(1, 10), L"Ü");
    EXPECT_EQ(keys.Press(1, 10), L"ü");
    EXPECT_EQ(keys.ShiftState(), KeyboardKeys::Shift::Off);

    keys.Press(shiftRow, shiftColumn);
    keys.Press(shiftRow, shiftColumn);
    EXPECT_EQ(keys.ShiftState(), KeyboardKeys::Shift::Locked);
    EXPECT_EQ(keys.Label(shiftRow, shiftColumn), L"SHIFT");
    std::wstring typed;
    for (const std::size_t column : {5u, 4u, 9u, 0u}) {
        typed += keys.Press(1, column);
    }
    typed += keys.Press(0, 11);
    EXPECT_EQ(typed, L"ZTPQ?");
    EXPECT_EQ(keys.Press(shiftRow, shiftColumn), L"");
    EXPECT_EQ(keys.ShiftState(), KeyboardKeys::Shift::Off);
    EXPECT_EQ(keys.Press(2, 9), L"ö");
}

}  // namespace
