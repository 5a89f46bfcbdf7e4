#include "panel/PageView.h"

#include <algorithm>
#include <ctime>
#include <string>

#include <wx/dcmemory.h>
#include <wx/filename.h>
#include <wx/scrolwin.h>
#include <wx/toplevel.h>

#include "model/EditMarks.h"
#include "model/LayoutWatch.h"
#include "model/LinkMarks.h"
#include "model/PanelJournal.h"
#include "model/PanelRules.h"
#include "model/PictureFile.h"
#include "model/Prompter.h"
#include "model/StartOptions.h"
#include "panel/EditBanner.h"
#include "panel/PageArea.h"
#include "panel/PanelWindow.h"

namespace {
/// After the name of a picture the panel cannot do without.
const std::wstring kMissingPicture = L" is missing, Porgram will be terminated";
}  // namespace

PageView::PageView(PanelDocument& document, wxTopLevelWindow& title, PageArea& area,
                   const LinkMarks& linkMarks, LayoutWatch& watch, PanelJournal& journal,
                   PanelWindow& window)
    : m_document(document),
      m_title(title),
      m_area(area),
      m_linkMarks(linkMarks),
      m_watch(watch),
      m_journal(journal),
      m_window(window) {
    for (const auto type :
         {wxEVT_SCROLLWIN_TOP, wxEVT_SCROLLWIN_BOTTOM, wxEVT_SCROLLWIN_LINEUP,
          wxEVT_SCROLLWIN_LINEDOWN, wxEVT_SCROLLWIN_PAGEUP, wxEVT_SCROLLWIN_PAGEDOWN,
          wxEVT_SCROLLWIN_THUMBTRACK, wxEVT_SCROLLWIN_THUMBRELEASE}) {
        m_area.Bind(type, &PageView::OnScroll, this);
    }
    m_noteTimer.Bind(wxEVT_TIMER, [this](wxTimerEvent&) {
        m_note.clear();
        ShowEditMarks();
    });
}

PageView::~PageView() {
    m_noteTimer.Stop();
}

void PageView::LoadPage(int page) {
    ReportMissingPictures(LoadPagePictures(page));
    ReportRefusedPictures();
}

PageRenderer::MissingPictures PageView::LoadPagePictures(int page) {
    // Looked at before they are read: a picture changed meanwhile is news.
    const ::Layout& layout = m_document.Layout();
    m_watch.Shown(LookAtPictures(layout, page), static_cast<std::int64_t>(std::time(nullptr)));
    BuildPageBackground(page);
    const PageRenderer::MissingPictures missing = m_renderer.LoadMenuImage(layout);
    LoadButtonImages(page);
    return missing;
}

void PageView::ReportRefusedPictures() {
    const std::uint64_t most = MostPicturePixels(m_document.Layout());
    for (const ImageCache::Refusal& refused : m_renderer.Cache().TakeRefusals()) {
        const wxString name = wxFileName(refused.path).GetFullName();
        const wxString size =
            refused.width > 0
                ? wxString::Format("%d x %d pixels, at most %llu million are shown", refused.width,
                                   refused.height, static_cast<unsigned long long>(most / 1000000))
                : wxString::Format("%lld MB, at most %lld MB are read", refused.bytes >> 20,
                                   ImageCache::kMostFileBytes >> 20);
        m_journal.PictureNotShown(name.utf8_string(), size.utf8_string());
        GetPrompter().ShowMessage((name + " is too large to show (" + size + ")").ToStdWstring());
    }
    // After the refusals: a picture refused for its size is no missing one.
    for (const std::wstring& name : m_renderer.TakeMissing()) {
        m_journal.PictureNotShown(wxString(name).utf8_string());
    }
}

void PageView::ReportMissingPictures(const PageRenderer::MissingPictures& missing) {
    // Without its folder the panel has none of its pictures: the watch says that instead, and
    // the panel goes on with what it shows.
    if (!FolderIsThere(m_document.Layout())) {
        return;
    }
    if (missing.menu || missing.defaultButton) {
        m_journal.Lines().Error(std::string("picture missing: ") +
                                (missing.menu ? "TvxMenu.png " : "") +
                                (missing.defaultButton ? "defaultButton.png " : "") +
                                "(the panel cannot go on without it)");
    }
    // The panel cannot go on: a session starts it again once the picture is back.
    if (missing.menu) {
        GetPrompter().ShowMessage(kMenuPicture + kMissingPicture);
        m_window.Quit(ExitCodes::kFailure);
    }
    if (missing.defaultButton) {
        GetPrompter().ShowMessage(kDefaultPicture + kMissingPicture);
        m_window.Quit(ExitCodes::kFailure);
    }
}

void PageView::BuildPageBackground(int page) {
    m_renderer.BuildPageBackground(m_document.Layout(), page);
    const PageRecord& record = m_document.Layout().Page(page);
    m_area.SetPageColours(record.BackColor1, record.BackColor2);
}

void PageView::LoadButtonImages(int page) {
    m_renderer.LoadButtonImages(m_document.Layout(), page);
}

void PageView::ShowTitle() {
    m_title.SetTitle(PanelTitle(m_document.Layout(), m_document.State()));
}

void PageView::DrawPage(int page) {
    if (!::Layout::IsPageSlot(page)) {
        return;
    }
    ShowTitle();
    BringPageUpToDate(page);
}

wxBitmap& PageView::PageBuffer() {
    const ::Layout& layout = m_document.Layout();
    const wxSize size(layout.Form.SizeX, layout.Form.SizeY);
    if (!m_area.Buffer().IsOk() || m_area.Buffer().GetSize() != size) {
        // A new buffer shows nothing of the page yet.
        m_renderer.ForgetDrawn();
    }
    return m_area.Buffer(size);
}

PageRenderer::ButtonLook PageView::LookAndMark(int page, int button, int look) const {
    return PageRenderer::ButtonLook{
        look, m_linkMarks.MarkOf(ButtonRef{button, page}, look,
                                 m_renderer.ShowsLamp(m_document.Layout(), page, button))};
}

void PageView::BringPageUpToDate(int page) {
    ::Layout& layout = m_document.Layout();
    const PanelState& panel = m_document.State();
    const ButtonRef held = panel.HeldButton;
    // A button under a finger keeps its pressed look through any redraw until the release.
    const auto lookOf = [&](int button) {
        return LookAndMark(page, button,
                           held.page == page && held.button == button
                               ? Looks::Pressed
                               : LampLookOf(layout, panel.Lamps, page, button));
    };
    wxRect drawn;
    {
        wxMemoryDC dc(PageBuffer());
        drawn = m_renderer.DrawPage(dc, layout, page, panel.StatusText, lookOf);
    }
    m_area.ShowPageRect(drawn);
    ShowEditMarks();
}

void PageView::DrawButtons(int page) {
    if (!::Layout::IsPageSlot(page)) {
        return;
    }
    BringPageUpToDate(page);
}

void PageView::RestoreBackground(int button, int x, int y) {
    wxRect drawn;
    {
        wxMemoryDC dc(PageBuffer());
        drawn = m_renderer.RestoreBackground(dc, button, x, y);
    }
    m_area.ShowPageRect(drawn);
}

void PageView::DrawButton(int page, int button, int look) {
    wxRect drawn;
    {
        wxMemoryDC dc(PageBuffer());
        drawn = m_renderer.DrawButton(dc, m_document.Layout(), page, button,
                                      LookAndMark(page, button, look));
    }
    m_area.ShowPageRect(drawn);
    ShowEditMarks();
}

void PageView::ShowEditMarks() {
    const ::Layout& layout = m_document.Layout();
    const PanelState& panel = m_document.State();
    m_area.ShowEditMarks(EditMarksOf(layout, panel, m_renderer.ButtonRects()),
                         m_linkMarks.Offline(), m_renderer.MenuRect(),
                         wxSize(std::min(layout.Form.SizeX, m_area.GetClientSize().x),
                                std::min(layout.Form.SizeY, m_area.GetClientSize().y)));
    if (::Layout::IsPageSlot(panel.CurrentPage)) {
        m_area.ShowNote(m_note,
                        NoteColoursOn(layout.Page(panel.CurrentPage).BackColor1 & kColourMask),
                        m_renderer.MenuRect());
    }
}

void PageView::ShowNote(const std::wstring& text, int milliseconds) {
    m_note = text;
    ShowEditMarks();
    m_noteTimer.StartOnce(milliseconds);
}

void PageView::OnScroll(wxScrollWinEvent& event) {
    OweRepaint();
    event.Skip();
}

void PageView::OweRepaint() {
    // Paid once the scroll or resize under way is done, not a tick later.
    if (m_document.State().RedrawPending == 0) {
        m_area.CallAfter([this] { RepaintOwed(); });
    }
    m_document.State().RedrawPending = 1;
}

void PageView::RepaintOwed() {
    // The buffer holds the whole page: only the window is painted again.
    PanelState& panel = m_document.State();
    if (panel.RedrawPending > 0) {
        --panel.RedrawPending;
        m_area.Refresh(false);
    }
}
