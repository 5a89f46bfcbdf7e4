#include "app/MainApp.h"

#include <wx/image.h>

#include "app/MainDialog.h"

bool MainApp::OnInit() {
    wxInitAllImageHandlers();
    SetPrompter(&m_prompter);
    m_dialog = new MainDialog(nullptr, wxID_ANY, m_folder);
    if (m_dialog->StartedUp()) {
        SetTopWindow(m_dialog);
        m_dialog->ShowModal();
    }
    m_dialog->Destroy();
    m_dialog = nullptr;
    return false;
}
