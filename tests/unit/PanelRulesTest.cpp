// The panel's rules that need no window: hit test, lamp looks, page flips, keeping buttons on the
// page, grid snapping, insert and delete.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <iterator>
#include <memory>
#include <optional>
#include <vector>

#include "ButtonSamples.h"
#include "model/PageEditing.h"
#include "model/PanelRules.h"

namespace {

TEST(HitTest, EdgesBelongToTheButtonAndTheHighestNumberWins) {
    const std::vector<Rect> rects = {
        {100, 100, 100, 50},   // 0
        {300, 100, 100, 50},   // 1
        {0, 0, 0, 0},          // 2: a button without a picture
        {150, 120, 100, 50},   // 3: over 0
        {1000, 1000, 10, 10},  // 4: beyond the count given below
    };
    struct Case {
        PagePoint point;
        int hit;
    };
    for (const Case& c : {
             Case{{100, 100}, 0},   // top-left corner
             Case{{200, 150}, 3},   // bottom-right corner of 0, inside 3
             Case{{200, 110}, 0},   // right edge of 0, above 3
             Case{{120, 150}, 0},   // bottom edge of 0
             Case{{201, 110}, -1},  // just right of 0
             Case{{120, 151}, -1},  // just below 0
             Case{{99, 120}, -1},   // just left of 0
             Case{{160, 130}, 3},   // overlap: the higher number
             Case{{250, 170}, 3},   // bottom-right corner of 3
             Case{{400, 150}, 1},   // bottom-right corner of 1
             Case{{0, 0}, 2},       // the empty rectangle is its own corner
             Case{{1005, 1005}, -1},
             Case{{-1, -1}, -1},
         }) {
        SCOPED_TRACE(testing::Message() << c.point.x << "," << c.point.y);
        EXPECT_EQ(HitTest(rects.data(), 4, c.point), c.hit);
    }
    EXPECT_EQ(HitTest(rects.data(), 0, PagePoint{150, 120}), -1);
    EXPECT_EQ(HitTest(rects.data(), 1, PagePoint{160, 130}), 0);
}

class LampLookTest : public testing::Test {
  protected:
    void SetUp() override {
        layout = std::make_unique<Layout>();
        layout->Page(0).Button_Last = 96;
        layout->Page(10).Button_Last = 3;
        layout->Page(101).Button_Last = 2;
        // Lamps 0 and 2 (byte 0 = 0x05) and lamp 15 (top bit of byte 1) and 1007 (the last).
        std::uint8_t bitmap[LampBitmap::kBytes] = {};
        bitmap[0] = 0x05;
        bitmap[1] = 0x80;
        bitmap[125] = 0x80;
        lamps.Apply(bitmap);
    }

    int LookWithLed(int page, int button, int led) {
        layout->Button(page, button).Led = led;
        return LampLookOf(*layout, lamps, page, button);
    }

    std::unique_ptr<Layout> layout;
    LampBitmap lamps;
};

TEST_F(LampLookTest, LampIsBitNMod8OfByteNDiv8) {
    struct Case {
        int led;
        int look;
    };
    for (const Case& c : {Case{0, Looks::On}, Case{1, Looks::Off}, Case{2, Looks::On},
                          Case{3, Looks::Off}, Case{8, Looks::Off}, Case{14, Looks::Off},
                          Case{15, Looks::On}, Case{1006, Looks::Off}, Case{1007, Looks::On}}) {
        SCOPED_TRACE(c.led);
        EXPECT_EQ(LookWithLed(0, 5, c.led), c.look);
    }
}

TEST_F(LampLookTest, LampNumberOutsideTheBitmapShowsOff) {
    // All lamps lit: a wrong answer would be On.
    std::uint8_t all[LampBitmap::kBytes];
    std::fill(std::begin(all), std::end(all), 0xFF);
    lamps.Apply(all);
    for (const int led : {1008, 1015, 1600, 5000, -1, -8, INT_MAX, INT_MIN}) {
        SCOPED_TRACE(led);
        EXPECT_EQ(LookWithLed(0, 5, led), Looks::Off);
    }
    EXPECT_EQ(LookWithLed(0, 5, 1007), Looks::On);
}

TEST_F(LampLookTest, EveryButtonOfThePageHasALookAndNoOtherHas) {
    struct Case {
        int page;
        int button;
        int look;
    };
    for (const Case& c : {
             Case{0, 0, Looks::On},
             Case{0, 89, Looks::On},
             Case{0, 90, Looks::On},
             Case{0, 95, Looks::On},    // the last of 96
             Case{0, 96, Looks::None},  // beyond Button_Last
             Case{0, -1, Looks::None},
             Case{0, 101, Looks::None},
             Case{0, 102, Looks::None},  // beyond the tables
             Case{10, 2, Looks::On},     // the last page in use is drawn like any other
             Case{10, 3, Looks::None},
             Case{101, 1, Looks::On},
             Case{1, 0, Looks::None},  // a page without buttons
             Case{-1, 0, Looks::None},
             Case{102, 0, Looks::None},
         }) {
        SCOPED_TRACE(testing::Message() << c.page << "/" << c.button);
        if (Layout::IsPageSlot(c.page) && Layout::IsButtonSlot(c.button)) {
            layout->Button(c.page, c.button).Led = 0;
        }
        EXPECT_EQ(LampLookOf(*layout, lamps, c.page, c.button), c.look);
    }
}

TEST(PageflipTarget, OnlyPagesOfTheLayoutAreTargets) {
    struct Case {
        int pageflip;
        std::optional<int> target;
    };
    for (const Case& c :
         {Case{999, std::nullopt}, Case{0, 0}, Case{2, 2}, Case{10, 10}, Case{101, 101},
          Case{102, std::nullopt}, Case{150, std::nullopt}, Case{998, std::nullopt},
          Case{1000, std::nullopt}, Case{-1, std::nullopt}, Case{-3, std::nullopt},
          Case{INT_MIN, std::nullopt}, Case{INT_MAX, std::nullopt}}) {
        SCOPED_TRACE(c.pageflip);
        EXPECT_EQ(PageflipTarget(c.pageflip), c.target);
    }
}

TEST(KeepInsidePage, ItemReachingPastTheEdgeEndsAtIt) {
    struct Case {
        int position;
        int size;
        int page;
        int kept;
    };
    for (const Case& c :
         {Case{750, 100, 800, 700}, Case{700, 100, 800, 700}, Case{701, 100, 800, 700},
          Case{0, 100, 800, 0}, Case{-20, 100, 800, -20}, Case{460, 50, 480, 430},
          Case{10, 0, 800, 10}, Case{0, 900, 800, -100}, Case{INT_MAX, 100, 800, 700}}) {
        SCOPED_TRACE(testing::Message() << c.position << " + " << c.size << " on " << c.page);
        EXPECT_EQ(KeepInsidePage(c.position, c.size, c.page), c.kept);
    }
}

TEST(SnapToGrid, ButtonCentreSnapsToTheNearestLineOfACentredGrid) {
    struct Case {
        const char* name;
        int sizeX, sizeY, gridX, gridY;
        PagePoint pointer, grab;
        int width, height;
        PagePoint snapped;
    };
    const Case cases[] = {
        // Lines at 10 + 30 k: a centre at 423 goes to 430, so the left edge to 380.
        {"centre 423 on 800/30", 800, 480, 30, 20, {423, 225}, {50, 25}, 100, 50, {380, 195}},
        {"centre 424", 800, 480, 30, 20, {424, 225}, {50, 25}, 100, 50, {380, 195}},
        // Half way between the lines 400 and 430 goes to the later one.
        {"centre 415", 800, 480, 30, 20, {415, 225}, {50, 25}, 100, 50, {380, 195}},
        {"centre 414", 800, 480, 30, 20, {414, 225}, {50, 25}, 100, 50, {350, 195}},
        // 470 mod 20 = 10: the horizontal lines lie at 5 + 20 k.
        {"margin in y", 800, 470, 20, 20, {60, 100}, {10, 25}, 100, 50, {50, 80}},
        {"towards the top-left", 800, 480, 30, 20, {5, 5}, {50, 25}, 100, 50, {0, 0}},
        {"far off the top-left", 800, 480, 30, 20, {-500, -900}, {0, 0}, 100, 50, {0, 0}},
        {"past the bottom-right", 800, 480, 30, 20, {1000, 1000}, {0, 0}, 100, 50, {700, 430}},
        {"snapped past the edge", 800, 480, 30, 20, {745, 450}, {50, 25}, 100, 50, {700, 430}},
        {"grid 0 counts as 1", 800, 480, 0, 0, {423, 225}, {50, 25}, 100, 50, {373, 200}},
        {"grid -5 counts as 1", 800, 480, -5, -5, {423, 225}, {50, 25}, 100, 50, {373, 200}},
        {"wider than the page", 800, 480, 30, 20, {300, 300}, {0, 0}, 900, 600, {0, 0}},
        {"no picture", 800, 480, 20, 20, {333, 227}, {0, 0}, 0, 0, {340, 220}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FormSettings form;
        form.SizeX = c.sizeX;
        form.SizeY = c.sizeY;
        form.GridX = c.gridX;
        form.GridY = c.gridY;
        const PagePoint snapped = SnapToGrid(c.pointer, c.grab, c.width, c.height, form);
        EXPECT_EQ(snapped.x, c.snapped.x);
        EXPECT_EQ(snapped.y, c.snapped.y);
    }
}

/// A page whose first `count` slots (and any slot after) all differ in every field.
std::unique_ptr<Layout> NumberedButtons(int page, int buttons, int slots = kButtonSlots) {
    auto layout = std::make_unique<Layout>();
    layout->Page(page).Button_Last = buttons;
    for (int i = 0; i < slots; ++i) {
        layout->Button(page, i) = SampleButton(i);
    }
    return layout;
}

TEST(InsertButton, NewButtonAt50_0KeepsWhatTheSlotHeld) {
    auto layout = NumberedButtons(3, 4);
    const ButtonRecord slot = layout->Button(3, 4);
    ASSERT_TRUE(InsertButton(*layout, 3));
    EXPECT_EQ(layout->Page(3).Button_Last, 5);
    ButtonRecord expected = slot;
    expected.PosX = 50;
    expected.PosY = 0;
    EXPECT_EQ(layout->Button(3, 4), expected);
    EXPECT_EQ(layout->Button(3, 3), NumberedButtons(3, 4)->Button(3, 3));
}

TEST(InsertButton, FullPageIsRefusedAndTheLastSlotCanBeFilled) {
    auto layout = NumberedButtons(0, kButtonSlots - 1);
    ASSERT_TRUE(InsertButton(*layout, 0));
    EXPECT_EQ(layout->Page(0).Button_Last, kButtonSlots);
    EXPECT_EQ(layout->Button(0, kButtonSlots - 1).PosX, 50);

    const auto before = std::make_unique<Layout>(*layout);
    EXPECT_FALSE(InsertButton(*layout, 0));
    EXPECT_EQ(layout->Page(0).Button_Last, kButtonSlots);
    for (int i = 0; i < kButtonSlots; ++i) {
        EXPECT_EQ(layout->Button(0, i), before->Button(0, i));
    }
}

TEST(DeleteButton, LaterButtonsMoveDownWithEveryField) {
    struct Case {
        int count;
        int deleted;
    };
    for (const Case& c : {Case{5, 2}, Case{5, 0}, Case{5, 4}, Case{1, 0}, Case{kButtonSlots, 50},
                          Case{kButtonSlots, kButtonSlots - 1}}) {
        SCOPED_TRACE(testing::Message() << "button " << c.deleted << " of " << c.count);
        auto layout = NumberedButtons(7, c.count);
        const auto before = NumberedButtons(7, c.count);
        ASSERT_TRUE(DeleteButton(*layout, 7, c.deleted));
        EXPECT_EQ(layout->Page(7).Button_Last, c.count - 1);
        for (int i = 0; i < kButtonSlots; ++i) {
            // Below the deleted one nothing moves; from it on, each slot takes its successor's
            // fields up to the first free slot, which is copied down too; above that nothing
            // changes.
            const int from = i < c.deleted || i > c.count - 1 || i + 1 >= kButtonSlots ? i : i + 1;
            EXPECT_EQ(layout->Button(7, i), before->Button(7, from)) << i;
        }
    }
}

TEST(DeleteButton, ButtonThePageDoesNotHaveChangesNothing) {
    const auto untouched = NumberedButtons(0, 5);
    for (const int button : {-1, 5, 6, 101, 102, INT_MIN}) {
        SCOPED_TRACE(button);
        auto layout = NumberedButtons(0, 5);
        EXPECT_FALSE(DeleteButton(*layout, 0, button));
        EXPECT_EQ(layout->Page(0).Button_Last, 5);
        for (int i = 0; i < 7; ++i) {
            EXPECT_EQ(layout->Button(0, i), untouched->Button(0, i));
        }
    }
}

TEST(StartPageOf, AStartPageTheLayoutLacksStartsOnTheFirstPage) {
    auto layout = std::make_unique<Layout>();
    for (const auto& [start, page] : {std::pair{0, 0}, {4, 4}, {10, 10}, {11, 0}, {-1, 0}}) {
        layout->Form.Form_PageStart = start;
        EXPECT_EQ(StartPageOf(*layout), page) << start;
    }
}

TEST(ResumeOnNewLayout, TheRunKeepsWhatIsItsOwnAndEndsWhatBelongedToTheOldLayout) {
    auto old = std::make_unique<Layout>();
    old->Form.Form_Password = L"1234";
    auto fresh = std::make_unique<Layout>();
    fresh->Form.Form_Password = L"1234";
    fresh->Form.Form_PageStart = 2;

    PanelState panel;
    panel.CurrentPage = 7;
    panel.SelectedButton = 3;
    panel.EditMode = EditModes::Move;
    panel.LayoutChanged = 1;
    panel.MenuUnlocked = 1;
    panel.StatusText = L"Keine Verbindung";
    panel.Lamps.Set(17, true);
    panel.HeldButton = ButtonRef{3, 7};
    panel.MoveUnderWay = true;
    panel.StyleSource = ButtonRef{5, 1};
    panel.GrabOffset = PagePoint{4, 4};
    panel.LastMovePos = PagePoint{100, 60};
    panel.CopyChoices = {1, 0, 1, 1, 0, 1};

    ResumeOnNewLayout(panel, *old, *fresh);
    EXPECT_EQ(panel.CurrentPage, 7);
    EXPECT_EQ(panel.SelectedButton, -1);
    EXPECT_EQ(panel.EditMode, EditModes::Normal);
    EXPECT_EQ(panel.LayoutChanged, 0);
    EXPECT_EQ(panel.MenuUnlocked, 1);
    EXPECT_EQ(panel.StatusText, L"Keine Verbindung");
    EXPECT_TRUE(panel.Lamps.IsOn(17));
    EXPECT_EQ(panel.HeldButton.button, -1);
    EXPECT_EQ(panel.HeldButton.page, -1);
    EXPECT_FALSE(panel.MoveUnderWay);
    EXPECT_EQ(panel.StyleSource.button, -1);
    EXPECT_EQ(panel.GrabOffset, (PagePoint{0, 0}));
    EXPECT_EQ(panel.LastMovePos, (PagePoint{-1, -1}));
    EXPECT_EQ(panel.CopyChoices, (std::array<int, 6>{1, 0, 1, 1, 0, 1}));

    // Another password locks the menu again; a page the layout lacks gives its start page.
    fresh->Form.Form_Password = L"";
    panel.CurrentPage = 11;
    ResumeOnNewLayout(panel, *old, *fresh);
    EXPECT_EQ(panel.MenuUnlocked, 0);
    EXPECT_EQ(panel.CurrentPage, 2);
}

TEST(FitWindow, TheWholeWindowIsOnTheDisplayAndAWindowThatFitsStaysWhereItIs) {
    const Rect display{0, 0, 1280, 1024};
    struct Case {
        int sizeX, sizeY;  // the layout's page
        int frameX, frameY;
        Rect window;  // where the window was built (centred at the layout's size)
        WindowFit fit;
    };
    for (const Case& c : {
             // Fits: stays centred, with and without a frame.
             Case{800, 480, 0, 0, {240, 272, 800, 480}, {800, 480, 240, 272}},
             Case{800, 480, 2, 25, {239, 260, 802, 505}, {800, 480, 239, 260}},
             // Larger than the display: shrunk to it, the frame included, and moved onto it.
             Case{1920, 1080, 0, 0, {-320, -28, 1920, 1080}, {1280, 1024, 0, 0}},
             Case{1920, 1080, 2, 25, {-320, -28, 1922, 1105}, {1278, 999, 0, 0}},
             Case{4000, 300, 0, 0, {-1360, 362, 4000, 300}, {1280, 300, 0, 362}},
             Case{9999, 9999, 2, 25, {-4359, -4487, 10001, 10024}, {1278, 999, 0, 0}},
             // Fits but was moved partly off: back onto the display as far as needed.
             Case{800, 480, 0, 0, {-100, 900, 800, 480}, {800, 480, 0, 544}},
         }) {
        FormSettings form;
        form.SizeX = c.sizeX;
        form.SizeY = c.sizeY;
        const WindowFit fit = FitWindow(display, c.frameX, c.frameY, form, c.window);
        EXPECT_EQ(fit.clientWidth, c.fit.clientWidth) << c.sizeX << "x" << c.sizeY;
        EXPECT_EQ(fit.clientHeight, c.fit.clientHeight) << c.sizeX << "x" << c.sizeY;
        EXPECT_EQ(fit.x, c.fit.x) << c.sizeX << "x" << c.sizeY;
        EXPECT_EQ(fit.y, c.fit.y) << c.sizeX << "x" << c.sizeY;
        // The client area lies within the display.
        EXPECT_GE(fit.x, display.x);
        EXPECT_LE(fit.x + fit.clientWidth + c.frameX, display.x + display.width);
        EXPECT_LE(fit.y + fit.clientHeight + c.frameY, display.y + display.height);
    }
    // A display that does not start at the origin (a panel beside others).
    FormSettings form;
    form.SizeX = 1920;
    form.SizeY = 1080;
    const WindowFit fit = FitWindow(Rect{1280, 0, 1024, 768}, 0, 0, form, Rect{0, 0, 1920, 1080});
    EXPECT_EQ(fit.x, 1280);
    EXPECT_EQ(fit.clientWidth, 1024);
}

TEST(MostPicturePixels, FourTimesThePageWithinSixteenAndSixtyFourMegapixels) {
    Layout layout;
    layout.Form.SizeX = 800;
    layout.Form.SizeY = 480;
    EXPECT_EQ(MostPicturePixels(layout), 4096u * 4096u);
    layout.Form.SizeX = 3840;
    layout.Form.SizeY = 2160;
    EXPECT_EQ(MostPicturePixels(layout), 4u * 3840u * 2160u);
    layout.Form.SizeX = 9999;
    layout.Form.SizeY = 9999;
    EXPECT_EQ(MostPicturePixels(layout), 8192u * 8192u);
    layout.Form.SizeX = -5;  // a damaged file
    EXPECT_EQ(MostPicturePixels(layout), 4096u * 4096u);
}

}  // namespace

TEST(SelectedTaster, OnlyASelectedButtonOfThePageInLanModeSendsItsValue) {
    auto layout = std::make_unique<Layout>();
    layout->Button(3, 7).Taster = 42;
    struct Case {
        int modus;
        int selected;
        std::optional<int> taster;
    };
    for (const Case& c : {Case{1, 7, 42}, Case{1, -1, std::nullopt}, Case{0, 7, std::nullopt},
                          Case{2, 7, std::nullopt}, Case{1, kButtonSlots, std::nullopt}}) {
        layout->Form.Form_ConnectModus = c.modus;
        PanelState panel;
        panel.CurrentPage = 3;
        panel.SelectedButton = c.selected;
        EXPECT_EQ(SelectedTaster(*layout, panel), c.taster) << c.modus << " " << c.selected;
    }
}

TEST(RaiseToSmallestPanel, APanelIsAtLeast200By200AndALargerOneKeepsItsSize) {
    for (const auto& [asked, got] : {std::pair{0, 200}, {199, 200}, {200, 200}, {800, 800}}) {
        FormSettings form;
        form.SizeX = asked;
        form.SizeY = asked + 1;
        RaiseToSmallestPanel(form);
        EXPECT_EQ(form.SizeX, got) << asked;
        EXPECT_EQ(form.SizeY, std::max(asked + 1, 200)) << asked;
    }
}
