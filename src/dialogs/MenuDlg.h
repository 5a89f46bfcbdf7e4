#pragma once

#include <wx/stattext.h>

#include "dialogs/StandardDlg.h"

class LayoutStore;
class PanelDialogs;
class PanelWindow;

/// The main menu: the entry to the button menu, the page and main settings, the page selection,
/// the transfer, storing the layout and ending the program. It hides itself while a sub-dialog
/// runs, which ends its own modal run, and comes back on top of the panel afterwards.
class MenuDlg : public StandardDlg {
  public:
    MenuDlg(wxWindow* parent, PanelDialogs& dialogs, LayoutStore& layoutStore, PanelWindow& window);

    /// The menu's modal run. Hiding the menu for a sub-dialog ends it; when the menu is to come
    /// back meanwhile (ShowAgain), the run goes on until the menu is closed or hidden for good.
    int ShowModal() override;

    /// Brings the menu back above the panel after a sub-dialog, in a modal run as soon as the
    /// sub-dialog's run is over: it is on the screen only while it takes input.
    void ShowAgain();

    /// The panel's network address as it is at this showing.
    bool TransferDataToWindow() override;

    enum {
        ID_BUTTON_MENU = wxID_HIGHEST + 1,
        ID_PAGE_SETTINGS,
        ID_MAIN_SETTINGS,
        ID_PAGE_SELECT,
        ID_TRANSMIT,
        ID_STORE,
        ID_CLOSE,
        ID_ADDRESS,  ///< the panel's network address, a label
        ID_RELEASE,  ///< the maker's release line, a label
        ID_QUIT,
    };

  private:
    void OnButtonMenu(wxCommandEvent& event);
    void OnPageSettings(wxCommandEvent& event);
    void OnMainSettings(wxCommandEvent& event);
    void OnPageSelect(wxCommandEvent& event);
    void OnTransmit(wxCommandEvent& event);
    void OnStore(wxCommandEvent& event);
    void OnCloseMenu(wxCommandEvent& event);
    void OnQuit(wxCommandEvent& event);

    /// Hides the menu (ending a modal run), shows `dialog` modally, and shows the menu again
    /// when asked.
    void ShowInstead(wxDialog& dialog, bool showAgain);

    wxStaticText* m_address = nullptr;
    int m_runs = 0;            ///< modal runs of the menu on the call stack
    bool m_showAgain = false;  ///< the ending run is to start again
    PanelDialogs& m_dialogs;
    LayoutStore& m_store;
    PanelWindow& m_window;
};
