// What the panel shows of an edit mode: its words, the colours of the marks, which marks a page
// gets, and where the banner goes.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "model/ButtonEditing.h"
#include "model/Contrast.h"
#include "model/EditMarks.h"
#include "model/PanelState.h"
#include "panel/EditBanner.h"

namespace {

// The words of each mode, which the title shows as long as the mode is in force.
TEST(EditMarks, EachModeHasItsBannerWhichIsAlsoTheTitle) {
    auto layout = std::make_unique<Layout>();
    layout->ResetLayout();
    layout->Page(3).PageName = L"Garten";
    PanelState panel;
    panel.CurrentPage = 3;
    struct Case {
        int mode;
        const wchar_t* banner;
    };
    for (const Case& c : {
             Case{EditModes::Move, L"--- Button Move ---"},
             Case{EditModes::Settings, L"--- Button Settings ---"},
             Case{EditModes::GetStyle, L"--- Button Get Style ---"},
             Case{EditModes::ChangeStyle, L"--- Button Change Style ---"},
             Case{EditModes::Delete, L"--- Button Delete ---"},
             Case{EditModes::Normal, L""},
             Case{1, L""},
             Case{5, L""},
         }) {
        panel.EditMode = c.mode;
        EXPECT_EQ(ModeBanner(c.mode), c.banner) << c.mode;
        EXPECT_EQ(IsShownMode(c.mode), *c.banner != L'\0') << c.mode;
        // The title shows the mode as long as it is in force, whatever was drawn meanwhile.
        EXPECT_EQ(PanelTitle(*layout, panel), *c.banner != L'\0' ? c.banner : L"Garten") << c.mode;
    }
}

TEST(EditMarks, TheFillStandsOutFromAnyPageAndItsInkFromTheFill) {
    std::vector<Colour> pages;
    for (int level = 0; level <= 255; level += 5) {
        pages.push_back(PackColour(level, level, level, 0));
    }
    for (const Colour page :
         {PackColour(255, 0, 0, 0), PackColour(0, 255, 0, 0), PackColour(0, 0, 255, 0),
          PackColour(255, 204, 0, 0), PackColour(110, 0, 0, 0), PackColour(0xDD, 0xEB, 0xF7, 0)}) {
        pages.push_back(page);
    }
    for (const Colour page : pages) {
        for (const MarkColours& colours : {MarkColoursOn(page), NoteColoursOn(page)}) {
            EXPECT_GE(ContrastRatio(colours.fill, page), 2.8) << std::hex << page;
            EXPECT_GE(ContrastRatio(colours.ink, colours.fill), 7.0) << std::hex << page;
        }
    }
    // Dark on a light page, light on a dark one.
    EXPECT_LT(RelativeLuminance(MarkColoursOn(0xFFFFFFu).fill), 0.2);
    EXPECT_GT(RelativeLuminance(MarkColoursOn(0x000000u).fill), 0.5);
    // The alpha byte a colour chooser leaves in a page colour changes nothing.
    EXPECT_EQ(MarkColoursOn(0xFF000000u), MarkColoursOn(0x000000u));
}

class EditMarksOfTest : public ::testing::Test {
  protected:
    void SetUp() override {
        layout->ResetLayout();
        layout->Page(1).Button_Last = 3;
        layout->Page(1).BackColor1 = 0xFFFFFFu;
        panel.CurrentPage = 1;
    }

    std::unique_ptr<Layout> layout = std::make_unique<Layout>();
    PanelState panel;
    std::vector<Rect> rects{{10, 10, 100, 50}, {120, 10, 100, 50}, {230, 10, 100, 50}};
};

TEST_F(EditMarksOfTest, NormalOperationMarksNothingEvenWithAMarkedSource) {
    panel.StyleSource = ButtonRef{1, 1};
    panel.StyleSourceMarked = true;
    EXPECT_TRUE(EditMarksOf(*layout, panel, rects.data()).Empty());
    EXPECT_TRUE(EditMarks().Empty());
}

TEST_F(EditMarksOfTest, AnEditModeShowsItsBannerInColoursForThePageTop) {
    panel.EditMode = EditModes::Delete;
    const EditMarks marks = EditMarksOf(*layout, panel, rects.data());
    EXPECT_EQ(marks.bannerMode, EditModes::Delete);
    EXPECT_EQ(marks.colours, MarkColoursOn(0xFFFFFFu));
    EXPECT_FALSE(marks.source);
    layout->Page(1).BackColor1 = 0x000000u;
    EXPECT_EQ(EditMarksOf(*layout, panel, rects.data()).colours, MarkColoursOn(0x000000u));
    EXPECT_NE(EditMarksOf(*layout, panel, rects.data()), marks);
}

TEST_F(EditMarksOfTest, TheSourceIsFramedWhileMarkedAndOnThePageShown) {
    panel.StyleSource = ButtonRef{2, 1};
    struct Case {
        int mode;
        bool marked;
        int currentPage;
        int buttonLast;
        bool framed;
    };
    for (const Case& c : {
             Case{EditModes::GetStyle, true, 1, 3, true},
             // Giving the style is another mode: the source stays marked until it is applied.
             Case{EditModes::ChangeStyle, true, 1, 3, true},
             Case{EditModes::ChangeStyle, false, 1, 3, false},
             Case{EditModes::GetStyle, true, 0, 3, false},  // the source is on another page
             Case{EditModes::GetStyle, true, 1, 2, false},  // deleted: the page has no button 2
         }) {
        panel.EditMode = c.mode;
        panel.StyleSourceMarked = c.marked;
        panel.CurrentPage = c.currentPage;
        layout->Page(1).Button_Last = c.buttonLast;
        const EditMarks marks = EditMarksOf(*layout, panel, rects.data());
        ASSERT_EQ(marks.source.has_value(), c.framed) << c.mode << " " << c.currentPage;
        if (c.framed) {
            EXPECT_EQ(marks.source->x, 230);
            EXPECT_EQ(marks.source->width, 100);
        }
    }
}

TEST(BannerPlace, CentredOnTheTopEdgeButClearOfTheMenuPicture) {
    const Rect menu{0, 0, 48, 48};
    struct Case {
        int width;
        int visibleWidth;
        Rect menu;
        int x;
    };
    for (const Case& c : {
             Case{200, 800, menu, 300},
             Case{200, 401, menu, 100},
             Case{200, 300, menu, 56},    // centred would cover the menu picture
             Case{500, 300, menu, 56},    // wider than the page: starts after the menu
             Case{200, 300, Rect{}, 50},  // no menu picture
             Case{200, 300, {0, 0, 120, 0}, 50},
         }) {
        const Rect place = BannerPlace(c.width, 30, c.visibleWidth, BannerClear(c.menu, kMenuGap));
        EXPECT_EQ(place.x, c.x) << c.width << " on " << c.visibleWidth;
        EXPECT_EQ(place.y, 0);
        EXPECT_EQ(place.width, c.width);
        EXPECT_EQ(place.height, 30);
    }
}

// The link's banner is read from across the room: its letters as large as the room beside the
// menu picture allows, but never more than an eighth of the page shown, nor tiny on a small one.
TEST(BannerRoom, TheLetterSizeFillsTheRoomWithinItsBounds) {
    EXPECT_EQ(BannerRoom(800, BannerClear(Rect{0, 0, 48, 48}, 2)), 700);
    EXPECT_EQ(BannerRoom(100, 60), 0);
    struct Case {
        int widthAt100;
        int room;
        int visibleHeight;
        int pixels;
    };
    for (const Case& c : {
             Case{1500, 690, 480, 46},   // fits the room
             Case{1500, 1500, 480, 60},  // an eighth of the height
             Case{1500, 300, 480, kLeastRoomBannerPixels},
             Case{1500, 690, 100, kLeastRoomBannerPixels},
             Case{0, 690, 480, 60},  // no measure: as large as allowed
         }) {
        EXPECT_EQ(RoomBannerPixels(c.widthAt100, c.room, c.visibleHeight), c.pixels)
            << c.widthAt100 << " " << c.room << " " << c.visibleHeight;
    }
}

}  // namespace
