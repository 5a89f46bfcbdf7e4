#pragma once

#include <wx/app.h>

#include "app/WxPrompter.h"

class MainDialog;

/// The application: registers the picture formats and runs the panel window modally. The
/// program ends inside the panel window's close handler.
class MainApp : public wxApp {
  public:
    bool OnInit() override;

  private:
    WxPrompter m_prompter;
    MainDialog* m_dialog = nullptr;
};

wxDECLARE_APP(MainApp);
