#pragma once

#include <vector>

#include <wx/dialog.h>
#include <wx/modalhook.h>
#include <wx/weakref.h>

/// The program's one hook on modal runs. It knows the modal dialogs that are open, innermost
/// last: a message box must belong to the window it is shown over (a window manager keeps it
/// above its owner, and the toolkit brings the owner forward when the box opens; owned by the
/// panel window, it would bring the panel over the dialog it was shown from, or open under a
/// dialog kept on top). And it keeps the modal windows that are not our dialogs on their display,
/// from the start of each one's modal run to its end (see KeepOnDisplay): the toolkit's choosers
/// and message boxes. Our dialogs and pads keep themselves there (StandardDlg); the panel window
/// fits itself to the display and is left alone.
class ModalDialogStack : public wxModalDialogHook {
  public:
    ModalDialogStack();
    ~ModalDialogStack() override;
    ModalDialogStack(const ModalDialogStack&) = delete;
    ModalDialogStack& operator=(const ModalDialogStack&) = delete;

    /// The window that fits itself to the display (the panel, or the page that waits for a
    /// layout); nullptr for none.
    void SetPanel(const wxWindow* panel) { m_panel = panel; }

    /// The innermost modal dialog that is on screen, else the application's top window (the
    /// panel), else nullptr.
    wxWindow* Innermost() const;
    /// Whether the modal run of a dialog other than `window` is under way, shown or not (a
    /// message box, a chooser, a dialog hidden while the one it opened runs).
    bool AnyOpenBesides(const wxWindow* window) const;

  protected:
    int Enter(wxDialog* dialog) override;
    void Exit(wxDialog* dialog) override;

  private:
    std::vector<wxWeakRef<wxDialog>> m_open;
    const wxWindow* m_panel = nullptr;
};
