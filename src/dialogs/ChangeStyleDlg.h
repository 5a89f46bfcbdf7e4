#pragma once

#include <array>

#include <wx/dialog.h>

#include "model/StyleCopy.h"

class PanelDocument;
class PanelOperations;

class wxCheckBox;

/// Asks which groups of properties to copy from the style source to the touched button, and
/// copies them on "OK". The ticks confirmed with "OK" are remembered for the rest of the run.
class ChangeStyleDlg : public wxDialog {
  public:
    ChangeStyleDlg(wxWindow* parent, PanelOperations& panel, PanelDocument& document);

  private:
    void OnInitDialog(wxInitDialogEvent& event);
    void OnOk(wxCommandEvent& event);
    void OnCancel(wxCommandEvent& event);

    std::array<wxCheckBox*, StyleGroups::Count> m_choices{};  ///< indexed by StyleGroups
    PanelOperations& m_panel;
    PanelDocument& m_document;
};
