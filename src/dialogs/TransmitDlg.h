#pragma once

#include <wx/dialog.h>

/// Placeholder until this dialog is built.
class TransmitDlg : public wxDialog {
  public:
    explicit TransmitDlg(wxWindow* parent);
};
