// The edit mode on a frameless panel, which has no title bar to show it in: chosen by touch, its
// banner is on the page until the mode ends, by touch or by itself once the panel is left alone.
// Read from the X server's screen.

#include <gtest/gtest.h>

#include <chrono>

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
