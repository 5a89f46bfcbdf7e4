#pragma once

#include <wx/dialog.h>

/// Placeholder until this dialog is built.
class MenuDlg : public wxDialog {
  public:
    explicit MenuDlg(wxWindow* parent);
};
