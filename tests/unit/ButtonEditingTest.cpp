#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>

#include "ButtonSamples.h"
#include "model/ButtonEditing.h"
#include "model/Layout.h"

namespace {

TEST(ButtonEditing, StyleBitsOfEveryCombination) {
    for (int bits = 0; bits < 8; ++bits) {
        EXPECT_EQ(StyleBitsOf((bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0), bits);
    }
}

TEST(ButtonEditing, SemiboldAndHeavierCountAsBold) {
    for (const int weight : {100, 400, 500, 599}) {
        EXPECT_FALSE(IsBoldWeight(weight)) << weight;
    }
    for (const int weight : {600, 700, 800, 900, 1000}) {
        EXPECT_TRUE(IsBoldWeight(weight)) << weight;
    }
}

TEST(ButtonEditing, PackColourKeepsAlphaInTheTopByte) {
    struct Case {
        int red, green, blue, alpha;
        Colour packed;
    };
    for (const Case c : {Case{255, 0, 0, 255, 0xFF0000FFu}, Case{0, 255, 0, 255, 0xFF00FF00u},
                         Case{0x12, 0x34, 0x56, 0, 0x563412u},
                         Case{255, 255, 255, 128, 0x80FFFFFFu}, Case{0, 0, 0, 0, 0u}}) {
        EXPECT_EQ(PackColour(c.red, c.green, c.blue, c.alpha), c.packed)
            << c.red << " " << c.green << " " << c.blue << " " << c.alpha;
    }
}

TEST(ButtonEditing, ThreeDigitsPadsLikePrintf) {
    const std::pair<int, const wchar_t*> cases[] = {
        {0, L"000"},
        {7, L"007"},
        {42, L"042"},
        {999, L"999"},
        {1007, L"1007"},
        {-5, L"-005"},
        {-1234, L"-1234"},
        {INT_MAX, L"2147483647"},
        {INT_MIN, L"-2147483648"},
    };
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(ThreeDigits(value), text) << value;
    }
}

TEST(ButtonEditing, ShownPointSizeFallsBackAndCaps) {
    EXPECT_EQ(ShownPointSize(12, 9), 12);
    EXPECT_EQ(ShownPointSize(1, 9), 1);
    EXPECT_EQ(ShownPointSize(0, 9), 9);
    EXPECT_EQ(ShownPointSize(-3, 9), 9);
    EXPECT_EQ(ShownPointSize(INT_MAX, 9), 400);
}

TEST(ButtonEditing, PageflipEntriesNameEveryPageInUse) {
    auto layout = std::make_unique<Layout>();
    layout->Page(0).PageName = L"Start";
    layout->Page(10).PageName = L"Küche";
    const auto entries = PageflipEntries(*layout, L"none");
    ASSERT_EQ(entries.size(), 12u);
    EXPECT_EQ(entries[0], L"none");
    EXPECT_EQ(entries[1], L"01:Start");
    EXPECT_EQ(entries[2], L"02:newPage");
    EXPECT_EQ(entries[11], L"11:Küche");
}

TEST(ButtonEditing, PageflipListNeverNamesAnEntryItDoesNotHave) {
    auto layout = std::make_unique<Layout>();
    layout->LastPage = 500;  // only ever 10; a larger value must still stay inside the tables
    EXPECT_EQ(PageflipEntries(*layout, L"none").size(), static_cast<std::size_t>(kPageSlots) + 1);
    layout->LastPage = -7;
    EXPECT_EQ(PageflipEntries(*layout, L"none").size(), 1u);
}

TEST(ButtonEditing, PageflipToEntryAndBack) {
    struct Case {
        int pageflip;
        int entry;
    };
    // Values without an entry show "no page flip" (entry 0).
    for (const Case c : {Case{999, 0}, Case{0, 1}, Case{4, 5}, Case{10, 11}, Case{11, 0},
                         Case{55, 0}, Case{-1, 0}, Case{998, 0}, Case{INT_MIN, 0}}) {
        EXPECT_EQ(PageflipEntryOf(c.pageflip, 10), c.entry) << c.pageflip;
    }
    struct Back {
        int entry;
        std::optional<int> pageflip;
    };
    for (const Back b :
         {Back{0, 999}, Back{1, 0}, Back{11, 10}, Back{12, std::nullopt}, Back{-1, std::nullopt}}) {
        EXPECT_EQ(PageflipOfEntry(b.entry, 10), b.pageflip) << b.entry;
    }
}

TEST(ButtonEditing, AlignmentChoices) {
    EXPECT_EQ(AlignChoiceOf(1), 0);  // Left
    EXPECT_EQ(AlignChoiceOf(0), 1);  // Center
    EXPECT_EQ(AlignChoiceOf(2), 2);  // Right
    EXPECT_EQ(AlignChoiceOf(7), std::nullopt);
    EXPECT_EQ(AlignChoiceOf(-1), std::nullopt);
    EXPECT_EQ(HorizAlignOfChoice(0), 1);
    EXPECT_EQ(HorizAlignOfChoice(1), 0);
    EXPECT_EQ(HorizAlignOfChoice(2), 2);
}

/// A button whose every field differs from what StoreTakesEveryFieldButLeavesPositionAndPageflip
/// stores.
ButtonRecord Sample() {
    return SampleButton(5);
}

TEST(ButtonEditing, LoadShowsTheButton) {
    const ButtonSettingsFields f = LoadButtonSettings(Sample());
    EXPECT_EQ(f.textOff, L"off\n5");
    EXPECT_EQ(f.textOn, L"on 5");
    EXPECT_EQ(f.led, L"005");
    EXPECT_EQ(f.taster, L"305");
    EXPECT_EQ(f.imageOff, L"off 5.png");
    EXPECT_EQ(f.imagePress, L"press 5.png");
    EXPECT_EQ(f.imageOn, L"on 5.png");
    EXPECT_EQ(f.font.face, L"face 5");
    EXPECT_EQ(f.font.size, 13);
    EXPECT_EQ(f.font.style, 5);
    EXPECT_EQ(f.font.colour, 0x10005u);
    EXPECT_EQ(f.alignChoice, 2);
    EXPECT_TRUE(f.inactive);
}

TEST(ButtonEditing, StoreReadsNumbersLikeTheWideConversion) {
    const std::pair<const wchar_t*, int> cases[] = {
        {L"12a", 12},   {L" -5", -5},    {L"abc", 0},
        {L"0042", 42},  {L"", 0},        {L"+7", 7},
        {L"\t 9 9", 9}, {L"1500", 1500}, {L"99999999999", INT_MAX},
    };
    for (const auto& [text, value] : cases) {
        ButtonRecord b = Sample();
        ButtonSettingsFields f = LoadButtonSettings(b);
        f.led = text;
        f.taster = text;
        StoreButtonSettings(f, b);
        EXPECT_EQ(b.Led, value) << "\"" << testing::PrintToString(std::wstring(text)) << "\"";
        EXPECT_EQ(b.Taster, value);
    }
}

TEST(ButtonEditing, StoreTakesEveryFieldButLeavesPositionAndPageflip) {
    ButtonRecord b = Sample();
    ButtonSettingsFields f;
    f.textOff = L"a\nb";
    f.textOn = L"c";
    f.led = L"1";
    f.taster = L"2";
    f.imageOff = L"x.bmp";
    f.imagePress = L"";
    f.imageOn = L"z.jpg";
    f.font = WorkingFont{L"Serif", 20, 7, 0xFF0000FFu};
    f.alignChoice = 0;
    f.inactive = false;
    StoreButtonSettings(f, b);
    EXPECT_EQ(b.Text_Off, L"a\nb");
    EXPECT_EQ(b.Text_On, L"c");
    EXPECT_EQ(b.Led, 1);
    EXPECT_EQ(b.Taster, 2);
    EXPECT_EQ(b.Image_File_Off, L"x.bmp");
    EXPECT_EQ(b.Image_File_Press, L"");
    EXPECT_EQ(b.Image_File_On, L"z.jpg");
    EXPECT_EQ(b.Font_Family, L"Serif");
    EXPECT_EQ(b.Font_Size, 20);
    EXPECT_EQ(b.Font_Style, 7);
    EXPECT_EQ(b.Font_Color, 0xFF0000FFu);
    EXPECT_EQ(b.Font_HorizAlign, 1);
    EXPECT_EQ(b.Inaktiv, 0);
    EXPECT_EQ(b.PosX, 50);
    EXPECT_EQ(b.PosY, 100);
    EXPECT_EQ(b.Pageflip, 5);
}

TEST(ButtonEditing, NamesButtonSlotOnlyInsideTheTables) {
    EXPECT_TRUE(NamesButtonSlot(ButtonRef{0, 0}));
    EXPECT_TRUE(NamesButtonSlot(ButtonRef{101, 101}));
    EXPECT_FALSE(NamesButtonSlot(ButtonRef{-1, 0}));
    EXPECT_FALSE(NamesButtonSlot(ButtonRef{0, -1}));
    EXPECT_FALSE(NamesButtonSlot(ButtonRef{102, 0}));
    EXPECT_FALSE(NamesButtonSlot(ButtonRef{0, 102}));
}

}  // namespace
