#include "app/MainDialog.h"

#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <optional>

#include <wx/datetime.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/display.h>
#include <wx/filename.h>
#include <wx/icon.h>
#include <wx/intl.h>

#include "app/MainIcon.xpm"
#include "dialogs/ButtonDlg.h"
#include "dialogs/ButtonSettingsDlg.h"
#include "dialogs/ChangeStyleDlg.h"
#include "dialogs/FieldPads.h"
#include "dialogs/KeyboardDlg.h"
#include "dialogs/MenuDlg.h"
#include "dialogs/PageDlg.h"
#include "dialogs/PageSelectDlg.h"
#include "dialogs/PasswordDlg.h"
#include "dialogs/SettingsDlg.h"
#include "dialogs/TextKeyboardDlg.h"
#include "dialogs/TransmitDlg.h"
#include "link/LinkSocket.h"
#include "link/TransferSocket.h"
#include "model/File.h"
#include "model/PanelRules.h"
#include "model/Paths.h"
#include "model/PictureFile.h"
#include "model/Prompter.h"
#include "model/StartLayout.h"
#include "model/StartOptions.h"
#include "panel/EditBanner.h"
#include "panel/PageArea.h"
#include "panel/PageRenderer.h"
#include "panel/PanelEditor.h"
#include "panel/TouchInput.h"

namespace {

/// The link timer ticks quickly while the link is getting up and slowly while it is steady or
/// off; the layout folder is looked at every kFolderLookMs either way. A panel that has nothing
/// to do wakes up this seldom.
constexpr int kQuickTickMs = 100;
constexpr int kSlowTickMs = 300;
constexpr int kFolderLookMs = 300;

/// How long the status line says that a store went through.
constexpr int kNoteMs = 4000;

/// After the name of a picture the panel cannot do without.
const std::wstring kMissingPicture = L" is missing, Porgram will be terminated";

/// A layout asking for a smaller panel than this gets this much.
void RaiseToSmallestPanel(FormSettings& form) {
    form.SizeX = std::max(form.SizeX, 200);
    form.SizeY = std::max(form.SizeY, 200);
}

/// Why the panel cannot start on the layout file of `folder`.
std::wstring StartFailureText(const StartLoad& load, const std::wstring& folder) {
    wxString text;
    switch (load.status) {
        case FileStatus::Missing:
            text.Printf("tvxdef.ini missing ! %s", wxString(folder));
            break;
        case FileStatus::Incomplete:
            text.Printf(
                "tvxdef.ini cannot be used ! %s\n%s\n\nThere is no whole tvxdef.ini.bak "
                "to run on instead.",
                wxString(folder), wxString::FromUTF8(load.problem.c_str()));
            break;
        default:
            text.Printf("tvxdef.ini cannot be read ! %s\n%s", wxString(folder),
                        wxString::FromUTF8(load.problem.c_str()));
            break;
    }
    return text.ToStdWstring();
}

/// Tells the idle lock of every touch and key that reaches a window of the program.
class TouchFilter : public wxEventFilter {
  public:
    explicit TouchFilter(IdleLock& lock) : m_lock(lock) { wxEvtHandler::AddFilter(this); }
    ~TouchFilter() override { wxEvtHandler::RemoveFilter(this); }
    TouchFilter(const TouchFilter&) = delete;
    TouchFilter& operator=(const TouchFilter&) = delete;

    int FilterEvent(wxEvent& event) override {
        const wxEventType type = event.GetEventType();
        if (type == wxEVT_LEFT_DOWN || type == wxEVT_LEFT_UP || type == wxEVT_LEFT_DCLICK ||
            type == wxEVT_RIGHT_DOWN || type == wxEVT_MIDDLE_DOWN || type == wxEVT_MOUSEWHEEL ||
            type == wxEVT_KEY_DOWN || type == wxEVT_CHAR_HOOK) {
            m_lock.Touched(IdleLock::Clock::now());
        }
        return Event_Skip;
    }

  private:
    IdleLock& m_lock;
};

std::wstring CurrentWorkingFolder() {
    char buffer[4096];
    if (::getcwd(buffer, sizeof buffer) == nullptr) {
        return L".";
    }
    return TextFromNative(buffer);
}

}  // namespace

MainDialog::MainDialog(PanelDocument& document, wxWindow* parent, wxWindowID id,
                       const std::wstring& folder, std::unique_ptr<const File> file,
                       IdleLock::Clock::duration lockTime)
    : m_document(document),
      m_file(std::move(file)),
      m_idleLock(lockTime, IdleLock::Clock::now()),
      m_touches(std::make_unique<TouchFilter>(m_idleLock)),
      m_renderer(std::make_unique<PageRenderer>()) {
    PanelState& panel = m_document.State();
    ::Layout& layout = m_document.Layout();

    Prompter& prompter = GetPrompter();
    layout.Form.LayoutDirectory = CurrentWorkingFolder();
    if (folder.empty()) {
        // Opening where the panel was started, one touch on "Open" takes that folder.
        std::wstring chosen;
        if (!prompter.ChooseDirectory(wxGetTranslation("Select directory").ToStdWstring(),
                                      layout.Form.LayoutDirectory, chosen)) {
            m_journal.Lines().Info("end: no layout folder chosen (exit code 0)");
            prompter.ExitProcess(ExitCodes::kQuit);
            return;
        }
        layout.Form.LayoutDirectory = chosen;
    } else {
        layout.Form.LayoutDirectory = folder;
    }
    // Looked at before the file is read: a file put in its place meanwhile is news.
    m_watch = LayoutWatch(LookAtLayoutFolder(layout));

    const StartLoad load = LoadStartLayout(*m_file, layout);
    if (!load.Loaded()) {
        // Never run on the reset layout: a later store would write it over the real file.
        const std::wstring failure = StartFailureText(load, layout.Form.LayoutDirectory);
        m_journal.Lines().Error("end: no layout to run on (exit code 1): " +
                                wxString(failure).utf8_string());
        prompter.ShowMessage(failure);
        prompter.ExitProcess(ExitCodes::kFailure);
        return;
    }
    if (load.fromBackup) {
        // What runs is not what tvxdef.ini holds: a store makes it so, and "Quit" asks for one.
        m_journal.Lines().Warning("start: tvxdef.ini cannot be used, running on tvxdef.ini.bak: " +
                                  load.problem);
        prompter.ShowMessage(
            wxString::Format("tvxdef.ini cannot be used:\n%s\n\nThe panel runs on the layout "
                             "the last store kept as tvxdef.ini.bak. \"Store\" makes it "
                             "tvxdef.ini again.",
                             wxString::FromUTF8(load.problem.c_str()))
                .ToStdWstring());
        panel.LayoutChanged = 1;
    }
    // A store that was cut short (power loss) may have left its temporary file behind.
    File::RemoveStaleTemporaries(layout.Form.LayoutDirectory);

    const long style = layout.Form.Form_FullScreen == 0 ? wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX |
                                                              wxMINIMIZE_BOX | wxRESIZE_BORDER
                                                        : wxBORDER_NONE | wxSTAY_ON_TOP;
    Create(parent, id, "Tolvamix", wxDefaultPosition, wxDefaultSize, style);

    RaiseToSmallestPanel(layout.Form);
    SetClientSize(layout.Form.SizeX, layout.Form.SizeY);
    Centre(wxBOTH);

    m_pageArea = new PageArea(this);
    m_editor = std::make_unique<PanelEditor>(*this, *this, document, *m_renderer, *m_pageArea);
    m_input = std::make_unique<TouchInput>(*m_pageArea, *this, *this, *this, *this, *m_editor,
                                           document, *m_renderer);

    LinkTimer.SetOwner(this, wxWindow::NewControlId());
    Bind(wxEVT_TIMER, &MainDialog::OnLinkTimer, this, LinkTimer.GetId());
    m_noteTimer.SetOwner(this, wxWindow::NewControlId());
    Bind(wxEVT_TIMER, &MainDialog::OnNoteTimer, this, m_noteTimer.GetId());
    Bind(wxEVT_INIT_DIALOG, &MainDialog::OnInitDialog, this);
    Bind(wxEVT_CLOSE_WINDOW, &MainDialog::OnClose, this);
    Bind(wxEVT_SIZE, &MainDialog::OnSize, this);
    Bind(wxEVT_ICONIZE, &MainDialog::OnIconize, this);

    SetIcon(wxIcon(MAINICON_xpm));

    // Created once, kept for the whole run, only shown and hidden. The pads first: the fields
    // of the other dialogs open them.
    m_keyboardDlg = new KeyboardDlg(this);
    m_textKeyboardDlg = new TextKeyboardDlg(this);
    m_fieldPads = std::make_unique<FieldPads>(*m_keyboardDlg, *m_textKeyboardDlg);
    FieldPads& pads = *m_fieldPads;
    m_menuDlg = new MenuDlg(this, *this, *this, *this);
    m_settingsDlg = new SettingsDlg(this, *this, *this, *this, document, pads);
    m_buttonDlg = new ButtonDlg(this, *this);
    m_buttonSettingsDlg = new ButtonSettingsDlg(this, document, pads);
    m_passwordDlg = new PasswordDlg(this, document, pads);
    m_changeStyleDlg = new ChangeStyleDlg(this, document);
    m_pageSelectDlg = new PageSelectDlg(this, *this, *this, document);
    m_pageDlg = new PageDlg(this, *this, document, pads);
    m_transmitDlg = new TransmitDlg(this, *this, *this, document, pads);
    m_startedUp = true;
}

MainDialog::~MainDialog() {
    LinkTimer.Stop();
    m_noteTimer.Stop();
    m_link.reset();
    m_transfer.reset();
}

void MainDialog::OnInitDialog(wxInitDialogEvent&) {
    // Showing the window again (there is no such path today) must not start a second set of
    // timers and sockets.
    if (m_initialised) {
        return;
    }
    m_initialised = true;
    m_link = std::make_unique<LinkSocket>(*this, kLinkSocketId);
    m_transfer = std::make_unique<TransferSocket>(*this, kTransferSocketId);
    PanelState& panel = m_document.State();
    panel.StyleSource = ButtonRef{};
    panel.CurrentPage = StartPageOf(m_document.Layout());
    FitToDisplay();
    LoadPage(panel.CurrentPage);
    // No lamp state has come yet: the first drawing marks the lamps.
    FollowLink();
    DrawPage(panel.CurrentPage);
    PaceLinkTimer();
}

void MainDialog::PaceLinkTimer() {
    const int period = m_link != nullptr && m_link->NeedsQuickTicks(m_document.Layout())
                           ? kQuickTickMs
                           : kSlowTickMs;
    if (!LinkTimer.IsRunning() || LinkTimer.GetInterval() != period) {
        LinkTimer.Start(period, wxTIMER_CONTINUOUS);
    }
}

void MainDialog::FitToDisplay() {
    const ::Layout& layout = m_document.Layout();
    const WindowFit fit = FitOnDisplay();
    m_fittedFrame = GetSize() - GetClientSize();

    m_pageArea->SetVirtualSize(layout.Form.SizeX, layout.Form.SizeY);
    m_pageArea->SetScrollRate(1, 1);
    m_pageArea->SetSize(fit.clientWidth, fit.clientHeight);

    if (!m_pageAreaBound) {
        m_pageAreaBound = true;
        for (const auto type :
             {wxEVT_SCROLLWIN_TOP, wxEVT_SCROLLWIN_BOTTOM, wxEVT_SCROLLWIN_LINEUP,
              wxEVT_SCROLLWIN_LINEDOWN, wxEVT_SCROLLWIN_PAGEUP, wxEVT_SCROLLWIN_PAGEDOWN,
              wxEVT_SCROLLWIN_THUMBTRACK, wxEVT_SCROLLWIN_THUMBRELEASE}) {
            m_pageArea->Bind(type, &MainDialog::OnScroll, this);
        }
    }

    // The minimum first: the one of an earlier, larger fit would keep the window from shrinking.
    SetMinClientSize(wxSize(fit.clientWidth, fit.clientHeight));
    SetClientSize(fit.clientWidth, fit.clientHeight);
    // Built at the size of the layout and centred at that size, a window for a layout larger
    // than the display starts partly off it; fitted, it goes back onto the display.
    Move(fit.x, fit.y);
}

WindowFit MainDialog::FitOnDisplay() const {
    const int index = wxDisplay::GetFromWindow(this);
    const wxRect area =
        wxDisplay(index == wxNOT_FOUND ? 0u : static_cast<unsigned>(index)).GetClientArea();
    // The window manager's frame (if any) must fit on the display beside the page too.
    const wxSize frame = GetSize() - GetClientSize();
    const wxRect window = GetScreenRect();
    return FitWindow(Rect{area.x, area.y, area.width, area.height}, frame.x, frame.y,
                     m_document.Layout().Form,
                     Rect{window.x, window.y, window.width, window.height});
}

void MainDialog::LoadPage(int page) {
    ReportMissingPictures(LoadPagePictures(page));
    ReportRefusedPictures();
}

PageRenderer::MissingPictures MainDialog::LoadPagePictures(int page) {
    // Looked at before they are read: a picture changed meanwhile is news.
    const ::Layout& layout = m_document.Layout();
    m_watch.Shown(LookAtPictures(layout, page), static_cast<std::int64_t>(std::time(nullptr)));
    BuildPageBackground(page);
    const PageRenderer::MissingPictures missing = m_renderer->LoadMenuImage(layout);
    LoadButtonImages(page);
    return missing;
}

void MainDialog::ReportRefusedPictures() {
    const std::uint64_t most = MostPicturePixels(m_document.Layout());
    for (const ImageCache::Refusal& refused : m_renderer->Cache().TakeRefusals()) {
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
    for (const std::wstring& name : m_renderer->TakeMissing()) {
        m_journal.PictureNotShown(wxString(name).utf8_string());
    }
}

void MainDialog::ReportMissingPictures(const PageRenderer::MissingPictures& missing) {
    // Without its folder the panel has none of its pictures: the watch says that instead, and
    // the panel goes on with what it shows.
    if (!FolderIsThere(m_document.Layout())) {
        return;
    }
    // The panel cannot go on: a session starts it again once the picture is back.
    m_exitCode = ExitCodes::kFailure;
    if (missing.menu || missing.defaultButton) {
        m_journal.Lines().Error(std::string("picture missing: ") +
                                (missing.menu ? "TvxMenu.png " : "") +
                                (missing.defaultButton ? "defaultButton.png " : "") +
                                "(the panel cannot go on without it)");
    }
    if (missing.menu) {
        GetPrompter().ShowMessage(kMenuPicture + kMissingPicture);
        Close();
    }
    if (missing.defaultButton) {
        GetPrompter().ShowMessage(kDefaultPicture + kMissingPicture);
        Close();
    }
    // Cancelled at "SAVE CHANGES ?": the panel goes on, and a later "Quit" is a quit.
    m_exitCode = ExitCodes::kQuit;
}

void MainDialog::BuildPageBackground(int page) {
    m_renderer->BuildPageBackground(m_document.Layout(), page);
    const PageRecord& record = m_document.Layout().Page(page);
    m_pageArea->SetPageColours(record.BackColor1, record.BackColor2);
}

void MainDialog::LoadButtonImages(int page) {
    m_renderer->LoadButtonImages(m_document.Layout(), page);
}

void MainDialog::DrawPage(int page) {
    ::Layout& layout = m_document.Layout();
    const PanelState& panel = m_document.State();
    if (!::Layout::IsPageSlot(page)) {
        return;
    }
    SetTitle(PanelTitle(layout, panel));
    BringPageUpToDate(page);
}

wxBitmap& MainDialog::PageBuffer() {
    const ::Layout& layout = m_document.Layout();
    const wxSize size(layout.Form.SizeX, layout.Form.SizeY);
    if (!m_pageArea->Buffer().IsOk() || m_pageArea->Buffer().GetSize() != size) {
        // A new buffer shows nothing of the page yet.
        m_renderer->ForgetDrawn();
    }
    return m_pageArea->Buffer(size);
}

void MainDialog::BringPageUpToDate(int page) {
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
        drawn = m_renderer->DrawPage(dc, layout, page, panel.StatusText, lookOf);
    }
    m_pageArea->ShowPageRect(drawn);
    ShowEditMarks();
}

void MainDialog::DrawButtons(int page) {
    if (!::Layout::IsPageSlot(page)) {
        return;
    }
    BringPageUpToDate(page);
}

void MainDialog::RestoreBackground(int button, int x, int y) {
    wxRect drawn;
    {
        wxMemoryDC dc(PageBuffer());
        drawn = m_renderer->RestoreBackground(dc, button, x, y);
    }
    m_pageArea->ShowPageRect(drawn);
}

void MainDialog::DrawButton(int page, int button, int look) {
    wxRect drawn;
    {
        wxMemoryDC dc(PageBuffer());
        drawn = m_renderer->DrawButton(dc, m_document.Layout(), page, button,
                                       LookAndMark(page, button, look));
    }
    m_pageArea->ShowPageRect(drawn);
    ShowEditMarks();
}

bool MainDialog::StoreLayoutAndReport() {
    std::string error;
    const FileStatus status = m_file->StoreLayout(m_document.Layout(), &error);
    m_journal.Stored(status, error);
    if (status == FileStatus::Missing) {
        GetPrompter().ShowMessage(L"tvxdef.ini nicht vorhanden !");
        return false;
    }
    if (status == FileStatus::Failed) {
        wxString text;
        text.Printf("The layout was NOT stored:\n%s\n\nYour changes are still on the panel.",
                    wxString::FromUTF8(error.c_str()));
        GetPrompter().ShowMessage(text.ToStdWstring());
        return false;
    }
    if (status == FileStatus::StoredWithoutBackup) {
        wxString text;
        text.Printf(
            "The layout was stored, but the version it replaced could not be kept as "
            "tvxdef.ini.bak:\n%s",
            wxString::FromUTF8(error.c_str()));
        GetPrompter().ShowMessage(text.ToStdWstring());
    }
    if (status == FileStatus::StoredUnsynced) {
        wxString text;
        text.Printf(
            "The layout was stored, but it may not survive a power cut:\n%s\n\n"
            "Store it again before switching the panel off.",
            wxString::FromUTF8(error.c_str()));
        GetPrompter().ShowMessage(text.ToStdWstring());
    }
    m_watch.Stored(IdentityOf(File::LayoutPath(m_document.Layout())));
    m_document.State().LayoutChanged = 0;
    if (status == FileStatus::Ok) {
        // Seen where the page is, without a box to dismiss: a second "Store" is not needed.
        m_note = ("Layout stored " + wxDateTime::Now().Format("%H:%M")).ToStdWstring();
        ShowEditMarks();
        m_noteTimer.StartOnce(kNoteMs);
    }
    return true;
}

void MainDialog::OnClose(wxCloseEvent&) {
    // The request is never passed on: the window only goes away with the process.
    Prompter& prompter = GetPrompter();
    if (m_document.State().LayoutChanged == 0) {
        JournalEnd();
        prompter.ExitProcess(m_exitCode);
        return;
    }
    switch (prompter.AskYesNoCancel(L"SAVE CHANGES ?", L"Store")) {
        case Prompter::Answer::Cancel:
            return;
        case Prompter::Answer::Yes:
            // A store that did not work keeps the panel running with the changes in memory.
            if (!StoreLayoutAndReport()) {
                return;
            }
            JournalEnd();
            prompter.ExitProcess(m_exitCode);
            return;
        default:
            m_journal.Lines().Warning("end: the changes not stored were discarded");
            JournalEnd();
            prompter.ExitProcess(m_exitCode);
            return;
    }
}

void MainDialog::ResizeToLayout() {
    const FormSettings& form = m_document.Layout().Form;
    SetClientSize(form.SizeX, form.SizeY);
    FitToDisplay();
}

void MainDialog::Quit(int exitCode) {
    m_exitCode = exitCode;
    Close();
    // Cancelled at "SAVE CHANGES ?": the panel goes on, and a later close is a quit.
    m_exitCode = ExitCodes::kQuit;
}

void MainDialog::JournalEnd() const {
    if (m_exitCode == ExitCodes::kQuit) {
        m_journal.Lines().Info("end: Quit (exit code 0)");
    } else {
        m_journal.Lines().Error("end: a picture the panel needs is missing (exit code " +
                                std::to_string(m_exitCode) + ")");
    }
}

void MainDialog::OnSize(wxSizeEvent&) {
    if (m_pageArea != nullptr) {
        m_pageArea->SetSize(GetClientSize());
    }
    // The window manager tells the size of its frame only once the window is shown, and may
    // give the window the size it asked for before: the page is fitted again with the frame,
    // so that the frame does not push the page off the display.
    // A maximised window is as large as the window manager makes it: the page shows at its
    // corner on its own background.
    if (m_initialised && !IsMaximized()) {
        const WindowFit fit = FitOnDisplay();
        const wxSize client = GetClientSize();
        if (GetSize() - client != m_fittedFrame || client.x > fit.clientWidth ||
            client.y > fit.clientHeight) {
            CallAfter([this] { FitToDisplay(); });
        }
    }
    if (m_pageArea != nullptr) {
        OweRepaint();
    }
}

void MainDialog::OnIconize(wxIconizeEvent& event) {
    // Under a window manager that iconifies a dialog together with the panel it belongs to, the
    // panel brings the whole group back, the dialog on top as before.
    if (!event.IsIconized() || (!HasFlag(wxBORDER_NONE) && !m_modalDialogs.AnyOpenBesides(this))) {
        return;
    }
    CallAfter([this] {
        if (IsIconized()) {
            Iconize(false);
        }
        if (wxWindow* innermost = m_modalDialogs.Innermost(); innermost != nullptr) {
            innermost->Raise();
        }
    });
}

void MainDialog::OnScroll(wxScrollWinEvent& event) {
    OweRepaint();
    event.Skip();
}

void MainDialog::OweRepaint() {
    // Paid once the scroll or resize under way is done, not a tick later.
    if (m_document.State().RedrawPending == 0) {
        CallAfter([this] { RepaintOwed(); });
    }
    m_document.State().RedrawPending = 1;
}

void MainDialog::RepaintOwed() {
    // The buffer holds the whole page: only the window is painted again.
    PanelState& panel = m_document.State();
    if (panel.RedrawPending > 0) {
        --panel.RedrawPending;
        m_pageArea->Refresh(false);
    }
}

void MainDialog::OnLinkTimer(wxTimerEvent&) {
    CheckLink();
    m_journal.Tick(LinkReport::Clock::now());
    LockWhenIdle();
    m_sinceFolderLookMs += LinkTimer.GetInterval();
    if (m_sinceFolderLookMs >= kFolderLookMs) {
        m_sinceFolderLookMs = 0;
        WatchLayoutFolder();
    }
    RepaintOwed();
    PaceLinkTimer();
}

void MainDialog::WatchLayoutFolder() {
    const FolderSnapshot now =
        LookAtLayoutFolder(m_document.Layout(), m_document.State().CurrentPage);
    const LayoutWatch::Change change = m_watch.Check(now);
    // A dialog or message box open (ours included), or a finger on a button: the change waits
    // until the user is done; the watch reports it again.
    if (change == LayoutWatch::Change::None || m_modalDialogs.AnyOpenBesides(this) ||
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

void MainDialog::ShowNewPictures(int page) {
    // Files coming and going in the folder do not end the panel: a required picture that is
    // missing is reported by the next page load.
    LoadPagePictures(page);
    DrawPage(page);
}

bool MainDialog::TakeNewLayout() {
    auto fresh = std::make_unique<::Layout>();
    fresh->Form.LayoutDirectory = m_document.Layout().Form.LayoutDirectory;
    std::string error;
    const FileStatus status = m_file->LoadCompleteLayout(*fresh, &error);
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

void MainDialog::ShowNewLayout(std::unique_ptr<::Layout> fresh) {
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
        SetClientSize(layout.Form.SizeX, layout.Form.SizeY);
        FitToDisplay();
    }
    // In LAN mode the link connects to the new address; in the other modes it stays closed.
    if (relink) {
        Relink();
    }
    LoadPage(panel.CurrentPage);
    DrawPage(panel.CurrentPage);
}

void MainDialog::LockWhenIdle() {
    PanelState& panel = m_document.State();
    const IdleLock::Due due = m_idleLock.DueAt(IdleLock::Clock::now(), panel);
    if (due.lockMenu) {
        panel.MenuUnlocked = 0;
    }
    if (due.endEditMode) {
        // As "Back" ends it, without the menu: the edits stay in memory, unstored.
        SetEditMode(EditModes::Normal);
    }
    if (due.closeDialogs) {
        CloseInnermostDialog();
    }
}

void MainDialog::CloseInnermostDialog() {
    wxWindow* innermost = m_modalDialogs.Innermost();
    const wxWindow* const ours[] = {m_menuDlg,           m_passwordDlg,    m_buttonDlg,
                                    m_buttonSettingsDlg, m_changeStyleDlg, m_pageDlg,
                                    m_pageSelectDlg,     m_settingsDlg,    m_keyboardDlg,
                                    m_textKeyboardDlg,   m_transmitDlg};
    if (innermost == nullptr ||
        std::find(std::begin(ours), std::end(ours), innermost) == std::end(ours)) {
        return;
    }
    // A transfer under way ends by itself, within its deadlines.
    if (innermost == m_transmitDlg && m_transmitDlg->IsWaiting()) {
        return;
    }
    innermost->Close();
}

void MainDialog::OnNoteTimer(wxTimerEvent&) {
    m_note.clear();
    ShowEditMarks();
}

void MainDialog::CheckLink() {
    if (m_link != nullptr) {
        ShowLinkStatus(m_link->CheckLink(m_document.Layout()));
    }
}

void MainDialog::Relink() {
    if (m_link != nullptr) {
        m_journal.LinkClosed();
        ShowLinkStatus(m_link->Relink(m_document.Layout()));
        PaceLinkTimer();
    }
}

void MainDialog::ShowLinkStatus(std::optional<LinkStatus> status) {
    // Said again on every tick while the link is down: only a change is drawn.
    PanelState& panel = m_document.State();
    bool changed = false;
    if (status) {
        m_linkDown = *status == LinkStatus::Down;
        m_journal.Link(!m_linkDown, JournalAddress(m_document.Layout().Form.Destination_IP),
                       LinkReport::Clock::now());
        const std::wstring text = m_linkDown ? kNoConnection : L"";
        changed = text != panel.StatusText;
        panel.StatusText = text;
    }
    changed |= FollowLink();
    changed |= m_linkMarks.Tick(LinkMarks::Clock::now());
    if (changed) {
        DrawPage(panel.CurrentPage);
    }
}

bool MainDialog::FollowLink() {
    return m_linkMarks.Follow(m_document.Layout().Form.Form_ConnectModus == 1, m_linkDown,
                              m_link != nullptr && m_link->LampsKnown());
}

PageRenderer::ButtonLook MainDialog::LookAndMark(int page, int button, int look) const {
    return PageRenderer::ButtonLook{
        look, m_linkMarks.MarkOf(ButtonRef{button, page}, look,
                                 m_renderer->ShowsLamp(m_document.Layout(), page, button))};
}

namespace {
/// The value of the selected button of the current page, when the link is in use.
std::optional<int> SelectedTaster(const PanelDocument& document) {
    const PanelState& panel = document.State();
    const ::Layout& layout = document.Layout();
    if (panel.SelectedButton == -1 || layout.Form.Form_ConnectModus != 1 ||
        !::Layout::IsButtonSlot(panel.SelectedButton)) {
        return std::nullopt;
    }
    return layout.Button(panel.CurrentPage, panel.SelectedButton).Taster;
}
}  // namespace

void MainDialog::SendPress() {
    if (const auto taster = SelectedTaster(m_document); taster && m_link != nullptr) {
        m_pressNotSent = !m_link->SendPress(*taster);
    }
}

void MainDialog::SendRelease() {
    const auto taster = SelectedTaster(m_document);
    if (!taster || m_link == nullptr) {
        return;
    }
    // Dropped, not kept for later: a light switched when the link is back would surprise. The
    // button says so once its pressed look is gone.
    const bool sent = m_link->SendRelease(*taster);
    const bool notSent = !sent || m_pressNotSent;
    m_pressNotSent = false;
    const PanelState& panel = m_document.State();
    if (notSent && m_linkMarks.NotSent(ButtonRef{panel.SelectedButton, panel.CurrentPage},
                                       LinkMarks::Clock::now())) {
        DrawButtons(panel.CurrentPage);
    }
}

void MainDialog::OnLinkSocket(wxSocketEvent& event) {
    if (m_link == nullptr) {
        return;
    }
    const int applied = m_link->OnSocketEvent(event, m_document.State().Lamps);
    // New lamp states and the marks they end are drawn together, in one redraw.
    if (FollowLink() || applied > 0) {
        DrawButtons(m_document.State().CurrentPage);
    }
    PaceLinkTimer();
}

void MainDialog::BackToMainMenu() {
    SetEditMode(EditModes::Normal);
    m_menuDlg->ShowAgain();
}

void MainDialog::SetEditMode(int mode) {
    PanelState& panel = m_document.State();
    panel.EditMode = mode;
    if (mode == EditModes::Normal) {
        panel.StyleSourceMarked = false;
    }
    SetTitle(PanelTitle(m_document.Layout(), panel));
    ShowEditMarks();
}

void MainDialog::ShowEditMarks() {
    const ::Layout& layout = m_document.Layout();
    const PanelState& panel = m_document.State();
    m_pageArea->ShowEditMarks(EditMarksOf(layout, panel, m_renderer->ButtonRects()),
                              m_linkMarks.Offline(), m_renderer->MenuRect(),
                              wxSize(std::min(layout.Form.SizeX, m_pageArea->GetClientSize().x),
                                     std::min(layout.Form.SizeY, m_pageArea->GetClientSize().y)));
    if (::Layout::IsPageSlot(panel.CurrentPage)) {
        m_pageArea->ShowNote(m_note,
                             NoteColoursOn(layout.Page(panel.CurrentPage).BackColor1 & kColourMask),
                             m_renderer->MenuRect());
    }
}

wxDialog& MainDialog::Dialog(PanelDialog which) {
    switch (which) {
        case PanelDialog::ButtonMenu:
            return *m_buttonDlg;
        case PanelDialog::ButtonSettings:
            return *m_buttonSettingsDlg;
        case PanelDialog::ChangeStyle:
            return *m_changeStyleDlg;
        case PanelDialog::PageSettings:
            return *m_pageDlg;
        case PanelDialog::PageSelect:
            return *m_pageSelectDlg;
        case PanelDialog::MainSettings:
            return *m_settingsDlg;
        case PanelDialog::Transmit:
            break;
    }
    return *m_transmitDlg;
}

void MainDialog::MenuRequest() {
    const PanelState& panel = m_document.State();
    if (panel.MenuUnlocked <= 0 && !m_document.Layout().Form.Form_Password.empty()) {
        m_passwordDlg->ShowModal();
        if (panel.MenuUnlocked <= 0) {
            return;
        }
    }
    switch (panel.EditMode) {
        case EditModes::Normal:
            m_menuDlg->ShowModal();
            break;
        case EditModes::Move:
        case EditModes::Settings:
        case EditModes::GetStyle:
        case EditModes::ChangeStyle:
        case EditModes::Delete:
            m_buttonDlg->ShowModal();
            break;
        default:
            break;
    }
}

void MainDialog::InsertButton() {
    m_editor->Insert();
}

void MainDialog::OnTransferSocket(wxSocketEvent& event) {
    if (m_transfer != nullptr) {
        m_transfer->OnSocketEvent(event);
    }
}

// The two socket notifications are fixed here; everything else is bound at run time.
wxBEGIN_EVENT_TABLE(MainDialog, wxDialog) EVT_SOCKET(kLinkSocketId, MainDialog::OnLinkSocket)
    EVT_SOCKET(kTransferSocketId, MainDialog::OnTransferSocket) wxEND_EVENT_TABLE()
