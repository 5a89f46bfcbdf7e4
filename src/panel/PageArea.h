#pragma once

#include <wx/bitmap.h>
#include <wx/scrolwin.h>

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

    /// Page coordinates of a point given in screen coordinates: the client position plus the
    /// scroll offset.
    wxPoint PagePointFromScreen(const wxPoint& screen) const;

  private:
    void OnPaint(wxPaintEvent& event);

    wxBitmap m_buffer;
};
