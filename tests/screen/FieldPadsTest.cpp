// The dialogs' fields filled in by touch alone, on a frameless panel as panels are installed: a
// long touch opens the keypad or the keyboard over the dialog, their keys type, and "OK" passes
// the text on. No key of a keyboard is pressed.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "PanelOnScreen.h"
#include "model/File.h"
#include "model/Paths.h"

namespace {

using namespace std::chrono_literals;

constexpr Point kKeypadOne{8 + 24, 120 + 24};
constexpr Point kKeypadZero{8 + 24, 176 + 24};
constexpr Point kKeypadOk{64 + 52, 232 + 24};
constexpr Point kKeypadClear{120 + 24, 176 + 24};

}  // namespace

// The controller's address and the password set with the keypad and the keyboard, then stored
// from the menu.
TEST(FieldPads, MainSettingsByTouchAloneOnAFramelessPanel) {
    PanelOnScreen panel([](Layout& layout) {
        layout.Form.Form_FullScreen = 1;
        layout.Form.Destination_IP = {192, 168, 1, 5};
    });
    ASSERT_TRUE(panel.Started());
    TheScreen().Click(panel.OpenMenu(), 88, 132);  // "Main Settings"
    const ScreenWindow settings = panel.WaitOnTop("Main Settings");
    ASSERT_NE(settings.id, 0u);

    // A tap on a field opens nothing.
    TheScreen().Click(settings, 8 + 20, 184 + 12);
    std::this_thread::sleep_for(700ms);
    EXPECT_EQ(PanelOnScreen::Top().id, settings.id) << TheScreen().Describe();

    ScreenWindow keypad = panel.OpenPad(settings, {8 + 20, 184 + 12}, "Keyboard");
    ASSERT_NE(keypad.id, 0u);
    // The keypad starts from the field's 192: cleared, then 10.
    Touch(keypad, kKeypadClear);
    Touch(keypad, kKeypadOne);
    Touch(keypad, kKeypadZero);
    Touch(keypad, kKeypadOk);
    ASSERT_EQ(panel.WaitOnTop("Main Settings").id, settings.id);

    ScreenWindow keyboard = panel.OpenPad(settings, {8 + 136, 328 + 11}, "Text Keyboard");
    ASSERT_NE(keyboard.id, 0u);
    Touch(keyboard, kKeyboardClear);
    Touch(keyboard, KeyboardKey(1, 10));  // ü
    Touch(keyboard, KeyboardKey(0, 3));   // 3
    Touch(keyboard, kKeyboardOk);
    ASSERT_EQ(panel.WaitOnTop("Main Settings").id, settings.id);

    TheScreen().Click(settings, 208 + 37, 424 + 20);  // "OK"
    TheScreen().Click(panel.WaitOnTop("Main Menü"), kMenuX, kMenuStoreY);
    Layout stored;
    EXPECT_TRUE(WaitUntil(
        [&] {
            stored.ResetLayout();
            stored.Form.LayoutDirectory = TextFromNative(panel.Folder());
            return File().LoadLayout(stored) == FileStatus::Ok &&
                   stored.Form.Destination_IP[0] == 10;
        },
        10s));
    EXPECT_EQ(stored.Form.Destination_IP, (std::array<int, 4>{10, 168, 1, 5}));
    EXPECT_EQ(stored.Form.Form_Password, L"ü3");
    EXPECT_TRUE(panel.Running());
}
