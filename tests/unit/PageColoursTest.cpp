#include <gtest/gtest.h>

#include "model/PageColours.h"

namespace {

TEST(PageColours, FieldsShowEachComponentWithThreeDigits) {
    struct Case {
        Colour colour;
        const wchar_t* red;
        const wchar_t* green;
        const wchar_t* blue;
    };
    for (const Case& c : {Case{0x0800FFu, L"255", L"000", L"008"},
                          Case{0xFFFFFFu, L"255", L"255", L"255"}, Case{0u, L"000", L"000", L"000"},
                          // The top byte (an alpha from elsewhere) is no component.
                          Case{0xFF010203u, L"003", L"002", L"001"}}) {
        const ColourFields fields = ColourFieldsOf(c.colour);
        EXPECT_EQ(fields.red, c.red) << std::hex << c.colour;
        EXPECT_EQ(fields.green, c.green) << std::hex << c.colour;
        EXPECT_EQ(fields.blue, c.blue) << std::hex << c.colour;
    }
}

TEST(PageColours, ComponentsCarryAndBorrow) {
    struct Case {
        const wchar_t* red;
        const wchar_t* green;
        const wchar_t* blue;
        Colour stored;
    };
    for (const Case& c : {
             Case{L"255", L"000", L"000", 0x0000FFu},
             Case{L"256", L"0", L"0", 0x000100u},    // red 0, green 1
             Case{L"0", L"256", L"0", 0x010000u},    // into blue
             Case{L"0", L"0", L"256", 0x01000000u},  // into the top byte
             Case{L"999", L"999", L"999", 999u + 999u * 256u + 999u * 65536u},
             Case{L"-1", L"0", L"1", 0x00FFFFu},  // borrows from blue
             Case{L"0", L"-1", L"0", 0xFFFFFF00u},
             Case{L"-1", L"-0", L"", 0xFFFFFFFFu},  // a negative sum wraps
             Case{L"-99", L"-99", L"-99", static_cast<Colour>(-99 - 99 * 256 - 99 * 65536)},
             Case{L" 12", L"+3x", L"abc", 12u + 3u * 256u},
             Case{L"", L"", L"", 0u},
         }) {
        EXPECT_EQ(ColourOfFields(ColourFields{c.red, c.green, c.blue}), c.stored)
            << c.red << " " << c.green << " " << c.blue;
    }
}

TEST(PageColours, HugeComponentsWrapWithoutOverflow) {
    // Longer than the fields take when typed, but a field can be filled with anything.
    const ColourFields fields{L"2147483647", L"2147483647", L"-2147483648"};
    const long long sum = 2147483647LL + 2147483647LL * 256 - 2147483648LL * 65536;
    EXPECT_EQ(ColourOfFields(fields), static_cast<Colour>(static_cast<unsigned long long>(sum)));
}

}  // namespace
