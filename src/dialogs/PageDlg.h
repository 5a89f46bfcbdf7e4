#pragma once

#include <wx/dialog.h>

/// Placeholder until this dialog is built.
class PageDlg : public wxDialog {
  public:
    explicit PageDlg(wxWindow* parent);
};
