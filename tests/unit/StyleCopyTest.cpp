#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>

#include "model/Layout.h"
#include "model/StyleCopy.h"

namespace {

ButtonRecord Source() {
    ButtonRecord b;
    b.PosX = 300;
    b.PosY = 140;
    b.Text_Off = L"src off";
    b.Text_On = L"src on";
    b.Font_Style = 3;
    b.Font_HorizAlign = 2;
    b.Font_Size = 22;
    b.Font_Family = L"Serif";
    b.Font_Color = 0xFF0000FFu;
    b.Led = 17;
    b.Taster = 512;
    b.Image_File_Off = L"a.png";
    b.Image_File_Press = L"b.png";
    b.Image_File_On = L"c.png";
    b.Pageflip = 4;
    b.Inaktiv = 1;
    return b;
}

ButtonRecord Target() {
    ButtonRecord b;
    b.PosX = 10;
    b.PosY = 20;
    b.Text_Off = L"dst off";
    b.Text_On = L"dst on";
    b.Font_Size = 12;
    b.Font_Family = L"<default>";
    b.Led = 1;
    b.Taster = 2;
    b.Pageflip = 999;
    return b;
}

/// Every field of a button, one text per group (and Inaktiv last), so that a test sees exactly
/// which groups a copy changed.
std::array<std::wstring, StyleGroups::Count + 1> GroupsOf(const ButtonRecord& b) {
    auto n = [](long long v) { return std::to_wstring(v) + L"|"; };
    std::array<std::wstring, StyleGroups::Count + 1> groups;
    groups[StyleGroups::Text] = b.Text_Off + L"|" + b.Text_On;
    groups[StyleGroups::Image] =
        b.Image_File_Off + L"|" + b.Image_File_Press + L"|" + b.Image_File_On;
    groups[StyleGroups::Font] = b.Font_Family + L"|" + n(b.Font_Color) + n(b.Font_Size) +
                                n(b.Font_Style) + n(b.Font_HorizAlign);
    groups[StyleGroups::Position] = n(b.PosX) + n(b.PosY);
    groups[StyleGroups::TasterLed] = n(b.Led) + n(b.Taster);
    groups[StyleGroups::Pageflip] = n(b.Pageflip);
    groups[StyleGroups::Count] = n(b.Inaktiv);
    return groups;
}

TEST(CopyStyle, EachGroupAloneCopiesExactlyItsFields) {
    const auto source = GroupsOf(Source());
    const auto target = GroupsOf(Target());
    for (int group = 0; group < StyleGroups::Count; ++group) {
        SCOPED_TRACE(testing::Message() << "group " << group);
        auto layout = std::make_unique<Layout>();
        layout->Button(1, 3) = Source();
        layout->Button(2, 0) = Target();
        StyleChoices choices{};
        choices[group] = 1;
        EXPECT_TRUE(CopyStyle(*layout, ButtonRef{3, 1}, ButtonRef{0, 2}, choices));
        const auto after = GroupsOf(layout->Button(2, 0));
        for (std::size_t g = 0; g < after.size(); ++g) {
            EXPECT_EQ(after[g], static_cast<int>(g) == group ? source[g] : target[g]) << g;
        }
        EXPECT_EQ(GroupsOf(layout->Button(1, 3)), source);
    }
}

TEST(CopyStyle, AllGroupsCopyEverythingButInaktivAndNoneCopiesNothing) {
    auto layout = std::make_unique<Layout>();
    layout->Button(0, 5) = Source();
    layout->Button(0, 6) = Target();
    EXPECT_TRUE(CopyStyle(*layout, ButtonRef{5, 0}, ButtonRef{6, 0}, StyleChoices{}));
    EXPECT_EQ(GroupsOf(layout->Button(0, 6)), GroupsOf(Target()));

    StyleChoices all;
    all.fill(1);
    EXPECT_TRUE(CopyStyle(*layout, ButtonRef{5, 0}, ButtonRef{6, 0}, all));
    ButtonRecord expected = Source();
    expected.Inaktiv = 0;
    EXPECT_EQ(GroupsOf(layout->Button(0, 6)), GroupsOf(expected));
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
        EXPECT_EQ(GroupsOf(layout->Button(1, 4)), GroupsOf(Target()));
    }
}

TEST(CopyStyle, ToItselfKeepsTheButton) {
    auto layout = std::make_unique<Layout>();
    layout->Button(3, 101) = Source();
    StyleChoices all;
    all.fill(1);
    EXPECT_TRUE(CopyStyle(*layout, ButtonRef{101, 3}, ButtonRef{101, 3}, all));
    EXPECT_EQ(GroupsOf(layout->Button(3, 101)), GroupsOf(Source()));
}

}  // namespace
