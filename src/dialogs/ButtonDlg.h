#pragma once

#include <wx/dialog.h>

/// Placeholder until this dialog is built.
class ButtonDlg : public wxDialog {
  public:
    explicit ButtonDlg(wxWindow* parent);
};
