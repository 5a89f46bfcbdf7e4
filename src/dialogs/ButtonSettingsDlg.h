#pragma once

#include <wx/dialog.h>

/// Placeholder until this dialog is built.
class ButtonSettingsDlg : public wxDialog {
  public:
    explicit ButtonSettingsDlg(wxWindow* parent);
};
