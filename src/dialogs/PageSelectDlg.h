#pragma once

#include <array>

#include <wx/button.h>
#include <wx/dialog.h>

class PanelDocument;
class PanelOperations;

/// Shows any of the first ten pages on the panel while the menu is in use. Each page button
/// switches the panel at once and leaves the dialog open; "Back" returns to the main menu.
class PageSelectDlg : public wxDialog {
  public:
    PageSelectDlg(wxWindow* parent, PanelOperations& panel, PanelDocument& document);

    static constexpr int kPageButtons = 10;

    enum {
        ID_BUTTON1 = wxID_HIGHEST + 1,
        ID_BUTTON11 = ID_BUTTON1 + kPageButtons,
    };

  private:
    void OnInit(wxInitDialogEvent& event);
    void OnPageButton(wxCommandEvent& event);
    void OnBack(wxCommandEvent& event);

    std::array<wxButton*, kPageButtons> m_pageButtons{};
    PanelOperations& m_panel;
    PanelDocument& m_document;
};
