#include "app/MainDialog.h"

#include <wx/display.h>
#include <wx/icon.h>

#include "app/ConfigurationDialogs.h"
#include "app/LayoutArrivals.h"
#include "app/MainIcon.xpm"
#include "app/ModalDialogStack.h"
#include "app/OpenLayoutFolder.h"
#include "app/PanelStore.h"
#include "app/TouchFilter.h"
#include "model/Prompter.h"
#include "panel/PageArea.h"
#include "panel/PageView.h"
#include "panel/TouchInput.h"

MainDialog::MainDialog(PanelDocument& document, ModalDialogStack& modalDialogs, wxWindow* parent,
                       wxWindowID id, const std::wstring& folder, std::unique_ptr<const File> file,
                       IdleLock::Clock::duration lockTime)
    : m_document(document),
      m_modalDialogs(modalDialogs),
      m_file(std::move(file)),
      m_idleLock(lockTime, IdleLock::Clock::now()),
      m_touches(std::make_unique<TouchFilter>(m_idleLock)) {
    m_modalDialogs.SetPanel(this);
    if (!OpenLayoutFolder(m_document, *m_file, m_journal, folder, m_watch)) {
        return;
    }
    ::Layout& layout = m_document.Layout();
    const long style = layout.Form.Form_FullScreen == 0 ? wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX |
                                                              wxMINIMIZE_BOX | wxRESIZE_BORDER
                                                        : wxBORDER_NONE | wxSTAY_ON_TOP;
    Create(parent, id, "Tolvamix", wxDefaultPosition, wxDefaultSize, style);

    RaiseToSmallestPanel(layout.Form);
    SetClientSize(layout.Form.SizeX, layout.Form.SizeY);
    Centre(wxBOTH);

    auto* area = new PageArea(this);
    m_view = std::make_unique<PageView>(m_document, *this, *area, m_linkMarks, m_watch, m_journal,
                                        *this);
    m_link = std::make_unique<PanelLink>(m_document, *m_view, m_linkMarks, m_journal,
                                         [this](int elapsedMs) { OnLinkTick(elapsedMs); });
    m_store = std::make_unique<PanelStore>(m_document, *m_file, m_watch, m_journal, *m_view);
    // Created once, kept for the whole run, only shown and hidden.
    m_dialogs = std::make_unique<ConfigurationDialogs>(*this, m_document, *m_view, *m_link,
                                                       *m_store, *this);
    m_arrivals = std::make_unique<LayoutArrivals>(*this, m_document, *m_file, m_watch, m_journal,
                                                  m_modalDialogs, *m_view, *this, *m_link);
    m_input = std::make_unique<TouchInput>(*area, *this, *m_view, *m_dialogs, *m_link,
                                           m_dialogs->Editor(), m_document, m_view->Renderer());

    Bind(wxEVT_INIT_DIALOG, &MainDialog::OnInitDialog, this);
    Bind(wxEVT_CLOSE_WINDOW, &MainDialog::OnClose, this);
    Bind(wxEVT_SIZE, &MainDialog::OnSize, this);
    Bind(wxEVT_ICONIZE, &MainDialog::OnIconize, this);

    SetIcon(wxIcon(MAINICON_xpm));
    m_startedUp = true;
}

MainDialog::~MainDialog() {
    m_modalDialogs.SetPanel(nullptr);
    // The link's timer and sockets call back into the other roles: they go first.
    m_link.reset();
}

void MainDialog::OnInitDialog(wxInitDialogEvent&) {
    // The window is shown once; showing it again must not start a second set of timers and
    // sockets.
    if (m_initialised) {
        return;
    }
    m_initialised = true;
    m_link->Open();
    PanelState& panel = m_document.State();
    panel.StyleSource = ButtonRef{};
    panel.CurrentPage = StartPageOf(m_document.Layout());
    FitToDisplay();
    m_view->LoadPage(panel.CurrentPage);
    // No lamp state has come yet: the first drawing marks the lamps.
    m_link->FollowLink();
    m_view->DrawPage(panel.CurrentPage);
    m_link->PaceLinkTimer();
}

void MainDialog::FitToDisplay() {
    const ::Layout& layout = m_document.Layout();
    const WindowFit fit = FitOnDisplay();
    m_fittedFrame = GetSize() - GetClientSize();

    PageArea& area = m_view->Area();
    area.SetVirtualSize(layout.Form.SizeX, layout.Form.SizeY);
    area.SetScrollRate(1, 1);
    area.SetSize(fit.clientWidth, fit.clientHeight);

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
            if (!m_store->StoreLayoutAndReport()) {
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

void MainDialog::JournalEnd() const {
    if (m_exitCode == ExitCodes::kQuit) {
        m_journal.Lines().Info("end: Quit (exit code 0)");
    } else {
        m_journal.Lines().Error("end: a picture the panel needs is missing (exit code " +
                                std::to_string(m_exitCode) + ")");
    }
}

void MainDialog::OnSize(wxSizeEvent&) {
    if (m_view == nullptr) {
        return;
    }
    m_view->Area().SetSize(GetClientSize());
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
    m_view->OweRepaint();
}

void MainDialog::OnIconize(wxIconizeEvent& event) {
    // Under a window manager that iconifies a dialog together with the panel it belongs to, the
    // panel brings the whole group back, the dialog on top.
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

void MainDialog::OnLinkTick(int elapsedMs) {
    m_journal.Tick(LinkReport::Clock::now());
    LockWhenIdle();
    m_arrivals->Tick(elapsedMs);
    m_view->RepaintOwed();
}

void MainDialog::LockWhenIdle() {
    PanelState& panel = m_document.State();
    const IdleLock::Due due = m_idleLock.DueAt(IdleLock::Clock::now(), panel);
    if (due.lockMenu) {
        panel.MenuUnlocked = 0;
    }
    if (due.endEditMode) {
        // As "Back" ends it, without the menu: the edits stay in memory, unstored.
        m_dialogs->SetEditMode(EditModes::Normal);
    }
    if (due.closeDialogs) {
        m_dialogs->CloseIfOurs(m_modalDialogs.Innermost());
    }
}
