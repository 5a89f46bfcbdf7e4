#pragma once

#include <memory>

#include <wx/textctrl.h>

#include "dialogs/StandardDlg.h"

class LimitedField;
class PadEntry;

/// A numeric keypad for a panel without a keyboard: the user touches digits into a small entry
/// field that starts with the target field's text and takes as many characters as the target
/// does, and "OK" copies them into the text field set as the target by whoever opened it;
/// "Cancel", Escape and the close box leave that field as it was.
class KeyboardDlg : public StandardDlg {
  public:
    explicit KeyboardDlg(wxWindow* parent);
    ~KeyboardDlg() override;

    /// The text field that "OK" fills; nullptr: none.
    void SetTarget(wxTextCtrl* field);
    wxTextCtrl* Target() const;

    /// The entry starts with the target's text.
    bool TransferDataToWindow() override;
    /// The entry into the target.
    bool TransferDataFromWindow() override;

    enum {
        ID_DIGIT0 = wxID_HIGHEST + 1,  ///< the key of digit d is ID_DIGIT0 + d
        ID_CLEAR = ID_DIGIT0 + 10,
        ID_ENTRY,
        ID_ROOM,  ///< how many characters the entry has of those the target takes
    };

  private:
    void OnDigit(wxCommandEvent& event);
    void OnClear(wxCommandEvent& event);

    LimitedField* m_entry = nullptr;
    std::unique_ptr<PadEntry> m_padEntry;
};
