// The edit modes as a panel without a title bar shows them: the banner on the page while a mode
// is on, the frame around the style source, and nothing of either in normal operation. Read from
// the screen, not from the back buffer.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "GuiTestSupport.h"
#include "ModalScript.h"
#include "dialogs/ButtonDlg.h"
#include "model/EditMarks.h"
#include "model/PanelState.h"
#include "panel/EditBanner.h"
#include "panel/PageArea.h"

namespace {

const wxString kMenu = wxString::FromUTF8("Main Menü");

/// Three 100 x 50 buttons on a white 400 x 300 page; the menu picture is 40 x 40.
class MarksRig : public PanelRig {
  public:
    MarksRig() {
        auto layout = SmallLayout();
        layout->Page(0).PageName = L"Wohnen";
        layout->Page(0).BackColor1 = 0xFFFFFFu;
        layout->Page(0).BackColor2 = 0xFFFFFFu;
        for (const auto& [x, y] : {std::pair{60, 100}, std::pair{200, 100}, std::pair{60, 200}}) {
            ButtonRecord& b = layout->Button(0, layout->Page(0).Button_Last++);
            b.PosX = x;
            b.PosY = y;
            b.Image_File_Off = L"off.png";
            b.Image_File_Press = L"press.png";
            b.Image_File_On = L"on.png";
        }
        folder.WriteButtonLooks();
        Start(*layout);
    }

    wxColour Fill() const {
        return wxColour(static_cast<unsigned long>(MarkColoursOn(0xFFFFFFu).fill));
    }

    /// The page as the screen shows it, once the screen shows the back buffer.
    wxImage PageAsDrawn() { return PageOnScreen(Panel(), VisiblePageRect(Panel())); }

    /// Pixels of the banner's fill colour along the top edge of the page on the screen.
    int BannerPixels() {
        const wxImage top = ScreenImage(PageRectOnScreen(Panel(), wxRect(0, 0, 400, 60)));
        int count = 0;
        for (int y = 0; y < top.GetHeight(); ++y) {
            for (int x = 0; x < top.GetWidth(); ++x) {
                count +=
                    wxColour(top.GetRed(x, y), top.GetGreen(x, y), top.GetBlue(x, y)) == Fill();
            }
        }
        return count;
    }
    /// Waits until the banner is on the screen.
    bool BannerShown() {
        return WaitFor([this] { return BannerPixels() > 2000; });
    }

    /// A touch on the menu picture and the button menu's entry for a mode, as the user picks it.
    void ChooseInButtonMenu(const wxString& entry) {
        ModalScript script;
        if (TheState().EditMode == EditModes::Normal) {
            script.Then([](wxDialog& menu) {
                EXPECT_EQ(menu.GetTitle(), kMenu);
                ClickButton(menu, "Button Menu");
            });
        }
        script.Then([entry](wxDialog& buttonMenu) {
            EXPECT_EQ(buttonMenu.GetTitle(), "Button Menu");
            ClickButton(buttonMenu, entry);
        });
        ASSERT_TRUE(TouchAt(Panel(), 10, 10));
        EXPECT_TRUE(script.Done());
    }

    /// The left edge of button `button`'s frame on the screen, as seen now.
    wxColour FrameAt(int button) {
        const Rect rect = Panel().View().Renderer().ButtonRects()[button];
        return ScreenPixel(
            PageRectOnScreen(Panel(), wxRect(rect.x + 2, rect.y + 25, 1, 1)).GetPosition());
    }
};

// Each mode, chosen in the button menu: the banner is on the page and the mode in the title until
// Q ends it; then the page is again exactly what it was before any mode.
TEST(EditMarks, EachModeShowsItsBannerUntilItEndsAndNormalModeAddsNothing) {
    MarksRig rig;
    MainDialog& panel = rig.Panel();
    const wxImage before = rig.PageAsDrawn();
    ASSERT_TRUE(before.IsOk());
    EXPECT_EQ(rig.BannerPixels(), 0);
    EXPECT_EQ(panel.GetTitle(), "Wohnen");
    for (const auto& [entry, mode] :
         {std::pair{"Settings (s)", EditModes::Settings}, std::pair{"Move (m)", EditModes::Move},
          std::pair{"Get Style (g)", EditModes::GetStyle},
          std::pair{"Change Style (c)", EditModes::ChangeStyle},
          std::pair{"Delete", EditModes::Delete}}) {
        SCOPED_TRACE(entry);
        rig.ChooseInButtonMenu(entry);
        ASSERT_EQ(TheState().EditMode, mode);
        EXPECT_TRUE(rig.BannerShown());
        EXPECT_EQ(panel.GetTitle(), ModeBanner(mode));
        // Clear of the menu picture, which is the way out of the mode.
        EXPECT_GE(panel.View().Area().BannerRect().x, 40);
        // A redraw of the whole page keeps it.
        panel.View().DrawPage(0);
        EXPECT_TRUE(rig.BannerShown());

        ASSERT_TRUE(TypeKey(panel, 'Q'));
        EXPECT_EQ(panel.GetTitle(), "Wohnen");
        const wxImage after = rig.PageAsDrawn();
        EXPECT_EQ(DifferingPixels(after, before), 0) << "normal mode draws nothing extra";
    }
}

// The banner and the title stay through what the mode does: a delete and a settings "OK".
TEST(EditMarks, TheModeStaysShownAfterADeleteAndAfterSettingsOk) {
    MarksRig rig;
    MainDialog& panel = rig.Panel();
    rig.ChooseInButtonMenu("Delete");
    ASSERT_TRUE(rig.BannerShown());
    ASSERT_TRUE(TouchAt(panel, 250, 125));  // button 1
    ASSERT_EQ(TheLayout().Page(0).Button_Last, 2);
    EXPECT_TRUE(rig.BannerShown());
    EXPECT_EQ(panel.GetTitle(), "--- Button Delete ---");

    ASSERT_TRUE(TypeKey(panel, 'S'));
    EXPECT_TRUE(rig.BannerShown());
    ModalScript script;
    script.Then([](wxDialog& settings) { ClickButton(settings, "OK"); });
    ASSERT_TRUE(TouchAt(panel, 110, 125));  // button 0
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(TheState().EditMode, EditModes::Settings);
    EXPECT_TRUE(rig.BannerShown());
    EXPECT_EQ(panel.GetTitle(), "--- Button Settings ---");
}

// "Get Style" frames the button it took, through the change to "Change Style", until the style is
// applied; taken again, the frame goes when the edit ends.
TEST(EditMarks, TheStyleSourceIsFramedUntilItIsAppliedOrTheEditEnds) {
    MarksRig rig;
    MainDialog& panel = rig.Panel();
    const wxImage before = rig.PageAsDrawn();
    ASSERT_TRUE(TypeKey(panel, 'G'));
    EXPECT_EQ(rig.FrameAt(0), kOff);
    ASSERT_TRUE(TouchAt(panel, 110, 125));  // button 0
    EXPECT_TRUE(WaitFor([&] { return rig.FrameAt(0) == rig.Fill(); }));
    EXPECT_EQ(rig.FrameAt(1), kOff) << "only the source is framed";

    ASSERT_TRUE(TypeKey(panel, 'C'));
    EXPECT_TRUE(WaitFor([&] { return rig.FrameAt(0) == rig.Fill(); }));
    ModalScript script;
    script.Then([](wxDialog& copy) { ClickButton(copy, "OK"); });
    ASSERT_TRUE(TouchAt(panel, 250, 125));  // button 1 takes the style
    EXPECT_TRUE(script.Done());
    EXPECT_TRUE(WaitFor([&] { return rig.FrameAt(0) == kOff; })) << "applied: no longer framed";
    EXPECT_TRUE(rig.BannerShown());
    EXPECT_EQ(TheState().StyleSource.button, 0) << "still the source for further copies";

    ASSERT_TRUE(TypeKey(panel, 'G'));
    ASSERT_TRUE(TouchAt(panel, 110, 225));  // button 2
    EXPECT_TRUE(WaitFor([&] { return rig.FrameAt(2) == rig.Fill(); }));
    ASSERT_TRUE(TypeKey(panel, 'Q'));
    EXPECT_EQ(DifferingPixels(rig.PageAsDrawn(), before), 0);
}

}  // namespace
