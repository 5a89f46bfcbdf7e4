#include "panel/PageRenderer.h"

#include <algorithm>
#include <tuple>

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

/// The top-left part of a picture that fits a width x height button.
wxBitmap CutTo(const wxBitmap& picture, int width, int height) {
    if (!picture.IsOk()) {
        return picture;
    }
    const int w = std::min(picture.GetWidth(), width);
    const int h = std::min(picture.GetHeight(), height);
    if (w <= 0 || h <= 0) {
        return wxBitmap();
    }
    if (w == picture.GetWidth() && h == picture.GetHeight()) {
        return picture;
    }
    return picture.GetSubBitmap(wxRect(0, 0, w, h));
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

bool PageRenderer::ComposedKey::operator<(const ComposedKey& other) const {
    const auto fields = [](const ComposedKey& k) {
        return std::tie(k.pageWidth, k.pageHeight, k.top, k.bottom, k.pagePicture, k.x, k.y,
                        k.width, k.height, k.picture, k.text, k.face, k.size, k.style, k.colour,
                        k.align);
    };
    return fields(*this) < fields(other);
}

ImageCache::Picture PageRenderer::LoadPicture(const Layout& layout, const std::wstring& name) {
    return m_cache.Fetch(PathInFolder(layout.Form.LayoutDirectory, name),
                         MostPicturePixels(layout));
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
    const ImageCache::Picture loaded = LoadPicture(layout, record.PageImage);
    const wxBitmap& picture = loaded.bitmap;
    m_pageContent.pagePicture = loaded.serial;
    if (picture.IsOk()) {
        dc.DrawBitmap(picture, (width - picture.GetWidth()) / 2, (height - picture.GetHeight()) / 2,
                      true);
    }
}

PageRenderer::MissingPictures PageRenderer::LoadMenuImage(const Layout& layout) {
    // A picture that is there but cannot be decoded (empty, cut short, no picture at all) is
    // as good as missing: without the menu picture there is no way into the menu.
    MissingPictures missing;
    m_menuBitmap = LoadPicture(layout, kMenuPicture).bitmap;
    m_menuRect = m_menuBitmap.IsOk() ? Rect{0, 0, m_menuBitmap.GetWidth(), m_menuBitmap.GetHeight()}
                                     : Rect{};
    missing.menu = !m_menuBitmap.IsOk();
    missing.defaultButton = !LoadPicture(layout, kDefaultPicture).bitmap.IsOk();
    return missing;
}

void PageRenderer::LoadButtonImages(const Layout& layout, int page) {
    const int last = std::clamp(layout.Page(page).Button_Last, 0, kButtonSlots);
    const std::wstring& folder = layout.Form.LayoutDirectory;
    // Most buttons of a page name the same few files: each name is looked up once per load.
    std::map<std::wstring, ImageCache::Picture> loaded;
    const auto picture = [&](int button, std::wstring ButtonRecord::*field) {
        std::wstring name;
        if (button < kButtonSlots) {
            name = layout.Button(page, button).*field;
        }
        const auto known = loaded.find(name);
        if (known != loaded.end()) {
            return known->second;
        }
        // A missing picture, and one that cannot or may not be decoded, shows as the default.
        ImageCache::Picture found;
        if (FileExists(PathInFolder(folder, name))) {
            found = LoadPicture(layout, name);
        }
        if (!found.bitmap.IsOk()) {
            found = LoadPicture(layout, kDefaultPicture);
        }
        return loaded.emplace(name, found).first->second;
    };
    const auto cut = [](ImageCache::Picture image, int width, int height) {
        image.bitmap = CutTo(image.bitmap, width, height);
        return image;
    };
    for (int i = 0; i <= last; ++i) {
        const auto slot = static_cast<std::size_t>(i);
        m_offImage[slot] = picture(i, &ButtonRecord::Image_File_Off);
        const wxBitmap& off = m_offImage[slot].bitmap;
        const int width = off.IsOk() ? off.GetWidth() : 0;
        const int height = off.IsOk() ? off.GetHeight() : 0;
        const int x = i < kButtonSlots ? layout.Button(page, i).PosX : 0;
        const int y = i < kButtonSlots ? layout.Button(page, i).PosY : 0;
        m_buttonRect[slot] = Rect{x, y, width, height};
        m_pressedImage[slot] = cut(picture(i, &ButtonRecord::Image_File_Press), width, height);
        m_onImage[slot] = cut(picture(i, &ButtonRecord::Image_File_On), width, height);
    }
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
        dc.DrawText(statusText, 50, 0);
    }
    if (m_menuBitmap.IsOk()) {
        dc.DrawBitmap(m_menuBitmap, 0, 0, true);
    }
}

wxBitmap PageRenderer::BackgroundPiece(int x, int y, int width, int height) const {
    const wxRect piece(x, y, width, height);
    const wxRect page(0, 0, m_pageBitmap.GetWidth(), m_pageBitmap.GetHeight());
    if (page.Contains(piece)) {
        return m_pageBitmap.GetSubBitmap(piece);
    }
    // Part of the button lies off the page (a negative position from the file): what the page
    // does not cover stays black.
    wxBitmap canvas(width, height);
    wxMemoryDC dc(canvas);
    dc.SetBackground(*wxBLACK_BRUSH);
    dc.Clear();
    const wxRect common = piece.Intersect(page);
    if (!common.IsEmpty()) {
        dc.DrawBitmap(m_pageBitmap.GetSubBitmap(common), common.x - x, common.y - y, false);
    }
    return canvas;
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

wxRect PageRenderer::DrawButton(wxDC& dc, Layout& layout, int page, int button, int look) {
    if (look != Looks::Off && look != Looks::Pressed && look != Looks::On) {
        return wxRect();
    }
    if (!Layout::IsButtonSlot(button) || !m_pageBitmap.IsOk()) {
        return wxRect();
    }
    const auto slot = static_cast<std::size_t>(button);
    const wxBitmap& off = m_offImage[slot].bitmap;
    const int width = off.IsOk() ? off.GetWidth() : 0;
    const int height = off.IsOk() ? off.GetHeight() : 0;
    const ImageCache::Picture& picture = look == Looks::Off       ? m_offImage[slot]
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
    if (rect.width <= 0 || rect.height <= 0) {
        return wxRect();
    }
    std::wstring text = look == Looks::Off  ? record.Text_Off
                        : look == Looks::On ? record.Text_On
                                            : std::wstring();
    text.erase(std::remove(text.begin(), text.end(), L'\r'), text.end());

    ComposedKey key = m_pageContent;
    key.x = record.PosX;
    key.y = record.PosY;
    key.width = rect.width;
    key.height = rect.height;
    key.picture = picture.serial;
    if (!text.empty()) {
        key.face = record.Font_Family;
        key.size = ButtonFontSize(record);
        key.style = record.Font_Style & 7;
        key.colour = record.Font_Color & kColourMask;
        key.align = AlignmentKey(record.Font_HorizAlign);
    }
    // The text is laid out in the off image's size, the canvas has the rectangle's. They
    // differ only when the rectangle was changed after loading: then compose it every time.
    if (width != rect.width || height != rect.height) {
        const wxBitmap canvas = ComposeButton(record, picture.bitmap, text, width, height, rect);
        dc.DrawBitmap(canvas, record.PosX, record.PosY, false);
        return wxRect(record.PosX, record.PosY, rect.width, rect.height);
    }
    key.text = std::move(text);
    auto found = m_composed.find(key);
    if (found == m_composed.end()) {
        const long long pixels = static_cast<long long>(rect.width) * rect.height;
        if (m_composedPixels + pixels > kComposedPixels) {
            m_composed.clear();
            m_composedPixels = 0;
        }
        wxBitmap canvas = ComposeButton(record, picture.bitmap, key.text, width, height, rect);
        found = m_composed.emplace(std::move(key), std::move(canvas)).first;
        m_composedPixels += pixels;
    }
    dc.DrawBitmap(found->second, record.PosX, record.PosY, false);
    return wxRect(record.PosX, record.PosY, rect.width, rect.height);
}

wxBitmap PageRenderer::ComposeButton(const ButtonRecord& record, const wxBitmap& picture,
                                     const std::wstring& text, int width, int height,
                                     const Rect& rect) {
    wxBitmap canvas = BackgroundPiece(record.PosX, record.PosY, rect.width, rect.height);
    wxMemoryDC composer(canvas);
    if (picture.IsOk()) {
        composer.DrawBitmap(picture, 0, 0, false);
    }
    if (!text.empty()) {
        composer.SetFont(ButtonFont(record));
        composer.SetTextForeground(ColourOf(record.Font_Color));
        composer.DrawLabel(text, wxRect(0, 0, width, height), AlignmentOf(record.Font_HorizAlign));
    }
    composer.SelectObject(wxNullBitmap);
    return canvas;
}

wxRect PageRenderer::RestoreBackground(wxDC& dc, int button, int x, int y) const {
    if (!m_pageBitmap.IsOk() || m_pageBitmap.GetWidth() == 0 || !Layout::IsButtonSlot(button)) {
        return wxRect();
    }
    const Rect& rect = m_buttonRect[static_cast<std::size_t>(button)];
    if (rect.width <= 0 || rect.height <= 0) {
        return wxRect();
    }
    dc.DrawBitmap(BackgroundPiece(x, y, rect.width, rect.height), x, y, false);
    return wxRect(x, y, rect.width, rect.height);
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
