#include "panel/PageArea.h"

#include <algorithm>

#include <wx/dcclient.h>
#include <wx/utils.h>

#include "panel/EditBanner.h"
#include "panel/PageRenderer.h"

PageArea::PageArea(wxWindow* parent)
    : wxScrolledWindow(parent, kPageAreaId, wxPoint(0, 0), wxSize(40, 40), wxHSCROLL | wxVSCROLL,
                       "ID_SCROLL_WINDOW1") {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    // The whole page lives in the buffer: scrolling only moves the view over it.
    EnableScrolling(true, true);
    Bind(wxEVT_PAINT, &PageArea::OnPaint, this);
    m_bannerFont = wxFont(wxFontInfo(14).Family(wxFONTFAMILY_SWISS).Bold());
}

wxBitmap& PageArea::Buffer(const wxSize& size) {
    if (!m_buffer.IsOk() || m_buffer.GetSize() != size) {
        m_buffer.Create(size);
    }
    return m_buffer;
}

void PageArea::SetPageColours(Colour top, Colour bottom) {
    // wxColour takes the same byte order as the layout's colours.
    const wxColour topColour(static_cast<unsigned long>(top & kColourMask));
    const wxColour bottomColour(static_cast<unsigned long>(bottom & kColourMask));
    if (topColour != m_pageTop || bottomColour != m_pageBottom) {
        m_pageTop = topColour;
        m_pageBottom = bottomColour;
        Refresh(false);
    }
}

void PageArea::ShowPageRect(const wxRect& rect) {
    if (rect.IsEmpty()) {
        return;
    }
    RefreshRect(wxRect(CalcScrolledPosition(rect.GetPosition()), rect.GetSize()), false);
}

namespace {

/// Room around the banner's text and width of the frame around the style source.
constexpr int kBannerPadX = 12;
constexpr int kBannerPadY = 6;
constexpr int kSourceFrame = 6;
/// Room at least between the menu picture and the note in the status line.
constexpr int kNoteGap = 2;

wxRect WxRect(const Rect& rect) {
    return wxRect(rect.x, rect.y, rect.width, rect.height);
}

}  // namespace

void PageArea::ShowEditMarks(const EditMarks& marks, const Rect& menu, int visibleWidth) {
    wxRect banner;
    if (marks.bannerMode != EditModes::Normal) {
        int width = 0;
        int height = 0;
        GetTextExtent(ModeBanner(marks.bannerMode), &width, &height, nullptr, nullptr,
                      &m_bannerFont);
        banner = WxRect(
            BannerPlace(width + 2 * kBannerPadX, height + 2 * kBannerPadY, visibleWidth, menu));
    }
    if (marks == m_marks && banner == m_bannerRect) {
        return;
    }
    ShowPageRect(MarkedArea());
    m_marks = marks;
    m_bannerRect = banner;
    ShowPageRect(MarkedArea());
}

void PageArea::ShowNote(const std::wstring& text, const MarkColours& colours, const Rect& menu) {
    wxRect place;
    if (!text.empty()) {
        int width = 0;
        int height = 0;
        GetTextExtent(text, &width, &height, nullptr, nullptr, &m_bannerFont);
        // In the status line, over the link's words, but never over the menu picture.
        const int left = std::max(PageRenderer::kStatusLineX,
                                  menu.width > 0 ? menu.x + menu.width + kNoteGap : 0);
        place = wxRect(left, 0, width + 2 * kBannerPadX, height + 2 * kBannerPadY);
    }
    if (text == m_note && colours == m_noteColours && place == m_noteRect) {
        return;
    }
    ShowPageRect(m_noteRect);
    m_note = text;
    m_noteColours = colours;
    m_noteRect = place;
    ShowPageRect(m_noteRect);
}

void PageArea::DrawNote(wxDC& dc) const {
    if (m_noteRect.IsEmpty()) {
        return;
    }
    const wxColour fill(static_cast<unsigned long>(m_noteColours.fill & kColourMask));
    const wxColour ink(static_cast<unsigned long>(m_noteColours.ink & kColourMask));
    dc.SetPen(wxPen(ink, 1));
    dc.SetBrush(wxBrush(fill));
    dc.DrawRectangle(m_noteRect);
    dc.SetFont(m_bannerFont);
    dc.SetTextForeground(ink);
    dc.DrawLabel(m_note, m_noteRect, wxALIGN_CENTRE);
}

wxRect PageArea::MarkedArea() const {
    wxRect area = m_bannerRect;
    if (m_marks.source) {
        area.Union(WxRect(*m_marks.source));
    }
    return area;
}

void PageArea::DrawEditMarks(wxDC& dc) const {
    if (m_marks.Empty()) {
        return;
    }
    // wxColour takes the same byte order as the layout's colours.
    const wxColour fill(static_cast<unsigned long>(m_marks.colours.fill & kColourMask));
    const wxColour ink(static_cast<unsigned long>(m_marks.colours.ink & kColourMask));
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    if (m_marks.source) {
        // Inside the button, so that its neighbours stay as they are: ink, fill, ink.
        const wxRect frame = WxRect(*m_marks.source);
        dc.SetPen(wxPen(ink, 1));
        dc.DrawRectangle(frame);
        dc.SetPen(wxPen(fill, 1));
        for (int i = 1; i < kSourceFrame - 1; ++i) {
            dc.DrawRectangle(wxRect(frame).Deflate(i));
        }
        dc.SetPen(wxPen(ink, 1));
        dc.DrawRectangle(wxRect(frame).Deflate(kSourceFrame - 1));
    }
    if (!m_bannerRect.IsEmpty()) {
        dc.SetPen(wxPen(ink, 1));
        dc.SetBrush(wxBrush(fill));
        dc.DrawRectangle(m_bannerRect);
        dc.SetFont(m_bannerFont);
        dc.SetTextForeground(ink);
        dc.DrawLabel(ModeBanner(m_marks.bannerMode), m_bannerRect, wxALIGN_CENTRE);
    }
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
    const wxRect shown(origin, client);
    const wxSize page = m_buffer.IsOk() ? m_buffer.GetSize() : wxSize(0, 0);
    if (m_buffer.IsOk()) {
        dc.DrawBitmap(m_buffer, 0, 0, false);
    }
    // What the page does not cover (a framed window maximised past the page) shows the page's
    // own background: its gradient goes on to the right of it, its bottom colour fills below it.
    const int right = shown.GetRight() + 1;
    const int bottom = shown.GetBottom() + 1;
    if (right > page.x && page.y > 0) {
        dc.GradientFillLinear(wxRect(page.x, 0, right - page.x, page.y), m_pageTop, m_pageBottom,
                              wxSOUTH);
    }
    if (bottom > page.y) {
        dc.SetBrush(wxBrush(m_pageBottom));
        dc.SetPen(*wxTRANSPARENT_PEN);
        dc.DrawRectangle(wxRect(shown.x, page.y, shown.width, bottom - page.y));
    }
    DrawEditMarks(dc);
    DrawNote(dc);
}
