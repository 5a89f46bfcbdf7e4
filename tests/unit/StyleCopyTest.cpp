#include <gtest/gtest.h>

#include <memory>

#include "ButtonSamples.h"
#include "model/Layout.h"
#include "model/StyleCopy.h"

namespace {

/// The source and the target of a copy, different in every field.
ButtonRecord Source() {
    return SampleButton(1);
}
ButtonRecord Target() {
    return SampleButton(2);
}

TEST(CopyStyle, EachGroupAloneCopiesExactlyItsFields) {
    const auto source = StyleGroupsOf(Source());
    const auto target = StyleGroupsOf(Target());
    for (int group = 0; group < StyleGroups::Count; ++group) {
        SCOPED_TRACE(testing::Message() << "group " << group);
        auto layout = std::make_unique<Layout>();
        layout->Button(1, 3) = Source();
        layout->Button(2, 0) = Target();
        StyleChoices choices{};
        choices[group] = 1;
        EXPECT_TRUE(CopyStyle(*layout, ButtonRef{3, 1}, ButtonRef{0, 2}, choices));
        const auto after = StyleGroupsOf(layout->Button(2, 0));
        for (std::size_t g = 0; g < after.size(); ++g) {
            EXPECT_EQ(after[g], static_cast<int>(g) == group ? source[g] : target[g]) << g;
        }
        EXPECT_EQ(layout->Button(2, 0).Inaktiv, Target().Inaktiv);
        EXPECT_EQ(layout->Button(1, 3), Source());
    }
}

TEST(CopyStyle, AllGroupsCopyEverythingButInaktivAndNoneCopiesNothing) {
    auto layout = std::make_unique<Layout>();
    layout->Button(0, 5) = Source();
    layout->Button(0, 6) = Target();
    EXPECT_TRUE(CopyStyle(*layout, ButtonRef{5, 0}, ButtonRef{6, 0}, StyleChoices{}));
    EXPECT_EQ(layout->Button(0, 6), Target());

    StyleChoices all;
    all.fill(1);
    EXPECT_TRUE(CopyStyle(*layout, ButtonRef{5, 0}, ButtonRef{6, 0}, all));
    ButtonRecord expected = Source();
    expected.Inaktiv = Target().Inaktiv;
    EXPECT_EQ(layout->Button(0, 6), expected);
}

TEST(CopyStyle, ButtonsOutsideTheTablesAreRefused) {
    const ButtonRef valid{4, 1};
    StyleChoices all;
    all.fill(1);
    for (const ButtonRef bad : {ButtonRef{-1, -1}, ButtonRef{-1, 0}, ButtonRef{0, -1},
                                ButtonRef{102, 0}, ButtonRef{0, 102}, ButtonRef{5000, 5000}}) {
        SCOPED_TRACE(testing::Message() << bad.page << "/" << bad.button);
        auto layout = std::make_unique<Layout>();
        layout->Button(1, 4) = Target();
        EXPECT_FALSE(CopyStyle(*layout, bad, valid, all));
        EXPECT_FALSE(CopyStyle(*layout, valid, bad, all));
        EXPECT_EQ(layout->Button(1, 4), Target());
    }
}

TEST(CopyStyle, ToItselfKeepsTheButton) {
    auto layout = std::make_unique<Layout>();
    layout->Button(3, 101) = Source();
    StyleChoices all;
    all.fill(1);
    EXPECT_TRUE(CopyStyle(*layout, ButtonRef{101, 3}, ButtonRef{101, 3}, all));
    EXPECT_EQ(layout->Button(3, 101), Source());
}

}  // namespace
