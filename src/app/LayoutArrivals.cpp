#include "app/LayoutArrivals.h"

#include <wx/string.h>

#include "app/ModalDialogStack.h"
#include "model/File.h"
#include "model/LayoutWatch.h"
#include "model/PanelJournal.h"
#include "model/PanelRules.h"
#include "model/Prompter.h"
#include "panel/ControllerLink.h"
#include "panel/PageView.h"
#include "panel/PanelWindow.h"

namespace {
/// How often the layout folder is looked at.
constexpr int kFolderLookMs = 300;
}  // namespace

LayoutArrivals::LayoutArrivals(const wxWindow& panel, PanelDocument& document, const File& file,
                               LayoutWatch& watch, PanelJournal& journal,
                               const ModalDialogStack& dialogs, PageView& view, PanelWindow& window,
                               ControllerLink& link)
    : m_panel(panel),
      m_document(document),
      m_file(file),
      m_watch(watch),
      m_journal(journal),
      m_dialogs(dialogs),
      m_view(view),
      m_window(window),
      m_link(link) {}

void LayoutArrivals::Tick(int elapsedMs) {
    m_sinceFolderLookMs += elapsedMs;
    if (m_sinceFolderLookMs >= kFolderLookMs) {
        m_sinceFolderLookMs = 0;
        WatchLayoutFolder();
    }
}

void LayoutArrivals::WatchLayoutFolder() {
    const FolderSnapshot now =
        LookAtLayoutFolder(m_document.Layout(), m_document.State().CurrentPage);
    const LayoutWatch::Change change = m_watch.Check(now);
    // A dialog or message box open (ours included), or a finger on a button: the change waits
    // until the user is done; the watch reports it again.
    if (change == LayoutWatch::Change::None || m_dialogs.AnyOpenBesides(&m_panel) ||
        m_document.State().SelectedButton != -1) {
        return;
    }
    m_watch.Dealt(now);
    if (change == LayoutWatch::Change::FolderGone) {
        wxString text;
        text.Printf(
            "The layout folder is gone:\n%s\n\nThe panel goes on with the page it shows. A "
            "layout put back there is loaded.",
            wxString(m_document.Layout().Form.LayoutDirectory));
        m_journal.LayoutArrived(PanelJournal::Arrival::FolderGone,
                                wxString(m_document.Layout().Form.LayoutDirectory).utf8_string());
        GetPrompter().ShowMessage(text.ToStdWstring());
        return;
    }
    if (change == LayoutWatch::Change::Layout && TakeNewLayout()) {
        return;
    }
    // New pictures, or a layout file kept out that came with some.
    ShowNewPictures(m_document.State().CurrentPage);
}

void LayoutArrivals::ShowNewPictures(int page) {
    // Files coming and going in the folder do not end the panel: a required picture that is
    // missing is reported by the next page load.
    m_view.LoadPagePictures(page);
    m_view.DrawPage(page);
}

bool LayoutArrivals::TakeNewLayout() {
    auto fresh = std::make_unique<::Layout>();
    fresh->Form.LayoutDirectory = m_document.Layout().Form.LayoutDirectory;
    std::string error;
    const FileStatus status = m_file.LoadCompleteLayout(*fresh, &error);
    if (status == FileStatus::Missing) {
        // Gone again since the look: the next file to arrive is news.
        return false;
    }
    Prompter& prompter = GetPrompter();
    if (status != FileStatus::Ok) {
        wxString text;
        text.Printf(
            "A new layout has arrived, but it cannot be used:\n%s\n\n"
            "The panel goes on with its current layout.",
            wxString::FromUTF8(error.c_str()));
        m_journal.LayoutArrived(PanelJournal::Arrival::Unusable, error);
        prompter.ShowMessage(text.ToStdWstring());
        return false;
    }
    // Only a file that can be shown is worth the user's changes.
    if (m_document.State().LayoutChanged != 0 &&
        prompter.AskYesNo(L"A new layout has arrived. Load it and discard your changes?",
                          L"Tolvamix") != Prompter::Answer::Yes) {
        m_journal.LayoutArrived(PanelJournal::Arrival::Declined);
        return false;
    }
    m_journal.LayoutArrived(PanelJournal::Arrival::Taken);
    ShowNewLayout(std::move(fresh));
    return true;
}

void LayoutArrivals::ShowNewLayout(std::unique_ptr<::Layout> fresh) {
    ::Layout& layout = m_document.Layout();
    PanelState& panel = m_document.State();
    RaiseToSmallestPanel(fresh->Form);
    const bool resized =
        fresh->Form.SizeX != layout.Form.SizeX || fresh->Form.SizeY != layout.Form.SizeY;
    const bool relink = fresh->Form.Destination_IP != layout.Form.Destination_IP ||
                        fresh->Form.Form_ConnectModus != layout.Form.Form_ConnectModus;
    ResumeOnNewLayout(panel, layout, *fresh);
    layout = std::move(*fresh);
    if (resized) {
        m_window.ResizeToLayout();
    }
    // In LAN mode the link connects to the new address; in the other modes it stays closed.
    if (relink) {
        m_link.Relink();
    }
    m_view.LoadPage(panel.CurrentPage);
    m_view.DrawPage(panel.CurrentPage);
}
