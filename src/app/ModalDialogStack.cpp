#include "app/ModalDialogStack.h"

#include <algorithm>

#include <wx/app.h>

#include "dialogs/DisplayPlace.h"
#include "dialogs/StandardDlg.h"

namespace {

/// Our dialogs and pads keep themselves on their display; the panel fits itself.
bool KeptByTheHook(const wxDialog* dialog, const wxWindow* panel) {
    return dialog != panel && dynamic_cast<const StandardDlg*>(dialog) == nullptr;
}

}  // namespace

ModalDialogStack::ModalDialogStack() {
    Register();
}

ModalDialogStack::~ModalDialogStack() {
    Unregister();
}

int ModalDialogStack::Enter(wxDialog* dialog) {
    m_open.emplace_back(dialog);
    if (KeptByTheHook(dialog, m_panel)) {
        KeepOnDisplay(*dialog);
    }
    return wxID_NONE;
}

void ModalDialogStack::Exit(wxDialog* dialog) {
    if (KeptByTheHook(dialog, m_panel)) {
        StopKeepingOnDisplay(*dialog);
    }
    // Runs end innermost first; a dialog gone meanwhile left an empty reference behind.
    const auto last =
        std::find_if(m_open.rbegin(), m_open.rend(),
                     [dialog](const wxWeakRef<wxDialog>& open) { return open == dialog; });
    if (last != m_open.rend()) {
        m_open.erase(std::next(last).base());
    }
    m_open.erase(
        std::remove_if(m_open.begin(), m_open.end(),
                       [](const wxWeakRef<wxDialog>& open) { return open.get() == nullptr; }),
        m_open.end());
}

wxWindow* ModalDialogStack::Innermost() const {
    // A dialog whose modal run was ended by hiding it (the main menu while a sub-dialog runs)
    // stays on the stack until its run returns, but it is not what the user looks at.
    for (auto open = m_open.rbegin(); open != m_open.rend(); ++open) {
        wxDialog* dialog = open->get();
        if (dialog != nullptr && dialog->IsShown() && !dialog->IsBeingDeleted()) {
            return dialog;
        }
    }
    return wxTheApp != nullptr ? wxTheApp->GetTopWindow() : nullptr;
}

bool ModalDialogStack::AnyOpenBesides(const wxWindow* window) const {
    return std::any_of(m_open.begin(), m_open.end(), [window](const wxWeakRef<wxDialog>& open) {
        return open.get() != nullptr && open.get() != window;
    });
}
