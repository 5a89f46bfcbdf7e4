#include "app/MainDialog.h"

#include <unistd.h>

#include <algorithm>

#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/display.h>
#include <wx/icon.h>
#include <wx/intl.h>

#include "app/MainIcon.xpm"
#include "model/File.h"
#include "model/PanelRules.h"
#include "model/Paths.h"
#include "model/Prompter.h"
#include "panel/PageArea.h"
#include "panel/PageRenderer.h"

namespace {

MainDialog* g_mainDialog = nullptr;

std::wstring CurrentWorkingFolder() {
    char buffer[4096];
    if (::getcwd(buffer, sizeof buffer) == nullptr) {
        return L".";
    }
    return TextFromNative(buffer);
}

}  // namespace

// The two socket notifications are fixed here; everything else is bound at run time.
wxBEGIN_EVENT_TABLE(MainDialog, wxDialog) EVT_SOCKET(kLinkSocketId, MainDialog::OnLinkSocket)
    EVT_SOCKET(kTransferSocketId, MainDialog::OnTransferSocket) wxEND_EVENT_TABLE()

        MainDialog* GetMainDialog() {
    return g_mainDialog;
}

MainDialog::MainDialog(wxWindow* parent, wxWindowID id)
    : m_renderer(std::make_unique<PageRenderer>()) {
    PanelState& panel = GetPanelState();
    panel.Reset();
    ::Layout& layout = GetLayout();
    layout.ResetLayout();
    panel.Lamps.Clear();

    Prompter& prompter = GetPrompter();
    layout.Form.LayoutDirectory = CurrentWorkingFolder();
    std::wstring folder;
    if (!prompter.ChooseDirectory(wxGetTranslation("Select directory").ToStdWstring(), folder)) {
        prompter.ExitProcess(0);
        return;
    }
    layout.Form.LayoutDirectory = folder;

    const File file;
    if (file.LoadLayout(layout) != FileStatus::Ok) {
        wxString text;
        text.Printf("tvxdef.ini missing ! %s", wxString(layout.Form.LayoutDirectory));
        prompter.ShowMessage(text.ToStdWstring());
        prompter.ExitProcess(0);
        return;
    }
    // A store that was cut short (power loss) may have left its temporary file behind.
    File::RemoveStaleTemporaries(layout.Form.LayoutDirectory);

    const long style = layout.Form.Form_FullScreen == 0 ? wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX |
                                                              wxMINIMIZE_BOX | wxRESIZE_BORDER
                                                        : wxBORDER_NONE | wxSTAY_ON_TOP;
    Create(parent, id, "Tolvamix", wxDefaultPosition, wxDefaultSize, style);
    g_mainDialog = this;

    layout.Form.SizeX = std::max(layout.Form.SizeX, 200);
    layout.Form.SizeY = std::max(layout.Form.SizeY, 200);
    SetClientSize(layout.Form.SizeX, layout.Form.SizeY);
    Centre(wxBOTH);

    m_pageArea = new PageArea(this);

    MoveTimer.SetOwner(this, wxWindow::NewControlId());
    LinkTimer.SetOwner(this, wxWindow::NewControlId());
    Bind(wxEVT_TIMER, &MainDialog::OnLinkTimer, this, LinkTimer.GetId());
    Bind(wxEVT_TIMER, &MainDialog::OnMoveTimer, this, MoveTimer.GetId());
    Bind(wxEVT_INIT_DIALOG, &MainDialog::OnInitDialog, this);
    Bind(wxEVT_CLOSE_WINDOW, &MainDialog::OnClose, this);
    Bind(wxEVT_PAINT, &MainDialog::OnPaint, this);
    Bind(wxEVT_ERASE_BACKGROUND, &MainDialog::OnEraseBackground, this);
    Bind(wxEVT_SIZE, &MainDialog::OnSize, this);
    Bind(wxEVT_CHAR_HOOK, &MainDialog::OnCharHook, this);

    SetIcon(wxIcon(MAINICON_xpm));
    m_startedUp = true;
}

MainDialog::~MainDialog() {
    MoveTimer.Stop();
    LinkTimer.Stop();
    if (g_mainDialog == this) {
        g_mainDialog = nullptr;
    }
}

void MainDialog::OnInitDialog(wxInitDialogEvent&) {
    // Showing the window again (there is no such path today) must not start a second set of
    // timers and sockets.
    if (m_initialised) {
        return;
    }
    m_initialised = true;
    PanelState& panel = GetPanelState();
    panel.StyleSource = ButtonRef{};
    const ::Layout& layout = GetLayout();
    // A start page the layout does not have starts on the first page.
    const int start = layout.Form.Form_PageStart;
    panel.CurrentPage = start >= 0 && start <= layout.LastPage ? start : 0;
    FitToDisplay();
    LoadPage(panel.CurrentPage);
    DrawPage(panel.CurrentPage);
    LinkTimer.Start(100, wxTIMER_CONTINUOUS);
    MoveTimer.Start(100, wxTIMER_CONTINUOUS);
}

void MainDialog::FitToDisplay() {
    const ::Layout& layout = GetLayout();
    const int index = wxDisplay::GetFromWindow(this);
    const wxRect area =
        wxDisplay(index == wxNOT_FOUND ? 0u : static_cast<unsigned>(index)).GetClientArea();
    const int width = std::min(area.width, layout.Form.SizeX);
    const int height = std::min(area.height, layout.Form.SizeY);

    m_pageArea->SetVirtualSize(layout.Form.SizeX, layout.Form.SizeY);
    m_pageArea->SetScrollRate(1, 1);
    m_pageArea->SetSize(width, height);

    if (!m_pageAreaBound) {
        m_pageAreaBound = true;
        for (const auto type :
             {wxEVT_SCROLLWIN_TOP, wxEVT_SCROLLWIN_BOTTOM, wxEVT_SCROLLWIN_LINEUP,
              wxEVT_SCROLLWIN_LINEDOWN, wxEVT_SCROLLWIN_PAGEUP, wxEVT_SCROLLWIN_PAGEDOWN,
              wxEVT_SCROLLWIN_THUMBTRACK, wxEVT_SCROLLWIN_THUMBRELEASE}) {
            m_pageArea->Bind(type, &MainDialog::OnScroll, this);
        }
    }

    SetClientSize(width, height);
    SetMinClientSize(wxSize(width, height));
}

void MainDialog::LoadPage(int page) {
    BuildPageBackground(page);
    ReportMissingPictures(m_renderer->LoadMenuImage(GetLayout()));
    LoadButtonImages(page);
}

void MainDialog::ReportMissingPictures(const PageRenderer::MissingPictures& missing) {
    if (missing.menu) {
        GetPrompter().ShowMessage(L"TvxMenu.png is missing, Porgram will be terminated");
        Close();
    }
    if (missing.defaultButton) {
        GetPrompter().ShowMessage(L"defaultButton.png is missing, Porgram will be terminated");
        Close();
    }
}

void MainDialog::BuildPageBackground(int page) {
    m_renderer->BuildPageBackground(GetLayout(), page);
}

void MainDialog::LoadButtonImages(int page) {
    m_renderer->LoadButtonImages(GetLayout(), page);
}

int MainDialog::LampLook(int page, int button) const {
    return LampLookOf(GetLayout(), GetPanelState().Lamps, page, button);
}

void MainDialog::DrawPage(int page) {
    ::Layout& layout = GetLayout();
    const PanelState& panel = GetPanelState();
    if (!::Layout::IsPageSlot(page)) {
        return;
    }
    SetTitle(layout.Page(panel.CurrentPage).PageName);
    wxBitmap& buffer = m_pageArea->Buffer(wxSize(layout.Form.SizeX, layout.Form.SizeY));
    {
        wxMemoryDC dc(buffer);
        m_renderer->DrawPageBase(dc, panel.StatusText);
        const int last = std::clamp(layout.Page(page).Button_Last, 0, kButtonSlots);
        for (int i = 0; i < last; ++i) {
            m_renderer->DrawButton(dc, layout, page, i, LampLook(page, i));
        }
    }
    m_pageArea->Refresh(false);
}

void MainDialog::DrawButton(int page, int button, int look) {
    ::Layout& layout = GetLayout();
    wxBitmap& buffer = m_pageArea->Buffer(wxSize(layout.Form.SizeX, layout.Form.SizeY));
    wxRect drawn;
    {
        wxMemoryDC dc(buffer);
        drawn = m_renderer->DrawButton(dc, layout, page, button, look);
    }
    m_pageArea->ShowPageRect(drawn);
}

bool MainDialog::StoreLayoutAndReport() {
    const File file;
    std::string error;
    const FileStatus status = file.StoreLayout(GetLayout(), &error);
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
    GetPanelState().LayoutChanged = 0;
    return true;
}

void MainDialog::OnClose(wxCloseEvent&) {
    // The request is never passed on: the window only goes away with the process.
    Prompter& prompter = GetPrompter();
    if (GetPanelState().LayoutChanged == 0) {
        prompter.ExitProcess(0);
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
            prompter.ExitProcess(0);
            return;
        default:
            prompter.ExitProcess(0);
            return;
    }
}

void MainDialog::OnPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    DrawPage(GetPanelState().CurrentPage);
}

void MainDialog::OnEraseBackground(wxEraseEvent&) {
    if (GetPanelState().EditMode != EditModes::Move) {
        DrawPage(GetPanelState().CurrentPage);
    }
}

void MainDialog::OnSize(wxSizeEvent&) {
    if (m_pageArea != nullptr) {
        m_pageArea->SetSize(GetClientSize());
    }
    GetPanelState().RedrawPending = 1;
}

void MainDialog::OnCharHook(wxKeyEvent&) {
    // Every key is consumed, so that no key (Escape included) closes the panel.
}

void MainDialog::OnScroll(wxScrollWinEvent& event) {
    GetPanelState().RedrawPending = 1;
    event.Skip();
}

void MainDialog::OnLinkTimer(wxTimerEvent&) {
    PanelState& panel = GetPanelState();
    if (panel.RedrawPending > 0) {
        --panel.RedrawPending;
        DrawPage(panel.CurrentPage);
    }
}

void MainDialog::OnMoveTimer(wxTimerEvent&) {}

void MainDialog::OnLinkSocket(wxSocketEvent&) {}

void MainDialog::OnTransferSocket(wxSocketEvent&) {}
