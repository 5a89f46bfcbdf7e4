#pragma once

#include <array>

#include <wx/button.h>

#include "dialogs/StandardDlg.h"

class PanelDocument;
class EditSession;
class PageOperations;

/// Shows any of the first ten pages on the panel while the menu is in use. Each page button
/// switches the panel at once and leaves the dialog open; "Back" returns to the main menu.
class PageSelectDlg : public StandardDlg {
  public:
    PageSelectDlg(wxWindow* parent, PageOperations& panel, EditSession& editing,
                  PanelDocument& document);

    static constexpr int kPageButtons = 10;

    enum {
        ID_FIRST_PAGE = wxID_HIGHEST + 1,  ///< the button of page 0; page k's is ID_FIRST_PAGE + k
        ID_BACK = ID_FIRST_PAGE + kPageButtons,
    };

    /// The page buttons show the pages' names.
    bool TransferDataToWindow() override;

  private:
    void OnPageButton(wxCommandEvent& event);
    void OnBack(wxCommandEvent& event);

    std::array<wxButton*, kPageButtons> m_pageButtons{};
    PageOperations& m_panel;
    EditSession& m_editing;
    PanelDocument& m_document;
};
