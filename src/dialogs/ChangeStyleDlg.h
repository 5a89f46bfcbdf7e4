#pragma once

#include <wx/dialog.h>

/// Placeholder until this dialog is built.
class ChangeStyleDlg : public wxDialog {
  public:
    explicit ChangeStyleDlg(wxWindow* parent);
};
