#pragma once

#include <wx/bitmap.h>
#include <wx/scrolwin.h>

#include "model/PanelState.h"

/// The scrolled window the pages are drawn on. Everything drawn goes into a back buffer the
/// size of the page; the paint handler presents the buffer, so what the screen shows always
/// matches the buffer and survives any repaint.
class PageArea : public wxScrolledWindow {
  public:
    explicit PageArea(wxWindow* parent);

    /// The page-sized back buffer, created or resized to `size` when needed.
    wxBitmap& Buffer(const wxSize& size);
    const wxBitmap& Buffer() const { return m_buffer; }

    /// Asks for a repaint of a rectangle given in page coordinates.
    void ShowPageRect(const wxRect& rect);

    /// The page point under the pointer now: the toolkit's pointer position (not the one an
    /// event carries) in client coordinates, plus the scroll offset.
    PagePoint PointerOnPage() const;

  private:
    void OnPaint(wxPaintEvent& event);

    wxBitmap m_buffer;
};
