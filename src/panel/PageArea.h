#pragma once

#include <wx/bitmap.h>
#include <wx/font.h>
#include <wx/scrolwin.h>

#include "model/EditMarks.h"
#include "model/Layout.h"
#include "model/PanelState.h"

/// The page area's window identifier.
constexpr int kPageAreaId = 3002;

/// The scrolled window the pages are drawn on. Everything drawn goes into a back buffer the
/// size of the page; the paint handler presents the buffer, so what the screen shows always
/// matches the buffer and survives any repaint. While an edit mode is on, and while the
/// controller link is down, the paint handler puts their banners (and the edit mode's frame) on
/// top, and a note in the status line while there is one; they never enter the buffer, so the
/// page under them stays intact, and no button covers them.
class PageArea : public wxScrolledWindow {
  public:
    explicit PageArea(wxWindow* parent);

    /// The page-sized back buffer, created or resized to `size` when needed.
    wxBitmap& Buffer(const wxSize& size);
    const wxBitmap& Buffer() const { return m_buffer; }

    /// The colours at the top and the bottom of the page's gradient. A window larger than the
    /// page (a framed panel maximised) shows the page at its top-left corner, the gradient
    /// going on to its right and the bottom colour below it.
    void SetPageColours(Colour top, Colour bottom);

    /// Asks for a repaint of a rectangle given in page coordinates.
    void ShowPageRect(const wxRect& rect);

    /// Shows `marks`, and the banner of a link that is down when `offline`, on top of the page
    /// from the next paint on; only what changed is repainted. The banners keep clear of `menu`
    /// and are centred on the width of `visible`, the part of the page the panel shows: the
    /// link's on the top edge, in letters as large as fit, the edit mode's below it.
    void ShowEditMarks(const EditMarks& marks, bool offline, const Rect& menu,
                       const wxSize& visible);
    /// Where the edit mode's banner is shown now (page coordinates), empty when there is none.
    wxRect BannerRect() const { return m_bannerRect; }
    /// Where the banner of a link that is down is shown now, empty when there is none.
    wxRect OfflineRect() const { return m_offlineRect; }

    /// Shows `text` in the status line, on top of the page at its top edge right of `menu`, in
    /// `colours`, until it is given an empty text. Like the marks, it never enters the buffer.
    void ShowNote(const std::wstring& text, const MarkColours& colours, const Rect& menu);
    /// The note shown now, and where (page coordinates); empty when there is none.
    const std::wstring& Note() const { return m_note; }
    wxRect NoteRect() const { return m_noteRect; }

    /// The page point under the pointer now: the toolkit's pointer position (not the one an
    /// event carries) in client coordinates, plus the scroll offset.
    PagePoint PointerOnPage() const;

  private:
    void OnPaint(wxPaintEvent& event);
    void DrawEditMarks(wxDC& dc) const;
    void DrawNote(wxDC& dc) const;
    void DrawOfflineBanner(wxDC& dc) const;
    /// The page rectangle the marks cover.
    wxRect MarkedArea() const;
    /// The size of the link's banner on a page that shows `visible` beside `menu`; its font
    /// follows.
    wxSize OfflineBannerSize(const Rect& menu, const wxSize& visible);

    wxBitmap m_buffer;
    wxColour m_pageTop = *wxLIGHT_GREY;
    wxColour m_pageBottom = *wxLIGHT_GREY;
    EditMarks m_marks;
    wxRect m_bannerRect;
    wxFont m_bannerFont;
    std::wstring m_note;
    MarkColours m_noteColours;
    wxRect m_noteRect;
    wxRect m_offlineRect;
    wxFont m_offlineFont;
    /// What the link's banner was last sized for, and the size.
    wxSize m_offlineVisible;
    Rect m_offlineMenu;
    wxSize m_offlineSize;
};
