// The edit mode on a frameless panel, which has no title bar to show it in: chosen by touch, its
// banner is on the page until the mode ends. Read from the X server's screen.

#include <gtest/gtest.h>

#include "PanelOnScreen.h"
#include "model/EditMarks.h"

namespace {

/// Pixels of the banner's fill along the top edge of the panel.
int BannerPixels(const PanelOnScreen& panel, Colour fill) {
    const ScreenWindow window = panel.Window();
    const unsigned long rgb = (static_cast<unsigned long>(RedOf(fill)) << 16) |
                              (static_cast<unsigned long>(GreenOf(fill)) << 8) |
                              static_cast<unsigned long>(BlueOf(fill));
    return TheScreen().CountPixels(window.x, window.y, window.width, 60, rgb);
}

}  // namespace

TEST(EditBanner, AFramelessPanelShowsTheModeOnItsPageUntilItEnds) {
    PanelOnScreen panel([](Layout& layout) { layout.Form.Form_FullScreen = 1; });
    ASSERT_TRUE(panel.Started());
    const Layout& layout = panel.StartLayout();
    const Colour fill = MarkColoursOn(layout.Page(StartPageOf(layout)).BackColor1).fill;
    EXPECT_EQ(BannerPixels(panel, fill), 0);

    TheScreen().Click(panel.OpenMenu(), kMenuX, kMenuButtonMenuY);
    TheScreen().Click(panel.WaitOnTop("Button Menu"), kMenuX, kButtonMenuMoveY);
    ASSERT_TRUE(panel.WaitPanelOnTop());
    EXPECT_TRUE(WaitUntil([&] { return BannerPixels(panel, fill) > 2000; }))
        << BannerPixels(panel, fill) << " pixels of the banner";

    // Out of the mode the way a touch panel has: the menu area, "Back", "Close".
    panel.Touch(20, 20);
    TheScreen().Click(panel.WaitOnTop("Button Menu"), kMenuX, kButtonMenuBackY);
    TheScreen().Click(panel.WaitOnTop("Main Menü"), kMenuX, kMenuCloseY);
    ASSERT_TRUE(panel.WaitPanelOnTop());
    EXPECT_TRUE(WaitUntil([&] { return BannerPixels(panel, fill) == 0; }));
}
