// Touches, keys and the controller link of the live panel, against a controller that listens on
// the loopback network.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtk/gtk.h>

#include <wx/uiaction.h>

#include "ButtonSamples.h"
#include "GuiTestSupport.h"
#include "ModalScript.h"
#include "link/LinkMessages.h"
#include "model/PanelState.h"
#include "panel/PageArea.h"

namespace {

using Bytes = FakeController::Bytes;

const wxColour kWhite(255, 255, 255);
const std::wstring kNoConnection = L"Keine Verbindung zum Server";

/// An 800 x 480 layout with white pages; page n is named "Page n".
std::unique_ptr<Layout> TouchLayout(int connectModus) {
    auto layout = std::make_unique<Layout>();
    layout->Form.SizeX = 800;
    layout->Form.SizeY = 480;
    layout->Form.Form_ConnectModus = connectModus;
    for (int page = 0; page <= layout->LastPage; ++page) {
        layout->Page(page).PageName = L"Page " + std::to_wstring(page);
    }
    return layout;
}

/// Adds a 100 x 50 button to a page (red off, blue pressed, green on) and returns its number.
int AddButton(Layout& layout, int page, int x, int y, int taster, int led = 0) {
    const int button = layout.Page(page).Button_Last++;
    ButtonRecord& record = layout.Button(page, button);
    record.PosX = x;
    record.PosY = y;
    record.Taster = taster;
    record.Led = led;
    record.Image_File_Off = L"off.png";
    record.Image_File_Press = L"press.png";
    record.Image_File_On = L"on.png";
    return button;
}

/// A panel started on a layout and pointed at its own fake controller.
class Rig : public PanelRig {
  public:
    explicit Rig(Layout& layout) {
        folder.WriteButtonLooks();
        folder.WritePicture("wide.png", 130, 40, kOn);
        layout.Form.Destination_IP = controller.Address();
        Start(layout);
    }
    ~Rig() { panel.reset(); }

    bool Linked(int timeoutMs = 3000, const Bytes& answer = LampState({})) {
        return PanelLinked(controller, timeoutMs, answer);
    }

    /// Waits until the controller has `size` bytes (or the time is up) and returns them.
    const Bytes& ReceivedAtLeast(std::size_t size) {
        WaitFor([this, size] {
            controller.Poll();
            return controller.Received().size() >= size;
        });
        return controller.Received();
    }

    /// What arrives within a while, for checks that nothing is sent.
    const Bytes& ReceivedWithin(int milliseconds) {
        Pump(milliseconds);
        controller.Poll();
        return controller.Received();
    }

    /// Puts the panel back on a page without a touch.
    void ShowPage(int page) {
        TheState().CurrentPage = page;
        Panel().View().LoadPage(page);
        Panel().View().DrawPage(page);
    }

    FakeController controller;
};

TEST(Link, PressAndReleaseCarryTheValueHighByteFirst) {
    auto layout = TouchLayout(1);
    AddButton(*layout, 0, 100, 100, 300);
    AddButton(*layout, 0, 300, 100, 0);
    AddButton(*layout, 0, 500, 100, 1);
    Rig rig(*layout);
    ASSERT_TRUE(rig.Linked());
    // The layout file carries three digits; a larger value can only come from the dialogs.
    TheLayout().Button(0, 2).Taster = 65535;

    struct Case {
        int x;
        Bytes press;
        Bytes release;
    };
    for (const Case& c :
         {Case{150, {0x78, 0x31, 0x31, 0x01, 0x2C}, {0x78, 0x31, 0x32, 0x01, 0x2C}},
          Case{350, {0x78, 0x31, 0x31, 0x00, 0x00}, {0x78, 0x31, 0x32, 0x00, 0x00}},
          Case{550, {0x78, 0x31, 0x31, 0xFF, 0xFF}, {0x78, 0x31, 0x32, 0xFF, 0xFF}}}) {
        SCOPED_TRACE(c.x);
        rig.controller.ClearReceived();
        ASSERT_TRUE(PointAt(rig.Panel(), c.x, 125));
        ASSERT_TRUE(FingerDown());
        EXPECT_EQ(rig.ReceivedAtLeast(5), c.press);
        // The pressed look stays while the finger is down, through the link timer's ticks.
        Pump(150);
        EXPECT_EQ(rig.Pixel(c.x - 45, 103), kPressed);
        ASSERT_TRUE(FingerUp());
        EXPECT_EQ(rig.ReceivedAtLeast(10), Join({c.press, c.release}));
        EXPECT_EQ(rig.Pixel(c.x - 45, 103), kOff);
        EXPECT_EQ(TheState().SelectedButton, -1);
    }
}

TEST(Link, AsksForTheLampStatesOncePerConnectionAndReconnects) {
    auto layout = TouchLayout(1);
    Rig rig(*layout);
    ASSERT_TRUE(rig.Linked());
    EXPECT_TRUE(rig.ReceivedWithin(350).empty()) << "a second state request on one connection";
    EXPECT_EQ(rig.controller.Connections(), 1);

    // The controller drops the connection and takes the next one at once.
    rig.controller.DropClient();
    ASSERT_TRUE(rig.Linked());
    EXPECT_EQ(rig.controller.Connections(), 2);
    EXPECT_TRUE(rig.ReceivedWithin(250).empty());

    // The controller goes away for a while and comes back.
    rig.controller.Stop();
    EXPECT_TRUE(WaitFor([] { return TheState().StatusText == kNoConnection; }));
    Pump(300);
    EXPECT_EQ(TheState().StatusText, kNoConnection);
    ASSERT_TRUE(rig.controller.Listen());
    ASSERT_TRUE(rig.Linked(5000));
    EXPECT_EQ(rig.controller.Connections(), 3);
    EXPECT_TRUE(rig.ReceivedWithin(250).empty());
}

TEST(Link, LampStateSplitAcrossSegmentsIsAppliedOnceComplete) {
    auto layout = TouchLayout(1);
    AddButton(*layout, 0, 100, 100, 1, 2);
    Rig rig(*layout);
    ASSERT_TRUE(rig.Linked());
    const Bytes message = LampState({2});

    ASSERT_TRUE(rig.controller.Send(Bytes(message.begin(), message.end() - 1)));
    Pump(300);
    EXPECT_FALSE(TheState().Lamps.IsOn(2));
    EXPECT_EQ(rig.Pixel(103, 103), kOff);

    ASSERT_TRUE(rig.controller.Send(Bytes(message.end() - 1, message.end())));
    EXPECT_TRUE(WaitFor([] { return TheState().Lamps.IsOn(2); }));
    EXPECT_EQ(rig.Pixel(103, 103), kOn);
}

TEST(Link, MessagesArrivingTogetherAreAppliedInTurnTheLastWinning) {
    auto layout = TouchLayout(1);
    AddButton(*layout, 0, 100, 100, 1, 2);
    AddButton(*layout, 0, 300, 100, 2, 7);
    Rig rig(*layout);
    ASSERT_TRUE(rig.Linked());

    // Two messages (254 bytes), and a burst of 16 (2032 bytes) that must not be taken for a
    // stream out of step.
    for (const int messages : {2, 16}) {
        SCOPED_TRACE(messages);
        TheState().Lamps.Clear();
        rig.Panel().View().DrawButtons(0);
        Bytes burst;
        for (int i = 1; i < messages; ++i) {
            burst = Join({burst, LampState({2, 5})});
        }
        ASSERT_TRUE(rig.controller.Send(Join({burst, LampState({7})})));
        EXPECT_TRUE(WaitFor([] { return TheState().Lamps.IsOn(7); }));
        EXPECT_FALSE(TheState().Lamps.IsOn(2));
        EXPECT_FALSE(TheState().Lamps.IsOn(5));
        EXPECT_EQ(rig.Pixel(103, 103), kOff);
        EXPECT_EQ(rig.Pixel(303, 103), kOn);
    }
}

TEST(Link, PartOfAMessageIsNotGluedToTheNextConnection) {
    auto layout = TouchLayout(1);
    AddButton(*layout, 0, 100, 100, 1, 7);
    Rig rig(*layout);
    ASSERT_TRUE(rig.Linked());

    const Bytes cut = LampState({2});
    ASSERT_TRUE(rig.controller.Send(Bytes(cut.begin(), cut.begin() + 100)));
    Pump(200);  // read by the panel, waiting for the rest
    rig.controller.DropClient();
    ASSERT_TRUE(rig.Linked(3000, {}));
    ASSERT_TRUE(rig.controller.Send(LampState({7})));
    EXPECT_TRUE(WaitFor([] { return TheState().Lamps.IsOn(7); }));
    EXPECT_EQ(rig.Pixel(103, 103), kOn);
}

TEST(Link, BrokenLengthIsDroppedAndTheNextMessageIsInStep) {
    auto layout = TouchLayout(1);
    AddButton(*layout, 0, 100, 100, 1, 2);
    AddButton(*layout, 0, 300, 100, 2, 7);
    Rig rig(*layout);
    ASSERT_TRUE(rig.Linked());
    ASSERT_TRUE(rig.controller.Send(LampState({2})));
    ASSERT_TRUE(WaitFor([] { return TheState().Lamps.IsOn(2); }));

    // 200 bytes: a whole message that would light lamp 7, and 73 bytes more.
    Bytes broken = LampState({7});
    broken.resize(200, 0xFF);
    ASSERT_TRUE(rig.controller.Send(broken));
    Pump(300);
    EXPECT_TRUE(TheState().Lamps.IsOn(2));
    EXPECT_FALSE(TheState().Lamps.IsOn(7));
    EXPECT_EQ(rig.Pixel(103, 103), kOn);
    EXPECT_EQ(rig.Pixel(303, 103), kOff);

    ASSERT_TRUE(rig.controller.Send(LampState({7})));
    EXPECT_TRUE(WaitFor([] { return TheState().Lamps.IsOn(7); }));
    EXPECT_FALSE(TheState().Lamps.IsOn(2));
    EXPECT_EQ(rig.Pixel(303, 103), kOn);
}

TEST(Touch, InactiveButtonIsOnlyALabel) {
    auto layout = TouchLayout(1);
    // Over the menu area (the 40 x 40 picture at the page origin), with a page flip.
    const int button = AddButton(*layout, 0, 10, 10, 77);
    layout->Button(0, button).Inaktiv = 1;
    layout->Button(0, button).Pageflip = 2;
    Rig rig(*layout);
    ASSERT_TRUE(rig.Linked());

    ModalScript noMenu;  // any dialog that opens fails the test
    ASSERT_TRUE(PointAt(rig.Panel(), 20, 20));
    ASSERT_TRUE(FingerDown());
    Pump(150);
    EXPECT_EQ(rig.Pixel(100, 50), kOff) << "an inactive button shows no pressed look";
    ASSERT_TRUE(FingerUp());
    EXPECT_TRUE(rig.ReceivedWithin(250).empty());
    EXPECT_EQ(TheState().CurrentPage, 0);
    EXPECT_EQ(rig.Panel().GetTitle(), "Page 0");
    EXPECT_EQ(rig.Pixel(100, 50), kOff);
}

TEST(Touch, ReleaseInTheMenuAreaOpensTheMenuAfterTheButtonActed) {
    auto layout = TouchLayout(1);
    AddButton(*layout, 0, 10, 10, 77);  // over the menu picture
    Rig rig(*layout);
    ASSERT_TRUE(rig.Linked());

    struct Case {
        const char* name;
        int downX;
        int downY;
        Bytes sent;
    };
    for (const Case& c :
         {Case{"button over the menu", 20, 20, Join({PressBytes(77), ReleaseBytes(77)})},
          Case{"down beside every button", 400, 300, {}}}) {
        SCOPED_TRACE(c.name);
        rig.controller.ClearReceived();
        ModalScript script;
        script.Then([](wxDialog& menu) {
            EXPECT_EQ(menu.GetTitle(), wxString::FromUTF8("Main Menü"));
            menu.Close();
        });
        ASSERT_TRUE(PointAt(rig.Panel(), c.downX, c.downY));
        ASSERT_TRUE(FingerDown());
        EXPECT_FALSE(script.Done()) << "the menu opens on the release only";
        ASSERT_TRUE(PointAt(rig.Panel(), 20, 20));
        ASSERT_TRUE(FingerUp());
        EXPECT_TRUE(WaitFor([&script] { return script.Done(); }));
        EXPECT_EQ(rig.ReceivedWithin(150), c.sent);
    }
}

TEST(Touch, ReleaseFlipsThePageWhereverTheFingerIsLifted) {
    auto layout = TouchLayout(1);
    const int button = AddButton(*layout, 0, 100, 100, 42);
    layout->Button(0, button).Pageflip = 2;
    layout->Page(2).BackColor1 = 0x00FF00;
    layout->Page(2).BackColor2 = 0x00FF00;
    Rig rig(*layout);
    ASSERT_TRUE(rig.Linked());

    struct Case {
        const char* name;
        int liftX;
        int liftY;
    };
    for (const Case& c :
         {Case{"lifted on the button", 150, 125}, Case{"slid off the button", 600, 400}}) {
        SCOPED_TRACE(c.name);
        rig.ShowPage(0);
        rig.controller.ClearReceived();
        ASSERT_TRUE(PointAt(rig.Panel(), 150, 125));
        ASSERT_TRUE(FingerDown());
        EXPECT_EQ(rig.ReceivedAtLeast(5), PressBytes(42));
        EXPECT_EQ(TheState().CurrentPage, 0) << "the page flips on the release only";
        ASSERT_TRUE(PointAt(rig.Panel(), c.liftX, c.liftY));
        ASSERT_TRUE(FingerUp());
        EXPECT_EQ(rig.ReceivedAtLeast(10), Join({PressBytes(42), ReleaseBytes(42)}));
        EXPECT_EQ(TheState().CurrentPage, 2);
        EXPECT_EQ(rig.Panel().GetTitle(), "Page 2");
        EXPECT_EQ(rig.Pixel(700, 400), wxColour(0, 255, 0));
    }
}

TEST(Touch, PageflipThatNamesNoPageFlipsNowhere) {
    auto layout = TouchLayout(1);
    AddButton(*layout, 0, 100, 100, 5);
    Rig rig(*layout);
    ASSERT_TRUE(rig.Linked());
    for (const int pageflip : {150, -3, 102, 1000}) {
        SCOPED_TRACE(pageflip);
        TheLayout().Button(0, 0).Pageflip = pageflip;
        rig.controller.ClearReceived();
        ASSERT_TRUE(TouchAt(rig.Panel(), 150, 125));
        EXPECT_EQ(rig.ReceivedAtLeast(10), Join({PressBytes(5), ReleaseBytes(5)}));
        EXPECT_EQ(TheState().CurrentPage, 0);
        EXPECT_EQ(rig.Panel().GetTitle(), "Page 0");
    }
}

TEST(Touch, HitTestTakesEdgesAndTheTopmostButton) {
    auto layout = TouchLayout(1);
    // Buttons 0 ... 6 in a row 10 pixels apart, taster 100 + number; button 7 overlaps 3.
    for (int i = 0; i < 7; ++i) {
        AddButton(*layout, 0, 20 + 110 * i, 300, 100 + i);
    }
    AddButton(*layout, 0, 400, 325, 107);
    Rig rig(*layout);
    ASSERT_TRUE(rig.Linked());

    struct Case {
        int x;
        int y;
        int taster;  ///< -1: no button
    };
    for (const Case& c : {Case{425, 340, 107},  // overlap of 3 and 7
                          Case{360, 310, 103},  // 3 alone
                          Case{120, 320, 100},  // right edge of 0
                          Case{50, 350, 100},   // bottom edge of 0
                          Case{120, 350, 100},  // bottom-right corner of 0
                          Case{20, 300, 100},   // top-left corner of 0
                          Case{125, 320, -1},   // between 0 and 1
                          Case{50, 351, -1},    // just below 0
                          Case{600, 100, -1}}) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        rig.controller.ClearReceived();
        ASSERT_TRUE(TouchAt(rig.Panel(), c.x, c.y));
        if (c.taster < 0) {
            EXPECT_TRUE(rig.ReceivedWithin(200).empty());
        } else {
            EXPECT_EQ(rig.ReceivedAtLeast(10),
                      Join({PressBytes(c.taster), ReleaseBytes(c.taster)}));
        }
    }
}

TEST(Touch, ScrolledPageIsHitWhereItIsShown) {
    auto layout = TouchLayout(1);
    layout->Form.SizeX = 2000;
    layout->Form.SizeY = 1500;
    AddButton(*layout, 0, 1400, 1000, 21);
    // Where the finger lies in window coordinates: a hit test that forgot the scroll offset
    // would find this one.
    AddButton(*layout, 0, 900, 700, 22);
    Rig rig(*layout);
    ASSERT_TRUE(rig.Linked());

    PageArea* area = &rig.Panel().View().Area();
    ASSERT_LT(area->GetClientSize().x, 2000);
    ASSERT_LT(area->GetClientSize().y, 1500);
    area->Scroll(500, 300);
    Pump(50);
    ASSERT_EQ(area->GetViewStart(), wxPoint(500, 300));
    ASSERT_EQ(area->CalcScrolledPosition(wxPoint(1420, 1020)), wxPoint(920, 720));

    ASSERT_TRUE(TouchAt(rig.Panel(), 1420, 1020));
    EXPECT_EQ(rig.ReceivedAtLeast(10), Join({PressBytes(21), ReleaseBytes(21)}));
}

/// The off picture of button k of the scrolled page: a colour no other button and no part of
/// the page has (the page runs from white to yellow, the pressed look is kPressed).
wxColour ScrolledButtonColour(int k) {
    return wxColour(static_cast<unsigned char>(20 + 3 * k), static_cast<unsigned char>(200 - 2 * k),
                    90);
}

/// Where the pixels of one colour lie in an image, and how many there are.
struct Patch {
    wxRect box;
    int pixels = 0;
};

Patch FindColour(const wxImage& image, const wxColour& colour) {
    Patch patch;
    for (int y = 0; y < image.GetHeight(); ++y) {
        for (int x = 0; x < image.GetWidth(); ++x) {
            if (image.GetRed(x, y) == colour.Red() && image.GetGreen(x, y) == colour.Green() &&
                image.GetBlue(x, y) == colour.Blue()) {
                patch.box =
                    patch.pixels == 0 ? wxRect(x, y, 1, 1) : patch.box.Union(wxRect(x, y, 1, 1));
                ++patch.pixels;
            }
        }
    }
    return patch;
}

/// Where a scroll bar of a scrolled window lies on the screen (GTK draws it over the content or
/// beside it, as its settings say); empty when it is not shown.
wxRect ScrollBarOnScreen(wxWindow& scrolled, wxOrientation orientation) {
    GtkWidget* widget = static_cast<GtkWidget*>(scrolled.GetHandle());
    if (!GTK_IS_SCROLLED_WINDOW(widget)) {
        return wxRect();
    }
    GtkScrolledWindow* window = GTK_SCROLLED_WINDOW(widget);
    GtkWidget* bar = orientation == wxVERTICAL ? gtk_scrolled_window_get_vscrollbar(window)
                                               : gtk_scrolled_window_get_hscrollbar(window);
    if (bar == nullptr || !gtk_widget_get_mapped(bar)) {
        return wxRect();
    }
    GtkWidget* top = gtk_widget_get_toplevel(bar);
    int x = 0;
    int y = 0;
    int originX = 0;
    int originY = 0;
    if (!gtk_widget_translate_coordinates(bar, top, 0, 0, &x, &y)) {
        return wxRect();
    }
    gdk_window_get_origin(gtk_widget_get_window(top), &originX, &originY);
    return wxRect(originX + x, originY + y, gtk_widget_get_allocated_width(bar),
                  gtk_widget_get_allocated_height(bar));
}

TEST(Touch, ScrolledPageOnTheScreenIsHitWhereItIsSeen) {
    constexpr int kColumns = 10;
    constexpr int kRows = 7;
    // A kiosk panel (no frame) with a layout larger than its display.
    auto layout = TouchLayout(1);
    layout->Form.Form_FullScreen = 1;
    layout->Form.SizeX = 2000;
    layout->Form.SizeY = 1500;
    layout->Page(0).BackColor1 = 0xFFFFFF;
    layout->Page(0).BackColor2 = 0x00FFFF;
    for (int k = 0; k < kColumns * kRows; ++k) {
        AddButton(*layout, 0, 60 + 190 * (k % kColumns), 70 + 200 * (k / kColumns), 100 + k);
        layout->Button(0, k).Image_File_Off = L"b" + std::to_wstring(k) + L".png";
        layout->Button(0, k).Text_Off.clear();
    }
    Rig rig(*layout);
    for (int k = 0; k < kColumns * kRows; ++k) {
        rig.folder.WritePicture("b" + std::to_string(k) + ".png", 100, 50, ScrolledButtonColour(k));
    }
    rig.ShowPage(0);
    ASSERT_TRUE(rig.Linked());
    PageArea* area = &rig.Panel().View().Area();
    const wxSize client = area->GetClientSize();
    ASSERT_LT(client.x, 2000);
    ASSERT_LT(client.y, 1500);
    // The whole page area is on the display.
    EXPECT_EQ(VisiblePageRect(rig.Panel()), wxRect(wxPoint(0, 0), client));

    struct Case {
        const char* name;
        std::function<void()> scroll;
    };
    const Case cases[] = {
        {"the program scrolls", [area] { area->Scroll(530, 310); }},
        {"the user clicks both scroll bars near their far ends",
         [area] {
             wxUIActionSimulator user;
             for (const wxOrientation bar : {wxVERTICAL, wxHORIZONTAL}) {
                 const wxRect onScreen = ScrollBarOnScreen(*area, bar);
                 ASSERT_FALSE(onScreen.IsEmpty()) << "no scroll bar";
                 ASSERT_TRUE(wxRect(wxGetDisplaySize()).Contains(onScreen))
                     << "a scroll bar is off the screen";
                 const wxPoint nearTheEnd = bar == wxVERTICAL
                                                ? wxPoint(onScreen.x + onScreen.width / 2,
                                                          onScreen.y + onScreen.height * 4 / 5)
                                                : wxPoint(onScreen.x + onScreen.width * 4 / 5,
                                                          onScreen.y + onScreen.height / 2);
                 const wxPoint before = area->GetViewStart();
                 ASSERT_TRUE(PointAtScreen(nearTheEnd));
                 user.MouseClick();
                 EXPECT_TRUE(WaitFor([&] { return area->GetViewStart() != before; }));
                 // GTK glides to the new position: wait until the page stands still.
                 wxPoint last = area->GetViewStart();
                 for (int still = 0; still < 3;) {
                     Pump(100);
                     still = area->GetViewStart() == last ? still + 1 : 0;
                     last = area->GetViewStart();
                 }
             }
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        area->Scroll(0, 0);
        Pump(50);
        c.scroll();
        Pump(50);
        const wxPoint start = area->CalcUnscrolledPosition(wxPoint(0, 0));
        ASSERT_GT(start.x, 150);
        ASSERT_GT(start.y, 150);

        // The screen shows the page from the scroll position on (the scroll bars, drawn over
        // the page or beside it, aside).
        const wxRect visible = VisiblePageRect(rig.Panel());
        ASSERT_EQ(visible, wxRect(start, client).Intersect(wxRect(0, 0, 2000, 1500)));
        wxRect shown = visible;
        const wxPoint clientOnScreen = area->ClientToScreen(wxPoint(0, 0));
        const wxRect vertical = ScrollBarOnScreen(*area, wxVERTICAL);
        const wxRect horizontal = ScrollBarOnScreen(*area, wxHORIZONTAL);
        if (!vertical.IsEmpty()) {
            shown.width = std::min(shown.width, vertical.x - clientOnScreen.x);
        }
        if (!horizontal.IsEmpty()) {
            shown.height = std::min(shown.height, horizontal.y - clientOnScreen.y);
        }
        ASSERT_GT(shown.width, client.x - 30);
        ASSERT_GT(shown.height, client.y - 30);
        const wxImage screen = PageOnScreen(rig.Panel(), shown);
        ASSERT_TRUE(screen.IsOk());
        EXPECT_EQ(DifferingPixels(screen, rig.panel->PageImage().GetSubImage(shown)), 0);
        // Every button lies on the screen where the page puts it, less the scroll offset.
        int whole = 0;
        int target = -1;
        wxRect targetBox;
        const wxPoint middle(shown.width / 2, shown.height / 2);
        for (int k = 0; k < kColumns * kRows; ++k) {
            const ButtonRecord& b = TheLayout().Button(0, k);
            const wxRect expected(b.PosX - start.x, b.PosY - start.y, 100, 50);
            const Patch seen = FindColour(screen, ScrolledButtonColour(k));
            if (!wxRect(wxPoint(0, 0), shown.GetSize()).Contains(expected)) {
                continue;
            }
            ++whole;
            SCOPED_TRACE(k);
            EXPECT_EQ(seen.pixels, 5000);
            EXPECT_EQ(seen.box, expected);
            const auto distance = [&middle](const wxRect& r) {
                return std::abs(r.x + 50 - middle.x) + std::abs(r.y + 25 - middle.y);
            };
            if (target < 0 || distance(expected) < distance(targetBox)) {
                target = k;
                targetBox = expected;
            }
        }
        ASSERT_GE(whole, 12);

        // A finger on the button seen nearest the middle of the screen presses that button,
        // and the screen shows it pressed there.
        SCOPED_TRACE(target);
        rig.controller.ClearReceived();
        const wxPoint onScreen = PageRectOnScreen(rig.Panel(), shown).GetPosition() +
                                 targetBox.GetPosition() + wxPoint(50, 25);
        ASSERT_TRUE(PointAtScreen(onScreen));
        ASSERT_TRUE(FingerDown());
        EXPECT_EQ(rig.ReceivedAtLeast(5), PressBytes(100 + target));
        const wxImage pressed = PageOnScreen(
            rig.Panel(),
            wxRect(targetBox.GetPosition() + shown.GetPosition(), targetBox.GetSize()));
        EXPECT_EQ(FindColour(pressed, kPressed).pixels, 5000);
        ASSERT_TRUE(FingerUp());
        EXPECT_EQ(rig.ReceivedAtLeast(10),
                  Join({PressBytes(100 + target), ReleaseBytes(100 + target)}));
    }
}

TEST(Touch, DoubleClickIsTwoFullPressesAndReleases) {
    auto layout = TouchLayout(1);
    AddButton(*layout, 0, 100, 100, 42, 3);
    // "Next page" buttons at the same place on pages 1 and 2.
    AddButton(*layout, 1, 500, 300, 51);
    layout->Button(1, 0).Pageflip = 2;
    AddButton(*layout, 2, 500, 300, 52);
    layout->Button(2, 0).Pageflip = 3;
    Rig rig(*layout);
    ASSERT_TRUE(rig.Linked());

    struct Case {
        const char* name;
        int page;
        wxPoint at;
        Bytes sent;
        int pageAfter;
    };
    for (const Case& c :
         {Case{"a button",
               0,
               {150, 125},
               Join({PressBytes(42), ReleaseBytes(42), PressBytes(42), ReleaseBytes(42)}),
               0},
          Case{"a page flip: the second tap presses what the new page has there",
               1,
               {550, 325},
               Join({PressBytes(51), ReleaseBytes(51), PressBytes(52), ReleaseBytes(52)}),
               3}}) {
        SCOPED_TRACE(c.name);
        rig.ShowPage(c.page);
        rig.controller.ClearReceived();
        ASSERT_TRUE(PointAt(rig.Panel(), c.at.x, c.at.y));
        const int doubleClicks = DoubleClicksSeen();
        ASSERT_TRUE(FingerDown());
        ASSERT_TRUE(FingerUp());
        ASSERT_TRUE(FingerDown());
        ASSERT_EQ(DoubleClicksSeen(), doubleClicks + 1) << "the second tap came as a plain press";
        // The second tap shows the pressed look on the screen as the first did.
        EXPECT_EQ(FindColour(PageOnScreen(rig.Panel(), wxRect(c.at.x - 40, c.at.y - 20, 80, 40)),
                             kPressed)
                      .pixels,
                  80 * 40);
        ASSERT_TRUE(FingerUp());
        EXPECT_EQ(rig.ReceivedAtLeast(20), c.sent);
        EXPECT_EQ(rig.ReceivedWithin(200), c.sent) << "more than two presses and releases";
        EXPECT_EQ(TheState().CurrentPage, c.pageAfter);
        EXPECT_EQ(TheState().SelectedButton, -1);
        if (c.page == c.pageAfter) {
            // Back to the off look (red, with its text).
            const wxImage after =
                PageOnScreen(rig.Panel(), wxRect(c.at.x - 40, c.at.y - 20, 80, 40));
            EXPECT_EQ(FindColour(after, kPressed).pixels, 0);
            EXPECT_GT(FindColour(after, kOff).pixels, 80 * 40 / 2);
        }
    }
}

TEST(Pictures, MissingDefaultButtonPictureAsksToCloseAndACancelledCloseKeepsThePanelWorking) {
    const std::wstring kMissing = L"defaultButton.png is missing, Porgram will be terminated";
    // Buttons with pictures of their own, and one on each page that falls back to the default
    // picture; page 0 flips to page 1 and back.
    auto layout = TouchLayout(1);
    AddButton(*layout, 0, 100, 100, 10);
    const int fallback0 = AddButton(*layout, 0, 300, 100, 11);
    const int flip0 = AddButton(*layout, 0, 500, 100, 12);
    layout->Button(0, flip0).Pageflip = 1;
    const int flip1 = AddButton(*layout, 1, 100, 300, 20);
    layout->Button(1, flip1).Pageflip = 0;
    const int fallback1 = AddButton(*layout, 1, 300, 300, 21);
    for (const auto& [page, button] : {std::pair{0, fallback0}, std::pair{1, fallback1}}) {
        ButtonRecord& b = layout->Button(page, button);
        b.Image_File_Off.clear();
        b.Image_File_Press.clear();
        b.Image_File_On.clear();
    }

    {
        SCOPED_TRACE("missing at the start, nothing changed yet: the panel ends");
        FakePrompter prompter;
        LayoutFolder folder;
        folder.WriteButtonLooks();
        folder.Write(*layout);
        ::unlink((folder.Path() + "/defaultButton.png").c_str());
        PanelUnderTest panel(folder, prompter);
        EXPECT_EQ(prompter.messages, std::vector<std::wstring>{kMissing});
        EXPECT_TRUE(prompter.questions.empty());
        EXPECT_EQ(prompter.exitCode, 1);
    }

    SCOPED_TRACE("gone while the panel runs with changes not stored; the close is cancelled");
    Rig rig(*layout);
    ASSERT_TRUE(rig.Linked());
    TheState().LayoutChanged = 1;
    ::unlink((rig.folder.Path() + "/defaultButton.png").c_str());
    const auto white = [](const wxImage& image) { return FindColour(image, kWhite).pixels; };
    const auto pressed = [](const wxImage& image) { return FindColour(image, kPressed).pixels; };
    const auto off = [](const wxImage& image) { return FindColour(image, kOff).pixels; };

    // The page flip loads page 1: the message, the question, "Cancel".
    ASSERT_TRUE(TouchAt(rig.Panel(), 550, 125));
    EXPECT_EQ(rig.ReceivedAtLeast(10), Join({PressBytes(12), ReleaseBytes(12)}));
    EXPECT_EQ(rig.prompter.messages, std::vector<std::wstring>{kMissing});
    EXPECT_EQ(rig.prompter.questions, std::vector<std::wstring>{L"SAVE CHANGES ?"});
    EXPECT_EQ(rig.prompter.exitCode, -1);
    ASSERT_EQ(TheState().CurrentPage, 1);
    EXPECT_EQ(rig.Panel().GetTitle(), "Page 1");
    EXPECT_EQ(TheState().LayoutChanged, 1);
    EXPECT_TRUE(rig.Panel().IsShown());

    // Page 1 on the screen: its own button drawn, nothing where the fallback button would be.
    EXPECT_GT(off(PageOnScreen(rig.Panel(), wxRect(100, 300, 100, 50))), 2500);
    EXPECT_EQ(white(PageOnScreen(rig.Panel(), wxRect(300, 300, 100, 50))), 5000);
    // A touch there finds no button.
    rig.controller.ClearReceived();
    ASSERT_TRUE(TouchAt(rig.Panel(), 350, 325));
    EXPECT_TRUE(rig.ReceivedWithin(200).empty());

    // The lamps light what is drawn and leave the rest of the page alone.
    ASSERT_TRUE(rig.controller.Send(LampState({0})));
    ASSERT_TRUE(WaitFor([] { return TheState().Lamps.IsOn(0); }));
    EXPECT_GT(FindColour(PageOnScreen(rig.Panel(), wxRect(100, 300, 100, 50)), kOn).pixels, 2500);
    EXPECT_EQ(white(PageOnScreen(rig.Panel(), wxRect(300, 300, 100, 50))), 5000);

    // The button of page 1 works, and flips back to page 0: asked again, cancelled again.
    rig.controller.ClearReceived();
    ASSERT_TRUE(PointAt(rig.Panel(), 150, 325));
    ASSERT_TRUE(FingerDown());
    EXPECT_EQ(pressed(PageOnScreen(rig.Panel(), wxRect(100, 300, 100, 50))), 5000);
    ASSERT_TRUE(FingerUp());
    EXPECT_EQ(rig.ReceivedAtLeast(10), Join({PressBytes(20), ReleaseBytes(20)}));
    EXPECT_EQ(TheState().CurrentPage, 0);
    EXPECT_EQ(rig.prompter.messages, std::vector<std::wstring>(2, kMissing));
    EXPECT_EQ(rig.prompter.questions, std::vector<std::wstring>(2, L"SAVE CHANGES ?"));
    EXPECT_EQ(rig.prompter.exitCode, -1);

    // Page 0 as it was, less the fallback button; its first button still answers.
    EXPECT_EQ(white(PageOnScreen(rig.Panel(), wxRect(300, 100, 100, 50))), 5000);
    EXPECT_GT(FindColour(PageOnScreen(rig.Panel(), wxRect(100, 100, 100, 50)), kOn).pixels, 2500);
    rig.controller.ClearReceived();
    ASSERT_TRUE(TouchAt(rig.Panel(), 150, 125));
    EXPECT_EQ(rig.ReceivedAtLeast(10), Join({PressBytes(10), ReleaseBytes(10)}));
    // A redraw of the whole page (as after scrolling) leaves it so.
    TheState().RedrawPending = 1;
    ASSERT_TRUE(WaitFor([] { return TheState().RedrawPending == 0; }));
    EXPECT_EQ(white(PageOnScreen(rig.Panel(), wxRect(300, 100, 100, 50))), 5000);
    EXPECT_TRUE(rig.Panel().IsShown());
    EXPECT_EQ(rig.prompter.messages.size(), 2u);
}

TEST(Touch, WithoutLanModeNothingIsSentAndPagesStillFlip) {
    for (const int modus : {0, 2}) {
        SCOPED_TRACE(modus);
        auto layout = TouchLayout(modus);
        const int button = AddButton(*layout, 0, 100, 100, 42);
        layout->Button(0, button).Pageflip = 2;
        Rig rig(*layout);
        Pump(350);
        EXPECT_TRUE(TheState().StatusText.empty());

        ASSERT_TRUE(PointAt(rig.Panel(), 150, 125));
        ASSERT_TRUE(FingerDown());
        Pump(50);
        EXPECT_EQ(rig.Pixel(103, 103), kPressed);
        ASSERT_TRUE(FingerUp());
        EXPECT_EQ(TheState().CurrentPage, 2);
        EXPECT_EQ(rig.Panel().GetTitle(), "Page 2");
        EXPECT_TRUE(rig.ReceivedWithin(200).empty());
        EXPECT_EQ(rig.controller.Connections(), 0) << "no connection attempt outside LAN mode";
    }
}

TEST(Keys, DigitsShowPagesAndLettersChooseEditModes) {
    auto layout = TouchLayout(0);
    AddButton(*layout, 0, 100, 100, 1);
    AddButton(*layout, 0, 300, 100, 2);
    Rig rig(*layout);
    MainDialog& panel = rig.Panel();

    struct PageCase {
        int key;
        int page;
    };
    // The keypad gives digits only with Num Lock on (else it is a cursor block).
    ASSERT_TRUE(TypeKey(panel, WXK_NUMLOCK));
    EXPECT_TRUE(wxGetKeyState(WXK_NUMLOCK));
    for (const PageCase& c :
         {PageCase{'5', 4}, PageCase{'0', 9}, PageCase{'9', 8}, PageCase{WXK_NUMPAD3, 2},
          PageCase{WXK_NUMPAD0, 9}, PageCase{WXK_NUMPAD1, 0}}) {
        SCOPED_TRACE(c.key);
        ASSERT_TRUE(TypeKey(panel, c.key));
        EXPECT_EQ(TheState().CurrentPage, c.page);
        EXPECT_EQ(panel.GetTitle(), wxString("Page ") << c.page);
    }
    ASSERT_TRUE(TypeKey(panel, WXK_NUMLOCK));

    struct ModeCase {
        int key;
        int mode;
        const char* title;
    };
    for (const ModeCase& c :
         {ModeCase{'M', 2, "--- Button Move ---"}, ModeCase{'S', 4, "--- Button Settings ---"},
          ModeCase{'G', 6, "--- Button Get Style ---"},
          ModeCase{'C', 7, "--- Button Change Style ---"}}) {
        SCOPED_TRACE(c.title);
        ASSERT_TRUE(TypeKey(panel, c.key));
        EXPECT_EQ(TheState().EditMode, c.mode);
        EXPECT_EQ(panel.GetTitle(), c.title);
        // A page key keeps the mode.
        ASSERT_TRUE(TypeKey(panel, '3'));
        EXPECT_EQ(TheState().EditMode, c.mode);
        ASSERT_TRUE(TypeKey(panel, 'Q'));
        EXPECT_EQ(TheState().EditMode, 0);
        EXPECT_EQ(panel.GetTitle(), "Page 2");
        ASSERT_TRUE(TypeKey(panel, '1'));
    }

    ASSERT_TRUE(TypeKey(panel, 'M'));
    EXPECT_EQ(TheState().LayoutChanged, 0);
    ASSERT_TRUE(TypeKey(panel, 'I'));
    const Layout& live = TheLayout();
    EXPECT_EQ(live.Page(0).Button_Last, 3);
    EXPECT_EQ(live.Button(0, 2).PosX, 50);
    EXPECT_EQ(live.Button(0, 2).PosY, 0);
    EXPECT_EQ(TheState().LayoutChanged, 1);
    EXPECT_EQ(TheState().EditMode, 2);
    EXPECT_EQ(panel.GetTitle(), "--- Button Move ---") << "the mode in force, as the banner";
    // The new button is drawn (the default picture, grey) on top of the menu picture's row.
    EXPECT_EQ(rig.Pixel(53, 3), wxColour(128, 128, 128));
    EXPECT_TRUE(panel.IsShown());
}

/// Five buttons whose every field differs; button 3 has a wider picture (130 x 40).
std::unique_ptr<Layout> FiveButtons() {
    auto layout = TouchLayout(0);
    for (int i = 0; i < 5; ++i) {
        AddButton(*layout, 0, 60 + 140 * i, 200 + 10 * i, 10 + i, 20 + i);
        ButtonRecord& b = layout->Button(0, i);
        b.Text_On = L"on " + std::to_wstring(i);
        b.Text_Off = L"off " + std::to_wstring(i);
        b.Pageflip = i == 4 ? 999 : i;
        b.Font_Color = 0x010203u * static_cast<unsigned>(i + 1);
        b.Font_HorizAlign = i % 3;
        b.Font_Size = 9 + i;
        b.Font_Style = i;
        b.Font_Family = L"Face " + std::to_wstring(i);
        b.Inaktiv = i == 1 ? 1 : 0;
    }
    layout->Button(0, 3).Image_File_Off = L"wide.png";
    return layout;
}

TEST(Editing, MoveSnapsTheButtonCentreToTheGrid) {
    auto layout = TouchLayout(0);
    layout->Form.GridX = 30;
    layout->Form.GridY = 20;
    AddButton(*layout, 0, 200, 200, 1);
    AddButton(*layout, 0, 600, 350, 2);
    Rig rig(*layout);
    TheState().EditMode = 2;

    ASSERT_TRUE(PointAt(rig.Panel(), 250, 225));
    ASSERT_TRUE(FingerDown());
    EXPECT_EQ(TheState().LayoutChanged, 1);
    EXPECT_EQ(TheState().GrabOffset, (PagePoint{50, 25}));
    // The centre goes to x 423: it snaps to the grid line at 430 (lines at 10 + 30 k).
    ASSERT_TRUE(PointAt(rig.Panel(), 423, 225));
    EXPECT_TRUE(WaitFor([] { return TheLayout().Button(0, 0).PosX == 380; }));
    ASSERT_TRUE(FingerUp());

    const ButtonRecord& moved = TheLayout().Button(0, 0);
    EXPECT_EQ(moved.PosX, 380);
    EXPECT_EQ(moved.PosY, 195);
    const Rect rect = rig.Panel().View().Renderer().ButtonRects()[0];
    EXPECT_EQ(rect.x, 380);
    EXPECT_EQ(rect.y, 195);
    EXPECT_EQ(rig.Pixel(383, 198), kOff);
    EXPECT_EQ(rig.Pixel(203, 203), kWhite) << "the old place shows the page again";
    EXPECT_EQ(rig.Pixel(603, 353), kOff) << "the other button is still drawn";

    // The move ends with the release.
    ASSERT_TRUE(PointAt(rig.Panel(), 650, 100));
    Pump(250);
    EXPECT_EQ(TheLayout().Button(0, 0).PosX, 380);
    EXPECT_EQ(TheLayout().Button(0, 0).PosY, 195);
}

TEST(Editing, AButtonFollowsThePointerOnlyWhileTheFingerThatStartedTheMoveIsDown) {
    // Both buttons lie on the grid (20 x 20, centres on its lines), so a move that the finger
    // did not start would be the only thing to shift them.
    auto layout = TouchLayout(0);
    const int inactive = AddButton(*layout, 0, 210, 215, 1);
    layout->Button(0, inactive).Inaktiv = 1;
    const int active = AddButton(*layout, 0, 510, 215, 2);
    const int onPageOne = AddButton(*layout, 1, 110, 115, 3);
    Rig rig(*layout);
    MainDialog& panel = rig.Panel();

    struct Case {
        const char* name;
        int button;
        bool liftBeforeMoveMode;
        int pointerX;
    };
    for (const Case& c : {Case{"an inactive button touched, then M", inactive, true, 330},
                          Case{"an active button held, then M", active, false, 630}}) {
        SCOPED_TRACE(c.name);
        const ButtonRecord& record = TheLayout().Button(0, c.button);
        const int x = record.PosX;
        const int y = record.PosY;
        ASSERT_TRUE(PointAt(panel, x + 50, y + 25));
        ASSERT_TRUE(FingerDown());
        if (c.liftBeforeMoveMode) {
            ASSERT_TRUE(FingerUp());
        }
        ASSERT_TRUE(TypeKey(panel, 'M'));
        ASSERT_TRUE(PointAt(panel, c.pointerX, 400));
        Pump(350);
        EXPECT_EQ(record.PosX, x);
        EXPECT_EQ(record.PosY, y);
        EXPECT_EQ(TheState().LayoutChanged, 0);
        if (!c.liftBeforeMoveMode) {
            ASSERT_TRUE(FingerUp());
        }
        ASSERT_TRUE(TypeKey(panel, 'Q'));
    }
    // Nothing was changed, so closing asks nothing.
    panel.Close();
    EXPECT_TRUE(rig.prompter.questions.empty());
    EXPECT_EQ(rig.prompter.exitCode, 0);

    // After all that, a real move still follows the finger and counts as a change.
    rig.prompter.exitCode = -1;
    ASSERT_TRUE(TypeKey(panel, 'M'));
    ASSERT_TRUE(PointAt(panel, 260, 240));
    ASSERT_TRUE(FingerDown());
    ASSERT_TRUE(PointAt(panel, 360, 340));
    EXPECT_TRUE(WaitFor([&] { return TheLayout().Button(0, inactive).PosX == 310; }));
    ASSERT_TRUE(FingerUp());
    EXPECT_EQ(TheLayout().Button(0, inactive).PosX, 310);
    EXPECT_EQ(TheLayout().Button(0, inactive).PosY, 315);
    EXPECT_EQ(TheState().LayoutChanged, 1);
    rig.prompter.answers.push_back(Prompter::Answer::Cancel);
    panel.Close();
    EXPECT_EQ(rig.prompter.questions, std::vector<std::wstring>{L"SAVE CHANGES ?"});

    // A page key under the finger ends the move: the button of the same number on the new page
    // stays where it is.
    ASSERT_TRUE(PointAt(panel, 360, 340));
    ASSERT_TRUE(FingerDown());
    ASSERT_TRUE(TypeKey(panel, '2'));
    ASSERT_TRUE(PointAt(panel, 500, 400));
    Pump(350);
    ASSERT_TRUE(FingerUp());
    EXPECT_EQ(TheLayout().Button(1, onPageOne).PosX, 110);
    EXPECT_EQ(TheLayout().Button(1, onPageOne).PosY, 115);
    EXPECT_EQ(TheLayout().Button(0, inactive).PosX, 310);
}

TEST(Editing, DeleteMovesTheLaterButtonsDownWithAllTheirFields) {
    auto layout = FiveButtons();
    Rig rig(*layout);
    const auto before = std::make_unique<Layout>(TheLayout());
    TheState().EditMode = 8;

    ASSERT_TRUE(TouchAt(rig.Panel(), 350, 240));  // button 2
    const Layout& after = TheLayout();
    EXPECT_EQ(after.Page(0).Button_Last, 4);
    EXPECT_EQ(TheState().LayoutChanged, 1);
    const std::pair<int, int> kept[] = {{0, 0}, {1, 1}, {2, 3}, {3, 4}, {4, 5}};
    for (const auto& [now, was] : kept) {
        SCOPED_TRACE(now);
        EXPECT_EQ(after.Button(0, now), before->Button(0, was));
    }
    // The pictures moved with their buttons: former button 3 keeps its wide picture.
    const Rect rect = rig.Panel().View().Renderer().ButtonRects()[2];
    EXPECT_EQ(rect.x, before->Button(0, 3).PosX);
    EXPECT_EQ(rect.width, 130);
    EXPECT_EQ(rig.Pixel(343, 223), kWhite) << "the deleted button is gone from the page";
    EXPECT_EQ(rig.Pixel(483, 233), kOn);
    EXPECT_EQ(TheState().EditMode, 8);
}

TEST(Editing, ThreeTouchesInDeleteModeDeleteThreeButtons) {
    auto layout = FiveButtons();
    Rig rig(*layout);
    const auto before = std::make_unique<Layout>(TheLayout());
    TheState().EditMode = 8;

    // Former buttons 4, 0 and 2, found where they are drawn.
    for (const int former : {4, 0, 2}) {
        const ButtonRecord& b = before->Button(0, former);
        ASSERT_TRUE(TouchAt(rig.Panel(), b.PosX + 10, b.PosY + 10));
    }
    const Layout& after = TheLayout();
    EXPECT_EQ(after.Page(0).Button_Last, 2);
    EXPECT_EQ(after.Button(0, 0), before->Button(0, 1));
    EXPECT_EQ(after.Button(0, 1), before->Button(0, 3));
}

TEST(Editing, GetStyleTakesTheTouchedButtonOfTheCurrentPage) {
    auto layout = TouchLayout(0);
    layout->Form.Form_PageStart = 2;
    AddButton(*layout, 2, 100, 100, 1);
    AddButton(*layout, 2, 300, 100, 2);
    Rig rig(*layout);
    TheState().EditMode = 6;

    ASSERT_TRUE(TouchAt(rig.Panel(), 350, 125));
    EXPECT_EQ(TheState().StyleSource.button, 1);
    EXPECT_EQ(TheState().StyleSource.page, 2);
    // A touch beside every button takes nothing.
    ASSERT_TRUE(TouchAt(rig.Panel(), 600, 400));
    EXPECT_EQ(TheState().StyleSource.button, 1);
    EXPECT_EQ(TheState().EditMode, 6);
    EXPECT_EQ(TheLayout().Page(2).Button_Last, 2);
}

}  // namespace
