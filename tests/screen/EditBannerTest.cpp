// The banners of a frameless panel, which has no title bar: the edit mode chosen by touch is on
// its page until the mode ends, by touch or by itself once the panel is left alone, and a
// controller link that is down is said over the page, above any button, until the controller is
// there. Read from the X server's screen.

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <string>

#include "PanelOnScreen.h"

namespace {

using namespace std::chrono_literals;

/// Points of the main settings' and the password prompt's fields and buttons, in their client
/// areas.
constexpr Point kSettingsPassword{8 + 136, 328 + 11};
constexpr Point kSettingsOk{208 + 37, 424 + 20};
constexpr Point kPromptEntry{8 + 92, 16 + 11};
constexpr Point kPromptOk{112 + 37, 48 + 20};
/// "4711" on the on-screen keyboard.
constexpr Point kPassword[] = {KeyboardKey(0, 4), KeyboardKey(0, 7), KeyboardKey(0, 1),
                               KeyboardKey(0, 1)};

/// Types the password on the keyboard that a long touch on `field` of `dialog` opens.
void TypePassword(const PanelOnScreen& panel, const ScreenWindow& dialog, Point field) {
    const ScreenWindow keyboard = panel.OpenPad(dialog, field, "Text Keyboard");
    Touch(keyboard, kKeyboardClear);
    for (const Point key : kPassword) {
        Touch(keyboard, key);
    }
    Touch(keyboard, kKeyboardOk);
}

}  // namespace

TEST(EditBanner, AFramelessPanelShowsTheModeOnItsPageUntilItEnds) {
    PanelOnScreen panel([](Layout& layout) { layout.Form.Form_FullScreen = 1; });
    ASSERT_TRUE(panel.Started());
    EXPECT_EQ(panel.BannerPixels(), 0);

    TheScreen().Click(panel.OpenMenu(), kMenuX, kMenuButtonMenuY);
    TheScreen().Click(panel.WaitOnTop("Button Menu"), kMenuX, kButtonMenuMoveY);
    ASSERT_TRUE(panel.WaitPanelOnTop());
    EXPECT_TRUE(WaitUntil([&] { return panel.BannerPixels() > 2000; }))
        << panel.BannerPixels() << " pixels of the banner";

    // Out of the mode the way a touch panel has: the menu area, "Back", "Close".
    panel.Touch(20, 20);
    TheScreen().Click(panel.WaitOnTop("Button Menu"), kMenuX, kButtonMenuBackY);
    TheScreen().Click(panel.WaitOnTop("Main Menü"), kMenuX, kMenuCloseY);
    ASSERT_TRUE(panel.WaitPanelOnTop());
    EXPECT_TRUE(WaitUntil([&] { return panel.BannerPixels() == 0; }));
}

// The owner sets a password, edits and walks away with the mode still on; the next person who
// passes finds the mode over and the menu behind its password again. The lock time is shortened
// from the command line.
TEST(EditBanner, TheHallwayWalkEndsBehindThePassword) {
    PanelOnScreen panel([](Layout& layout) { layout.Form.Form_FullScreen = 1; },
                        PanelOnScreen::Start::WithTheFolder, {"--lock-after", "4"});
    ASSERT_TRUE(panel.Started());

    // The password, set by touch in the main settings; the menu then asks for it.
    TheScreen().Click(panel.OpenMenu(), kMenuX, kMenuMainSettingsY);
    const ScreenWindow settings = panel.WaitOnTop("Main Settings");
    TypePassword(panel, settings, kSettingsPassword);
    Touch(panel.WaitOnTop("Main Settings"), kSettingsOk);
    TheScreen().Click(panel.WaitOnTop("Main Menü"), kMenuX, kMenuCloseY);
    ASSERT_TRUE(panel.WaitPanelOnTop());
    panel.Touch(20, 20);
    const ScreenWindow prompt = panel.WaitOnTop("Password");
    TypePassword(panel, prompt, kPromptEntry);
    Touch(panel.WaitOnTop("Password"), kPromptOk);

    // An edit: the move mode, its banner on the page.
    TheScreen().Click(panel.WaitOnTop("Main Menü"), kMenuX, kMenuButtonMenuY);
    TheScreen().Click(panel.WaitOnTop("Button Menu"), kMenuX, kButtonMenuMoveY);
    ASSERT_TRUE(panel.WaitPanelOnTop());
    EXPECT_TRUE(WaitUntil([&] { return panel.BannerPixels() > 2000; }));

    // Nobody touches the panel: the mode ends by itself.
    const auto left = std::chrono::steady_clock::now();
    EXPECT_TRUE(WaitUntil([&] { return panel.BannerPixels() == 0; }, 15s));
    const auto ended = std::chrono::steady_clock::now() - left;
    EXPECT_GE(ended, 3s) << "not before the lock time";
    testing::Test::RecordProperty(
        "mode_ended_after_ms",
        std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(ended).count()));

    // The next touch on the menu corner asks for the password, not for the button menu.
    panel.Touch(20, 20);
    EXPECT_NE(panel.WaitOnTop("Password").id, 0u) << TheScreen().Describe();
    EXPECT_TRUE(panel.Running());
}

// The demo's start page with "Licht Küche" (140 x 70) moved to the top edge, the controller's
// address one where nobody listens yet.
TEST(LinkBanner, AFramelessPanelSaysOverItsPageThatTheLinkIsDown) {
    constexpr unsigned long kFill = 0xBE0000;
    constexpr unsigned long kWhite = 0xFFFFFF;
    constexpr int kButtonX = 330;
    const std::array<int, 4> address = LoopbackAddress(true);
    PanelOnScreen panel([&address](Layout& layout) {
        layout.Form.Form_FullScreen = 1;
        layout.Form.Form_ConnectModus = 1;
        layout.Form.Destination_IP = address;
        layout.Button(0, 1).PosX = kButtonX;
        layout.Button(0, 1).PosY = 0;
    });
    ASSERT_TRUE(panel.Started());
    const ScreenWindow window = panel.Window();
    const auto fill = [&window](int x, int y, int width, int height) {
        return TheScreen().CountPixels(window.x + x, window.y + y, width, height, kFill);
    };
    EXPECT_TRUE(WaitUntil([&] { return fill(0, 0, window.width, 20) > 5000; }))
        << fill(0, 0, window.width, 20) << " pixels of the banner on the top edge";
    EXPECT_GT(fill(kButtonX, 0, 140, 20), 1000) << "the button covers the banner";
    EXPECT_EQ(fill(0, 0, 48, 48), 0) << "the banner covers the menu picture";
    // Letters large enough to read across the room, white on the fill.
    EXPECT_GT(fill(100, 48, 600, 4), 1000) << "a banner less than 50 pixels high";
    EXPECT_GT(TheScreen().CountPixels(window.x + 60, window.y + 6, 680, 40, kWhite), 3000);

    ChildProcess sim(kSimPath, {"--listen", AddressText(address) + ":4001"});
    ASSERT_TRUE(sim.Out().SkipTo("client connected", 10s));
    EXPECT_TRUE(WaitUntil([&] { return fill(0, 0, window.width, 60) == 0; }))
        << "the banner stayed after the reconnect";
}
