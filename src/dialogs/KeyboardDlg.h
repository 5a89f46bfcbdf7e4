#pragma once

#include <wx/dialog.h>

/// Placeholder until this dialog is built.
class KeyboardDlg : public wxDialog {
  public:
    explicit KeyboardDlg(wxWindow* parent);
};
