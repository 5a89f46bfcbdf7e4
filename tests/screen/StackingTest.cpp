// Which window is on top, and whether it answers, as a user finds it on the screen: every dialog
// and message box above the window it was opened from, and that window on top again and working
// once it closes. Run on a bare X server and under openbox.

#include <gtest/gtest.h>

#include "PanelOnScreen.h"

namespace {

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

/// The main menu opened from the panel and one of its entries touched: the dialog it opens, on
/// top.
ScreenWindow OpenFromMenu(const PanelOnScreen& panel, int menuY, const std::string& title) {
    TheScreen().Click(panel.OpenMenu(), kMenuX, menuY);
    return panel.WaitOnTop(title);
}

/// The main menu back on top, then closed: the panel on top again.
bool CloseMenu(const PanelOnScreen& panel) {
    TheScreen().Click(panel.WaitOnTop("Main Menü"), kMenuX, kMenuCloseY);
    return panel.WaitPanelOnTop();
}

/// A message box has come up over `dialog`: it must be right above it; once its button is
/// touched, the dialog must be on top again. True when all of that held.
bool AnswerMessageOver(const PanelOnScreen& panel, const ScreenWindow& dialog) {
    const ScreenWindow box = panel.WaitMessageBoxOnTop();
    if (box.id == 0) {
        return false;
    }
    EXPECT_EQ(Second().id, dialog.id)
        << "the box belongs over \"" << dialog.title << "\"; " << TheScreen().Describe();
    ClickMessageButton(box);
    return panel.WaitOnTop(dialog.title).id == dialog.id;
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

    const ScreenWindow transmit = OpenFromMenu(panel, kMenuTransmitY, "Transmit");
    ASSERT_NE(transmit.id, 0u);
    EXPECT_EQ(Second().title, "Main Menü") << TheScreen().Describe();

    TheScreen().Click(transmit, kTransmitActionX, kTransmitLayoutY);
    EXPECT_TRUE(receiver.Received("tvxdef.ini"));
    ASSERT_TRUE(AnswerMessageOver(panel, transmit));

    TheScreen().Click(transmit, kTransmitActionX, kTransmitPictureY);
    for (const char* picture : kDemoPictures) {
        EXPECT_TRUE(receiver.Received(picture)) << picture;
    }
    ASSERT_TRUE(AnswerMessageOver(panel, transmit));

    TheScreen().Click(transmit, kTransmitOkX, kTransmitBottomY);
    ASSERT_TRUE(CloseMenu(panel));
    // The panel answers touches again: the menu area opens the menu.
    EXPECT_NE(panel.OpenMenu().id, 0u);
    EXPECT_TRUE(panel.Running());
}

namespace {

/// Waits until a window that is none of `known` is on top, with `below` right under it: a
/// dialog of the toolkit's own (a chooser, a message box) opened from `below`.
ScreenWindow WaitNewWindowOver(const PanelOnScreen& panel, const ScreenWindow& below,
                               const std::string& what) {
    const ScreenWindow opened = panel.WaitOnTop(
        [&below, &panel](const ScreenWindow& top) {
            return top.id != 0 && top.id != below.id && top.id != panel.Window().id;
        },
        what);
    EXPECT_EQ(Second().id, below.id)
        << what << " belongs over \"" << below.title << "\"; " << TheScreen().Describe();
    return opened;
}

/// Closes a chooser of the toolkit's own as a user without a mouse target would: Escape.
void Dismiss(const ScreenWindow& chooser) {
    TheScreen().PointAt(chooser, chooser.width / 2, 8);
    TheScreen().Focus(chooser);
    TheScreen().Key("Escape");
}

}  // namespace

// A transfer that cannot reach the other panel: its message over the transmit dialog, and the
// dialog answering once the message is gone.
TEST(Stacking, ConnectionErrorOverTransmit) {
    const std::array<int, 4> nobody = LoopbackAddress(false);
    PanelOnScreen panel([&nobody](Layout& layout) { layout.Form.Transmit_IP = nobody; });
    ASSERT_TRUE(panel.Started());
    const ScreenWindow transmit = OpenFromMenu(panel, kMenuTransmitY, "Transmit");
    ASSERT_NE(transmit.id, 0u);

    TheScreen().Click(transmit, kTransmitActionX, kTransmitLayoutY);
    ASSERT_TRUE(AnswerMessageOver(panel, transmit));

    TheScreen().Click(transmit, kTransmitCancelX, kTransmitBottomY);
    EXPECT_TRUE(CloseMenu(panel));
}

// Every dialog the menu opens goes over the panel, and the menu comes back on top and working
// after each of them.
TEST(Stacking, MenuComesBackAfterEachDialog) {
    PanelOnScreen panel;
    ASSERT_TRUE(panel.Started());
    struct Round {
        int menuY;
        const char* title;
        int closeX;  ///< the dialog's way back to the menu
        int closeY;
    };
    const Round rounds[] = {
        {kMenuPageSettingsY, "Page Settings", 157, 284},
        {kMenuMainSettingsY, "Main Settings", 157, 444},
        {kMenuPageSelectY, "Page Select", 88, 356},
        {kMenuButtonMenuY, "Button Menu", 88, 332},
        {kMenuTransmitY, "Transmit", kTransmitCancelX, kTransmitBottomY},
    };
    ScreenWindow menu = panel.OpenMenu();
    ASSERT_NE(menu.id, 0u);
    for (const Round& round : rounds) {
        SCOPED_TRACE(round.title);
        TheScreen().Click(menu, kMenuX, round.menuY);
        const ScreenWindow dialog = panel.WaitOnTop(round.title);
        ASSERT_NE(dialog.id, 0u);
        TheScreen().Click(dialog, round.closeX, round.closeY);
        menu = panel.WaitOnTop("Main Menü");
        ASSERT_NE(menu.id, 0u);
    }
    TheScreen().Click(menu, kMenuX, kMenuCloseY);
    EXPECT_TRUE(panel.WaitPanelOnTop());
}

// The password prompt goes over the panel and takes what is typed; the menu follows it.
TEST(Stacking, PasswordPromptThenMenu) {
    PanelOnScreen panel([](Layout& layout) { layout.Form.Form_Password = L"47"; });
    ASSERT_TRUE(panel.Started());
    panel.Touch(20, 20);
    ScreenWindow prompt = panel.WaitOnTop("Password");
    ASSERT_NE(prompt.id, 0u);
    TheScreen().Click(prompt, 16 + 37, 48 + 20);  // "Cancel"
    ASSERT_TRUE(panel.WaitPanelOnTop());

    panel.Touch(20, 20);
    prompt = panel.WaitOnTop("Password");
    ASSERT_NE(prompt.id, 0u);
    TheScreen().Click(prompt, 8 + 92, 16 + 11);  // the entry field
    TheScreen().Focus(prompt);
    TheScreen().Type("47");
    TheScreen().Click(prompt, 112 + 37, 48 + 20);  // "OK"
    EXPECT_TRUE(CloseMenu(panel));
}

// The page settings preview the page behind them; the choosers they open go over them, and the
// settings answer again once a chooser is closed.
TEST(Stacking, ChoosersOverThePageSettings) {
    PanelOnScreen panel;
    ASSERT_TRUE(panel.Started());
    const ScreenWindow settings = OpenFromMenu(panel, kMenuPageSettingsY, "Page Settings");
    ASSERT_NE(settings.id, 0u);

    const struct {
        const char* name;
        int x;
        int y;
    } choosers[] = {{"the picture chooser", 260, 67}, {"the colour chooser", 248, 163}};
    for (const auto& chooser : choosers) {
        SCOPED_TRACE(chooser.name);
        TheScreen().Click(settings, chooser.x, chooser.y);
        const ScreenWindow opened = WaitNewWindowOver(panel, settings, chooser.name);
        ASSERT_NE(opened.id, 0u);
        Dismiss(opened);
        ASSERT_EQ(panel.WaitOnTop("Page Settings").id, settings.id);
    }
    TheScreen().Click(settings, 157, 284);  // "Cancel"
    EXPECT_TRUE(CloseMenu(panel));
}

namespace {

/// The style copy dialog has no title; it is told apart from a message box by its size.
bool IsStyleCopy(const ScreenWindow& window) {
    return window.title.empty() && window.height == 229;
}

}  // namespace

// The button menu, the panel in an edit mode, the style copy dialog over the panel and the
// button menu again from the menu area: each on top in turn, and the panel taking its touches
// between them.
TEST(Stacking, ButtonMenuAndStyleCopy) {
    PanelOnScreen panel;
    ASSERT_TRUE(panel.Started());
    ScreenWindow buttonMenu = OpenFromMenu(panel, kMenuButtonMenuY, "Button Menu");
    ASSERT_NE(buttonMenu.id, 0u);

    TheScreen().Click(buttonMenu, kMenuX, kButtonMenuGetStyleY);
    ASSERT_TRUE(panel.WaitPanelOnTop());
    const PagePoint source = InsideButton(panel.StartLayout(), 1);
    panel.Touch(source.x, source.y);
    // The menu area in an edit mode opens the button menu, not the main menu.
    panel.Touch(20, 20);
    buttonMenu = panel.WaitOnTop("Button Menu");
    ASSERT_NE(buttonMenu.id, 0u);
    TheScreen().Click(buttonMenu, kMenuX, kButtonMenuChangeStyleY);
    ASSERT_TRUE(panel.WaitPanelOnTop());

    const PagePoint target = InsideButton(panel.StartLayout(), 3);
    panel.Touch(target.x, target.y);
    const ScreenWindow styleCopy = panel.WaitOnTop(IsStyleCopy, "the style copy dialog");
    ASSERT_NE(styleCopy.id, 0u);
    TheScreen().Click(styleCopy, 120 + 37, 168 + 20);  // "Cancel"
    ASSERT_TRUE(panel.WaitPanelOnTop());

    panel.Touch(20, 20);
    buttonMenu = panel.WaitOnTop("Button Menu");
    ASSERT_NE(buttonMenu.id, 0u);
    TheScreen().Click(buttonMenu, kMenuX, kButtonMenuBackY);
    EXPECT_TRUE(CloseMenu(panel));
}

// "Insert Btn (i)" on a full page: the message goes over the button menu, which answers again
// once it is gone.
TEST(Stacking, FullPageMessageOverTheButtonMenu) {
    PanelOnScreen panel([](Layout& layout) {
        // The buttons beyond the demo's lie on top of each other away from the menu area.
        for (int button = layout.Page(0).Button_Last; button < kButtonSlots; ++button) {
            layout.Button(0, button).PosX = 320;
            layout.Button(0, button).PosY = 380;
        }
        layout.Page(0).Button_Last = kButtonSlots;
    });
    ASSERT_TRUE(panel.Started());
    const ScreenWindow buttonMenu = OpenFromMenu(panel, kMenuButtonMenuY, "Button Menu");
    ASSERT_NE(buttonMenu.id, 0u);

    TheScreen().Click(buttonMenu, kMenuX, kButtonMenuInsertY);
    ASSERT_TRUE(AnswerMessageOver(panel, buttonMenu));
    TheScreen().Click(buttonMenu, kMenuX, kButtonMenuBackY);
    EXPECT_NE(panel.WaitOnTop("Main Menü").id, 0u);
}

// A required picture gone while the main settings apply: the message and the question that
// follows it go over the settings; "Cancel" keeps the panel running with the menu back on top.
TEST(Stacking, MissingPictureAndQuestionOverTheMainSettings) {
    PanelOnScreen panel;
    ASSERT_TRUE(panel.Started());
    const ScreenWindow settings = OpenFromMenu(panel, kMenuMainSettingsY, "Main Settings");
    ASSERT_NE(settings.id, 0u);
    ASSERT_EQ(std::remove((panel.Folder() + "/TvxMenu.png").c_str()), 0);

    TheScreen().Click(settings, 208 + 37, 424 + 20);  // "OK"
    ScreenWindow box = panel.WaitMessageBoxOnTop();
    ASSERT_NE(box.id, 0u);
    EXPECT_EQ(Second().id, settings.id) << TheScreen().Describe();
    ClickMessageButton(box);
    // "SAVE CHANGES ?": the settings' "OK" changed the layout.
    box = panel.WaitOnTop(
        [&panel](const ScreenWindow& top) {
            return top.title == "Store" && top.id != panel.Window().id;
        },
        "the question \"SAVE CHANGES ?\"");
    ASSERT_NE(box.id, 0u);
    EXPECT_EQ(Second().id, settings.id) << TheScreen().Describe();
    ClickMessageButton(box, 1, 3);  // "No", "Cancel", "Yes"
    EXPECT_NE(panel.WaitOnTop("Main Menü").id, 0u);
    EXPECT_TRUE(panel.Running());
}

// A frameless panel kept on top of everything, as panels are installed: the dialogs, their
// choosers and the messages still go over it and over each other, and the panel is on top again
// once they are closed.
TEST(Stacking, FullScreenPanel) {
    ReceiverOnLoopback receiver;
    ASSERT_TRUE(receiver.Listening());
    PanelOnScreen panel([&receiver](Layout& layout) {
        layout.Form.Form_FullScreen = 1;
        layout.Form.Transmit_IP = receiver.Address();
    });
    ASSERT_TRUE(panel.Started());

    const ScreenWindow transmit = OpenFromMenu(panel, kMenuTransmitY, "Transmit");
    ASSERT_NE(transmit.id, 0u);
    TheScreen().Click(transmit, kTransmitActionX, kTransmitLayoutY);
    EXPECT_TRUE(receiver.Received("tvxdef.ini"));
    ASSERT_TRUE(AnswerMessageOver(panel, transmit));
    TheScreen().Click(transmit, kTransmitCancelX, kTransmitBottomY);

    // The button settings, opened by a touch in the settings mode, and the toolkit's choosers
    // they open: picture, font and colour.
    TheScreen().Click(panel.WaitOnTop("Main Menü"), kMenuX, kMenuButtonMenuY);
    TheScreen().Click(panel.WaitOnTop("Button Menu"), kMenuX, kButtonMenuSettingsY);
    ASSERT_TRUE(panel.WaitPanelOnTop());
    const PagePoint inside = InsideButton(panel.StartLayout(), 1);
    panel.Touch(inside.x, inside.y);
    const ScreenWindow settings = panel.WaitOnTop("Button Settings");
    ASSERT_NE(settings.id, 0u);
    const struct {
        const char* name;
        int x;
        int y;
    } choosers[] = {{"the picture chooser", 236, 227},
                    {"the font chooser", 204, 99},
                    {"the colour chooser", 260, 99}};
    for (const auto& chooser : choosers) {
        SCOPED_TRACE(chooser.name);
        TheScreen().Click(settings, chooser.x, chooser.y);
        const ScreenWindow opened = WaitNewWindowOver(panel, settings, chooser.name);
        ASSERT_NE(opened.id, 0u);
        Dismiss(opened);
        ASSERT_EQ(panel.WaitOnTop("Button Settings").id, settings.id);
    }
    TheScreen().Click(settings, 120 + 37, 368 + 20);  // "Cancel"
    EXPECT_TRUE(panel.WaitPanelOnTop());
}
