#pragma once

#include <wx/dialog.h>

/// Placeholder until this dialog is built.
class PasswordDlg : public wxDialog {
  public:
    explicit PasswordDlg(wxWindow* parent);
};
