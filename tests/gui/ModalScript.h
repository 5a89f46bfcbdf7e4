#pragma once

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <wx/dialog.h>
#include <wx/modalhook.h>

class wxColourDialog;

/// Answers modal dialogs as they open, in the order they open. A step given to Then() runs
/// inside the dialog's own modal loop right after the dialog is shown, so it sees the dialog
/// as the user would (initialised, visible) and ends it the way the user would (a button
/// click, a close request). A step given to Return() stands in for the dialog without showing
/// it (for the toolkit's native choosers): it receives the dialog as the type it names
/// (`Return<wxFileDialog>`), may set the dialog's result (a path, a colour) and returns the
/// modal result. A modal dialog that nobody expected, or one of another type than its step
/// names, fails the test and is cancelled, so a test never hangs on one.
class ModalScript : public wxModalDialogHook {
  public:
    /// A step that stands in for a dialog and gives its modal result.
    using StandIn = std::function<int(wxDialog&)>;

    ModalScript();
    ~ModalScript() override;

    ModalScript& Then(std::function<void(wxDialog&)> step);

    template <typename Dialog = wxDialog, typename Step>
    ModalScript& Return(Step step) {
        return ReturnStep(For<Dialog>(std::move(step)));
    }

    /// `step`, taking a `Dialog&`, as a stand-in for any dialog: one of another type fails the
    /// test and is cancelled.
    template <typename Dialog, typename Step>
    static StandIn For(Step step) {
        return [step = std::move(step)](wxDialog& dialog) -> int {
            auto* typed = dynamic_cast<Dialog*>(&dialog);
            if (typed == nullptr) {
                return WrongType(dialog, wxCLASSINFO(Dialog));
            }
            return step(*typed);
        };
    }

    /// Titles of the modal dialogs opened so far, in order.
    const std::vector<std::string>& Opened() const { return m_opened; }
    bool Done() const { return m_steps.empty(); }

  protected:
    int Enter(wxDialog* dialog) override;
    void Exit(wxDialog*) override {}

  private:
    ModalScript& ReturnStep(StandIn step);
    /// Fails the test for a dialog that is not the `wanted` type; the result cancels it.
    static int WrongType(wxDialog& dialog, const wxClassInfo* wanted);

    struct Step {
        std::function<void(wxDialog&)> shown;
        StandIn instead;
    };
    std::deque<Step> m_steps;
    std::vector<std::string> m_opened;
};

/// Puts a colour into the toolkit's colour chooser as a choice made in it would, so that the
/// chooser gives it back when its modal run ends without being shown.
void ChooseColour(wxColourDialog& chooser, const wxColour& colour);
/// Clicks a button of a dialog as the user would, finding it by its label.
void ClickButton(wxWindow& dialog, const wxString& label);
/// The same, finding it by its identifier (a label may be empty or repeated).
void ClickButton(wxWindow& dialog, int id);
/// The first child window of a given class and label (empty label: any), or nullptr.
wxWindow* FindChild(wxWindow& parent, const wxString& label, const wxClassInfo* type = nullptr);
