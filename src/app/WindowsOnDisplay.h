#pragma once

#include <wx/modalhook.h>
#include <wx/window.h>

/// Keeps the modal windows that are not our dialogs on their display, once for all of them: the
/// toolkit's choosers and message boxes, from the start of each one's modal run to its end (see
/// KeepOnDisplay). Our dialogs and pads keep themselves there (StandardDlg); the panel window
/// fits itself to the display and is left alone.
class WindowsOnDisplay : public wxModalDialogHook {
  public:
    explicit WindowsOnDisplay(const wxWindow& panel);
    ~WindowsOnDisplay() override;
    WindowsOnDisplay(const WindowsOnDisplay&) = delete;
    WindowsOnDisplay& operator=(const WindowsOnDisplay&) = delete;

  protected:
    int Enter(wxDialog* dialog) override;
    void Exit(wxDialog* dialog) override;

  private:
    const wxWindow& m_panel;
};
