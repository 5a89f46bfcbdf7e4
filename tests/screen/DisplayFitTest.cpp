// Every window the panel opens on the small displays panels have, by touch alone from a frameless
// panel: each one's place read from the X server and wholly inside the work area, and its
// "OK", "Cancel" or "Open" hit by a real click. A window manager that iconifies a window must not
// lose the panel; a framed panel maximised shows its page on the page's own background.

#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <thread>

#include "PanelOnScreen.h"
#include "model/PanelRules.h"

/// A screen size as X tools write it, for the tests' names.
void PrintTo(const ScreenSize& size, std::ostream* out) {
    *out << size.width << "x" << size.height;
}

namespace {

using namespace std::chrono_literals;

/// The test's screen at another size; the screen of the other tests again when it goes.
class ScreenOfSize {
  public:
    explicit ScreenOfSize(ScreenSize size) : m_started(TheScreen().Restart(size)) {}
    ~ScreenOfSize() { TheScreen().Restart(ScreenSize()); }
    ScreenOfSize(const ScreenOfSize&) = delete;
    ScreenOfSize& operator=(const ScreenOfSize&) = delete;
    bool Started() const { return m_started; }

  private:
    bool m_started;
};

std::string Text(const ScreenRect& rect) {
    return std::to_string(rect.width) + "x" + std::to_string(rect.height) + "+" +
           std::to_string(rect.x) + "+" + std::to_string(rect.y);
}

/// Whether the whole window, its frame included, lies inside the work area.
bool IsInside(const ScreenWindow& window) {
    const ScreenRect area = TheScreen().WorkArea();
    const ScreenRect& outer = window.outer;
    return outer.x >= area.x && outer.y >= area.y && outer.x + outer.width <= area.x + area.width &&
           outer.y + outer.height <= area.y + area.height;
}

/// Expects the whole window, its frame included, inside the work area, and writes its place to
/// the test's output.
ScreenWindow Inside(const ScreenWindow& window, const std::string& what) {
    std::cout << "[  PLACE   ] " << what << ": "
              << Text(ScreenRect{window.x, window.y, window.width, window.height})
              << " (whole: " << Text(window.outer) << ")" << std::endl;
    EXPECT_TRUE(IsInside(window)) << what << " at " << Text(window.outer)
                                  << " is not inside the work area "
                                  << Text(TheScreen().WorkArea());
    return window;
}

/// The window on top that `wanted` accepts, once it is inside the work area: a window appears
/// at its own size and place and is fitted to the display as it is shown.
ScreenWindow OnTopInside(const PanelOnScreen& panel,
                         const std::function<bool(const ScreenWindow&)>& wanted,
                         const std::string& what) {
    const ScreenWindow top = panel.WaitOnTop(
        [&wanted](const ScreenWindow& window) { return wanted(window) && IsInside(window); },
        what + " inside the work area");
    return Inside(top.id != 0 ? top : PanelOnScreen::Top(), what);
}

/// The window of that title on top, inside the work area.
ScreenWindow OnTopInside(const PanelOnScreen& panel, const std::string& title) {
    return OnTopInside(
        panel, [&title](const ScreenWindow& top) { return top.title == title; }, title);
}

/// A window without a title on top (a message box, the style copy), inside the work area.
ScreenWindow UntitledOnTopInside(const PanelOnScreen& panel, const std::string& what) {
    const unsigned long panelId = panel.Window().id;
    return OnTopInside(
        panel,
        [panelId](const ScreenWindow& top) {
            return top.id != 0 && top.id != panelId && top.title.empty();
        },
        what);
}

/// A touch on a button of a row along the bottom of a dialog, `fromBottom` pixels above the
/// bottom edge of its client area: a dialog compacted to fit keeps that row's distance.
void TouchBottomRow(const ScreenWindow& window, int x, int fromBottom) {
    TheScreen().Click(window, x, window.height - fromBottom);
}

/// The toolkit's choosers have their buttons in the bottom right corner: "Cancel", then "Open"
/// or "Select".
void TouchChooserCancel(const ScreenWindow& chooser) {
    TouchBottomRow(chooser, chooser.width - 140, 28);
}
void TouchChooserOpen(const ScreenWindow& chooser) {
    TouchBottomRow(chooser, chooser.width - 50, 28);
}

/// Opens a chooser from `dialog` by a touch at (x, y), checks its place and leaves it with its
/// "Cancel": the dialog is on top again.
void ChooserFrom(const PanelOnScreen& panel, const ScreenWindow& dialog, int x, int y,
                 const std::string& title) {
    SCOPED_TRACE(title + " over " + dialog.title);
    TheScreen().Click(dialog, x, y);
    TouchChooserCancel(OnTopInside(panel, title));
    EXPECT_EQ(panel.WaitOnTop(dialog.title).id, dialog.id);
}

std::string NameOf(const testing::TestParamInfo<ScreenSize>& info) {
    return std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
}

class EveryWindow : public testing::TestWithParam<ScreenSize> {};

}  // namespace

// The whole round a user makes on a new panel: the folder chooser at the start, the password
// typed on the keyboard, every dialog of the menu with its choosers, the keypad, a message box,
// the button settings with theirs, and the style copy.
TEST_P(EveryWindow, ByTouchFromAFramelessPanel) {
    const ScreenOfSize screen(GetParam());
    ASSERT_TRUE(screen.Started());
    const std::array<int, 4> nobody = LoopbackAddress(false);
    PanelOnScreen panel(
        [&nobody](Layout& layout) {
            layout.Form.Form_FullScreen = 1;
            layout.Form.Form_Password = L"3";
            layout.Form.Transmit_IP = nobody;
        },
        PanelOnScreen::Start::ChooserLeftOpen);
    TouchChooserOpen(OnTopInside(panel, "Select directory"));
    ASSERT_TRUE(panel.WaitForStartPage());
    Inside(panel.Window(), "the panel");

    panel.Touch(20, 20);
    TheScreen().Click(OnTopInside(panel, "Password"), 16 + 37, 48 + 20);  // "Cancel"
    ASSERT_TRUE(panel.WaitPanelOnTop());
    panel.Touch(20, 20);
    const ScreenWindow password = OnTopInside(panel, "Password");
    TheScreen().Click(password, 8 + 92, 16 + 11, kLongTouch);
    const ScreenWindow keyboard = OnTopInside(panel, "Text Keyboard");
    TheScreen().Click(keyboard, 8 + 3 * 56 + 24, 64 + 24);              // "3"
    TouchBottomRow(keyboard, 8 + 560 + 52, 32);                         // "OK"
    TheScreen().Click(panel.WaitOnTop("Password"), 112 + 37, 48 + 20);  // "OK"

    ScreenWindow menu = OnTopInside(panel, "Main Menü");
    TheScreen().Click(menu, kMenuX, kMenuPageSettingsY);
    const ScreenWindow pageSettings = OnTopInside(panel, "Page Settings");
    ChooserFrom(panel, pageSettings, 260, 67, "Select file");
    ChooserFrom(panel, pageSettings, 248, 163, "Choose colour");
    TouchBottomRow(pageSettings, 157, 35);  // "Cancel"

    TheScreen().Click(panel.WaitOnTop("Main Menü"), kMenuX, kMenuMainSettingsY);
    const ScreenWindow mainSettings = OnTopInside(panel, "Main Settings");
    TheScreen().Click(mainSettings, 8 + 20, 40 + 12, kLongTouch);  // "Size X"
    TouchBottomRow(OnTopInside(panel, "Keyboard"), 8 + 24, 35);    // "Cancel"
    EXPECT_EQ(panel.WaitOnTop("Main Settings").id, mainSettings.id);
    TouchBottomRow(mainSettings, 120 + 37, 38);  // "Cancel"

    TheScreen().Click(panel.WaitOnTop("Main Menü"), kMenuX, kMenuPageSelectY);
    TouchBottomRow(OnTopInside(panel, "Page Select"), 88, 31);  // "Back"

    TheScreen().Click(panel.WaitOnTop("Main Menü"), kMenuX, kMenuTransmitY);
    const ScreenWindow transmit = OnTopInside(panel, "Transmit");
    TheScreen().Click(transmit, 100, 100);  // "Store && Transmit Layout" to nobody
    ClickMessageButton(UntitledOnTopInside(panel, "the message box"));
    TouchBottomRow(panel.WaitOnTop("Transmit"), 16 + 37, 44);  // "Cancel"

    TheScreen().Click(panel.WaitOnTop("Main Menü"), kMenuX, kMenuButtonMenuY);
    TheScreen().Click(OnTopInside(panel, "Button Menu"), kMenuX, kButtonMenuSettingsY);
    ASSERT_TRUE(panel.WaitPanelOnTop());
    const PagePoint source = InsideButton(panel.StartLayout(), 1);
    panel.Touch(source.x, source.y);
    const ScreenWindow buttonSettings = OnTopInside(panel, "Button Settings");
    ChooserFrom(panel, buttonSettings, 236, 227, "Select file");
    ChooserFrom(panel, buttonSettings, 204, 99, "Choose font");
    ChooserFrom(panel, buttonSettings, 260, 99, "Choose colour");
    TouchBottomRow(buttonSettings, 120 + 37, 34);  // "Cancel"
    ASSERT_TRUE(panel.WaitPanelOnTop());

    // The style copy: a style taken from one button and given to another.
    panel.Touch(20, 20);
    TheScreen().Click(panel.WaitOnTop("Button Menu"), kMenuX, kButtonMenuGetStyleY);
    ASSERT_TRUE(panel.WaitPanelOnTop());
    panel.Touch(source.x, source.y);
    panel.Touch(20, 20);
    TheScreen().Click(panel.WaitOnTop("Button Menu"), kMenuX, kButtonMenuChangeStyleY);
    ASSERT_TRUE(panel.WaitPanelOnTop());
    const PagePoint target = InsideButton(panel.StartLayout(), 3);
    panel.Touch(target.x, target.y);
    TouchBottomRow(UntitledOnTopInside(panel, "the style copy"), 120 + 37, 41);  // "Cancel"
    ASSERT_TRUE(panel.WaitPanelOnTop());
    panel.Touch(20, 20);
    TheScreen().Click(panel.WaitOnTop("Button Menu"), kMenuX, kButtonMenuBackY);
    TheScreen().Click(panel.WaitOnTop("Main Menü"), kMenuX, kMenuCloseY);
    EXPECT_TRUE(panel.WaitPanelOnTop());
}

INSTANTIATE_TEST_SUITE_P(SmallDisplays, EveryWindow,
                         testing::Values(ScreenSize{800, 480}, ScreenSize{1024, 600}), NameOf);

namespace {

/// Whether `window` is on the screen within a second and a touch on it is answered by `answer`
/// on top within a second.
bool BackAndAnswering(const ScreenWindow& window, const std::function<void()>& touch,
                      const std::function<bool()>& answered) {
    const auto shown = [&window] {
        for (const ScreenWindow& on : TheScreen().Stacking()) {
            if (on.id == window.id) {
                return true;
            }
        }
        return false;
    };
    if (!WaitUntil(shown, 1s)) {
        ADD_FAILURE() << "\"" << window.title << "\" is not back; " << TheScreen().Describe();
        return false;
    }
    touch();
    if (!WaitUntil(answered, 1s)) {
        ADD_FAILURE() << "\"" << window.title << "\" does not answer; " << TheScreen().Describe();
        return false;
    }
    return true;
}

}  // namespace

// The window manager asked to iconify the keypad (a touch on its "_" does that under openbox:
// the whole group goes) and then the frameless panel itself: each time the panel is back at
// once and takes the next touch. A framed panel on a desktop may be minimised like any window.
TEST(IconifyRequest, LeavesAFramelessPanelOnTheScreenAndAnswering) {
    const ScreenOfSize screen(ScreenSize{800, 480});
    ASSERT_TRUE(screen.Started());
    {
        PanelOnScreen panel([](Layout& layout) { layout.Form.Form_FullScreen = 1; });
        ASSERT_TRUE(panel.Started());
        TheScreen().Click(panel.OpenMenu(), kMenuX, kMenuMainSettingsY);
        const ScreenWindow settings = panel.WaitOnTop("Main Settings");
        TheScreen().Click(settings, 8 + 20, 40 + 12, kLongTouch);
        const ScreenWindow keypad = panel.WaitOnTop("Keyboard");
        ASSERT_NE(keypad.id, 0u);

        TheScreen().Iconify(keypad);
        EXPECT_TRUE(BackAndAnswering(
            keypad, [&keypad] { TouchBottomRow(keypad, 8 + 24, 35); },  // "Cancel"
            [&settings] { return PanelOnScreen::Top().id == settings.id; }));
        TouchBottomRow(settings, 120 + 37, 38);  // "Cancel"
        TheScreen().Click(panel.WaitOnTop("Main Menü"), kMenuX, kMenuCloseY);
        ASSERT_TRUE(panel.WaitPanelOnTop());

        TheScreen().Iconify(panel.Window());
        const ScreenWindow window = panel.Window();
        EXPECT_TRUE(BackAndAnswering(
            window, [&panel] { panel.Touch(20, 20); },
            [] { return PanelOnScreen::Top().title == "Main Menü"; }));
        EXPECT_TRUE(panel.Running());
    }
    PanelOnScreen framed;
    ASSERT_TRUE(framed.Started());
    const ScreenWindow window = framed.Window();
    TheScreen().Iconify(window);
    std::this_thread::sleep_for(1s);
    // Minimised under a window manager; without one nobody iconifies anything.
    EXPECT_EQ(framed.PanelOnTop(), !TheScreen().HasWindowManager()) << TheScreen().Describe();
}

// A framed panel maximised by the window manager: the page at its corner, and beside and below it
// the page's own background, no grey.
TEST(Maximised, AFramedPanelShowsThePageOnItsOwnBackground) {
    if (!TheScreen().HasWindowManager()) {
        GTEST_SKIP() << "without a window manager nothing maximises a window";
    }
    PanelOnScreen panel;
    ASSERT_TRUE(panel.Started());
    TheScreen().Maximise(panel.Window());
    const ScreenRect area = TheScreen().WorkArea();
    ASSERT_TRUE(WaitUntil([&] { return panel.Window().width == area.width; }))
        << TheScreen().Describe();
    std::this_thread::sleep_for(500ms);

    const Layout& layout = panel.StartLayout();
    const PageRecord& page = layout.Page(StartPageOf(layout));
    const ScreenWindow window = panel.Window();
    const int besideX = window.x + layout.Form.SizeX;
    const int besideWidth = window.width - layout.Form.SizeX;
    const int belowY = window.y + layout.Form.SizeY;
    const int belowHeight = window.height - layout.Form.SizeY;
    ASSERT_GT(besideWidth, 0);
    ASSERT_GT(belowHeight, 0);
    const auto rgb = [](Colour colour) {
        return (static_cast<unsigned long>(RedOf(colour)) << 16) |
               (static_cast<unsigned long>(GreenOf(colour)) << 8) |
               static_cast<unsigned long>(BlueOf(colour));
    };
    // The gradient beside the page starts with its top colour; below the page all is the bottom
    // colour.
    EXPECT_EQ(TheScreen().CountPixels(besideX, window.y, besideWidth, 1, rgb(page.BackColor1)),
              besideWidth);
    EXPECT_EQ(
        TheScreen().CountPixels(window.x, belowY, window.width, belowHeight, rgb(page.BackColor2)),
        window.width * belowHeight);
}
