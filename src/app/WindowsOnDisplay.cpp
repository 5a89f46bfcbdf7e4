#include "app/WindowsOnDisplay.h"

#include <wx/dialog.h>

#include "dialogs/DisplayPlace.h"

WindowsOnDisplay::WindowsOnDisplay(const wxWindow& panel) : m_panel(panel) {
    Register();
}

WindowsOnDisplay::~WindowsOnDisplay() {
    Unregister();
}

int WindowsOnDisplay::Enter(wxDialog* dialog) {
    if (dialog != &m_panel) {
        KeepOnDisplay(*dialog);
    }
    return wxID_NONE;
}

void WindowsOnDisplay::Exit(wxDialog* dialog) {
    if (dialog != &m_panel) {
        StopKeepingOnDisplay(*dialog);
    }
}
