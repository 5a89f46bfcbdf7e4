#include "dialogs/ChangeStyleDlg.h"

#include <algorithm>

#include <wx/button.h>
#include <wx/checkbox.h>

#include "model/PanelDocument.h"

ChangeStyleDlg::ChangeStyleDlg(wxWindow* parent, PanelDocument& document)
    : StandardDlg(parent, wxEmptyString), m_document(document) {
    struct Choice {
        int group;
        const char* label;
        wxPoint position;
    };
    const Choice choices[] = {
        {StyleGroups::Text, "Change Text", wxPoint(16, 16)},
        {StyleGroups::Image, "Change Image", wxPoint(16, 64)},
        {StyleGroups::Font, "Change Font", wxPoint(16, 112)},
        {StyleGroups::Position, "Change Position", wxPoint(160, 16)},
        {StyleGroups::TasterLed, "Change Taster/Led", wxPoint(160, 64)},
        {StyleGroups::Pageflip, "Change Pageflip", wxPoint(160, 112)},
    };
    for (const Choice& choice : choices) {
        m_choices[choice.group] =
            new wxCheckBox(this, ID_TEXT + choice.group, choice.label, choice.position);
    }
    new wxButton(this, wxID_CANCEL, "Cancel", wxPoint(120, 168), wxSize(75, 40));
    new wxButton(this, wxID_OK, "OK", wxPoint(208, 168), wxSize(75, 40));

    // The check boxes take the width their labels need in this platform's theme; the dialog
    // grows beyond its 300 pixels when one of them would otherwise be cut at the edge.
    int right = 0;
    for (const wxCheckBox* box : m_choices) {
        right = std::max(right, box->GetRect().GetRight() + 1);
    }
    Place(wxSize(std::max(300, right + 8), 229), Centring::OnScreen);
}

bool ChangeStyleDlg::TransferDataToWindow() {
    const PanelState& panel = m_document.State();
    for (int group = 0; group < StyleGroups::Count; ++group) {
        m_choices[group]->SetValue(panel.CopyChoices[group] == 1);
    }
    return true;
}

bool ChangeStyleDlg::TransferDataFromWindow() {
    PanelState& panel = m_document.State();
    const ButtonRef source = panel.StyleSource;
    const ButtonRef target{panel.SelectedButton, panel.CurrentPage};
    // Without a source or a touched button there is nothing to copy, and nothing is remembered.
    if (!NamesButtonSlot(source) || !NamesButtonSlot(target)) {
        return true;
    }
    for (int group = 0; group < StyleGroups::Count; ++group) {
        panel.CopyChoices[group] = m_choices[group]->GetValue() ? 1 : 0;
    }
    CopyStyle(m_document.Layout(), source, target, panel.CopyChoices);
    panel.LayoutChanged = 1;
    // The source has done its job: the page no longer marks it (it stays the source).
    panel.StyleSourceMarked = false;
    return true;
}
