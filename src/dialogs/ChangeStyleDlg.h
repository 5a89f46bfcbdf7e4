#pragma once

#include <array>

#include "dialogs/StandardDlg.h"
#include "model/StyleCopy.h"

class PanelDocument;

class wxCheckBox;

/// Asks which groups of properties to copy from the style source to the touched button, and
/// copies them on "OK"; whoever showed it then shows the page again. The ticks confirmed with
/// "OK" are remembered for the rest of the run.
class ChangeStyleDlg : public StandardDlg {
  public:
    ChangeStyleDlg(wxWindow* parent, PanelDocument& document);

    /// The ticks remembered from the last copy.
    bool TransferDataToWindow() override;
    /// Copies the ticked groups and remembers the ticks.
    bool TransferDataFromWindow() override;

    /// One check box per group, in the order of StyleGroups.
    enum {
        ID_TEXT = wxID_HIGHEST + 1,
        ID_IMAGE,
        ID_FONT,
        ID_POSITION,
        ID_TASTER_LED,
        ID_PAGEFLIP,
    };

  private:
    std::array<wxCheckBox*, StyleGroups::Count> m_choices{};  ///< indexed by StyleGroups
    PanelDocument& m_document;
};
