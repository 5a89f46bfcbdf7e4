// Where a window goes on a small display, and how a dialog taller than the display is compacted.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/WindowPlacement.h"

namespace {

/// "WxH+X+Y", as X tools write a window's place.
std::string Text(const Rect& rect) {
    return std::to_string(rect.width) + "x" + std::to_string(rect.height) + "+" +
           std::to_string(rect.x) + "+" + std::to_string(rect.y);
}

TEST(PlaceWithin, AWindowThatFitsStaysAndAnyOtherIsMovedAndCutTheLeastIntoTheArea) {
    const Rect display{0, 0, 800, 480};
    const Rect belowBar{0, 30, 1024, 570};  // a task bar along the top
    const Rect beside{1280, 0, 800, 480};   // the second of two displays
    const struct {
        Rect area;
        Rect window;
        Rect placed;
    } cases[] = {
        {display, {250, 80, 302, 340}, {250, 80, 302, 340}},
        {display, {0, 0, 800, 480}, {0, 0, 800, 480}},
        // A chooser built for a larger screen: cut to the area, its corner on it.
        {display, {-148, -171, 1096, 822}, {0, 0, 800, 480}},
        // A framed dialog centred over the panel, 2 pixels too tall.
        {display, {249, -11, 302, 482}, {249, 0, 302, 480}},
        // Partly off the right and the bottom: moved back as far as needed.
        {display, {700, 400, 175, 312}, {625, 168, 175, 312}},
        {belowBar, {100, 0, 300, 200}, {100, 30, 300, 200}},
        {belowBar, {0, 0, 1096, 822}, {0, 30, 1024, 570}},
        {beside, {0, 0, 300, 200}, {1280, 0, 300, 200}},
        {beside, {2000, 400, 300, 200}, {1780, 280, 300, 200}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Text(PlaceWithin(c.area, c.window)), Text(c.placed))
            << Text(c.window) << " in " << Text(c.area);
    }
}

TEST(CompactRows, TheWidestRoomsBetweenRowsGiveFirstThenTheMargins) {
    const struct {
        const char* what;
        std::vector<RowSpan> controls;
        int height;
        int available;
        std::vector<int> tops;
        int compacted;
    } cases[] = {
        {"fits: as it is", {{16, 24}, {48, 40}}, 100, 100, {16, 48}, 100},
        {"nothing to move", {}, 500, 400, {}, 500},
        // Rooms of 8 and 20 between three rows: the 20 gives 6 before the 8 gives anything.
        {"widest room first",
         {{10, 20}, {38, 20}, {78, 20}, {110, 10}},
         130,
         124,
         {10, 38, 72, 104},
         124},
        {"then rooms alike", {{10, 20}, {38, 20}, {78, 20}}, 108, 92, {10, 36, 62}, 92},
        // Controls side by side move as one row; the order given is kept in the answer.
        {"side by side", {{60, 30}, {10, 20}, {70, 10}, {10, 30}}, 100, 90, {50, 10, 60, 10}, 90},
        // The rooms down to the least, then the margins, the wider one first.
        {"margins last", {{20, 20}, {48, 20}, {80, 20}}, 110, 90, {12, 36, 60}, 90},
        // As far as it goes: every room and margin at the least, still too tall.
        {"too tall", {{20, 100}, {140, 100}}, 260, 200, {4, 108}, 212},
        // A control reaching past the client area leaves no margin to give.
        {"past the bottom", {{10, 20}, {50, 60}}, 100, 90, {10, 40}, 90},
    };
    for (const auto& c : cases) {
        const CompactedRows rows = CompactRows(c.controls, c.height, c.available);
        EXPECT_EQ(rows.tops, c.tops) << c.what;
        EXPECT_EQ(rows.height, c.compacted) << c.what;
    }
}

}  // namespace
