// What the live panel shows of its controller link: lamps marked stale until the controller
// connected now has sent them, the banner while the link is down, the cue of a press that went
// nowhere. Read from the page as composed and from the screen; the controller is a real TCP
// server on the loopback network.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <vector>

#include "GuiTestSupport.h"
#include "model/EditMarks.h"
#include "model/PanelState.h"
#include "panel/PageArea.h"

namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;

/// "On the next tick" of the 100 ms link timer, on a busy machine.
constexpr double kNextTickMs = 500;
/// The banner's fill.
const wxColour kBannerFill(190, 0, 0);

/// The buttons of these tests, all 100 x 50 with the test looks: two lamp buttons (lamps 1 and
/// 2, values 101 and 102), a label and a page flip whose looks do not change with their lamps,
/// and a lamp button on the page's top edge (lamp 3), where the banner lies.
enum Button { kLampOne, kLampTwo, kLabel, kPageFlip, kOnTheTopEdge, kButtons };
const wxPoint kCorner[kButtons] = {{100, 100}, {300, 100}, {100, 250}, {300, 250}, {400, 0}};

/// The panel on those buttons, in LAN mode unless told, and its controller.
class LinkMarksRig : public PanelRig {
  public:
    explicit LinkMarksRig(int connectModus = 1) {
        auto layout = SmallLayout();
        layout->Form.SizeX = 800;
        layout->Form.SizeY = 480;
        layout->Form.Form_ConnectModus = connectModus;
        layout->Form.Destination_IP = controller.Address();
        for (int b = 0; b < kButtons; ++b) {
            ButtonRecord& record = layout->Button(0, b);
            record.PosX = kCorner[b].x;
            record.PosY = kCorner[b].y;
            record.Led = b == kOnTheTopEdge ? 3 : b + 1;
            record.Taster = 101 + b;
            record.Image_File_Off = L"off.png";
            record.Image_File_Press = L"press.png";
            record.Image_File_On = b == kLabel || b == kPageFlip ? L"off.png" : L"on.png";
        }
        layout->Button(0, kLabel).Inaktiv = 1;
        layout->Button(0, kPageFlip).Pageflip = 1;
        layout->Page(0).Button_Last = kButtons;
        folder.WriteButtonLooks();
        Start(*layout);
    }
    ~LinkMarksRig() { panel.reset(); }

    PageArea& Area() { return Panel().View().Area(); }

    /// A pixel of a button as composed: (3, 3) lies in a dark stripe of the hatch, (15, 3) in a
    /// light one.
    wxColour Pixel(Button b, int x = 3) const {
        return panel->PagePixel(kCorner[b].x + x, kCorner[b].y + 3);
    }
    /// Whether a button shows `colour` under `mark` at both pixels.
    bool Shows(Button b, const wxColour& colour, ButtonMark mark = ButtonMark::None) const {
        return Pixel(b) == MarkedColour(colour, mark, 3, 3) &&
               Pixel(b, 15) == MarkedColour(colour, mark, 15, 3);
    }
    /// Every button as the link's marks leave it: the lamp buttons in their looks `one` and
    /// `two` (lamp 3 unlit) under `mark`, the label and the page flip never marked.
    bool AllShow(ButtonMark mark, const wxColour& one = kOff, const wxColour& two = kOff) const {
        return Shows(kLampOne, one, mark) && Shows(kLampTwo, two, mark) &&
               Shows(kOnTheTopEdge, kOff, mark) && Shows(kLabel, kOff) && Shows(kPageFlip, kOff);
    }

    /// Pixels of the banner's fill on the screen over a page rectangle.
    int BannerPixelsOnScreen(const wxRect& pageRect) {
        const wxImage shown = ScreenImage(PageRectOnScreen(Panel(), pageRect));
        int count = 0;
        for (int y = 0; y < shown.GetHeight(); ++y) {
            for (int x = 0; x < shown.GetWidth(); ++x) {
                count += wxColour(shown.GetRed(x, y), shown.GetGreen(x, y), shown.GetBlue(x, y)) ==
                         kBannerFill;
            }
        }
        return count;
    }

    FakeController controller;
};

/// Takes a copy of two buttons' pixels as the screen gets them: at each paint of the page area,
/// from the back buffer the paint puts on the screen.
class Frames {
  public:
    explicit Frames(LinkMarksRig& rig) : m_rig(rig) {
        m_rig.Area().Bind(wxEVT_PAINT, &Frames::OnPaint, this);
    }
    ~Frames() { m_rig.Area().Unbind(wxEVT_PAINT, &Frames::OnPaint, this); }

    struct Frame {
        wxColour one;
        wxColour two;
    };
    const std::vector<Frame>& Seen() const { return m_seen; }

  private:
    void OnPaint(wxPaintEvent& event) {
        m_seen.push_back(Frame{m_rig.Pixel(kLampOne), m_rig.Pixel(kLampTwo)});
        event.Skip();
    }

    LinkMarksRig& m_rig;
    std::vector<Frame> m_seen;
};

// From the start until the first lamp-state message, and from a loss until the next
// connection's first message, the lamp buttons are marked; the label and the page flip never
// are. The banner is on the screen within a tick of the loss, over the button on the top edge
// and clear of the menu picture, and goes with the reconnect; the marks go in the same redraw
// as the new lamp states.
TEST(LinkMarks, LampsAreStaleUntilTheControllerConnectedNowHasSentThem) {
    LinkMarksRig rig;
    EXPECT_TRUE(rig.AllShow(ButtonMark::Stale)) << "before the first lamp-state message";

    ASSERT_TRUE(PanelLinked(rig.controller, 3000, LampState({2})));
    EXPECT_TRUE(rig.AllShow(ButtonMark::None, kOff, kOn));
    EXPECT_TRUE(rig.Area().OfflineRect().IsEmpty());

    // The controller goes away: marks and banner within a tick.
    const auto lost = Clock::now();
    rig.controller.Stop();
    ASSERT_TRUE(WaitFor([&rig] {
        return rig.AllShow(ButtonMark::Stale, kOff, kOn) && !rig.Area().OfflineRect().IsEmpty();
    }));
    EXPECT_LE(Ms(Clock::now() - lost).count(), kNextTickMs);
    const wxRect banner = rig.Area().OfflineRect();
    const wxRect topButton(kCorner[kOnTheTopEdge], wxSize(100, 50));
    ASSERT_TRUE(banner.Intersects(topButton));
    EXPECT_TRUE(WaitFor([&] {
        return rig.BannerPixelsOnScreen(banner.Intersect(topButton)) > 200;
    })) << "the banner is not over the button on the top edge";
    EXPECT_EQ(rig.BannerPixelsOnScreen(wxRect(0, 0, 40, 40)), 0) << "over the menu picture";
    EXPECT_GE(banner.x, 40);
    EXPECT_GE(banner.height, 50) << "too small to read across the room";

    // Back: the banner goes with the reconnect, the marks stay until the lamp states come.
    ASSERT_TRUE(rig.controller.Listen());
    ASSERT_TRUE(PanelLinked(rig.controller, 5000, {}));
    EXPECT_TRUE(rig.Area().OfflineRect().IsEmpty());
    EXPECT_TRUE(WaitFor([&] { return rig.BannerPixelsOnScreen(banner) == 0; }));
    Pump(300);
    EXPECT_TRUE(rig.AllShow(ButtonMark::Stale, kOff, kOn));

    Frames frames(rig);
    ASSERT_TRUE(rig.controller.Send(LampState({1})));
    ASSERT_TRUE(WaitFor([&rig] { return rig.Shows(kLampOne, kOn); }));
    Pump(200);
    EXPECT_TRUE(rig.AllShow(ButtonMark::None, kOn, kOff));
    int before = 0;
    int after = 0;
    for (const Frames::Frame& frame : frames.Seen()) {
        if (frame.one == MarkedColour(kOff, ButtonMark::Stale, 3, 3) &&
            frame.two == MarkedColour(kOn, ButtonMark::Stale, 3, 3)) {
            ++before;
        } else if (frame.one == kOn && frame.two == kOff) {
            ++after;
        } else {
            ADD_FAILURE() << "a frame shows lamps 1 and 2 as " << frame.one.GetAsString() << " and "
                          << frame.two.GetAsString();
        }
    }
    EXPECT_GT(after, 0) << "no frame showed the new lamp states";
}

// A press while the link is down shows its pressed look, then the cue; the lamp look comes
// back, and when the link does, the controller gets its state request and nothing of the press.
TEST(LinkMarks, APressWhileTheLinkIsDownIsMarkedAndNeverSent) {
    LinkMarksRig rig;
    ASSERT_TRUE(PanelLinked(rig.controller));
    rig.controller.Stop();
    ASSERT_TRUE(WaitFor([&rig] { return !rig.Area().OfflineRect().IsEmpty(); }));

    ASSERT_TRUE(PointAt(rig.Panel(), kCorner[kLampOne].x + 50, kCorner[kLampOne].y + 25));
    ASSERT_TRUE(FingerDown());
    EXPECT_TRUE(rig.Shows(kLampOne, kPressed));
    ASSERT_TRUE(FingerUp());
    const auto released = Clock::now();
    EXPECT_TRUE(rig.Shows(kLampOne, kOff, ButtonMark::NotSent));
    EXPECT_TRUE(rig.Shows(kLampTwo, kOff, ButtonMark::Stale)) << "the cue is on the touched button";
    ASSERT_TRUE(WaitFor([&rig] { return rig.Shows(kLampOne, kOff, ButtonMark::Stale); }));
    const double cueMs = Ms(Clock::now() - released).count();
    EXPECT_GE(cueMs, 0.8 * LinkMarks::kCueFor.count());
    EXPECT_LE(cueMs, LinkMarks::kCueFor.count() + kNextTickMs);

    ASSERT_TRUE(rig.controller.Listen());
    ASSERT_TRUE(PanelLinked(rig.controller, 5000));
    Pump(500);
    rig.controller.Poll();
    EXPECT_TRUE(rig.controller.Received().empty()) << "the press was sent after all";
    EXPECT_TRUE(rig.AllShow(ButtonMark::None));
}

// Without LAN mode the panel shows no lamps by design: nothing is marked, no banner, no cue.
// With both banners due, the link's lies on the top edge and the edit mode's right below it,
// neither over the menu picture.
TEST(LinkMarks, WithoutLanModeNothingIsMarkedAndAnEditBannerGoesBelowTheLinks) {
    {
        LinkMarksRig rig(0);
        rig.controller.Stop();
        Pump(300);
        EXPECT_TRUE(rig.AllShow(ButtonMark::None));
        EXPECT_TRUE(rig.Area().OfflineRect().IsEmpty());
        ASSERT_TRUE(TouchAt(rig.Panel(), kCorner[kLampOne].x + 50, kCorner[kLampOne].y + 25));
        EXPECT_TRUE(rig.AllShow(ButtonMark::None)) << "a cue outside LAN mode";
    }
    LinkMarksRig rig;
    rig.controller.Stop();
    ASSERT_TRUE(WaitFor([&rig] { return !rig.Area().OfflineRect().IsEmpty(); }));
    rig.Panel().Dialogs().SetEditMode(EditModes::Move);
    const wxRect link = rig.Area().OfflineRect();
    const wxRect edit = rig.Area().BannerRect();
    EXPECT_EQ(link.y, 0);
    EXPECT_EQ(edit.y, link.GetBottom() + 1);
    EXPECT_GE(std::min(link.x, edit.x), 40);
    rig.Panel().Dialogs().SetEditMode(EditModes::Normal);
    EXPECT_TRUE(rig.Area().BannerRect().IsEmpty());
    EXPECT_EQ(rig.Area().OfflineRect(), link);
}

}  // namespace
