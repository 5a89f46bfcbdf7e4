// Which window is on top, and whether it answers, as a user finds it on the screen: every dialog
// and message box above the window it was opened from, and that window on top again and working
// once it closes. Run on a bare X server and under openbox.

#include <gtest/gtest.h>

#include "PanelOnScreen.h"

namespace {

/// Points of the main menu's buttons, in its client area.
constexpr int kMenuX = 88;
constexpr int kMenuButtonMenuY = 36;
constexpr int kMenuPageSettingsY = 84;
constexpr int kMenuMainSettingsY = 132;
constexpr int kMenuPageSelectY = 180;
constexpr int kMenuTransmitY = 228;
constexpr int kMenuCloseY = 324;

/// Points of the transmit dialog's buttons.
constexpr int kTransmitActionX = 100;
constexpr int kTransmitLayoutY = 100;
constexpr int kTransmitPictureY = 156;
constexpr int kTransmitCancelX = 53;
constexpr int kTransmitOkX = 141;
constexpr int kTransmitBottomY = 220;

/// The window just below the top one.
ScreenWindow Second() {
    const std::vector<ScreenWindow> windows = TheScreen().Stacking();
    return windows.size() > 1 ? windows[1] : ScreenWindow();
}

/// The names "Store && Transmit Picture" sends for the demo layout: page pictures, then the
/// buttons' pictures, each once.
const char* const kDemoPictures[] = {"floorplan.png",      "garden.png",         "labelBar.png",
                                     "btnBlueOff.png",     "btnBluePress.png",   "btnBlueOn.png",
                                     "roundOff.png",       "roundPress.png",     "roundOn.png",
                                     "arrowLeft.png",      "arrowLeftPress.png", "arrowRight.png",
                                     "arrowRightPress.png"};

}  // namespace

// The whole round of a transfer by touch: the "OK" box over the transmit dialog, the dialog on top
// and answering once the box is gone, the pictures sent from there, and the way back to a panel
// that takes touches.
TEST(Stacking, TransmitLayoutThenPicturesByTouch) {
    ReceiverOnLoopback receiver;
    ASSERT_TRUE(receiver.Listening());
    PanelOnScreen panel(
        [&receiver](Layout& layout) { layout.Form.Transmit_IP = receiver.Address(); });
    ASSERT_TRUE(panel.Started());

    const ScreenWindow menu = panel.OpenMenu();
    TheScreen().Click(menu, kMenuX, kMenuTransmitY);
    const ScreenWindow transmit = panel.WaitOnTop("Transmit");
    ASSERT_NE(transmit.id, 0u);
    EXPECT_EQ(Second().title, "Main Menü") << TheScreen().Describe();

    TheScreen().Click(transmit, kTransmitActionX, kTransmitLayoutY);
    EXPECT_TRUE(receiver.Received("tvxdef.ini"));
    ScreenWindow box = panel.WaitMessageBoxOnTop();
    ASSERT_NE(box.id, 0u);
    EXPECT_EQ(Second().id, transmit.id)
        << "the box belongs over the dialog; " << TheScreen().Describe();
    ClickMessageButton(box);
    ASSERT_EQ(panel.WaitOnTop("Transmit").id, transmit.id);

    TheScreen().Click(transmit, kTransmitActionX, kTransmitPictureY);
    for (const char* picture : kDemoPictures) {
        EXPECT_TRUE(receiver.Received(picture)) << picture;
    }
    box = panel.WaitMessageBoxOnTop();
    ASSERT_NE(box.id, 0u);
    EXPECT_EQ(Second().id, transmit.id) << TheScreen().Describe();
    ClickMessageButton(box);
    ASSERT_EQ(panel.WaitOnTop("Transmit").id, transmit.id);

    TheScreen().Click(transmit, kTransmitOkX, kTransmitBottomY);
    const ScreenWindow menuAgain = panel.WaitOnTop("Main Menü");
    TheScreen().Click(menuAgain, kMenuX, kMenuCloseY);
    ASSERT_TRUE(panel.WaitPanelOnTop());
    // The panel answers touches again: the menu area opens the menu.
    EXPECT_NE(panel.OpenMenu().id, 0u);
    EXPECT_TRUE(panel.Running());
}
