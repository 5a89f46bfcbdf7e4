#include "panel/PageRenderer.h"

#include <algorithm>
#include <tuple>
#include <type_traits>
#include <vector>

#include <wx/dcmemory.h>
#include <wx/settings.h>

#include "model/Paths.h"
#include "model/PictureFile.h"

namespace {

wxColour ColourOf(Colour value) {
    return wxColour(static_cast<unsigned char>(RedOf(value)),
                    static_cast<unsigned char>(GreenOf(value)),
                    static_cast<unsigned char>(BlueOf(value)));
}

wxRect WxRect(const Rect& rect) {
    return wxRect(rect.x, rect.y, rect.width, rect.height);
}

Rect RectOf(const wxRect& rect) {
    return Rect{rect.x, rect.y, rect.width, rect.height};
}

bool SameRect(const Rect& a, const Rect& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

bool Meet(const Rect& a, const Rect& b) {
    return WxRect(a).Intersects(WxRect(b));
}

/// The part of `picture` in `part` (picture coordinates), as a bitmap to draw.
wxBitmap PartOf(const wxImage& picture, const wxRect& part) {
    if (part == wxRect(0, 0, picture.GetWidth(), picture.GetHeight())) {
        return wxBitmap(picture);
    }
    return wxBitmap(picture.GetSubImage(part));
}

/// Draws the part of `picture` that falls on `dc` (of `size`) when its corner is at `at`.
void DrawPicturePart(wxDC& dc, const wxSize& size, const wxImage& picture, const wxSize& cut,
                     const wxPoint& at, bool useMask) {
    if (!picture.IsOk()) {
        return;
    }
    wxRect part(0, 0, std::min(picture.GetWidth(), cut.x), std::min(picture.GetHeight(), cut.y));
    part.Intersect(wxRect(-at.x, -at.y, size.x, size.y));
    if (part.IsEmpty()) {
        return;
    }
    dc.DrawBitmap(PartOf(picture, part), part.x + at.x, part.y + at.y, useMask);
}

/// The alignments DrawLabel knows apart: 1 left, 2 right, every other value centred.
int AlignmentKey(int horizAlign) {
    return horizAlign == 1 || horizAlign == 2 ? horizAlign : 0;
}

int AlignmentOf(int horizAlign) {
    switch (horizAlign) {
        case 1:
            return wxALIGN_LEFT | wxALIGN_CENTER_VERTICAL;
        case 2:
            return wxALIGN_RIGHT | wxALIGN_CENTER_VERTICAL;
        default:
            return wxALIGN_CENTER_HORIZONTAL | wxALIGN_CENTER_VERTICAL;
    }
}

}  // namespace

std::size_t PageRenderer::ComposedKeyHash::operator()(const ComposedKey& key) const {
    std::size_t hash = 0;
    const auto mix = [&hash](const auto& field) {
        const std::size_t value = std::hash<std::decay_t<decltype(field)>>()(field);
        hash ^= value + 0x9e3779b97f4a7c15ull + (hash << 6) + (hash >> 2);
    };
    std::apply([&mix](const auto&... fields) { (mix(fields), ...); }, key.Tied());
    return hash;
}

PageRenderer::PictureRef PageRenderer::LoadPicture(const Layout& layout, const std::wstring& name,
                                                   ImageCache::Decoding decoding) {
    PictureRef ref;
    ref.path = PathInFolder(layout.Form.LayoutDirectory, name);
    const ImageCache::Picture loaded = m_cache.Fetch(ref.path, MostPicturePixels(layout), decoding);
    if (loaded.serial != 0) {
        ref.serial = loaded.serial;
        ref.width = loaded.width;
        ref.height = loaded.height;
    }
    return ref;
}

wxImage PageRenderer::PictureOf(const Layout& layout, const PictureRef& ref) {
    if (ref.serial == 0) {
        return wxImage();
    }
    wxImage image = m_cache.Kept(ref.path, ref.serial);
    if (!image.IsOk()) {
        image = m_cache.Fetch(ref.path, MostPicturePixels(layout)).image;
    }
    if (!image.IsOk() && ref.path != PathInFolder(layout.Form.LayoutDirectory, kDefaultPicture)) {
        // A pressed or on picture found broken only now, as it is drawn: the default picture
        // stands in, as it does for one found broken when the page is loaded.
        image = PictureOf(layout, LoadPicture(layout, kDefaultPicture));
    }
    return image;
}

void PageRenderer::BuildPageBackground(const Layout& layout, int page) {
    const int width = std::max(layout.Form.SizeX, 1);
    const int height = std::max(layout.Form.SizeY, 1);
    m_pageBitmap.Create(width, height);
    wxMemoryDC dc(m_pageBitmap);
    const PageRecord& record = layout.Page(page);
    dc.GradientFillLinear(wxRect(0, 0, width, height), ColourOf(record.BackColor1),
                          ColourOf(record.BackColor2), wxSOUTH);
    m_pageContent = ComposedKey();
    m_pageContent.pageWidth = width;
    m_pageContent.pageHeight = height;
    m_pageContent.top = record.BackColor1 & kColourMask;
    m_pageContent.bottom = record.BackColor2 & kColourMask;
    if (record.PageImage.empty()) {
        return;
    }
    const PictureRef picture = LoadPicture(layout, record.PageImage);
    m_pageContent.pagePicture = picture.serial;
    // Centred; of a picture larger than the page only the part on the page is drawn.
    DrawPicturePart(dc, wxSize(width, height), PictureOf(layout, picture),
                    wxSize(picture.width, picture.height),
                    wxPoint((width - picture.width) / 2, (height - picture.height) / 2), true);
}

PageRenderer::MissingPictures PageRenderer::LoadMenuImage(const Layout& layout) {
    // A picture that is there but cannot be decoded (empty, cut short, no picture at all) is
    // as good as missing: without the menu picture there is no way into the menu.
    MissingPictures missing;
    const PictureRef menu = LoadPicture(layout, kMenuPicture);
    m_menuRect = Rect{0, 0, menu.width, menu.height};
    m_menuSerial = menu.serial;
    m_menuBitmap = wxBitmap();
    if (menu.serial != 0) {
        // Only the part on the page is kept; the whole picture is the touch area.
        const wxImage picture = PictureOf(layout, menu);
        const wxRect part = wxRect(0, 0, menu.width, menu.height)
                                .Intersect(wxRect(0, 0, std::max(layout.Form.SizeX, 1),
                                                  std::max(layout.Form.SizeY, 1)));
        if (picture.IsOk() && !part.IsEmpty()) {
            m_menuBitmap = PartOf(picture, part);
        }
    }
    missing.menu = menu.serial == 0;
    missing.defaultButton = LoadPicture(layout, kDefaultPicture).serial == 0;
    return missing;
}

void PageRenderer::LoadButtonImages(const Layout& layout, int page) {
    const int last = std::clamp(layout.Page(page).Button_Last, 0, kButtonSlots);
    const std::wstring& folder = layout.Form.LayoutDirectory;
    // Most buttons of a page name the same few files: each name is looked up once per load (and
    // once more when a picture only sized so far is wanted decoded).
    std::map<std::pair<std::wstring, ImageCache::Decoding>, PictureRef> loaded;
    const auto picture = [&](int button, std::wstring ButtonRecord::*field,
                             ImageCache::Decoding decoding) {
        std::wstring name;
        if (button < kButtonSlots) {
            name = layout.Button(page, button).*field;
        }
        const auto known = loaded.find({name, decoding});
        if (known != loaded.end()) {
            return known->second;
        }
        // A missing picture, and one that cannot or may not be decoded, shows as the default.
        PictureRef found;
        if (FileExists(PathInFolder(folder, name))) {
            found = LoadPicture(layout, name, decoding);
        }
        if (found.serial == 0) {
            if (!name.empty()) {
                m_missing.insert(name);
            }
            found = LoadPicture(layout, kDefaultPicture);
        }
        return loaded.emplace(std::make_pair(name, decoding), found).first->second;
    };
    // The off picture is the button's size and its look on the page: decoded now, so that a
    // broken one is the default picture from the start. The pressed and on pictures are read
    // and sized now and decoded when such a look is drawn.
    for (int i = 0; i <= last; ++i) {
        const auto slot = static_cast<std::size_t>(i);
        m_offImage[slot] = picture(i, &ButtonRecord::Image_File_Off, ImageCache::Decoding::Now);
        const int x = i < kButtonSlots ? layout.Button(page, i).PosX : 0;
        const int y = i < kButtonSlots ? layout.Button(page, i).PosY : 0;
        m_buttonRect[slot] = Rect{x, y, m_offImage[slot].width, m_offImage[slot].height};
        m_pressedImage[slot] =
            picture(i, &ButtonRecord::Image_File_Press, ImageCache::Decoding::Later);
        m_onImage[slot] = picture(i, &ButtonRecord::Image_File_On, ImageCache::Decoding::Later);
    }
}

std::vector<std::wstring> PageRenderer::TakeMissing() {
    std::vector<std::wstring> taken(m_missing.begin(), m_missing.end());
    m_missing.clear();
    return taken;
}

void PageRenderer::DrawPageBase(wxDC& dc, const std::wstring& statusText) const {
    if (!m_pageBitmap.IsOk() || m_pageBitmap.GetWidth() == 0) {
        return;
    }
    dc.DrawBitmap(m_pageBitmap, 0, 0, false);
    if (!statusText.empty()) {
        dc.SetFont(
            wxFont(wxFontInfo(8).Family(wxFONTFAMILY_MODERN).Bold().FaceName("Courier New")));
        dc.SetTextForeground(wxColour(255, 0, 0));
        dc.DrawText(statusText, kStatusLineX, 0);
    }
    if (m_menuBitmap.IsOk()) {
        dc.DrawBitmap(m_menuBitmap, 0, 0, true);
    }
}

wxRect PageRenderer::DrawPage(wxDC& dc, Layout& layout, int page, const std::wstring& statusText,
                              const LookOf& lookOf) {
    wxRect drawn;
    const Base base{m_pageContent, statusText, m_menuSerial};
    if (!m_drawnBase || !(*m_drawnBase == base)) {
        DrawPageBase(dc, statusText);
        m_drawnBase = base;
        m_drawn.fill(std::nullopt);
        drawn = wxRect(0, 0, m_pageBitmap.GetWidth(), m_pageBitmap.GetHeight());
    }
    std::array<std::optional<Composition>, kImageSlots> wanted;
    const int last = std::clamp(layout.Page(page).Button_Last, 0, kButtonSlots);
    for (int i = 0; i < last; ++i) {
        wanted[static_cast<std::size_t>(i)] = Compose(layout, page, i, lookOf(i));
    }
    // A button that is drawn elsewhere now, or not at all, leaves the page background behind.
    std::vector<Rect> changed;
    for (std::size_t i = 0; i < m_drawn.size(); ++i) {
        if (m_drawn[i] && (!wanted[i] || !SameRect(wanted[i]->key.shown, m_drawn[i]->shown))) {
            changed.push_back(m_drawn[i]->shown);
        }
    }
    for (const Rect& left : changed) {
        RestoreBase(dc, left);
    }
    // In index order, so that a button over another stays on top: every button that changed,
    // and every one over a part of the page drawn anew.
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        if (!wanted[i]) {
            continue;
        }
        const ComposedKey& key = wanted[i]->key;
        const bool under = std::any_of(changed.begin(), changed.end(),
                                       [&key](const Rect& area) { return Meet(area, key.shown); });
        if (m_drawn[i] && *m_drawn[i] == key && !under) {
            continue;
        }
        Put(dc, layout, page, static_cast<int>(i), *wanted[i]);
        m_drawn[i] = key;
        changed.push_back(key.shown);
    }
    for (const Rect& area : changed) {
        drawn.Union(WxRect(area));
    }
    return drawn;
}

wxRect PageRenderer::DrawButton(wxDC& dc, Layout& layout, int page, int button,
                                const ButtonLook& look) {
    const std::optional<Composition> composed = Compose(layout, page, button, look);
    if (!composed) {
        return wxRect();
    }
    Put(dc, layout, page, button, *composed);
    m_drawn[static_cast<std::size_t>(button)] = composed->key;
    // Drawn over the buttons above it: they are no longer whole on the page.
    Covered(composed->key.shown, button);
    return WxRect(composed->key.shown);
}

bool PageRenderer::ShowsLamp(const Layout& layout, int page, int button) const {
    if (!Layout::IsButtonSlot(button)) {
        return false;
    }
    const auto slot = static_cast<std::size_t>(button);
    return ::ShowsLamp(layout.Button(page, button),
                       m_onImage[slot].serial == m_offImage[slot].serial);
}

std::optional<PageRenderer::Composition> PageRenderer::Compose(Layout& layout, int page, int button,
                                                               const ButtonLook& wanted) {
    const int look = wanted.look;
    if (look != Looks::Off && look != Looks::Pressed && look != Looks::On) {
        return std::nullopt;
    }
    if (!Layout::IsButtonSlot(button) || !m_pageBitmap.IsOk()) {
        return std::nullopt;
    }
    const auto slot = static_cast<std::size_t>(button);
    const int width = m_offImage[slot].width;
    const int height = m_offImage[slot].height;
    const PictureRef& picture = look == Looks::Off       ? m_offImage[slot]
                                : look == Looks::Pressed ? m_pressedImage[slot]
                                                         : m_onImage[slot];

    ButtonRecord& record = layout.Button(page, button);
    record.PosX = KeepInsidePage(record.PosX, width, layout.Form.SizeX);
    record.PosY = KeepInsidePage(record.PosY, height, layout.Form.SizeY);

    // The touch area follows the button to where it is drawn, so that a button moved back
    // onto the page answers where it is seen and nowhere else.
    Rect& rect = m_buttonRect[slot];
    rect.x = record.PosX;
    rect.y = record.PosY;
    const wxRect shown =
        WxRect(rect).Intersect(wxRect(0, 0, m_pageBitmap.GetWidth(), m_pageBitmap.GetHeight()));
    if (rect.width <= 0 || rect.height <= 0 || shown.IsEmpty()) {
        return std::nullopt;
    }
    std::wstring text = look == Looks::Off  ? record.Text_Off
                        : look == Looks::On ? record.Text_On
                                            : std::wstring();
    text.erase(std::remove(text.begin(), text.end(), L'\r'), text.end());

    Composition composed;
    ComposedKey& key = composed.key;
    key = m_pageContent;
    key.x = rect.x;
    key.y = rect.y;
    key.width = rect.width;
    key.height = rect.height;
    key.shown = RectOf(shown);
    key.textWidth = width;
    key.textHeight = height;
    key.picture = picture.serial;
    if (!text.empty()) {
        key.face = record.Font_Family;
        key.size = ButtonFontSize(record);
        key.style = record.Font_Style & 7;
        key.colour = record.Font_Color & kColourMask;
        key.align = AlignmentKey(record.Font_HorizAlign);
    }
    key.text = std::move(text);
    key.mark = wanted.mark;
    composed.picture = &picture;
    return composed;
}

void PageRenderer::Put(wxDC& dc, const Layout& layout, int page, int button,
                       const Composition& composed) {
    const ComposedKey& key = composed.key;
    const wxBitmap* canvas = m_composed.Find(key);
    wxBitmap fresh;
    if (canvas == nullptr) {
        fresh =
            ComposeButton(layout.Button(page, button), PictureOf(layout, *composed.picture), key);
        const std::size_t bytes = static_cast<std::size_t>(key.shown.width) *
                                      static_cast<std::size_t>(key.shown.height) * 4 +
                                  sizeof(ComposedKey) +
                                  (key.text.size() + key.face.size()) * sizeof(wchar_t);
        // A button too large for the budget is drawn all the same, composed each time.
        canvas = m_composed.Keep(key, fresh, bytes);
        if (canvas == nullptr) {
            canvas = &fresh;
        }
    }
    dc.DrawBitmap(*canvas, key.shown.x, key.shown.y, false);
}

wxBitmap PageRenderer::BackgroundPiece(const Rect& piece) const {
    return m_pageBitmap.GetSubBitmap(WxRect(piece));
}

int PageRenderer::ButtonFontSize(const ButtonRecord& button) const {
    return button.Font_Size > 0 ? button.Font_Size
                                : wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT).GetPointSize();
}

const wxFont& PageRenderer::ButtonFont(const ButtonRecord& button) {
    const int size = ButtonFontSize(button);
    const auto key = std::make_tuple(button.Font_Family, size, button.Font_Style & 7);
    const auto found = m_fonts.find(key);
    if (found != m_fonts.end()) {
        return found->second;
    }
    wxFontInfo info(size);
    info.Family(wxFONTFAMILY_DEFAULT)
        .FaceName(button.Font_Family)
        .Bold((button.Font_Style & 1) != 0)
        .Italic((button.Font_Style & 2) != 0)
        .Underlined((button.Font_Style & 4) != 0);
    wxFont font(info);
    if (!font.IsOk()) {
        // A face the system does not know draws in the default face.
        font = wxFont(wxFontInfo(size)
                          .Family(wxFONTFAMILY_DEFAULT)
                          .Bold((button.Font_Style & 1) != 0)
                          .Italic((button.Font_Style & 2) != 0)
                          .Underlined((button.Font_Style & 4) != 0));
    }
    if (m_fonts.size() > 256) {
        m_fonts.clear();
    }
    return m_fonts.emplace(key, font).first->second;
}

wxBitmap PageRenderer::ComposeButton(const ButtonRecord& record, const wxImage& picture,
                                     const ComposedKey& key) {
    // Only the part of the button on the page is composed; the button's own corner lies at
    // `corner` of that part.
    wxBitmap canvas = BackgroundPiece(key.shown);
    const wxPoint corner(key.x - key.shown.x, key.y - key.shown.y);
    wxMemoryDC composer(canvas);
    // The look's picture cut to the off picture's size, without its mask (its own
    // transparency, if any, blends with the background piece).
    DrawPicturePart(composer, wxSize(key.shown.width, key.shown.height), picture,
                    wxSize(key.textWidth, key.textHeight), corner, false);
    if (!key.text.empty()) {
        composer.SetFont(ButtonFont(record));
        composer.SetTextForeground(ColourOf(record.Font_Color));
        composer.DrawLabel(key.text, wxRect(corner, wxSize(key.textWidth, key.textHeight)),
                           AlignmentOf(record.Font_HorizAlign));
    }
    composer.SelectObject(wxNullBitmap);
    if (key.mark != ButtonMark::None) {
        MarkCanvas(canvas, picture, key);
    }
    return canvas;
}

void PageRenderer::MarkCanvas(wxBitmap& canvas, const wxImage& picture, const ComposedKey& key) {
    wxImage pixels = canvas.ConvertToImage();
    const int width = pixels.GetWidth();
    const int height = pixels.GetHeight();
    // Only the button's own picture is marked, as far as it is opaque: a round button keeps the
    // page around it as it is.
    std::vector<std::uint8_t> weight(static_cast<std::size_t>(width) *
                                     static_cast<std::size_t>(height));
    const wxRect part =
        wxRect(0, 0, std::min(picture.GetWidth(), key.textWidth),
               std::min(picture.GetHeight(), key.textHeight))
            .Intersect(wxRect(key.shown.x - key.x, key.shown.y - key.y, width, height));
    const bool masked = picture.HasMask();
    for (int y = part.GetTop(); y <= part.GetBottom(); ++y) {
        for (int x = part.GetLeft(); x <= part.GetRight(); ++x) {
            std::uint8_t w = picture.HasAlpha() ? picture.GetAlpha(x, y) : 255;
            if (masked && picture.GetRed(x, y) == picture.GetMaskRed() &&
                picture.GetGreen(x, y) == picture.GetMaskGreen() &&
                picture.GetBlue(x, y) == picture.GetMaskBlue()) {
                w = 0;
            }
            const int cx = x + key.x - key.shown.x;
            const int cy = y + key.y - key.shown.y;
            weight[static_cast<std::size_t>(cy) * static_cast<std::size_t>(width) +
                   static_cast<std::size_t>(cx)] = w;
        }
    }
    PaintMark(key.mark, pixels.GetData(), weight.data(), width, height,
              (key.shown.x - key.x) + (key.shown.y - key.y));
    canvas = wxBitmap(pixels);
}

wxRect PageRenderer::RestoreBackground(wxDC& dc, int button, int x, int y) {
    if (!m_pageBitmap.IsOk() || m_pageBitmap.GetWidth() == 0 || !Layout::IsButtonSlot(button)) {
        return wxRect();
    }
    const Rect& rect = m_buttonRect[static_cast<std::size_t>(button)];
    const wxRect area =
        wxRect(x, y, rect.width, rect.height)
            .Intersect(wxRect(0, 0, m_pageBitmap.GetWidth(), m_pageBitmap.GetHeight()));
    if (rect.width <= 0 || rect.height <= 0 || area.IsEmpty()) {
        return wxRect();
    }
    RestoreBase(dc, RectOf(area));
    return area;
}

void PageRenderer::RestoreBase(wxDC& dc, const Rect& area) {
    // The status line and the menu picture lie on the base: drawn again where they meet the area.
    dc.SetClippingRegion(WxRect(area));
    if (m_drawnBase) {
        DrawPageBase(dc, m_drawnBase->status);
    } else {
        dc.DrawBitmap(BackgroundPiece(area), area.x, area.y, false);
    }
    dc.DestroyClippingRegion();
    Covered(area, -1);
}

void PageRenderer::Covered(const Rect& area, int above) {
    for (std::size_t i = static_cast<std::size_t>(above + 1); i < m_drawn.size(); ++i) {
        if (m_drawn[i] && Meet(m_drawn[i]->shown, area)) {
            m_drawn[i].reset();
        }
    }
}

void PageRenderer::ForgetDrawn() {
    m_drawnBase.reset();
    m_drawn.fill(std::nullopt);
}

void PageRenderer::ShiftEntriesDown(int button, int last) {
    for (int k = std::max(button, 0); k < last && k + 1 < kImageSlots; ++k) {
        const auto to = static_cast<std::size_t>(k);
        const auto from = to + 1;
        m_offImage[to] = m_offImage[from];
        m_pressedImage[to] = m_pressedImage[from];
        m_onImage[to] = m_onImage[from];
        m_buttonRect[to] = m_buttonRect[from];
    }
}
