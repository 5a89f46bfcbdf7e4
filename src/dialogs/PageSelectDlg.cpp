#include "dialogs/PageSelectDlg.h"

#include "dialogs/MenuDlg.h"
#include "model/Layout.h"
#include "model/PanelDocument.h"
#include "model/PanelState.h"
#include "panel/EditSession.h"
#include "panel/PageOperations.h"

PageSelectDlg::PageSelectDlg(wxWindow* parent, PageOperations& panel, EditSession& editing,
                             PanelDocument& document)
    : StandardDlg(parent, "Page Select"), m_panel(panel), m_editing(editing), m_document(document) {
    for (int k = 0; k < kPageButtons; ++k) {
        m_pageButtons[k] = new wxButton(this, ID_FIRST_PAGE + k, wxString::Format("%02d", k + 1),
                                        wxPoint(8, 8 + 32 * k), wxSize(160, 30));
    }
    auto* back = new wxButton(this, ID_BACK, "Back", wxPoint(8, 336), wxSize(160, 40));
    back->SetForegroundColour(wxColour(0, 0, 255));
    Place(wxSize(180, 387), Centring::OnScreen);

    Bind(wxEVT_BUTTON, &PageSelectDlg::OnPageButton, this, ID_FIRST_PAGE,
         ID_FIRST_PAGE + kPageButtons - 1);
    Bind(wxEVT_BUTTON, &PageSelectDlg::OnBack, this, ID_BACK);
}

bool PageSelectDlg::TransferDataToWindow() {
    const ::Layout& layout = m_document.Layout();
    for (int k = 0; k < kPageButtons; ++k) {
        // Shown as written: an "&" in a page name is no mnemonic.
        m_pageButtons[k]->SetLabelText(layout.Page(k).PageName);
    }
    return true;
}

void PageSelectDlg::OnPageButton(wxCommandEvent& event) {
    const int page = event.GetId() - ID_FIRST_PAGE;
    m_document.State().CurrentPage = page;
    m_panel.LoadPage(page);
    m_panel.DrawPage(page);
}

void PageSelectDlg::OnBack(wxCommandEvent&) {
    Close();
    m_editing.BackToMainMenu();
}
