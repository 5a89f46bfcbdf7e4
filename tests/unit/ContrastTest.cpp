#include <gtest/gtest.h>

#include "model/Contrast.h"

namespace {

constexpr Colour kBlack = 0x000000u;
constexpr Colour kWhite = 0xFFFFFFu;

TEST(Contrast, RatiosOfKnownPairs) {
    struct Case {
        Colour a;
        Colour b;
        double ratio;
    };
    for (const Case& c : {
             Case{kBlack, kWhite, 21.0},
             Case{kWhite, kWhite, 1.0},
             Case{0x777777u, kWhite, 4.48},   // the grey that just misses 4.5 on white
             Case{0xEEF0F1u, kWhite, 1.14},   // a light theme's border colour on its menu colour
             Case{0x0000FFu, kWhite, 3.998},  // pure red: red counts far less than green
             Case{0x00FF00u, kBlack, 15.3},   // pure green
             Case{0xFF0000u, kBlack, 2.44},   // pure blue
             Case{0x36342Eu, kWhite, 12.65},  // a theme's dark text colour
             // The top byte (an alpha from the colour chooser) is no part of the colour.
             Case{0xFF000000u, kWhite, 21.0},
         }) {
        EXPECT_NEAR(ContrastRatio(c.a, c.b), c.ratio, 0.01) << std::hex << c.a << " " << c.b;
        EXPECT_DOUBLE_EQ(ContrastRatio(c.a, c.b), ContrastRatio(c.b, c.a)) << "order";
    }
    EXPECT_DOUBLE_EQ(RelativeLuminance(kBlack), 0.0);
    EXPECT_DOUBLE_EQ(RelativeLuminance(kWhite), 1.0);
}

TEST(Contrast, ThePreferredColourGivesWayWhenItCannotBeRead) {
    struct Case {
        Colour preferred;
        Colour background;
        bool kept;
    };
    for (const Case& c : {
             Case{0xEEF0F1u, kWhite, false},    // light border colour on a white menu
             Case{0xEEF0F1u, 0x3C3C3Cu, true},  // the same on a dark menu
             Case{0x767676u, kWhite, true},     // 4.54
             Case{0x959595u, kWhite, false},    // 2.98: just below
             Case{0x949494u, kWhite, true},     // 3.03: just above
             Case{kWhite, kWhite, false},
         }) {
        const Colour fallback = 0x123456u;
        EXPECT_EQ(ReadableTextColour(c.preferred, fallback, c.background),
                  c.kept ? c.preferred : fallback)
            << std::hex << c.preferred << " on " << c.background << ": "
            << ContrastRatio(c.preferred, c.background);
    }
}

}  // namespace
