#pragma once

#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "dialogs/StandardDlg.h"

class FieldPads;
class PanelDocument;

/// The password prompt in front of the main menu. The entry is masked. A right entry unlocks
/// the menu until the panel locks itself again; a wrong one keeps the prompt open, says "Wrong
/// password" and empties the field for another try.
class PasswordDlg : public StandardDlg {
  public:
    PasswordDlg(wxWindow* parent, PanelDocument& document, FieldPads& pads);

    /// An empty entry, no refusal.
    bool TransferDataToWindow() override;
    /// Unlocks the menu on the right password; a wrong one is refused where the user looks and
    /// keeps the prompt open.
    bool TransferDataFromWindow() override;

    enum {
        ID_ENTRY = wxID_HIGHEST + 1,
        ID_REFUSAL,
    };

  private:
    wxTextCtrl* m_entry = nullptr;
    wxStaticText* m_refusal = nullptr;
    PanelDocument& m_document;
};
