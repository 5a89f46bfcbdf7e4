#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include <wx/dialog.h>
#include <wx/modalhook.h>

/// Answers modal dialogs as they open, in the order they open. A step given to Then() runs
/// inside the dialog's own modal loop right after the dialog is shown, so it sees the dialog
/// as the user would (initialised, visible) and ends it the way the user would (a button
/// click, a close request). A step given to Return() stands in for the dialog without showing
/// it (for the toolkit's native choosers): it may set the dialog's result (a path, a colour)
/// and returns the modal result. A modal dialog that nobody expected fails the test and is
/// cancelled, so a test never hangs on one.
class ModalScript : public wxModalDialogHook {
  public:
    ModalScript();
    ~ModalScript() override;

    ModalScript& Then(std::function<void(wxDialog&)> step);
    ModalScript& Return(std::function<int(wxDialog&)> step);

    /// Titles of the modal dialogs opened so far, in order.
    const std::vector<std::string>& Opened() const { return m_opened; }
    bool Done() const { return m_steps.empty(); }

  protected:
    int Enter(wxDialog* dialog) override;
    void Exit(wxDialog*) override {}

  private:
    struct Step {
        std::function<void(wxDialog&)> shown;
        std::function<int(wxDialog&)> instead;
    };
    std::deque<Step> m_steps;
    std::vector<std::string> m_opened;
};

/// Clicks a button of a dialog as the user would, finding it by its label.
void ClickButton(wxWindow& dialog, const wxString& label);
/// The first child window of a given class and label (empty label: any), or nullptr.
wxWindow* FindChild(wxWindow& parent, const wxString& label, const wxClassInfo* type = nullptr);
