#pragma once

#include <wx/dialog.h>

/// Placeholder until this dialog is built.
class SettingsDlg : public wxDialog {
  public:
    explicit SettingsDlg(wxWindow* parent);
};
