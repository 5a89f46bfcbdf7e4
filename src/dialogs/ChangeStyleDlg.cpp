#include "dialogs/ChangeStyleDlg.h"

#include <algorithm>

#include <wx/button.h>
#include <wx/checkbox.h>

#include "model/PanelDocument.h"
#include "panel/PanelOperations.h"

ChangeStyleDlg::ChangeStyleDlg(wxWindow* parent, PanelOperations& panel, PanelDocument& document)
    : wxDialog(parent, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | wxSTAY_ON_TOP),
      m_panel(panel),
      m_document(document) {
    struct Choice {
        int group;
        const char* label;
        wxPoint position;
        const char* name;
    };
    const Choice choices[] = {
        {StyleGroups::Text, "Change Text", wxPoint(16, 16), "ID_CHECKBOX1"},
        {StyleGroups::Image, "Change Image", wxPoint(16, 64), "ID_CHECKBOX2"},
        {StyleGroups::Font, "Change Font", wxPoint(16, 112), "ID_CHECKBOX3"},
        {StyleGroups::Position, "Change Position", wxPoint(160, 16), "ID_CHECKBOX4"},
        {StyleGroups::TasterLed, "Change Taster/Led", wxPoint(160, 64), "ID_CHECKBOX5"},
        {StyleGroups::Pageflip, "Change Pageflip", wxPoint(160, 112), "ID_CHECKBOX6"},
    };
    for (const Choice& choice : choices) {
        m_choices[choice.group] = new wxCheckBox(this, wxID_ANY, choice.label, choice.position,
                                                 wxDefaultSize, 0, wxDefaultValidator, choice.name);
    }
    auto* cancel = new wxButton(this, wxID_CANCEL, "Cancel", wxPoint(120, 168), wxSize(75, 40), 0,
                                wxDefaultValidator, "ID_BUTTON1");
    auto* ok = new wxButton(this, wxID_OK, "OK", wxPoint(208, 168), wxSize(75, 40), 0,
                            wxDefaultValidator, "ID_BUTTON2");

    // The check boxes take the width their labels need in this platform's theme; the dialog
    // grows beyond its 300 pixels when one of them would otherwise be cut at the edge.
    int right = 0;
    for (const wxCheckBox* box : m_choices) {
        right = std::max(right, box->GetRect().GetRight() + 1);
    }
    SetClientSize(std::max(300, right + 8), 229);
    CentreOnScreen();

    Bind(wxEVT_INIT_DIALOG, &ChangeStyleDlg::OnInitDialog, this);
    ok->Bind(wxEVT_BUTTON, &ChangeStyleDlg::OnOk, this);
    cancel->Bind(wxEVT_BUTTON, &ChangeStyleDlg::OnCancel, this);
}

void ChangeStyleDlg::OnInitDialog(wxInitDialogEvent&) {
    const PanelState& panel = m_document.State();
    for (int group = 0; group < StyleGroups::Count; ++group) {
        m_choices[group]->SetValue(panel.CopyChoices[group] == 1);
    }
}

void ChangeStyleDlg::OnOk(wxCommandEvent&) {
    PanelState& panel = m_document.State();
    const ButtonRef source = panel.StyleSource;
    const ButtonRef target{panel.SelectedButton, panel.CurrentPage};
    // Without a source or a touched button there is nothing to copy, and nothing is remembered.
    if (!NamesButtonSlot(source) || !NamesButtonSlot(target)) {
        EndModal(wxID_OK);
        return;
    }
    for (int group = 0; group < StyleGroups::Count; ++group) {
        panel.CopyChoices[group] = m_choices[group]->GetValue() ? 1 : 0;
    }
    CopyStyle(m_document.Layout(), source, target, panel.CopyChoices);
    panel.LayoutChanged = 1;
    // The source has done its job: the page no longer marks it (it stays the source).
    panel.StyleSourceMarked = false;
    m_panel.LoadButtonImages(panel.CurrentPage);
    m_panel.DrawPage(panel.CurrentPage);
    EndModal(wxID_OK);
}

void ChangeStyleDlg::OnCancel(wxCommandEvent&) {
    EndModal(wxID_CANCEL);
}
