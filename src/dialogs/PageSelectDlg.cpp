#include "dialogs/PageSelectDlg.h"

#include "dialogs/MenuDlg.h"
#include "model/Layout.h"
#include "model/PanelDocument.h"
#include "model/PanelState.h"
#include "panel/PanelOperations.h"

PageSelectDlg::PageSelectDlg(wxWindow* parent, PanelOperations& panel, PanelDocument& document)
    : wxDialog(parent, wxID_ANY, wxString::FromUTF8("Page Select"), wxDefaultPosition,
               wxDefaultSize, wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | wxSTAY_ON_TOP),
      m_panel(panel),
      m_document(document) {
    SetClientSize(180, 387);
    for (int k = 0; k < kPageButtons; ++k) {
        m_pageButtons[k] = new wxButton(this, ID_BUTTON1 + k, wxString::Format("%02d", k + 1),
                                        wxPoint(8, 8 + 32 * k), wxSize(160, 30));
    }
    auto* back = new wxButton(this, ID_BUTTON11, "Back", wxPoint(8, 336), wxSize(160, 40));
    back->SetForegroundColour(wxColour(0, 0, 255));
    CentreOnScreen(wxBOTH);

    Bind(wxEVT_INIT_DIALOG, &PageSelectDlg::OnInit, this);
    Bind(wxEVT_BUTTON, &PageSelectDlg::OnPageButton, this, ID_BUTTON1,
         ID_BUTTON1 + kPageButtons - 1);
    Bind(wxEVT_BUTTON, &PageSelectDlg::OnBack, this, ID_BUTTON11);
}

void PageSelectDlg::OnInit(wxInitDialogEvent& event) {
    const ::Layout& layout = m_document.Layout();
    for (int k = 0; k < kPageButtons; ++k) {
        // Shown as written: an "&" in a page name is no mnemonic.
        m_pageButtons[k]->SetLabelText(layout.Page(k).PageName);
    }
    event.Skip();
}

void PageSelectDlg::OnPageButton(wxCommandEvent& event) {
    const int page = event.GetId() - ID_BUTTON1;
    m_document.State().CurrentPage = page;
    m_panel.LoadPage(page);
    m_panel.DrawPage(page);
}

void PageSelectDlg::OnBack(wxCommandEvent&) {
    Close();
    m_panel.BackToMainMenu();
}
