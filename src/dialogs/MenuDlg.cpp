#include "dialogs/MenuDlg.h"

#include <wx/button.h>
#include <wx/settings.h>
#include <wx/stattext.h>

#include "link/PanelAddress.h"
#include "model/Contrast.h"
#include "model/StartOptions.h"
#include "panel/LayoutStore.h"
#include "panel/PanelDialogs.h"
#include "panel/PanelWindow.h"

namespace {

/// A label on the menu colour, written in the active-border colour as long as the running theme
/// makes that readable there, else in the theme's normal text colour.
wxStaticText* MenuLabel(wxWindow* parent, int id, const wxString& text, int y) {
    auto* label = new wxStaticText(parent, id, text, wxPoint(8, y), wxSize(160, 24),
                                   wxALIGN_CENTRE_HORIZONTAL | wxST_NO_AUTORESIZE);
    const wxColour menu = wxSystemSettings::GetColour(wxSYS_COLOUR_MENU);
    const Colour ink = ReadableTextColour(
        wxSystemSettings::GetColour(wxSYS_COLOUR_ACTIVEBORDER).GetRGB(),
        wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWTEXT).GetRGB(), menu.GetRGB());
    label->SetForegroundColour(wxColour(static_cast<unsigned long>(ink)));
    label->SetBackgroundColour(menu);
    return label;
}

}  // namespace

MenuDlg::MenuDlg(wxWindow* parent, PanelDialogs& dialogs, LayoutStore& layoutStore,
                 PanelWindow& window)
    : StandardDlg(parent, wxString::FromUTF8("Main Menü")),
      m_dialogs(dialogs),
      m_store(layoutStore),
      m_window(window) {
    new wxButton(this, ID_BUTTON_MENU, "Button Menu", wxPoint(8, 16), wxSize(160, 40));
    new wxButton(this, ID_PAGE_SETTINGS, "Page Settings", wxPoint(8, 64), wxSize(160, 40));
    new wxButton(this, ID_MAIN_SETTINGS, "Main Settings", wxPoint(8, 112), wxSize(160, 40));
    new wxButton(this, ID_PAGE_SELECT, "Page Select", wxPoint(8, 160), wxSize(160, 40));
    auto* transmit = new wxButton(this, ID_TRANSMIT, "Transmit", wxPoint(8, 208), wxSize(160, 40));
    transmit->SetForegroundColour(wxColour(0, 185, 0));
    auto* store = new wxButton(this, ID_STORE, "Store", wxPoint(8, 256), wxSize(160, 40));
    store->SetForegroundColour(wxColour(255, 128, 0));
    auto* close = new wxButton(this, ID_CLOSE, "Close", wxPoint(8, 304), wxSize(160, 40));
    close->SetForegroundColour(wxColour(0, 0, 255));
    m_address = MenuLabel(this, ID_ADDRESS, wxEmptyString, 352);
    MenuLabel(this, ID_RELEASE, "Hollenbrack 27092021", 376);
    auto* quit = new wxButton(this, ID_QUIT, "Quit", wxPoint(48, 408), wxSize(80, 24));
    quit->SetForegroundColour(wxColour(255, 0, 0));
    Place(wxSize(180, 438), Centring::OverParent);

    Bind(wxEVT_BUTTON, &MenuDlg::OnButtonMenu, this, ID_BUTTON_MENU);
    Bind(wxEVT_BUTTON, &MenuDlg::OnPageSettings, this, ID_PAGE_SETTINGS);
    Bind(wxEVT_BUTTON, &MenuDlg::OnMainSettings, this, ID_MAIN_SETTINGS);
    Bind(wxEVT_BUTTON, &MenuDlg::OnPageSelect, this, ID_PAGE_SELECT);
    Bind(wxEVT_BUTTON, &MenuDlg::OnTransmit, this, ID_TRANSMIT);
    Bind(wxEVT_BUTTON, &MenuDlg::OnStore, this, ID_STORE);
    Bind(wxEVT_BUTTON, &MenuDlg::OnCloseMenu, this, ID_CLOSE);
    Bind(wxEVT_BUTTON, &MenuDlg::OnQuit, this, ID_QUIT);
}

int MenuDlg::ShowModal() {
    ++m_runs;
    int result = wxID_CANCEL;
    do {
        m_showAgain = false;
        result = StandardDlg::ShowModal();
    } while (m_showAgain);
    --m_runs;
    return result;
}

void MenuDlg::ShowAgain() {
    // The panel runs modally and on GTK holds the input grab: a window shown without a modal
    // run of its own stays visible but gets no touches. The menu therefore comes back only
    // through a modal run, which shows it: a run of the menu that a sub-dialog ended is
    // restarted where it was, so runs never pile up; without one (the button menu opened
    // straight from the panel) a new run starts once the caller is done.
    if (IsShown()) {
        Raise();
        return;
    }
    if (m_runs > 0) {
        m_showAgain = true;
        return;
    }
    CallAfter([this] {
        if (!IsShown()) {
            ShowModal();
        }
    });
}

bool MenuDlg::TransferDataToWindow() {
    m_address->SetLabel(PanelAddress());
    return true;
}

void MenuDlg::ShowInstead(wxDialog& dialog, bool showAgain) {
    // Hiding a dialog that runs modally ends its modal run: once the other dialog is done, the
    // menu request that showed the menu returns, unless the menu has been shown again.
    Hide();
    dialog.ShowModal();
    if (showAgain) {
        ShowAgain();
    }
}

void MenuDlg::OnButtonMenu(wxCommandEvent&) {
    ShowInstead(m_dialogs.Dialog(PanelDialog::ButtonMenu), false);
}

void MenuDlg::OnPageSettings(wxCommandEvent&) {
    ShowInstead(m_dialogs.Dialog(PanelDialog::PageSettings), true);
}

void MenuDlg::OnMainSettings(wxCommandEvent&) {
    ShowInstead(m_dialogs.Dialog(PanelDialog::MainSettings), true);
}

void MenuDlg::OnPageSelect(wxCommandEvent&) {
    ShowInstead(m_dialogs.Dialog(PanelDialog::PageSelect), false);
}

void MenuDlg::OnTransmit(wxCommandEvent&) {
    m_dialogs.Dialog(PanelDialog::Transmit).ShowModal();
}

void MenuDlg::OnStore(wxCommandEvent&) {
    // A store that did not work says so and leaves the layout marked as changed.
    m_store.StoreLayoutAndReport();
}

void MenuDlg::OnCloseMenu(wxCommandEvent&) {
    Close();
}

void MenuDlg::OnQuit(wxCommandEvent&) {
    m_window.Quit(ExitCodes::kQuit);
}
