#include "PanelFixture.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

#include <wx/app.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/image.h>
#include <wx/utils.h>

#include "model/Layout.h"
#include "model/LayoutFormat.h"
#include "model/Paths.h"
#include "panel/PageArea.h"

namespace {

constexpr int kPageWidth = 800;
constexpr int kPageHeight = 480;
constexpr int kColumns = 10;
constexpr int kCellWidth = kPageWidth / kColumns;                                    // 80
constexpr int kCellHeight = kPageHeight / (BenchLayoutFolder::kButtons / kColumns);  // 48
constexpr int kButtonWidth = kCellWidth - 4;
constexpr int kButtonHeight = kCellHeight - 4;

/// A button picture as the demo draws them: a vertical gradient between two colours with
/// transparent rounded corners, so drawing it blends with the page like a real one.
wxImage ButtonPicture(const wxColour& top, const wxColour& bottom) {
    wxImage image(kButtonWidth, kButtonHeight);
    image.InitAlpha();
    const int radius = 8;
    for (int y = 0; y < kButtonHeight; ++y) {
        const double t = static_cast<double>(y) / (kButtonHeight - 1);
        const auto mix = [t](int a, int b) { return static_cast<unsigned char>(a + (b - a) * t); };
        for (int x = 0; x < kButtonWidth; ++x) {
            image.SetRGB(x, y, mix(top.Red(), bottom.Red()), mix(top.Green(), bottom.Green()),
                         mix(top.Blue(), bottom.Blue()));
            const int dx = std::max({radius - x, x - (kButtonWidth - 1 - radius), 0});
            const int dy = std::max({radius - y, y - (kButtonHeight - 1 - radius), 0});
            image.SetAlpha(x, y, dx * dx + dy * dy > radius * radius ? 0 : 255);
        }
    }
    return image;
}

/// A page picture with some structure (a floor plan's lines) so that it compresses like one.
wxImage PagePicture(int width, int height, const wxColour& ink) {
    wxImage image(width, height);
    image.SetRGB(wxRect(0, 0, width, height), 250, 250, 245);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (x % 40 < 3 || y % 30 < 3 || (x + y) % 97 == 0) {
                image.SetRGB(x, y, ink.Red(), ink.Green(), ink.Blue());
            }
        }
    }
    return image;
}

void SavePicture(const wxImage& image, const std::string& path) {
    if (!image.SaveFile(wxString::FromUTF8(path.c_str()), wxBITMAP_TYPE_PNG)) {
        std::abort();
    }
}

Colour RgbValue(int red, int green, int blue) {
    return static_cast<Colour>(red | (green << 8) | (blue << 16));
}

std::string ButtonPictureName(int page, int button, const char* look) {
    return "b" + std::to_string(page) + "-" + std::to_string(button) + look + ".png";
}

std::unique_ptr<Layout> BenchLayout(int pages, bool ownPictures) {
    auto layout = std::make_unique<Layout>();
    layout->Form.SizeX = kPageWidth;
    layout->Form.SizeY = kPageHeight;
    layout->Form.Form_PageStart = 0;
    // No controller: the link timer then leaves the page alone while we measure.
    layout->Form.Form_ConnectModus = 0;
    for (int p = 0; p < pages; ++p) {
        PageRecord& page = layout->Page(p);
        page.Button_Last = BenchLayoutFolder::kButtons;
        page.PageName = p == 0 ? L"Erdgeschoss" : L"Obergeschoss " + std::to_wstring(p);
        page.PageImage = L"plan" + std::to_wstring(p) + L".png";
        page.BackColor1 = RgbValue(228, 238, 247);
        page.BackColor2 = RgbValue(155, 180, 205);
        for (int b = 0; b < BenchLayoutFolder::kButtons; ++b) {
            ButtonRecord& button = layout->Button(p, b);
            const std::wstring n = std::to_wstring(p * 100 + b);
            button.PosX = (b % kColumns) * kCellWidth + 2;
            button.PosY = (b / kColumns) * kCellHeight + 2;
            button.Text_Off = L"Licht\r\nRaum " + n;
            button.Text_On = L"Licht an\r\nRaum " + n;
            button.Font_Style = b % 3 == 0 ? 1 : 0;
            button.Font_Size = 9;
            button.Font_Family = L"<default>";
            button.Font_Color = RgbValue(255, 255, 255);
            button.Led = (p * 100 + b) % 1008;
            button.Taster = p * 100 + b + 1;
            const auto picture = [&](const char* look) {
                return TextFromNative(ownPictures ? ButtonPictureName(p, b, look)
                                                  : std::string("button") + look + ".png");
            };
            button.Image_File_Off = picture("Off");
            button.Image_File_Press = picture("Press");
            button.Image_File_On = picture("On");
            button.Pageflip = b == BenchLayoutFolder::kButtons - 1 ? (p + 1) % pages : kNoPageflip;
            button.Inaktiv = 0;
        }
    }
    return layout;
}

/// Runs the event loop until the condition holds or the time is up.
bool PumpUntil(const std::function<bool()>& condition, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        wxTheApp->Yield(true);
        wxMilliSleep(1);
    }
    return true;
}

}  // namespace

BenchLayoutFolder::BenchLayoutFolder(Shape shape) {
    std::string pattern = (std::filesystem::temp_directory_path() / "tvx-panel-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::abort();
    }
    m_path = pattern;
    const auto at = [this](const char* name) { return m_path + "/" + name; };

    wxImage menu(48, 48);
    menu.SetRGB(wxRect(0, 0, 48, 48), 40, 90, 160);
    SavePicture(menu, at("TvxMenu.png"));
    SavePicture(ButtonPicture(wxColour(150, 150, 150), wxColour(90, 90, 90)),
                at("defaultButton.png"));
    SavePicture(ButtonPicture(wxColour(70, 110, 190), wxColour(30, 60, 130)), at("buttonOff.png"));
    SavePicture(ButtonPicture(wxColour(30, 60, 130), wxColour(20, 40, 90)), at("buttonPress.png"));
    SavePicture(ButtonPicture(wxColour(255, 200, 60), wxColour(230, 140, 20)), at("buttonOn.png"));
    const bool large = shape == Shape::Large;
    const int pages = large ? kLargePages : kPages;
    for (int p = 0; p < pages; ++p) {
        const auto ink = static_cast<unsigned char>(60 + 15 * p);
        SavePicture(PagePicture(600, 400, wxColour(ink, 60, 60)),
                    at(("plan" + std::to_string(p) + ".png").c_str()));
        for (int b = 0; large && b < kButtons; ++b) {
            // Every picture its own colours, so that no two files are alike.
            const auto shade = static_cast<unsigned char>(b * 2);
            const auto hue = static_cast<unsigned char>(p * 20);
            SavePicture(ButtonPicture(wxColour(70, 110, shade), wxColour(hue, 60, 130)),
                        at(ButtonPictureName(p, b, "Off").c_str()));
            SavePicture(ButtonPicture(wxColour(30, shade, 130), wxColour(hue, 40, 90)),
                        at(ButtonPictureName(p, b, "Press").c_str()));
            SavePicture(ButtonPicture(wxColour(255, 200, shade), wxColour(230, hue, 20)),
                        at(ButtonPictureName(p, b, "On").c_str()));
        }
    }

    std::ofstream(at("tvxdef.ini"), std::ios::binary)
        << LayoutFormat::FormatLayout(*BenchLayout(pages, large));
}

BenchLayoutFolder::~BenchLayoutFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

bool BenchPrompter::ChooseDirectory(const std::wstring&, const std::wstring&,
                                    std::wstring& folder) {
    folder = directory;
    return true;
}

void BenchPrompter::ShowMessage(const std::wstring& text) {
    lastMessage = text;
}

Prompter::Answer BenchPrompter::AskYesNoCancel(const std::wstring&, const std::wstring&) {
    return Answer::Cancel;
}

Prompter::Answer BenchPrompter::AskYesNo(const std::wstring&, const std::wstring&) {
    return Answer::No;
}

Prompter::Answer BenchPrompter::AskWithLabels(const std::wstring&, const std::wstring&,
                                              const std::wstring&, const std::wstring&) {
    return Answer::Cancel;
}

void BenchPrompter::ExitProcess(int) {
    exitRequested = true;
}

PaintProbe::PaintProbe(wxWindow& window) : m_window(window) {
    Bind(wxEVT_PAINT, &PaintProbe::OnPaint, this);
}

void PaintProbe::OnPaint(wxPaintEvent& event) {
    ++paints;
    painted = m_window.GetUpdateRegion().GetBox();
    event.Skip();
}

BenchPanel::BenchPanel(BenchLayoutFolder::Shape shape) {
    if (wxTheApp == nullptr) {
        m_error = "the toolkit is not running (no display)";
        return;
    }
    // The pictures are written through the toolkit's image handlers, so only now.
    static std::shared_ptr<const BenchLayoutFolder> large;
    if (shape == BenchLayoutFolder::Shape::Large) {
        if (large == nullptr) {
            large = std::make_shared<BenchLayoutFolder>(shape);
        }
        m_folder = large;
    } else {
        m_folder = std::make_shared<BenchLayoutFolder>(shape);
    }
    m_prompter.directory = TextFromNative(m_folder->Path());
    SetPrompter(&m_prompter);
    m_dialog = new MainDialog(*m_document, m_modalDialogs, nullptr, wxID_ANY);
    if (!m_dialog->StartedUp()) {
        m_error = "the panel did not start";
        return;
    }
    m_dialog->Show();
    if (!PumpUntil([this] { return m_dialog->IsShownOnScreen(); }, 5000)) {
        m_error = "the panel window did not appear";
        return;
    }
    PumpUntil([] { return false; }, 100);
    if (!m_prompter.lastMessage.empty()) {
        m_error = "the panel said: " + NativeName(m_prompter.lastMessage);
        return;
    }
    PageArea* area = &m_dialog->View().Area();
    if (area->GetClientSize() != wxSize(kPageWidth, kPageHeight)) {
        m_error = "the page area is not 800 x 480 (a display smaller than the page?)";
        return;
    }
    m_probe = std::make_unique<PaintProbe>(*area);
    area->PushEventHandler(m_probe.get());
}

BenchPanel::~BenchPanel() {
    if (m_dialog == nullptr) {
        return;
    }
    if (m_probe != nullptr) {
        m_dialog->View().Area().PopEventHandler(false);
    }
    if (m_dialog->StartedUp()) {
        m_dialog->Destroy();
        PumpUntil([] { return false; }, 20);
        // The document goes with this object: the window must be gone before it.
        PumpUntil([this] { return !wxTheApp->IsScheduledForDestruction(m_dialog); }, 1000);
    } else {
        delete m_dialog;
    }
    SetPrompter(nullptr);
}

bool BenchPanel::Present(const wxRect& mark) {
    PageArea* area = &m_dialog->View().Area();
    const wxRect onClient(area->CalcScrolledPosition(mark.GetPosition()), mark.GetSize());
    const long before = m_probe->paints;
    // Update() paints what is invalid right away; should the window system hold the paint
    // back, the event loop runs until it came.
    area->Update();
    const auto presented = [&] {
        return m_probe->paints != before && m_probe->painted.Contains(onClient);
    };
    if (!presented() && !PumpUntil(presented, 1000)) {
        return false;
    }
    wxClientDC dc(area);
    wxColour shown;
    return dc.GetPixel(onClient.x + onClient.width / 2, onClient.y + onClient.height / 2, &shown);
}

bool BenchPanel::ScreenShowsBuffer(const wxRect& mark) {
    PageArea* area = &m_dialog->View().Area();
    wxBitmap buffer = area->Buffer();
    wxMemoryDC composed(buffer);
    wxClientDC screen(area);
    const wxRect inner = wxRect(mark).Deflate(3);
    for (const wxPoint& point : {inner.GetTopLeft(), inner.GetBottomRight(), inner.GetTopRight(),
                                 wxPoint(inner.x + inner.width / 2, inner.y + inner.height / 2)}) {
        wxColour expected;
        wxColour shown;
        if (!composed.GetPixel(point, &expected) ||
            !screen.GetPixel(area->CalcScrolledPosition(point), &shown) || expected != shown) {
            return false;
        }
    }
    return true;
}

void BenchPanel::Settle() {
    wxTheApp->Yield(true);
}

wxRect BenchPanel::LastButtonRect() {
    const Layout& layout = m_document->Layout();
    const int page = m_document->State().CurrentPage;
    const int last = std::clamp(layout.Page(page).Button_Last, 1, kButtonSlots) - 1;
    const Rect& rect = m_dialog->View().Renderer().ButtonRects()[last];
    const ButtonRecord& record = layout.Button(page, last);
    return wxRect(record.PosX, record.PosY, rect.width, rect.height);
}

bool BenchPanel::FlipTo(int page) {
    m_document->State().CurrentPage = page;
    m_dialog->View().LoadPage(page);
    m_dialog->View().DrawPage(page);
    return Present(LastButtonRect());
}
