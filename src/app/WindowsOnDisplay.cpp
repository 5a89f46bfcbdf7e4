#include "app/WindowsOnDisplay.h"

#include <wx/dialog.h>

#include "dialogs/DisplayPlace.h"
#include "dialogs/StandardDlg.h"

WindowsOnDisplay::WindowsOnDisplay(const wxWindow& panel) : m_panel(panel) {
    Register();
}

WindowsOnDisplay::~WindowsOnDisplay() {
    Unregister();
}

namespace {

bool KeptByTheHook(const wxDialog* dialog, const wxWindow& panel) {
    return dialog != &panel && dynamic_cast<const StandardDlg*>(dialog) == nullptr;
}

}  // namespace

int WindowsOnDisplay::Enter(wxDialog* dialog) {
    if (KeptByTheHook(dialog, m_panel)) {
        KeepOnDisplay(*dialog);
    }
    return wxID_NONE;
}

void WindowsOnDisplay::Exit(wxDialog* dialog) {
    if (KeptByTheHook(dialog, m_panel)) {
        StopKeepingOnDisplay(*dialog);
    }
}
