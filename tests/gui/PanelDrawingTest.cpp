// What the live panel draws, read back from the page as composed or from the screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <wx/dcmemory.h>

#include "GuiTestSupport.h"
#include "model/PanelRules.h"
#include "model/PanelState.h"
#include "model/Paths.h"
#include "panel/PageArea.h"
#include "panel/PageRenderer.h"

namespace {

const wxColour kWhite(255, 255, 255);
const wxColour kGreen(0, 255, 0);

/// An 800 x 480 layout with a white page 0 named "Start" and no buttons.
std::unique_ptr<Layout> DrawingLayout() {
    auto layout = std::make_unique<Layout>();
    layout->Form.SizeX = 800;
    layout->Form.SizeY = 480;
    layout->Page(0).PageName = L"Start";
    return layout;
}

/// Adds a button with the red off, blue pressed and green on pictures and no text.
ButtonRecord& AddButton(Layout& layout, int page, int x, int y, int led = 0) {
    ButtonRecord& record = layout.Button(page, layout.Page(page).Button_Last++);
    record.PosX = x;
    record.PosY = y;
    record.Led = led;
    record.Text_Off.clear();
    record.Text_On.clear();
    record.Image_File_Off = L"off.png";
    record.Image_File_Press = L"press.png";
    record.Image_File_On = L"on.png";
    return record;
}

/// The panel started on a layout whose folder holds the test pictures.
class DrawnPanel : public PanelRig {
  public:
    explicit DrawnPanel(const Layout& layout,
                        const std::function<void(const LayoutFolder&)>& prepare = {}) {
        folder.WriteButtonLooks();
        folder.WritePicture("white.png", 160, 60, kWhite);
        folder.WritePicture("wide.png", 240, 70, kWhite);
        folder.WritePicture("bigOn.png", 120, 60, kOn);
        folder.WritePicture("smallPress.png", 60, 30, kPressed);
        folder.WritePicture("plan.png", 400, 300, kGreen);
        folder.WritePicture("odd.png", 401, 301, kGreen);
        folder.WritePicture("huge.png", 1001, 601, kGreen);
        if (prepare) {
            prepare(folder);
        }
        Start(layout);
        // Let the redraw that the first size event asks for happen before a test draws.
        WaitFor([] { return TheState().RedrawPending == 0; });
    }

    void Redraw() { Panel().View().DrawPage(TheState().CurrentPage); }

    /// Pixels of a page rectangle that match a condition.
    int Count(const wxRect& rect, const std::function<bool(const wxColour&)>& match) const {
        const wxImage image = panel->PageImage();
        int count = 0;
        for (int y = rect.y; y < rect.GetBottom() + 1; ++y) {
            for (int x = rect.x; x < rect.GetRight() + 1; ++x) {
                if (match(
                        wxColour(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y)))) {
                    ++count;
                }
            }
        }
        return count;
    }
    int CountNot(const wxRect& rect, const wxColour& colour) const {
        return Count(rect, [&colour](const wxColour& c) { return c != colour; });
    }
};

bool Near(const wxColour& a, const wxColour& b, int tolerance) {
    return std::abs(a.Red() - b.Red()) <= tolerance &&
           std::abs(a.Green() - b.Green()) <= tolerance &&
           std::abs(a.Blue() - b.Blue()) <= tolerance;
}

bool Reddish(const wxColour& c) {
    return c.Red() > 150 && c.Green() < 100 && c.Blue() < 100;
}

TEST(PageDrawing, GradientRunsFromTheFirstColourAtTheTopToTheSecondAtTheBottom) {
    auto layout = DrawingLayout();
    // The top byte carries an alpha value from the colour dialog: it is no part of the colour.
    layout->Page(0).BackColor1 = 0xAB0000FFu;
    layout->Page(0).BackColor2 = 0x7FFF0000u;
    DrawnPanel drawn(*layout);

    for (const int x : {60, 400, 799}) {
        SCOPED_TRACE(x);
        EXPECT_PRED3(Near, drawn.Pixel(x, 0), wxColour(255, 0, 0), 3);
        EXPECT_PRED3(Near, drawn.Pixel(x, 479), wxColour(0, 0, 255), 3);
        const wxColour middle = drawn.Pixel(x, 240);
        EXPECT_PRED3(Near, middle, wxColour(128, 0, 128), 6);
    }
    EXPECT_GT(drawn.Pixel(400, 100).Red(), drawn.Pixel(400, 300).Red());
}

TEST(PageDrawing, PagePictureIsCentred) {
    auto layout = DrawingLayout();
    layout->Page(0).BackColor1 = 0xFFFFFF;
    layout->Page(0).BackColor2 = 0xFFFFFF;
    DrawnPanel drawn(*layout);

    struct Case {
        const wchar_t* picture;
        wxRect where;  ///< on the page, clipped to it
    };
    for (const Case& c :
         {Case{L"plan.png", wxRect(200, 90, 400, 300)}, Case{L"odd.png", wxRect(199, 89, 401, 301)},
          Case{L"huge.png", wxRect(0, 0, 800, 480)}}) {
        SCOPED_TRACE(wxString(c.picture));
        TheLayout().Page(0).PageImage = c.picture;
        drawn.Panel().View().LoadPage(0);
        drawn.Redraw();
        // The menu picture covers the top-left corner.
        const wxRect inside = c.where.Intersect(wxRect(41, 41, 759, 439));
        EXPECT_EQ(drawn.CountNot(inside, kGreen), 0);
        EXPECT_EQ(drawn.Pixel(c.where.GetRight(), c.where.GetBottom()), kGreen);
        if (c.where.x > 0) {
            EXPECT_EQ(drawn.Pixel(c.where.x - 1, c.where.y + 50), kWhite);
            EXPECT_EQ(drawn.Pixel(c.where.x + 50, c.where.y - 1), kWhite);
            EXPECT_EQ(drawn.Pixel(c.where.GetRight() + 1, c.where.y + 50), kWhite);
            EXPECT_EQ(drawn.Pixel(c.where.x + 50, c.where.GetBottom() + 1), kWhite);
        }
    }
}

// Picture names from a layout written elsewhere that lead out of the layout folder are missing
// pictures: the default button picture for a button, nothing for the page, never the file they
// lead to.
TEST(PageDrawing, PictureNamesOutsideTheFolderAreMissingPictures) {
    auto layout = DrawingLayout();
    AddButton(*layout, 0, 100, 100);
    DrawnPanel drawn(*layout);
    // Beside the layout folder, and reached from it by "..".
    const std::string outside = drawn.folder.Path() + "-outside.png";
    const std::string name = outside.substr(outside.rfind('/') + 1);
    {
        wxImage green(400, 300);
        green.SetRGB(wxRect(0, 0, 400, 300), 0, 255, 0);
        green.SaveFile(wxString::FromUTF8(outside.c_str()), wxBITMAP_TYPE_PNG);
    }
    for (const std::wstring& path : {L"../" + TextFromNative(name), TextFromNative(outside)}) {
        SCOPED_TRACE(NativeName(path));
        TheLayout().Button(0, 0).Image_File_Off = path;
        TheLayout().Page(0).PageImage = path;
        drawn.Panel().View().LoadPage(0);
        drawn.Redraw();
        EXPECT_EQ(drawn.Pixel(150, 125), wxColour(128, 128, 128)) << "the default picture";
        EXPECT_EQ(drawn.Pixel(400, 300), kWhite) << "no page picture";
        EXPECT_EQ(
            drawn.Count(wxRect(0, 0, 800, 480), [](const wxColour& c) { return c == kGreen; }), 0);
    }
    std::remove(outside.c_str());
}

// The header of a picture file with a size far beyond any panel: a PNG whose pixels are cut off
// and a small JPEG that only claims the size. Decoding either would take gigabytes.
std::string GiantPngHeader() {
    const unsigned char header[] = {
        0x89, 'P',  'N',  'G',  '\r', '\n', 0x1A, '\n',                    // signature
        0,    0,    0,    13,   'I',  'H',  'D',  'R',                     // IHDR
        0,    0,    0x4E, 0x20, 0,    0,    0x4E, 0x20,                    // 20000 x 20000
        8,    2,    0,    0,    0,    0x6C, 0x12, 0xD1, 0x6E,              // RGB, CRC
        0,    0,    0,    12,   'I',  'D',  'A',  'T',  0x78, 0x9C, 0x63,  // the first row
        0x60, 0xA0, 0x0C, 0x00, 0x00, 0x00, 0x40, 0x00, 0x01, 0xB7, 0x34, 0x7C, 0xEF};
    return std::string(reinterpret_cast<const char*>(header), sizeof header);
}
std::string LyingJpeg(const LayoutFolder& folder) {
    wxImage small(64, 48);
    small.SetRGB(wxRect(0, 0, 64, 48), 0, 255, 0);
    const std::string path = folder.Path() + "/small.jpg";
    small.SaveFile(wxString::FromUTF8(path.c_str()), wxBITMAP_TYPE_JPEG);
    std::string bytes = folder.Read("small.jpg");
    // The frame header (SOF0): marker, length, precision, then height and width.
    const std::size_t frame = bytes.find("\xFF\xC0");
    EXPECT_NE(frame, std::string::npos);
    if (frame != std::string::npos) {
        bytes.replace(frame + 5, 4, std::string("\x4E\x20\x4E\x20", 4));
    }
    return bytes;
}

TEST(PageDrawing, PicturesBeyondThePixelLimitAreNotDecodedAndReportedOncePerFile) {
    auto layout = DrawingLayout();
    AddButton(*layout, 0, 100, 100).Image_File_Off = L"giant.png";
    AddButton(*layout, 0, 300, 100).Image_File_Off = L"lying.jpg";
    layout->Page(0).PageImage = L"giant.png";
    layout->Page(1).PageName = L"Other";
    layout->Page(1).PageImage = L"lying.jpg";
    LayoutFolder made;  // only for the JPEG bytes
    const std::string jpeg = LyingJpeg(made);
    // In the folder before the panel starts: the first page is loaded then.
    auto panel = std::make_unique<DrawnPanel>(*layout, [&](const LayoutFolder& folder) {
        folder.Write("giant.png", GiantPngHeader());
        folder.Write("lying.jpg", jpeg);
    });
    const FakePrompter* prompter = &panel->prompter;
    const std::wstring limit = L"at most 16 million are shown)";
    ASSERT_EQ(prompter->messages.size(), 2u);
    EXPECT_EQ(prompter->messages[0],
              L"giant.png is too large to show (20000 x 20000 pixels, " + limit);
    EXPECT_EQ(prompter->messages[1],
              L"lying.jpg is too large to show (20000 x 20000 pixels, " + limit);
    panel->Redraw();
    EXPECT_EQ(panel->Pixel(150, 125), wxColour(128, 128, 128)) << "the default picture";
    EXPECT_EQ(panel->Pixel(350, 125), wxColour(128, 128, 128)) << "the default picture";
    EXPECT_EQ(panel->Pixel(400, 400), kWhite) << "no page picture";

    // Each file once: neither loading the page again nor another page naming it repeats it.
    panel->Panel().View().LoadPage(0);
    panel->Panel().View().LoadPage(1);
    EXPECT_EQ(prompter->messages.size(), 2u);
}

// Buttons whose pictures are far larger than the page (4096 x 4096, the most an 800 x 480 panel
// shows, 48 MiB each decoded): each shows the part of its picture that lies on the page, and
// everything the page keeps of its pictures stays within its budget (192 MiB).
TEST(PageDrawing, PicturesLargerThanThePageShowTheirPartOnItWithinTheMemoryBudget) {
    struct Big {
        const char* name;
        int x, y;  ///< as the layout gives it
        wxColour body, corner;
        wxPoint bodyAt, cornerAt;  ///< where the page shows them
    };
    // The first is pulled back onto the page (its bottom-right corner at the page's); the
    // others reach onto it from above and to the left, each over the one before.
    const wxColour red(200, 0, 0), blue(0, 0, 200), green(0, 200, 0), yellow(200, 200, 0);
    const wxColour cyan(0, 200, 200), purple(200, 0, 200);
    const Big bigs[] = {
        {"big0.png", 0, 0, red, blue, {650, 200}, {750, 450}},
        {"big1.png", -3500, -3700, green, yellow, {300, 200}, {550, 350}},
        {"big2.png", -3900, -4000, cyan, purple, {60, 60}, {150, 50}},
    };
    auto layout = DrawingLayout();
    for (const Big& big : bigs) {
        AddButton(*layout, 0, big.x, big.y).Image_File_Off = wxString(big.name).ToStdWstring();
    }
    DrawnPanel drawn(*layout, [&bigs](const LayoutFolder& folder) {
        for (const Big& big : bigs) {
            // One colour, the bottom-right 100 x 100 in another.
            wxImage picture(4096, 4096);
            picture.SetRGB(wxRect(0, 0, 4096, 4096), big.body.Red(), big.body.Green(),
                           big.body.Blue());
            picture.SetRGB(wxRect(3996, 3996, 100, 100), big.corner.Red(), big.corner.Green(),
                           big.corner.Blue());
            picture.SetOption(wxIMAGE_OPTION_PNG_COMPRESSION_LEVEL, 1);
            picture.SaveFile(wxString::FromUTF8(folder.At(big.name)), wxBITMAP_TYPE_PNG);
        }
    });
    // The file carries four digits: positions this far off the page come from a move.
    for (int i = 0; i < 3; ++i) {
        TheLayout().Button(0, i).PosX = bigs[i].x;
        TheLayout().Button(0, i).PosY = bigs[i].y;
    }
    drawn.Panel().View().LoadPage(0);
    drawn.Redraw();
    for (const Big& big : bigs) {
        SCOPED_TRACE(big.name);
        EXPECT_EQ(drawn.Pixel(big.bodyAt.x, big.bodyAt.y), big.body);
        EXPECT_EQ(drawn.Pixel(big.cornerAt.x, big.cornerAt.y), big.corner);
    }
    EXPECT_LE(drawn.Panel().View().Renderer().KeptBytes(), std::size_t{192} << 20);
    EXPECT_TRUE(drawn.prompter.messages.empty());
}

TEST(ButtonDrawing, LampDecidesBetweenTheOffAndTheOnPicture) {
    auto layout = DrawingLayout();
    struct Case {
        int led;
        bool lit;
    };
    // Every lamp of the controller is lit; a lamp number the bitmap does not have names no
    // lamp, so its button stays off.
    const Case cases[] = {{2, true},     {0, true},   {1007, true},
                          {1008, false}, {-1, false}, {5000, false}};
    for (int i = 0; i < 6; ++i) {
        AddButton(*layout, 0, 100 + 110 * (i % 3), 100 + 100 * (i / 3));
    }
    DrawnPanel drawn(*layout);
    // The layout file carries three digits: lamp numbers beyond come from a setting in memory.
    for (int i = 0; i < 6; ++i) {
        TheLayout().Button(0, i).Led = cases[i].led;
    }
    for (int lamp = 0; lamp < LampBitmap::kLamps; ++lamp) {
        TheState().Lamps.Set(lamp, true);
    }
    drawn.Redraw();

    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(cases[i].led);
        const wxRect rect(100 + 110 * (i % 3), 100 + 100 * (i / 3), 100, 50);
        EXPECT_EQ(drawn.CountNot(rect, cases[i].lit ? kOn : kOff), 0);
    }

    // Lamp 2 goes out: only its button changes.
    TheState().Lamps.Set(2, false);
    drawn.Redraw();
    EXPECT_EQ(drawn.CountNot(wxRect(100, 100, 100, 50), kOff), 0);
    EXPECT_EQ(drawn.CountNot(wxRect(210, 100, 100, 50), kOn), 0);
}

TEST(ButtonDrawing, PressedLookShowsThePressedPictureWithoutText) {
    auto layout = DrawingLayout();
    ButtonRecord& button = AddButton(*layout, 0, 100, 100);
    button.Text_Off = L"OFF";
    button.Text_On = L"ON";
    button.Font_Size = 14;
    button.Font_Style = 1;
    DrawnPanel drawn(*layout);
    const wxRect rect(100, 100, 100, 50);

    struct Case {
        int look;
        wxColour picture;
        bool text;
    };
    for (const Case& c : {Case{Looks::Off, kOff, true}, Case{Looks::Pressed, kPressed, false},
                          Case{Looks::On, kOn, true}}) {
        SCOPED_TRACE(c.look);
        drawn.Panel().View().DrawButton(0, 0, c.look);
        const int textPixels = drawn.CountNot(rect, c.picture);
        if (c.text) {
            EXPECT_GT(textPixels, 20);
            EXPECT_LT(textPixels, 2500);
        } else {
            EXPECT_EQ(textPixels, 0);
        }
    }
}

TEST(ButtonDrawing, LookPicturesAreCutToTheOffPictureSize) {
    auto layout = DrawingLayout();
    layout->Page(0).BackColor1 = 0xFFFFFF;
    layout->Page(0).BackColor2 = 0xFFFFFF;
    ButtonRecord& button = AddButton(*layout, 0, 200, 200, 9);
    button.Image_File_On = L"bigOn.png";
    button.Image_File_Press = L"smallPress.png";
    DrawnPanel drawn(*layout);

    // A larger on picture shows its top-left 100 x 50, nothing beyond the button.
    TheState().Lamps.Set(9, true);
    drawn.Redraw();
    EXPECT_EQ(drawn.CountNot(wxRect(200, 200, 100, 50), kOn), 0);
    EXPECT_EQ(drawn.CountNot(wxRect(300, 200, 20, 60), kWhite), 0);
    EXPECT_EQ(drawn.CountNot(wxRect(200, 250, 120, 10), kWhite), 0);

    // A smaller pressed picture leaves the rest of the button showing the page.
    drawn.Panel().View().DrawButton(0, 0, Looks::Pressed);
    EXPECT_EQ(drawn.CountNot(wxRect(200, 200, 60, 30), kPressed), 0);
    EXPECT_EQ(drawn.CountNot(wxRect(260, 200, 40, 50), kWhite), 0);
    EXPECT_EQ(drawn.CountNot(wxRect(200, 230, 100, 20), kWhite), 0);
}

TEST(ButtonDrawing, ButtonReachingPastThePageIsMovedBackOntoIt) {
    auto layout = DrawingLayout();
    layout->Page(0).BackColor1 = 0xFFFFFF;
    layout->Page(0).BackColor2 = 0xFFFFFF;
    AddButton(*layout, 0, 750, 460);
    AddButton(*layout, 0, 700, 100);  // ends exactly at the edge: stays
    DrawnPanel drawn(*layout);

    const ButtonRecord& moved = TheLayout().Button(0, 0);
    EXPECT_EQ(moved.PosX, 700);
    EXPECT_EQ(moved.PosY, 430);
    EXPECT_EQ(TheLayout().Button(0, 1).PosX, 700);
    EXPECT_EQ(TheState().LayoutChanged, 0);
    EXPECT_EQ(drawn.CountNot(wxRect(700, 430, 100, 50), kOff), 0);
    EXPECT_EQ(drawn.Pixel(699, 440), kWhite);
    EXPECT_EQ(drawn.Pixel(750, 429), kWhite);
    // It answers touches where it is seen, not where the file put it.
    const Rect& area = drawn.Panel().View().Renderer().ButtonRect(0);
    EXPECT_EQ(area.x, 700);
    EXPECT_EQ(area.y, 430);
    EXPECT_EQ(HitTest(drawn.Panel().View().Renderer().ButtonRects(), 1, PagePoint{720, 440}), 0);
    EXPECT_EQ(HitTest(drawn.Panel().View().Renderer().ButtonRects(), 1, PagePoint{810, 470}), -1);
}

TEST(ButtonDrawing, EveryButtonOfAPageIsDrawnWhateverItsNumber) {
    auto layout = DrawingLayout();
    layout->Page(0).BackColor1 = 0xFFFFFF;
    layout->Page(0).BackColor2 = 0xFFFFFF;
    // 96 buttons: 0 ... 87 in a pile, 88 ... 95 side by side in a row.
    for (int i = 0; i < 96; ++i) {
        AddButton(*layout, 0, i < 88 ? 0 : (i - 88) * 100, i < 88 ? 400 : 200);
    }
    DrawnPanel drawn(*layout);
    for (int i = 88; i < 96; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(drawn.CountNot(wxRect((i - 88) * 100, 200, 100, 50), kOff), 0);
    }
}

TEST(ButtonDrawing, ButtonsOfTheLastPageAreDrawn) {
    auto layout = DrawingLayout();
    layout->Form.Form_PageStart = 10;
    layout->Page(10).PageName = L"Last";
    AddButton(*layout, 10, 100, 100);
    AddButton(*layout, 10, 300, 100, 6);
    DrawnPanel drawn(*layout);
    ASSERT_EQ(TheState().CurrentPage, 10);
    TheState().Lamps.Set(6, true);
    drawn.Redraw();
    EXPECT_EQ(drawn.Panel().GetTitle(), "Last");
    EXPECT_EQ(drawn.CountNot(wxRect(100, 100, 100, 50), kOff), 0);
    EXPECT_EQ(drawn.CountNot(wxRect(300, 100, 100, 50), kOn), 0);
}

TEST(ButtonDrawing, TextIsDrawnInItsColourAndAnyFontSize) {
    auto layout = DrawingLayout();
    for (int i = 0; i < 3; ++i) {
        ButtonRecord& button = AddButton(*layout, 0, 100, 60 + 100 * i);
        button.Image_File_Off = L"white.png";
        button.Text_Off = L"Wohnzimmer";
        // Blue, with an alpha value in the top byte.
        button.Font_Color = 0x80FF0000u;
    }
    // Sizes a slot that never had defaults can carry: they draw in the toolkit's size.
    layout->Button(0, 0).Font_Size = 0;
    layout->Button(0, 1).Font_Size = -3;
    layout->Button(0, 2).Font_Size = 16;
    DrawnPanel drawn(*layout);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const int blue = drawn.Count(wxRect(100, 60 + 100 * i, 160, 60), [](const wxColour& c) {
            return c.Blue() > 200 && c.Red() < 80 && c.Green() < 80;
        });
        EXPECT_GT(blue, 10);
    }
}

TEST(ButtonDrawing, LineFeedStartsALineAndCarriageReturnsAreDropped) {
    auto layout = DrawingLayout();
    const wchar_t* const texts[] = {L"Licht\nKeller", L"Licht\r\nKeller", L"Licht Keller"};
    for (int i = 0; i < 3; ++i) {
        ButtonRecord& button = AddButton(*layout, 0, 100, 60 + 100 * i);
        button.Image_File_Off = L"white.png";
        button.Text_Off = texts[i];
    }
    DrawnPanel drawn(*layout);
    const wxImage page = drawn.panel->PageImage();
    const wxImage lf = page.GetSubImage(wxRect(100, 60, 160, 60));
    const wxImage crlf = page.GetSubImage(wxRect(100, 160, 160, 60));
    const wxImage oneLine = page.GetSubImage(wxRect(100, 260, 160, 60));
    EXPECT_EQ(std::memcmp(lf.GetData(), crlf.GetData(), 160 * 60 * 3), 0);
    EXPECT_NE(std::memcmp(lf.GetData(), oneLine.GetData(), 160 * 60 * 3), 0);

    // Two lines of text: rows with ink, a gap, rows with ink again.
    int bands = 0;
    bool inked = false;
    for (int y = 0; y < 60; ++y) {
        bool rowInked = false;
        for (int x = 0; x < 160; ++x) {
            rowInked = rowInked || lf.GetRed(x, y) < 128;
        }
        bands += rowInked && !inked ? 1 : 0;
        inked = rowInked;
    }
    EXPECT_EQ(bands, 2);
}

/// What the dark text on a light button looks like: where its ink lies, how heavy its strokes
/// are, whether it leans and whether a line runs under it.
struct Ink {
    wxRect box;  ///< around every inked pixel, in the button
    int pixels = 0;
    int stem = 0;      ///< the usual width of a stroke: the median run of ink along the letter rows
    double slant = 0;  ///< how far the top quarter of the letters lies right of the bottom one
    bool underlined = false;  ///< rows inked along most of the text, below all the letters
};

Ink InkOf(const wxImage& button) {
    const auto inked = [&button](int x, int y) {
        return button.GetRed(x, y) + button.GetGreen(x, y) + button.GetBlue(x, y) < 3 * 128;
    };
    Ink ink;
    for (int y = 0; y < button.GetHeight(); ++y) {
        for (int x = 0; x < button.GetWidth(); ++x) {
            if (inked(x, y)) {
                ink.box = ink.pixels == 0 ? wxRect(x, y, 1, 1) : ink.box.Union(wxRect(x, y, 1, 1));
                ++ink.pixels;
            }
        }
    }
    if (ink.pixels == 0) {
        return ink;
    }
    // Rows with ink along most of the text are a line; the others cut through the letters.
    std::vector<int> letterRows;
    std::vector<int> lineRows;
    std::vector<int> runs;
    std::vector<double> middles;  // mean x of the ink of each letter row
    for (int y = ink.box.y; y <= ink.box.GetBottom(); ++y) {
        std::vector<int> rowRuns;
        int run = 0;
        long sum = 0;
        int count = 0;
        for (int x = 0; x <= button.GetWidth(); ++x) {
            if (x < button.GetWidth() && inked(x, y)) {
                ++run;
                sum += x;
                ++count;
            } else if (run > 0) {
                rowRuns.push_back(run);
                run = 0;
            }
        }
        if (rowRuns.empty()) {
            continue;
        }
        if (*std::max_element(rowRuns.begin(), rowRuns.end()) * 10 >= ink.box.width * 6) {
            lineRows.push_back(y);
        } else {
            letterRows.push_back(y);
            runs.insert(runs.end(), rowRuns.begin(), rowRuns.end());
            middles.push_back(static_cast<double>(sum) / count);
        }
    }
    if (!runs.empty()) {
        std::nth_element(runs.begin(), runs.begin() + runs.size() / 2, runs.end());
        ink.stem = runs[runs.size() / 2];
    }
    const std::size_t quarter = middles.size() / 4;
    if (quarter > 0) {
        double top = 0;
        double bottom = 0;
        for (std::size_t i = 0; i < quarter; ++i) {
            top += middles[i];
            bottom += middles[middles.size() - 1 - i];
        }
        ink.slant = (top - bottom) / static_cast<double>(quarter);
    }
    ink.underlined = !lineRows.empty() && !letterRows.empty() &&
                     std::all_of(lineRows.begin(), lineRows.end(),
                                 [&letterRows](int y) { return y > letterRows.back(); });
    return ink;
}

/// A 240 x 70 white button in a grid of three columns, with black "IIIII" in 24 points: upright
/// strokes, nothing below the base line.
ButtonRecord& AddTextButton(Layout& layout, int slot) {
    ButtonRecord& button = AddButton(layout, 0, 20 + 260 * (slot % 3), 60 + 100 * (slot / 3));
    button.Image_File_Off = L"wide.png";
    button.Text_Off = L"IIIII";
    button.Font_Family = L"DejaVu Sans";
    button.Font_Size = 24;
    button.Font_Color = 0;
    return button;
}

/// The buttons of page 0 as the screen shows them.
std::vector<wxImage> ButtonsOnScreen(DrawnPanel& drawn) {
    const wxImage page = PageOnScreen(drawn.Panel(), wxRect(0, 0, 800, 480));
    std::vector<wxImage> buttons;
    if (!page.IsOk()) {
        return buttons;
    }
    for (int i = 0; i < TheLayout().Page(0).Button_Last; ++i) {
        const ButtonRecord& b = TheLayout().Button(0, i);
        buttons.push_back(page.GetSubImage(wxRect(b.PosX, b.PosY, 240, 70)));
    }
    return buttons;
}

TEST(ButtonDrawing, FontStyleShowsAsWeightSlantAndUnderline) {
    struct Case {
        int style;
        bool bold;
        bool italic;
        bool underlined;
    };
    const Case cases[] = {{0, false, false, false}, {1, true, false, false},
                          {2, false, true, false},  {4, false, false, true},
                          {5, true, false, true},   {7, true, true, true}};
    auto layout = DrawingLayout();
    for (int i = 0; i < 6; ++i) {
        AddTextButton(*layout, i).Font_Style = cases[i].style;
    }
    DrawnPanel drawn(*layout);
    const std::vector<wxImage> buttons = ButtonsOnScreen(drawn);
    ASSERT_EQ(buttons.size(), 6u);

    // Bold strokes are wider and carry more ink than the same text without bold, italic leans
    // to the right, an underline runs below the letters; nothing else changes.
    const Ink regular = InkOf(buttons[0]);
    const Ink underlined = InkOf(buttons[3]);
    ASSERT_GE(regular.stem, 2);
    for (int i = 0; i < 6; ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.style);
        const Ink ink = InkOf(buttons[static_cast<std::size_t>(i)]);
        const Ink& plain = c.underlined ? underlined : regular;
        if (c.bold) {
            EXPECT_GE(ink.stem * 2, regular.stem * 3) << "stroke " << ink.stem;
            EXPECT_GE(ink.pixels * 10, plain.pixels * 14) << "ink " << ink.pixels;
        } else {
            EXPECT_LE(ink.stem, regular.stem + 1) << "stroke " << ink.stem;
            EXPECT_LE(ink.pixels * 10, plain.pixels * 12) << "ink " << ink.pixels;
        }
        if (c.italic) {
            EXPECT_GE(ink.slant, 2.5);
        } else {
            EXPECT_LE(std::abs(ink.slant), 1.0);
        }
        EXPECT_EQ(ink.underlined, c.underlined);
        // The text stays where it was: in the middle of the button.
        const int left = ink.box.x;
        const int right = 240 - ink.box.GetRight() - 1;
        EXPECT_LE(std::abs(left - right), 4) << left << " " << right;
    }
}

TEST(ButtonDrawing, HorizontalAlignmentPlacesTheInk) {
    struct Case {
        int align;
        int where;  ///< -1 left, 0 centred, 1 right
    };
    const Case cases[] = {{0, 0}, {1, -1}, {2, 1}, {7, 0}};
    auto layout = DrawingLayout();
    for (int i = 0; i < 4; ++i) {
        AddTextButton(*layout, i).Font_HorizAlign = cases[i].align;
    }
    DrawnPanel drawn(*layout);
    const std::vector<wxImage> buttons = ButtonsOnScreen(drawn);
    ASSERT_EQ(buttons.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(cases[i].align);
        const Ink ink = InkOf(buttons[static_cast<std::size_t>(i)]);
        ASSERT_GT(ink.pixels, 100);
        const int left = ink.box.x;
        const int right = 240 - ink.box.GetRight() - 1;
        switch (cases[i].where) {
            case -1:
                EXPECT_LE(left, 6);
                EXPECT_GE(right, 150);
                break;
            case 1:
                EXPECT_LE(right, 6);
                EXPECT_GE(left, 150);
                break;
            default:
                EXPECT_LE(std::abs(left - right), 4) << left << " " << right;
                break;
        }
        // Always in the middle from top to bottom.
        const int top = ink.box.y;
        const int bottom = 70 - ink.box.GetBottom() - 1;
        EXPECT_LE(std::abs(top - bottom), 6) << top << " " << bottom;
    }
}

TEST(StatusLine, ShownInRedWhileTheLinkIsDownInLanModeOnly) {
    for (const int modus : {1, 0, 2}) {
        SCOPED_TRACE(modus);
        FakeController controller;
        controller.Stop();  // nobody listens: every attempt is refused
        auto layout = DrawingLayout();
        layout->Page(0).BackColor1 = 0xFFFFFF;
        layout->Page(0).BackColor2 = 0xFFFFFF;
        layout->Form.Form_ConnectModus = modus;
        layout->Form.Destination_IP = controller.Address();
        DrawnPanel drawn(*layout);
        const wxRect line(50, 0, 300, 14);
        if (modus != 1) {
            Pump(250);
            EXPECT_TRUE(TheState().StatusText.empty());
            EXPECT_EQ(drawn.Count(line, Reddish), 0);
            continue;
        }
        ASSERT_TRUE(
            WaitFor([] { return TheState().StatusText == L"Keine Verbindung zum Server"; }));
        Pump(150);
        EXPECT_GT(drawn.Count(line, Reddish), 20);
        EXPECT_EQ(drawn.Count(wxRect(0, 20, 800, 460), Reddish), 0) << "only the line is red";

        // The controller appears: the line goes on the next tick.
        ASSERT_TRUE(controller.Listen());
        ASSERT_TRUE(WaitFor(
            [&controller] {
                controller.Poll();
                return TheState().StatusText.empty();
            },
            5000));
        EXPECT_EQ(drawn.Count(line, Reddish), 0);
    }
}

/// A colour no drawing of these tests uses.
const wxColour kMark(255, 0, 255);

/// Paints a 4 x 4 mark into the page's back buffer at a page point, behind the panel's back,
/// so that a test sees whether the panel draws there again.
void Mark(MainDialog& panel, const wxPoint& at) {
    PageArea& area = panel.View().Area();
    wxMemoryDC dc(area.Buffer(area.Buffer().GetSize()));
    dc.SetBrush(wxBrush(kMark));
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.DrawRectangle(at.x, at.y, 4, 4);
}

// The page is drawn again only where something changed: not on the ticks of a link that stays
// down, not for scrolling, not for lamp states that change nothing. A lamp that changes redraws
// its button and the button over it, nothing else.
TEST(PageRedraw, OnlyWhatChangedIsDrawnAgain) {
    FakeController controller;
    controller.Stop();  // the link stays down
    auto layout = DrawingLayout();
    layout->Form.Form_ConnectModus = 1;
    layout->Form.Destination_IP = controller.Address();
    AddButton(*layout, 0, 100, 100, 1);
    AddButton(*layout, 0, 300, 100, 2);
    AddButton(*layout, 0, 150, 120, 3);  // over part of the first
    DrawnPanel drawn(*layout);
    ASSERT_TRUE(WaitFor([] { return TheState().StatusText == L"Keine Verbindung zum Server"; }));
    Pump(150);
    const wxPoint background(20, 300);
    const wxPoint first(110, 105);
    const wxPoint second(310, 105);
    const wxPoint third(160, 125);
    const auto marked = [&drawn](const wxPoint& at) {
        return drawn.Pixel(at.x + 1, at.y + 1) == kMark;
    };
    const auto markAll = [&] {
        for (const wxPoint& at : {background, first, second, third}) {
            Mark(drawn.Panel(), at);
        }
    };

    markAll();
    Pump(1000);
    EXPECT_TRUE(marked(background) && marked(first) && marked(second) && marked(third))
        << "drawn again while the link stayed down";
    TheState().RedrawPending = 1;
    ASSERT_TRUE(WaitFor([] { return TheState().RedrawPending == 0; }));
    EXPECT_TRUE(marked(background) && marked(first) && marked(second) && marked(third))
        << "drawn again for a scroll";

    ASSERT_TRUE(controller.Listen());
    ASSERT_TRUE(PanelLinked(controller, 5000));
    Pump(150);
    markAll();
    ASSERT_TRUE(controller.Send(LampState({})));
    Pump(500);
    EXPECT_TRUE(marked(background) && marked(first) && marked(second) && marked(third))
        << "drawn again for lamps that stayed as they were";

    ASSERT_TRUE(controller.Send(LampState({1})));
    ASSERT_TRUE(WaitFor([&] {
        controller.Poll();
        return drawn.Pixel(195, 105) == kOn;
    }));
    EXPECT_FALSE(marked(first));
    EXPECT_FALSE(marked(third)) << "the button over the changed one is drawn over it again";
    EXPECT_EQ(drawn.Pixel(third.x + 1, third.y + 1), kOff);
    EXPECT_TRUE(marked(second));
    EXPECT_TRUE(marked(background));
}

}  // namespace
