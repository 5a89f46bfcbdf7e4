#pragma once

#include <vector>

#include <wx/dialog.h>
#include <wx/modalhook.h>
#include <wx/weakref.h>

/// The modal dialogs that are open, innermost last. A message box must belong to the window it
/// is shown over: a window manager keeps it above its owner, and the toolkit brings the owner
/// forward when the box opens. Owned by the panel window, it would bring the panel over the
/// dialog it was shown from, or open under a dialog kept on top.
class ModalDialogStack : public wxModalDialogHook {
  public:
    ModalDialogStack();
    ~ModalDialogStack() override;
    ModalDialogStack(const ModalDialogStack&) = delete;
    ModalDialogStack& operator=(const ModalDialogStack&) = delete;

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
};
