#include "panel/PageArea.h"

#include <wx/dcclient.h>
#include <wx/utils.h>

#include "app/MainDialog.h"

PageArea::PageArea(wxWindow* parent)
    : wxScrolledWindow(parent, kPageAreaId, wxPoint(0, 0), wxSize(40, 40), wxHSCROLL | wxVSCROLL,
                       "ID_SCROLL_WINDOW1") {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    // The whole page lives in the buffer: scrolling only moves the view over it.
    EnableScrolling(true, true);
    Bind(wxEVT_PAINT, &PageArea::OnPaint, this);
}

wxBitmap& PageArea::Buffer(const wxSize& size) {
    if (!m_buffer.IsOk() || m_buffer.GetSize() != size) {
        m_buffer.Create(size);
    }
    return m_buffer;
}

void PageArea::ShowPageRect(const wxRect& rect) {
    if (rect.IsEmpty()) {
        return;
    }
    RefreshRect(wxRect(CalcScrolledPosition(rect.GetPosition()), rect.GetSize()), false);
}

PagePoint PageArea::PointerOnPage() const {
    const wxPoint point = CalcUnscrolledPosition(ScreenToClient(wxGetMousePosition()));
    return PagePoint{point.x, point.y};
}

void PageArea::OnPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    DoPrepareDC(dc);
    const wxSize client = GetClientSize();
    const wxPoint origin = CalcUnscrolledPosition(wxPoint(0, 0));
    // Whatever the page does not cover (a framed window stretched past the page) stays grey.
    dc.SetBrush(*wxLIGHT_GREY_BRUSH);
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.DrawRectangle(wxRect(origin, client));
    if (m_buffer.IsOk()) {
        dc.DrawBitmap(m_buffer, 0, 0, false);
    }
}
