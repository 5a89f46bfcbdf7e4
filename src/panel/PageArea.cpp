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

/// The link's banner says in large what the status line says: it starts where the status line
/// does, so that it covers it whole, or right of a menu picture that reaches further.
int OfflineClear(const Rect& menu) {
    return std::max(BannerClear(menu, 1), PageRenderer::kStatusLineX);
}

}  // namespace

void PageArea::ShowEditMarks(const EditMarks& marks, bool offline, const Rect& menu,
                             const wxSize& visible) {
    wxRect offlineRect;
    int top = 0;
    if (offline) {
        const wxSize size = OfflineBannerSize(menu, visible);
        offlineRect = WxRect(BannerPlace(size.x, size.y, visible.x, OfflineClear(menu)));
        top = offlineRect.GetBottom() + 1;
    }
    wxRect banner;
    if (marks.bannerMode != EditModes::Normal) {
        int width = 0;
        int height = 0;
        GetTextExtent(ModeBanner(marks.bannerMode), &width, &height, nullptr, nullptr,
                      &m_bannerFont);
        banner = WxRect(BannerPlace(width + 2 * kBannerPadX, height + 2 * kBannerPadY, visible.x,
                                    BannerClear(menu, kMenuGap), top));
    }
    if (marks == m_marks && banner == m_bannerRect && offlineRect == m_offlineRect) {
        return;
    }
    ShowPageRect(MarkedArea());
    m_marks = marks;
    m_bannerRect = banner;
    m_offlineRect = offlineRect;
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

wxSize PageArea::OfflineBannerSize(const Rect& menu, const wxSize& visible) {
    const bool sameMenu = menu.x == m_offlineMenu.x && menu.y == m_offlineMenu.y &&
                          menu.width == m_offlineMenu.width && menu.height == m_offlineMenu.height;
    if (m_offlineFont.IsOk() && visible == m_offlineVisible && sameMenu) {
        return m_offlineSize;
    }
    const auto fontOf = [](int pixels) {
        return wxFont(wxFontInfo(wxSize(0, pixels)).Family(wxFONTFAMILY_SWISS).Bold());
    };
    int width = 0;
    int height = 0;
    const wxFont reference = fontOf(100);
    GetTextExtent(kNoConnection, &width, &height, nullptr, nullptr, &reference);
    const int room = BannerRoom(visible.x, OfflineClear(menu));
    m_offlineFont = fontOf(RoomBannerPixels(width, room - 2 * kBannerPadX, visible.y));
    GetTextExtent(kNoConnection, &width, &height, nullptr, nullptr, &m_offlineFont);
    m_offlineVisible = visible;
    m_offlineMenu = menu;
    // The box takes the whole room, the text centred in it: it covers the status line.
    m_offlineSize = wxSize(std::max(width + 2 * kBannerPadX, room), height + 2 * kBannerPadY);
    return m_offlineSize;
}

wxRect PageArea::MarkedArea() const {
    wxRect area = m_bannerRect;
    if (m_marks.source) {
        area.Union(WxRect(*m_marks.source));
    }
    if (!m_offlineRect.IsEmpty()) {
        area.Union(m_offlineRect);
    }
    return area;
}

void PageArea::DrawOfflineBanner(wxDC& dc) const {
    if (m_offlineRect.IsEmpty()) {
        return;
    }
    // Red with white letters, framed white inside black: it stands out on any page.
    dc.SetPen(wxPen(*wxBLACK, 1));
    dc.SetBrush(wxBrush(wxColour(190, 0, 0)));
    dc.DrawRectangle(m_offlineRect);
    dc.SetPen(wxPen(*wxWHITE, 2));
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.DrawRectangle(wxRect(m_offlineRect).Deflate(2));
    dc.SetFont(m_offlineFont);
    dc.SetTextForeground(*wxWHITE);
    dc.DrawLabel(kNoConnection, m_offlineRect, wxALIGN_CENTRE);
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
    DrawOfflineBanner(dc);
    DrawEditMarks(dc);
    DrawNote(dc);
}
