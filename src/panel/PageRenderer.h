#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <tuple>

#include <wx/bitmap.h>
#include <wx/dc.h>
#include <wx/font.h>

#include "model/Layout.h"
#include "model/PanelRules.h"
#include "panel/ImageCache.h"

/// Turns the layout of the current page into pixels: the page background (gradient and
/// picture), the menu picture, the status line and the buttons in their looks. It keeps the
/// pictures of the page last loaded; it draws into whatever device context it is given (the
/// page area's back buffer).
class PageRenderer {
  public:
    /// One entry per button slot a page can have, plus the slot after the last button, which
    /// the loading touches as well.
    static constexpr int kImageSlots = kButtonSlots + 1;

    struct MissingPictures {
        bool menu = false;
        bool defaultButton = false;
    };

    /// Renders the page bitmap: a vertical gradient from BackColor1 to BackColor2 and the
    /// page picture centred on it.
    void BuildPageBackground(const Layout& layout, int page);
    /// Loads the menu picture and checks that the default button picture is there; a picture
    /// that cannot be decoded counts as missing.
    MissingPictures LoadMenuImage(const Layout& layout);
    /// Loads the off, pressed and on pictures of the page's buttons and their rectangles.
    void LoadButtonImages(const Layout& layout, int page);

    /// Page bitmap, status line and menu picture, without buttons.
    void DrawPageBase(wxDC& dc, const std::wstring& statusText) const;
    /// Composes one button on its piece of background and puts it on `dc` in one draw.
    /// Keeps the button inside the page (writing the corrected position to the layout).
    /// Returns the rectangle drawn, empty when nothing was drawn.
    wxRect DrawButton(wxDC& dc, Layout& layout, int page, int button, int look);
    /// Paints the page background over a button-sized rectangle at (x, y).
    wxRect RestoreBackground(wxDC& dc, int button, int x, int y) const;

    const wxBitmap& PageBitmap() const { return m_pageBitmap; }
    Rect MenuRect() const { return m_menuRect; }
    const Rect* ButtonRects() const { return m_buttonRect.data(); }
    Rect& ButtonRect(int button) { return m_buttonRect.at(static_cast<std::size_t>(button)); }

    /// Moves the runtime entries of buttons button+1 ... last down by one, as a delete does.
    void ShiftEntriesDown(int button, int last);

    ImageCache& Cache() { return m_cache; }

  private:
    /// Everything a composed button is made of. Equal keys give equal pixels, so a button
    /// shown again as it was (a lamp that went off and on, a page shown again) is put on the
    /// page without laying out its text again, which is what makes composing slow.
    struct ComposedKey {
        int pageWidth = 0;
        int pageHeight = 0;
        Colour top = 0;
        Colour bottom = 0;
        std::uint64_t pagePicture = 0;
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;
        std::uint64_t picture = 0;
        std::wstring text;
        std::wstring face;
        int size = 0;
        int style = 0;
        Colour colour = 0;
        int align = 0;
        bool operator<(const ComposedKey& other) const;
    };

    /// Composed buttons kept at most, counted in pixels (about 32 MB).
    static constexpr long long kComposedPixels = 8'000'000;

    ImageCache::Picture LoadPicture(const Layout& layout, const std::wstring& name);
    wxBitmap BackgroundPiece(int x, int y, int width, int height) const;
    int ButtonFontSize(const ButtonRecord& button) const;
    const wxFont& ButtonFont(const ButtonRecord& button);
    wxBitmap ComposeButton(const ButtonRecord& record, const wxBitmap& picture,
                           const std::wstring& text, int width, int height, const Rect& rect);

    ImageCache m_cache;
    wxBitmap m_pageBitmap;
    ComposedKey m_pageContent;  ///< the page fields of the key: what the page bitmap shows
    wxBitmap m_menuBitmap;
    Rect m_menuRect;
    std::array<ImageCache::Picture, kImageSlots> m_offImage;
    /// Already cut to the off image's size; the number is that of the uncut picture.
    std::array<ImageCache::Picture, kImageSlots> m_pressedImage;
    std::array<ImageCache::Picture, kImageSlots> m_onImage;
    std::array<Rect, kImageSlots> m_buttonRect{};
    std::map<std::tuple<std::wstring, int, int>, wxFont> m_fonts;
    std::map<ComposedKey, wxBitmap> m_composed;
    long long m_composedPixels = 0;
};
