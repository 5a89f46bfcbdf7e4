// The main menu, the password prompt, the page selection and the button menu, driven as a user
// would through the real dialogs of a real panel.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include <wx/button.h>
#include <wx/datetime.h>
#include <wx/display.h>
#include <wx/settings.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include "GuiTestSupport.h"
#include "ModalScript.h"
#include "app/ModalDialogStack.h"
#include "dialogs/ButtonDlg.h"
#include "dialogs/MenuDlg.h"
#include "dialogs/PageDlg.h"
#include "dialogs/PageSelectDlg.h"
#include "dialogs/PasswordDlg.h"
#include "dialogs/SettingsDlg.h"
#include "dialogs/TransmitDlg.h"
#include "link/PanelAddress.h"
#include "model/ButtonEditing.h"
#include "model/Contrast.h"
#include "model/LayoutBackups.h"
#include "model/LayoutFormat.h"
#include "model/PanelState.h"
#include "panel/PageArea.h"

namespace {

const wxString kMenu = wxString::FromUTF8("Main Menü");

/// Page k of the test layout is named "Page k" and filled with a colour of its own.
Colour PageColour(int page) {
    return static_cast<Colour>(20 + 20 * page) | (90u << 8) | (160u << 16);
}

std::unique_ptr<::Layout> MenuLayout(const std::wstring& password = L"") {
    auto layout = SmallLayout();
    layout->Form.Form_Password = password;
    for (int page = 0; page < 10; ++page) {
        layout->Page(page).PageName = L"Page " + std::to_wstring(page);
        layout->Page(page).BackColor1 = PageColour(page);
        layout->Page(page).BackColor2 = PageColour(page);
    }
    return layout;
}

/// Waits, as a user would, until the window is on the screen and has settled there. Show()
/// only asks for it: the window system maps the window a while later (under a window manager,
/// once that has framed it), and a window hidden before its map arrives is taken for shown again
/// by the toolkit.
void WaitUntilMapped(wxWindow& window) {
    EXPECT_TRUE(WaitFor([&] { return OnScreen(window); })) << window.GetLabel();
    Pump(100);
}

/// A step that waits for its dialog to be on the screen and checks which dialog it was given.
std::function<void(wxDialog&)> In(const wxString& title, std::function<void(wxDialog&)> action) {
    return [title, action](wxDialog& dialog) {
        WaitUntilMapped(dialog);
        EXPECT_EQ(dialog.GetTitle(), title);
        action(dialog);
    };
}

std::function<void(wxDialog&)> Click(const wxString& label) {
    return [label](wxDialog& dialog) { ClickButton(dialog, label); };
}

/// The close box of a dialog.
void CloseBox(wxDialog& dialog) {
    dialog.Close();
}

wxTextCtrl& Entry(wxDialog& prompt) {
    return *wxStaticCast(prompt.FindWindow(PasswordDlg::ID_ENTRY), wxTextCtrl);
}

/// A step that gives the password prompt `password`.
std::function<void(wxDialog&)> Give(const char* password) {
    return [password](wxDialog& prompt) {
        Entry(prompt).ChangeValue(password);
        ClickButton(prompt, "OK");
    };
}

wxColour WxColourOf(Colour colour) {
    return wxColour(RedOf(colour), GreenOf(colour), BlueOf(colour));
}

/// A panel on a small layout of ten named pages, with every dialog it owns.
class MenuFixture : public testing::Test, public PanelRig {
  protected:
    void Start(const ::Layout& layout, IdleLock::Clock::duration lockTime = IdleLock::kLockTime) {
        PanelRig::Start(layout, lockTime);
        ASSERT_TRUE(Panel().StartedUp());
    }
    void Start() { Start(*MenuLayout()); }

    MenuDlg& Menu() const { return Panel().Dialogs().Menu(); }

    /// Whether the screen shows the menu over the page (`menu` true: in the middle of where the
    /// menu covers the page, once the window manager has put it there) or the page alone (in the
    /// middle of the page, where the menu opens).
    bool ScreenShows(bool menu) const {
        const wxColour pageColour = WxColourOf(PageColour(TheState().CurrentPage));
        wxRect where;
        const bool shows = WaitFor(
            [&] {
                const wxRect page = ScreenRectOf(Panel().View().Area());
                where = menu ? ScreenRectOf(Menu()).Intersect(page) : page;
                if (where.IsEmpty()) {
                    return false;
                }
                const wxPoint middle(where.x + where.width / 2, where.y + where.height / 2);
                return (ScreenPixel(middle) != pageColour) == menu;
            },
            3000);
        if (where.IsEmpty()) {
            ADD_FAILURE() << "no menu over the page on the screen: menu " << ScreenRectOf(Menu())
                          << ", page " << ScreenRectOf(Panel().View().Area());
        }
        return shows;
    }

    /// Whether the menu is on the screen outside a modal run of its own: the panel's run holds
    /// the input, and a touch on the menu would be lost.
    bool MenuDeaf() const { return Menu().IsShown() && !Menu().IsModal(); }

    /// A step for the menu shown again after a sub-dialog: on top, and taking input again.
    std::function<void(wxDialog&)> Again(std::function<void(wxDialog&)> action) {
        return In(kMenu, [this, action](wxDialog& menu) {
            EXPECT_TRUE(menu.IsModal());
            EXPECT_TRUE(ScreenShows(true));
            action(menu);
        });
    }

    /// A menu request; then the event loop runs until the script is through and the menu is
    /// gone.
    void RequestUntilDone(ModalScript& script) {
        Panel().Dialogs().MenuRequest();
        EXPECT_TRUE(WaitFor([&] { return script.Done() && !Menu().IsShown(); }));
    }
};

using MenuTest = MenuFixture;
using PasswordTest = MenuFixture;
using PageSelectTest = MenuFixture;
using ButtonMenuTest = MenuFixture;

// ---- the dialogs as built ----

struct Control {
    const char* label;
    wxRect rect;
    wxColour colour;    ///< invalid: the toolkit's default
    int id = wxID_ANY;  ///< to find a control whose label says nothing
};

void ExpectControls(wxDialog& dialog, const wxString& title, wxSize client,
                    const std::vector<Control>& controls) {
    SCOPED_TRACE(title);
    EXPECT_EQ(dialog.GetTitle(), title);
    EXPECT_EQ(dialog.GetClientSize(), client);
    EXPECT_EQ(dialog.GetParent(), &ThePanel());
    for (const long flag : {wxCAPTION, wxSYSTEM_MENU, wxCLOSE_BOX, wxSTAY_ON_TOP}) {
        EXPECT_TRUE(dialog.HasFlag(flag)) << flag;
    }
    EXPECT_EQ(dialog.GetChildren().size(), controls.size());
    for (const Control& c : controls) {
        SCOPED_TRACE(c.label);
        wxWindow* control = c.id != wxID_ANY ? dialog.FindWindow(c.id)
                                             : FindChild(dialog, wxString::FromUTF8(c.label));
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->GetPosition(), c.rect.GetPosition());
        EXPECT_EQ(control->GetSize(), c.rect.GetSize());
        if (control->IsKindOf(wxCLASSINFO(wxButton))) {
            EXPECT_EQ(control->GetLabel(), wxString::FromUTF8(c.label));
        }
        if (c.colour.IsOk()) {
            EXPECT_EQ(control->GetForegroundColour(), c.colour);
        }
    }
}

TEST_F(MenuTest, EveryDialogHasItsControlsInPlace) {
    Start();
    const wxColour none;
    const wxColour blue(0, 0, 255);
    ExpectControls(Menu(), kMenu, wxSize(180, 438),
                   {
                       {"Button Menu", wxRect(8, 16, 160, 40), none},
                       {"Page Settings", wxRect(8, 64, 160, 40), none},
                       {"Main Settings", wxRect(8, 112, 160, 40), none},
                       {"Page Select", wxRect(8, 160, 160, 40), none},
                       {"Transmit", wxRect(8, 208, 160, 40), wxColour(0, 185, 0)},
                       {"Store", wxRect(8, 256, 160, 40), wxColour(255, 128, 0)},
                       {"Close", wxRect(8, 304, 160, 40), blue},
                       {"", wxRect(8, 352, 160, 24), none, MenuDlg::ID_ADDRESS},  // the address
                       {"Hollenbrack 27092021", wxRect(8, 376, 160, 24), none},
                       {"Quit", wxRect(48, 408, 80, 24), wxColour(255, 0, 0)},
                   });
    for (const int id : {MenuDlg::ID_ADDRESS, MenuDlg::ID_RELEASE}) {
        wxWindow* label = Menu().FindWindow(id);
        ASSERT_NE(label, nullptr);
        EXPECT_TRUE(label->IsKindOf(wxCLASSINFO(wxStaticText)));
        EXPECT_EQ(label->GetBackgroundColour(), wxSystemSettings::GetColour(wxSYS_COLOUR_MENU));
    }

    // Below the buttons, the line that says an entry was wrong.
    ExpectControls(Panel().Dialogs().Password(), "Password", wxSize(197, 129),
                   {
                       {"", wxRect(8, 16, 184, 23), none, PasswordDlg::ID_ENTRY},
                       {"Cancel", wxRect(16, 48, 75, 40), none},
                       {"OK", wxRect(112, 48, 75, 40), none},
                       {"", wxRect(8, 96, 184, 24), wxColour(255, 0, 0), PasswordDlg::ID_REFUSAL},
                   });
    EXPECT_EQ(Entry(Panel().Dialogs().Password()).GetValue(), "Text");

    ExpectControls(Panel().Dialogs().ButtonMenu(), "Button Menu", wxSize(180, 358),
                   {
                       {"Settings (s)", wxRect(8, 16, 160, 40), none},
                       {"Move (m)", wxRect(8, 64, 160, 40), none},
                       {"Get Style (g)", wxRect(8, 112, 160, 40), none},
                       {"Change Style (c)", wxRect(8, 160, 160, 40), none},
                       {"Insert Btn (i)", wxRect(8, 208, 160, 40), none},
                       {"Delete", wxRect(8, 264, 163, 32), wxColour(255, 0, 0)},
                       {"Back", wxRect(8, 312, 160, 40), blue},
                   });

    std::vector<Control> pageSelect;
    const char* const initial[] = {"01", "02", "03", "04", "05", "06", "07", "08", "09", "10"};
    for (int n = 0; n < 10; ++n) {
        pageSelect.push_back({initial[n], wxRect(8, 8 + 32 * n, 160, 30), none});
    }
    pageSelect.push_back({"Back", wxRect(8, 336, 160, 40), blue});
    ExpectControls(Panel().Dialogs().PageSelect(), "Page Select", wxSize(180, 387), pageSelect);

    // The menu and the prompt are centred over the panel, the other two on the screen.
    const auto centre = [](const wxRect& r) {
        return wxPoint(r.x + r.width / 2, r.y + r.height / 2);
    };
    const wxPoint panelCentre = centre(Panel().GetScreenRect());
    // They are centred when built; a window manager frames the panel only once it is shown, and
    // the frame may move it by as much as it adds around the page.
    const wxSize frame = Panel().GetSize() - Panel().GetClientSize();
    const wxPoint screenCentre = centre(wxDisplay(0u).GetClientArea());
    const std::pair<wxDialog*, wxPoint> centred[] = {
        {&Menu(), panelCentre},
        {&Panel().Dialogs().Password(), panelCentre},
        {&Panel().Dialogs().ButtonMenu(), screenCentre},
        {&Panel().Dialogs().PageSelect(), screenCentre},
    };
    for (const auto& [dialog, expected] : centred) {
        SCOPED_TRACE(dialog->GetTitle());
        const wxPoint actual = centre(dialog->GetScreenRect());
        EXPECT_LE(std::abs(actual.x - expected.x), 1 + frame.x);
        EXPECT_LE(std::abs(actual.y - expected.y), 1 + frame.y);
    }
}

// ---- the password gate ----

TEST_F(PasswordTest, WithoutPasswordTheMenuOpensAtOnceEveryTime) {
    Start();
    for (int request = 0; request < 3; ++request) {
        ModalScript script;
        script.Then(In(kMenu, Click("Close")));
        Panel().Dialogs().MenuRequest();
        EXPECT_TRUE(script.Done());
        EXPECT_FALSE(Menu().IsShown());
    }
    EXPECT_EQ(TheState().MenuUnlocked, 0);
}

TEST_F(PasswordTest, WrongEntriesKeepThePromptOpenAndCancelGivesNoMenu) {
    Start(*MenuLayout(L"Secret"));
    for (const auto& close :
         std::vector<std::function<void(wxDialog&)>>{Click("Cancel"), CloseBox}) {
        ModalScript script;
        script.Then(In("Password", [&close](wxDialog& prompt) {
            EXPECT_EQ(Entry(prompt).GetValue(), "");
            EXPECT_FALSE(ShowsInClear(Entry(prompt))) << "the entry is masked";
            wxWindow* refusal = prompt.FindWindow(PasswordDlg::ID_REFUSAL);
            ASSERT_NE(refusal, nullptr);
            EXPECT_EQ(refusal->GetLabel(), "") << "nothing refused yet";
            for (const char* wrong : {"secret", "Secret ", " Secret", "Secre", "SecretS", ""}) {
                SCOPED_TRACE(wrong);
                Entry(prompt).ChangeValue(wrong);
                ClickButton(prompt, "OK");
                EXPECT_TRUE(prompt.IsModal());
                // Said on the prompt, inside it, and the field empty for the next try.
                EXPECT_EQ(refusal->GetLabel(), "Wrong password");
                EXPECT_TRUE(refusal->IsShownOnScreen());
                EXPECT_TRUE(prompt.GetClientRect().Contains(refusal->GetRect()));
                EXPECT_EQ(Entry(prompt).GetValue(), "");
                EXPECT_EQ(TheState().MenuUnlocked, 0);
            }
            close(prompt);
        }));
        Panel().Dialogs().MenuRequest();
        EXPECT_TRUE(script.Done());
        EXPECT_FALSE(Panel().Dialogs().Password().IsShown());
        EXPECT_EQ(script.Opened().size(), 1u);  // no menu behind the prompt
    }
}

TEST_F(PasswordTest, RightEntryOpensTheMenuAndLaterRequestsSkipThePrompt) {
    Start(*MenuLayout(L"Secret"));
    {
        ModalScript script;
        script.Then(In("Password", [](wxDialog& prompt) {
            Entry(prompt).ChangeValue("secret");
            ClickButton(prompt, "OK");
            ClickButton(prompt, "Cancel");
        }));
        Panel().Dialogs().MenuRequest();
    }
    {
        ModalScript script;
        script
            .Then(In("Password",
                     [](wxDialog& prompt) {
                         // The refusal of the last time is gone.
                         EXPECT_EQ(Entry(prompt).GetValue(), "");
                         EXPECT_EQ(prompt.FindWindow(PasswordDlg::ID_REFUSAL)->GetLabel(), "");
                         Entry(prompt).ChangeValue("Secret");
                         ClickButton(prompt, "OK");
                         EXPECT_FALSE(prompt.IsShown());
                     }))
            .Then(In(kMenu, Click("Close")));
        Panel().Dialogs().MenuRequest();
        EXPECT_TRUE(script.Done());
    }
    EXPECT_EQ(TheState().MenuUnlocked, 1);
    // Changing the password does not lock the menu again.
    TheLayout().Form.Form_Password = L"Other";
    for (int request = 0; request < 2; ++request) {
        ModalScript script;
        script.Then(In(kMenu, Click("Close")));
        Panel().Dialogs().MenuRequest();
        EXPECT_TRUE(script.Done());
    }
}

TEST_F(PasswordTest, ATouchOnTheMenuPictureOpensThePromptThenTheMenu) {
    Start(*MenuLayout(L"pw"));
    ModalScript script;
    script.Then(In("Password", Give("pw"))).Then(In(kMenu, Click("Close")));
    Panel().Raise();
    Pump(50);
    wxUIActionSimulator touch;
    touch.MouseMove(Panel().View().Area().ClientToScreen(wxPoint(20, 20)));
    Pump(50);
    touch.MouseClick();
    EXPECT_TRUE(WaitFor([&] { return script.Done(); }));
    EXPECT_TRUE(WaitFor([&] { return !Menu().IsShown(); }));
}

// ---- the menu's buttons ----

TEST_F(MenuTest, EditModeChoosesBetweenMainMenuAndButtonMenu) {
    Start();
    for (const int mode : {EditModes::Move, EditModes::Settings, EditModes::GetStyle,
                           EditModes::ChangeStyle, EditModes::Delete}) {
        SCOPED_TRACE(mode);
        TheState().EditMode = mode;
        ModalScript script;
        script.Then(In("Button Menu", CloseBox));
        Panel().Dialogs().MenuRequest();
        EXPECT_TRUE(script.Done());
        EXPECT_EQ(TheState().EditMode, mode);  // the close box changes nothing
    }
    for (const int other : {1, 3, 5, 9, -1}) {
        TheState().EditMode = other;
        ModalScript nothing;
        Panel().Dialogs().MenuRequest();
        EXPECT_FALSE(Menu().IsShown());
    }
}

TEST_F(MenuTest, AddressIsFilledInWhenTheMenuIsShown) {
    Start();
    ModalScript script;
    script.Then(In(kMenu, [](wxDialog& menu) {
        EXPECT_EQ(menu.FindWindow(MenuDlg::ID_ADDRESS)->GetLabel(), PanelAddress());
        ClickButton(menu, "Close");
    }));
    Panel().Dialogs().MenuRequest();
    EXPECT_TRUE(script.Done());
}

// The address and the build label on the screen, in the theme the tests run in: labels without
// a frame, whose text stands out from their background at least 3:1.
TEST_F(MenuTest, LabelsAreReadableOnTheScreen) {
    Start();
    ModalScript script;
    script.Then(In(kMenu, [](wxDialog& menu) {
        for (const int id : {MenuDlg::ID_ADDRESS, MenuDlg::ID_RELEASE}) {
            wxWindow* label = menu.FindWindow(id);
            ASSERT_NE(label, nullptr);
            SCOPED_TRACE(label->GetLabel().ToStdString());
            const wxImage shown = ScreenImage(label->GetScreenRect());
            ASSERT_TRUE(shown.IsOk());
            const auto at = [&shown](int x, int y) {
                return PackColour(shown.GetRed(x, y), shown.GetGreen(x, y), shown.GetBlue(x, y), 0);
            };
            // No frame: the whole edge of the label is its background.
            const Colour background = at(0, 0);
            const int w = shown.GetWidth();
            const int h = shown.GetHeight();
            int edge = 0;
            for (int x = 0; x < w; ++x) {
                edge += (at(x, 0) != background) + (at(x, h - 1) != background);
            }
            for (int y = 0; y < h; ++y) {
                edge += (at(0, y) != background) + (at(w - 1, y) != background);
            }
            EXPECT_EQ(edge, 0) << "pixels of a frame around the label";
            EXPECT_EQ(background, wxSystemSettings::GetColour(wxSYS_COLOUR_MENU).GetRGB());
            // The ink: the pixel that stands out most.
            double strongest = 1.0;
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) {
                    strongest = std::max(strongest, ContrastRatio(at(x, y), background));
                }
            }
            EXPECT_GE(strongest, 3.0);
        }
        ClickButton(menu, "Close");
    }));
    Panel().Dialogs().MenuRequest();
    EXPECT_TRUE(script.Done());
}

TEST_F(MenuTest, SettingsDialogsComeBackToAMenuAboveThePanelThatStillWorks) {
    Start();
    ASSERT_TRUE(ScreenShows(false));
    for (const char* entry : {"Page Settings", "Main Settings"}) {
        SCOPED_TRACE(entry);
        const wxString title = entry == std::string("Page Settings")
                                   ? Panel().Dialogs().PageSettings().GetTitle()
                                   : Panel().Dialogs().MainSettings().GetTitle();
        ModalScript script;
        script.Then(In(kMenu, Click(entry)))
            .Then(In(title,
                     [this](wxDialog& settings) {
                         EXPECT_FALSE(Menu().IsShown());
                         CloseBox(settings);
                     }))
            .Then(Again([entry](wxDialog& menu) {
                // The menu shown again works the same way.
                ClickButton(menu, entry);
            }))
            .Then(In(title, CloseBox))
            .Then(Again(Click("Close")));
        RequestUntilDone(script);
        EXPECT_TRUE(ScreenShows(false));
    }
}

// A message box belongs to the window it is shown over: the innermost dialog on screen, the
// panel when none is open. A menu hidden for a sub-dialog is not what the user looks at.
TEST_F(MenuTest, MessagesBelongToTheDialogTheyAreShownOver) {
    Start();
    const ModalDialogStack& dialogs = panel->ModalDialogs();
    EXPECT_EQ(dialogs.Innermost(), &Panel());
    ModalScript script;
    script
        .Then(In(kMenu,
                 [&](wxDialog& menu) {
                     EXPECT_EQ(dialogs.Innermost(), &menu);
                     // Each sub-dialog runs inside the click and is over when it returns.
                     ClickButton(menu, "Transmit");
                     EXPECT_EQ(dialogs.Innermost(), &menu);
                     ClickButton(menu, "Page Settings");
                 }))
        .Then(In("Transmit",
                 [&](wxDialog& transmit) {
                     EXPECT_EQ(dialogs.Innermost(), &transmit);
                     ClickButton(transmit, "Cancel");
                 }))
        .Then(In("Page Settings",
                 [&](wxDialog& settings) {
                     EXPECT_FALSE(Menu().IsShown());
                     EXPECT_EQ(dialogs.Innermost(), &settings);
                     CloseBox(settings);
                 }))
        .Then(Again([&](wxDialog& menu) {
            EXPECT_EQ(dialogs.Innermost(), &menu);
            ClickButton(menu, "Close");
        }));
    RequestUntilDone(script);
    EXPECT_EQ(dialogs.Innermost(), &Panel());
}

TEST_F(MenuTest, RealClicksReachTheMenuShownAgainOverTheModalPanel) {
    Start();
    // The program runs the panel modally; on GTK that takes the input away from any window
    // shown without a modal run of its own. Synthetic button events would not notice.
    wxUIActionSimulator sim;
    auto realClick = [&sim](wxWindow* target) {
        ASSERT_NE(target, nullptr);
        Pump(50);
        const wxRect rect = target->GetScreenRect();
        sim.MouseMove(rect.x + rect.width / 2, rect.y + rect.height / 2);
        sim.MouseClick();
    };
    ModalScript script;
    script
        .Then([&](wxDialog& panelRun) {
            WaitUntilMapped(panelRun);
            sim.MouseMove(Panel().View().Area().ClientToScreen(wxPoint(20, 20)));
            sim.MouseClick();
            EXPECT_TRUE(WaitFor([&] { return script.Done() && !Menu().IsShown(); }, 5000));
            panelRun.EndModal(wxID_OK);
        })
        .Then(In(kMenu,
                 [&](wxDialog& menu) { realClick(menu.FindWindow(MenuDlg::ID_PAGE_SETTINGS)); }))
        .Then(In(Panel().Dialogs().PageSettings().GetTitle(), CloseBox))
        .Then(In(kMenu, [&](wxDialog& menu) { realClick(menu.FindWindow(MenuDlg::ID_CLOSE)); }));
    Panel().Hide();
    Panel().ShowModal();
    EXPECT_TRUE(script.Done());
    EXPECT_FALSE(Menu().IsShown());
}

TEST_F(MenuTest, ButtonMenuHidesTheMenuUntilBack) {
    Start();
    ASSERT_TRUE(ScreenShows(false));
    ModalScript script;
    script.Then(In(kMenu, Click("Button Menu")))
        .Then(In("Button Menu",
                 [this](wxDialog& buttons) {
                     EXPECT_FALSE(Menu().IsShown());
                     ClickButton(buttons, "Back");
                     EXPECT_FALSE(MenuDeaf());
                 }))
        .Then(Again([this](wxDialog& menu) {
            EXPECT_FALSE(Panel().Dialogs().ButtonMenu().IsShown());
            ClickButton(menu, "Close");
        }));
    RequestUntilDone(script);
}

TEST_F(MenuTest, TransmitOpensOverTheVisibleMenu) {
    Start();
    ModalScript script;
    script
        .Then(In(kMenu,
                 [](wxDialog& menu) {
                     ClickButton(menu, "Transmit");
                     EXPECT_TRUE(menu.IsModal());
                     ClickButton(menu, "Close");
                 }))
        .Then(In(Panel().Dialogs().Transmit().GetTitle(), [this](wxDialog& transmit) {
            EXPECT_TRUE(Menu().IsShown());
            CloseBox(transmit);
        }));
    Panel().Dialogs().MenuRequest();
    EXPECT_TRUE(script.Done());
    EXPECT_FALSE(Menu().IsShown());
}

TEST_F(MenuTest, StoreWritesTheFileAndClearsTheChangeFlag) {
    Start();
    // Also without a change the file is written.
    for (const int changed : {1, 0}) {
        TheLayout().Page(0).PageName = L"Stored " + std::to_wstring(changed);
        TheState().LayoutChanged = changed;
        ModalScript script;
        script.Then(In(kMenu, [](wxDialog& menu) {
            ClickButton(menu, "Store");
            EXPECT_TRUE(menu.IsModal());
            ClickButton(menu, "Close");
        }));
        Panel().Dialogs().MenuRequest();
        EXPECT_EQ(folder.Read("tvxdef.ini"), LayoutFormat::FormatLayout(TheLayout()));
        EXPECT_EQ(TheState().LayoutChanged, 0);
    }
    EXPECT_TRUE(prompter.messages.empty());
    // Nothing left to ask about: Quit ends at once.
    ModalScript script;
    script.Then(In(kMenu, [](wxDialog& menu) {
        ClickButton(menu, "Quit");
        ClickButton(menu, "Close");
    }));
    Panel().Dialogs().MenuRequest();
    EXPECT_TRUE(prompter.questions.empty());
    EXPECT_EQ(prompter.exitCode, 0);
}

// The owner's mistake and its remedy: an edit stored twice keeps the version before it, and
// six distinct stores leave the five versions before the last, the first one dropped.
TEST_F(MenuTest, StoresKeepTheVersionsBeforeThem) {
    Start();
    std::vector<std::string> versions = {folder.Read("tvxdef.ini")};
    for (int edit = 0; edit < 6; ++edit) {
        SCOPED_TRACE(edit);
        ModalScript script;
        script.Then(In(kMenu, Click("Button Menu")))
            .Then(In("Button Menu",
                     [](wxDialog& buttons) {
                         ClickButton(buttons, "Insert Btn (i)");
                         ClickButton(buttons, "Back");
                     }))
            .Then(Again([](wxDialog& menu) {
                ClickButton(menu, "Store");
                ClickButton(menu, "Store");
                ClickButton(menu, "Close");
            }));
        RequestUntilDone(script);
        versions.push_back(folder.Read("tvxdef.ini"));
        EXPECT_EQ(folder.Read("tvxdef.ini.bak"), versions[versions.size() - 2]);
    }
    const LayoutBackups backups(folder.At("tvxdef.ini"));
    for (int generation = 0; generation < LayoutBackups::kKept; ++generation) {
        EXPECT_TRUE(ReadFile(backups.PathOf(generation)) == versions[5 - generation]) << generation;
    }
    EXPECT_FALSE(std::filesystem::exists(backups.PathOf(LayoutBackups::kKept)));
    EXPECT_TRUE(prompter.messages.empty());
}

// "Store" says so where the page is, without a box to dismiss, for a few seconds: with the menu
// still open, and after it is closed.
TEST_F(MenuTest, AStoreThatWentThroughSaysSoInTheStatusLineForAFewSeconds) {
    Start();
    PageArea& page = Panel().View().Area();
    const wxColour fill = WxColourOf(NoteColoursOn(PageColour(0)).fill);
    // The strip of the note between the menu picture and the menu, as the screen shows it.
    auto fillOnScreen = [&] {
        wxRect strip = page.NoteRect();
        const wxRect menu = ScreenRectOf(Menu());
        if (!menu.IsEmpty()) {
            strip.SetRight(std::min(strip.GetRight(), menu.x - page.GetScreenPosition().x - 1));
        }
        if (strip.IsEmpty()) {
            return 0;
        }
        const wxImage shown = ScreenImage(PageRectOnScreen(Panel(), strip));
        int count = 0;
        for (int y = 0; y < shown.GetHeight(); ++y) {
            for (int x = 0; x < shown.GetWidth(); ++x) {
                count +=
                    wxColour(shown.GetRed(x, y), shown.GetGreen(x, y), shown.GetBlue(x, y)) == fill;
            }
        }
        return count;
    };
    EXPECT_TRUE(page.Note().empty());
    const wxString before = wxDateTime::Now().Format("%H:%M");
    ModalScript script;
    script.Then(In(kMenu, [&](wxDialog& menu) {
        ClickButton(menu, "Store");
        EXPECT_TRUE(menu.IsModal());
        const wxString after = wxDateTime::Now().Format("%H:%M");
        const wxString note(page.Note());
        EXPECT_TRUE(note == "Layout stored " + before || note == "Layout stored " + after) << note;
        EXPECT_TRUE(WaitFor([&] { return fillOnScreen() > 200; }))
            << fillOnScreen() << " note " << page.NoteRect() << ", menu " << ScreenRectOf(menu)
            << ", page " << ScreenRectOf(page);
        ClickButton(menu, "Close");
    }));
    Panel().Dialogs().MenuRequest();
    EXPECT_TRUE(script.Done());
    EXPECT_GT(fillOnScreen(), 200) << "still there with the menu closed";
    EXPECT_TRUE(WaitFor([&] { return page.Note().empty() && fillOnScreen() == 0; }, 6000));
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(MenuTest, StoreThatFailsSaysSoAndKeepsTheChangeFlag) {
    struct Case {
        const char* what;
        std::function<void(const LayoutFolder&)> spoil;
        bool needsUnprivileged;
    };
    const std::vector<Case> cases = {
        {"file removed",
         [](const LayoutFolder& f) { ::unlink((f.Path() + "/tvxdef.ini").c_str()); }, false},
        {"a folder in place of the file",
         [](const LayoutFolder& f) {
             const std::string path = f.Path() + "/tvxdef.ini";
             ::unlink(path.c_str());
             ::mkdir(path.c_str(), 0755);
         },
         false},
        {"read-only file",
         [](const LayoutFolder& f) { ::chmod((f.Path() + "/tvxdef.ini").c_str(), 0444); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.needsUnprivileged && ::geteuid() == 0) {
            continue;  // write protection does not hold for root
        }
        FakePrompter casePrompter;
        LayoutFolder caseFolder;
        caseFolder.Write(*MenuLayout());
        PanelUnderTest casePanel(caseFolder, casePrompter);
        c.spoil(caseFolder);
        TheState().LayoutChanged = 1;
        ModalScript script;
        script.Then(In(kMenu, [](wxDialog& menu) {
            ClickButton(menu, "Store");
            EXPECT_TRUE(menu.IsModal());
            ClickButton(menu, "Close");
        }));
        casePanel->Dialogs().MenuRequest();
        EXPECT_EQ(casePrompter.messages.size(), 1u);
        EXPECT_EQ(TheState().LayoutChanged, 1);
        EXPECT_TRUE(casePanel->View().Area().Note().empty()) << "nothing says it was stored";
        ::rmdir((caseFolder.Path() + "/tvxdef.ini").c_str());
    }
}

TEST_F(MenuTest, CloseEndsTheMenuAndChangesNothing) {
    Start();
    TheState().LayoutChanged = 1;
    const std::string before = folder.Read("tvxdef.ini");
    ModalScript script;
    script.Then(In(kMenu, Click("Close")));
    Panel().Dialogs().MenuRequest();
    EXPECT_TRUE(script.Done());
    EXPECT_FALSE(Menu().IsShown());
    EXPECT_EQ(TheState().LayoutChanged, 1);
    EXPECT_EQ(folder.Read("tvxdef.ini"), before);
    EXPECT_EQ(prompter.exitCode, -1);
}

TEST_F(MenuTest, QuitGoesThroughThePanelsCloseHandler) {
    Start();
    TheState().LayoutChanged = 1;
    prompter.answers = {Prompter::Answer::Cancel, Prompter::Answer::No};
    ModalScript script;
    script.Then(In(kMenu, [this](wxDialog& menu) {
        ClickButton(menu, "Quit");
        // Cancel: everything goes on, with the menu still open.
        EXPECT_EQ(prompter.exitCode, -1);
        EXPECT_TRUE(menu.IsModal());
        ClickButton(menu, "Quit");
        EXPECT_EQ(prompter.exitCode, 0);
        ClickButton(menu, "Close");
    }));
    Panel().Dialogs().MenuRequest();
    EXPECT_EQ(prompter.questions,
              (std::vector<std::wstring>{L"SAVE CHANGES ?", L"SAVE CHANGES ?"}));
}

// ---- the panel locks itself again ----

/// A lock time the tests wait out.
constexpr auto kShortLock = std::chrono::milliseconds(2000);
/// Long enough for the short lock time to have passed and the panel to have acted on it.
constexpr int kPastTheLockMs = 6000;

/// A finger on the page where it has no button: what someone passing by does.
void TouchThePage(MainDialog& panel) {
    EXPECT_TRUE(TouchAt(panel, 300, 250));
}

TEST_F(PasswordTest, TheMenuAsksAgainOnceNobodyTouchedThePanelForTheLockTime) {
    Start(*MenuLayout(L"Secret"), kShortLock);
    {
        ModalScript script;
        script.Then(In("Password", Give("Secret"))).Then(In(kMenu, Click("Close")));
        RequestUntilDone(script);
    }
    // Touches now and then keep it open, well beyond the lock time.
    for (int touch = 0; touch < 8; ++touch) {
        TouchThePage(Panel());
        Pump(400);
    }
    {
        ModalScript script;
        script.Then(In(kMenu, Click("Close")));
        RequestUntilDone(script);
        EXPECT_EQ(script.Opened(), std::vector<std::string>{kMenu.ToStdString()});
    }
    // Nobody comes: the next touch on the menu corner asks for the password again.
    EXPECT_TRUE(WaitFor([] { return TheState().MenuUnlocked == 0; }, kPastTheLockMs));
    ModalScript script;
    script.Then(In("Password", Click("Cancel")));
    RequestUntilDone(script);
    EXPECT_EQ(script.Opened(), std::vector<std::string>{"Password"});
}

TEST_F(PasswordTest, AReceivedLayoutWithAnotherPasswordLocksTheMenu) {
    Start(*MenuLayout(L"Secret"));
    TheState().MenuUnlocked = 1;
    auto received = MenuLayout(L"Other");
    received->Page(0).PageName = L"Received";
    folder.Write(*received);
    ASSERT_TRUE(WaitFor([] { return TheLayout().Page(0).PageName == L"Received"; }, 5000));
    EXPECT_EQ(TheState().MenuUnlocked, 0);
    ModalScript script;
    script.Then(In("Password", Click("Cancel")));
    RequestUntilDone(script);
    EXPECT_EQ(script.Opened(), std::vector<std::string>{"Password"});
}

// The owner chose Delete, inserted a button and walked away, leaving the menus open too: the
// mode ends as "Back" ends it and the menus close, but nothing is stored and nothing is lost.
TEST_F(MenuTest, AnEditModeAndTheMenusLeftOpenEndByThemselves) {
    Start(*MenuLayout(), kShortLock);
    const std::string stored = folder.Read("tvxdef.ini");
    TouchThePage(Panel());
    {
        ModalScript script;
        script.Then(In(kMenu, Click("Button Menu"))).Then(In("Button Menu", [](wxDialog& buttons) {
            ClickButton(buttons, "Insert Btn (i)");
            ClickButton(buttons, "Delete");
        }));
        RequestUntilDone(script);
    }
    EXPECT_EQ(TheState().EditMode, EditModes::Delete);
    EXPECT_EQ(Panel().GetTitle(), "--- Button Delete ---");
    ASSERT_TRUE(WaitFor([] { return TheState().EditMode == EditModes::Normal; }, kPastTheLockMs));
    EXPECT_EQ(Panel().GetTitle(), "Page 0");
    EXPECT_TRUE(Panel().View().Area().BannerRect().IsEmpty());
    EXPECT_FALSE(Menu().IsShown()) << "the menu is not shown, as \"Back\" would";
    EXPECT_EQ(TheLayout().Page(0).Button_Last, 1) << "the inserted button stays";
    EXPECT_EQ(TheState().LayoutChanged, 1);
    EXPECT_EQ(folder.Read("tvxdef.ini"), stored) << "nothing is stored";

    // The main menu and the page settings left open close too, the innermost first.
    {
        ModalScript script;
        auto closesByItself = [](wxDialog& dialog) {
            EXPECT_TRUE(WaitFor([&] { return !dialog.IsShown(); }, kPastTheLockMs));
        };
        script.Then(In(kMenu, Click("Page Settings")))
            .Then(In("Page Settings", closesByItself))
            .Then(In(kMenu, closesByItself));
        TouchThePage(Panel());
        RequestUntilDone(script);
        EXPECT_TRUE(script.Done());
    }
    // "Quit" still asks before the changes are lost.
    prompter.answers = {Prompter::Answer::Cancel};
    Panel().Close();
    EXPECT_EQ(prompter.questions, std::vector<std::wstring>{L"SAVE CHANGES ?"});
    EXPECT_EQ(prompter.exitCode, -1);
}

// ---- the page selection ----

wxButton& PageButton(wxDialog& dialog, int page) {
    return *wxDynamicCast(dialog.FindWindow(PageSelectDlg::ID_FIRST_PAGE + page), wxButton);
}

TEST_F(PageSelectTest, LabelsFollowThePageNamesAtEveryShow) {
    auto layout = MenuLayout();
    layout->Page(4).PageName = L"";
    layout->Page(6).PageName = L"Küche & Bad";
    layout->Page(10).PageName = L"Never offered";
    Start(*layout);
    auto expectLabels = [](wxDialog& select) {
        for (int page = 0; page < 10; ++page) {
            EXPECT_EQ(PageButton(select, page).GetLabelText(),
                      wxString(TheLayout().Page(page).PageName))
                << page;
        }
    };
    {
        ModalScript script;
        script.Then(In(kMenu, Click("Page Select"))).Then(In("Page Select", [&](wxDialog& select) {
            expectLabels(select);
            EXPECT_EQ(PageButton(select, 4).GetLabel(), "");
            CloseBox(select);
        }));
        Panel().Dialogs().MenuRequest();
        EXPECT_TRUE(script.Done());
    }
    TheLayout().Page(1).PageName = L"Renamed";
    TheLayout().Page(4).PageName = L"Now named";
    {
        ModalScript again;
        again.Then(In(kMenu, Click("Page Select"))).Then(In("Page Select", [&](wxDialog& select) {
            expectLabels(select);
            EXPECT_EQ(PageButton(select, 1).GetLabelText(), "Renamed");
            CloseBox(select);
        }));
        Panel().Dialogs().MenuRequest();
        EXPECT_TRUE(again.Done());
    }
}

TEST_F(PageSelectTest, PageButtonsSwitchThePanelAndBackReturnsToTheMenu) {
    auto layout = MenuLayout();
    layout->Page(4).PageName = L"";
    Start(*layout);
    ASSERT_TRUE(ScreenShows(false));
    ModalScript script;
    script.Then(In(kMenu, Click("Page Select")))
        .Then(In("Page Select",
                 [this](wxDialog& select) {
                     for (const int page : {2, 4, 0}) {
                         SCOPED_TRACE(page);
                         ClickButton(select, PageSelectDlg::ID_FIRST_PAGE + page);
                         EXPECT_EQ(TheState().CurrentPage, page);
                         EXPECT_EQ(Panel().GetTitle(), wxString(TheLayout().Page(page).PageName));
                         EXPECT_EQ(panel->PagePixel(200, 150), WxColourOf(PageColour(page)));
                         EXPECT_TRUE(select.IsModal());
                     }
                     TheState().EditMode = EditModes::Move;
                     ClickButton(select, "Back");
                 }))
        .Then(Again([this](wxDialog& menu) {
            EXPECT_FALSE(Panel().Dialogs().PageSelect().IsShown());
            ClickButton(menu, "Close");
        }));
    RequestUntilDone(script);
    EXPECT_EQ(TheState().CurrentPage, 0);
    EXPECT_EQ(TheState().EditMode, EditModes::Normal);
    EXPECT_EQ(Panel().GetTitle(), "Page 0");
}

TEST_F(PageSelectTest, CloseBoxOnlyCloses) {
    Start();
    ModalScript script;
    script.Then(In(kMenu, Click("Page Select"))).Then(In("Page Select", [](wxDialog& select) {
        ClickButton(select, "Page 3");
        TheState().EditMode = EditModes::Delete;
        CloseBox(select);
    }));
    Panel().Dialogs().MenuRequest();
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(TheState().CurrentPage, 3);
    EXPECT_EQ(TheState().EditMode, EditModes::Delete);
    EXPECT_EQ(Panel().GetTitle(), "Page 3");
    EXPECT_FALSE(Menu().IsShown());
}

// ---- the button menu ----

TEST_F(ButtonMenuTest, OperationsSetTheModeAndTheBanner) {
    struct Operation {
        const char* label;
        int mode;
        const char* banner;
    };
    const Operation operations[] = {
        {"Settings (s)", EditModes::Settings, "--- Button Settings ---"},
        {"Move (m)", EditModes::Move, "--- Button Move ---"},
        {"Get Style (g)", EditModes::GetStyle, "--- Button Get Style ---"},
        {"Change Style (c)", EditModes::ChangeStyle, "--- Button Change Style ---"},
        {"Delete", EditModes::Delete, "--- Button Delete ---"},
    };
    Start();
    bool first = true;
    for (const Operation& op : operations) {
        SCOPED_TRACE(op.label);
        ModalScript script;
        // The first time through the main menu, afterwards straight from the waiting mode.
        if (first) {
            script.Then(In(kMenu, Click("Button Menu")));
            first = false;
        }
        script.Then(In("Button Menu", Click(op.label)));
        Panel().Dialogs().MenuRequest();
        EXPECT_TRUE(script.Done());
        EXPECT_EQ(TheState().EditMode, op.mode);
        EXPECT_EQ(Panel().GetTitle(), op.banner);
        EXPECT_FALSE(Panel().Dialogs().ButtonMenu().IsShown());
        EXPECT_FALSE(Menu().IsShown());
        EXPECT_EQ(TheState().LayoutChanged, 0);
    }
}

TEST_F(ButtonMenuTest, InsertStaysOpenAndBackReturnsToTheMenu) {
    auto layout = MenuLayout();
    layout->Page(2).Button_Last = 3;
    Start(*layout);
    // What a delete or the defaults left in the free slots stays there.
    TheLayout().Button(2, 3).Text_Off = L"slot three";
    TheLayout().Button(2, 4).Led = 44;
    TheState().CurrentPage = 2;
    Panel().View().LoadPage(2);
    Panel().View().DrawPage(2);
    TheState().EditMode = EditModes::GetStyle;
    ModalScript script;
    script
        .Then(In("Button Menu",
                 [this](wxDialog& buttons) {
                     ClickButton(buttons, "Insert Btn (i)");
                     ClickButton(buttons, "Insert Btn (i)");
                     EXPECT_TRUE(buttons.IsModal());
                     // One mode, one text: the title and the banner name the mode in force.
                     EXPECT_EQ(TheState().EditMode, EditModes::GetStyle);
                     EXPECT_EQ(ThePanel().GetTitle(), "--- Button Get Style ---");
                     EXPECT_FALSE(ThePanel().View().Area().BannerRect().IsEmpty());
                     ClickButton(buttons, "Back");
                     EXPECT_FALSE(MenuDeaf());
                 }))
        .Then(Again([](wxDialog& menu) {
            EXPECT_EQ(TheState().EditMode, EditModes::Normal);
            EXPECT_EQ(ThePanel().GetTitle(), "Page 2");
            ClickButton(menu, "Close");
        }));
    RequestUntilDone(script);

    const ::Layout& now = TheLayout();
    EXPECT_EQ(now.Page(2).Button_Last, 5);
    for (const int slot : {3, 4}) {
        EXPECT_EQ(now.Button(2, slot).PosX, 50);
        EXPECT_EQ(now.Button(2, slot).PosY, 0);
    }
    EXPECT_EQ(now.Button(2, 3).Text_Off, L"slot three");
    EXPECT_EQ(now.Button(2, 4).Led, 44);
    EXPECT_EQ(TheState().LayoutChanged, 1);
}

TEST_F(ButtonMenuTest, InsertOnAFullPageChangesNothingAndSaysSo) {
    auto layout = MenuLayout();
    layout->Page(0).Button_Last = kButtonSlots;
    Start(*layout);
    TheState().EditMode = EditModes::Move;
    ModalScript script;
    script.Then(In("Button Menu", [](wxDialog& buttons) {
        ClickButton(buttons, "Insert Btn (i)");
        EXPECT_TRUE(buttons.IsModal());
        CloseBox(buttons);
    }));
    Panel().Dialogs().MenuRequest();
    EXPECT_EQ(TheLayout().Page(0).Button_Last, kButtonSlots);
    EXPECT_EQ(TheState().LayoutChanged, 0);
    EXPECT_EQ(prompter.messages.size(), 1u);
}

}  // namespace
