#pragma once

#include <string>

#include <wx/app.h>

#include "app/WxPrompter.h"

class MainDialog;

/// The application: registers the picture formats and runs the panel window modally. The
/// program ends inside the panel window's close handler. A failure (an exception) at the start
/// is reported and ends the program with code 1; one in an event is reported and skipped.
class MainApp : public wxApp {
  public:
    /// `folder`: the layout folder from the command line; empty: ask for one.
    explicit MainApp(std::wstring folder) : m_folder(std::move(folder)) {}
    bool OnInit() override;
    bool OnExceptionInMainLoop() override;
    void OnUnhandledException() override;

  private:
    std::wstring m_folder;
    WxPrompter m_prompter;
    MainDialog* m_dialog = nullptr;
    bool m_failureShown = false;
};
