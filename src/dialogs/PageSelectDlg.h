#pragma once

#include <wx/dialog.h>

/// Placeholder until this dialog is built.
class PageSelectDlg : public wxDialog {
  public:
    explicit PageSelectDlg(wxWindow* parent);
};
