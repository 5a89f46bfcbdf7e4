#pragma once

#include <array>
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
    /// Loads the menu picture and checks that the default button picture is there.
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
    wxBitmap LoadPicture(const Layout& layout, const std::wstring& name);
    wxBitmap BackgroundPiece(int x, int y, int width, int height) const;
    const wxFont& ButtonFont(const ButtonRecord& button);

    ImageCache m_cache;
    wxBitmap m_pageBitmap;
    wxBitmap m_menuBitmap;
    Rect m_menuRect;
    std::array<wxBitmap, kImageSlots> m_offImage;
    std::array<wxBitmap, kImageSlots> m_pressedImage;  ///< already cut to the off image's size
    std::array<wxBitmap, kImageSlots> m_onImage;       ///< already cut to the off image's size
    std::array<Rect, kImageSlots> m_buttonRect{};
    std::map<std::tuple<std::wstring, int, int>, wxFont> m_fonts;
};
