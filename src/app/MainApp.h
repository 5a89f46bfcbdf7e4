#pragma once

#include <string>

#include <wx/app.h>

#include "app/ModalDialogStack.h"
#include "app/WxPrompter.h"
#include "model/IdleLock.h"
#include "model/PanelDocument.h"

class MainDialog;

/// The application: registers the picture formats and runs the panel window modally. The
/// program ends inside the panel window's close handler. A failure (an exception) at the start
/// is reported and ends the program with code 1; one in an event is reported and skipped.
class MainApp : public wxApp {
  public:
    /// `folder`: the layout folder from the command line; empty: ask for one. With
    /// `waitForLayout` a folder that holds no layout the panel can start on gets the page that
    /// waits for one first. `lockTime`: how long the panel waits without a touch before it locks
    /// itself again.
    MainApp(std::wstring folder, bool waitForLayout, IdleLock::Clock::duration lockTime)
        : m_folder(std::move(folder)), m_waitForLayout(waitForLayout), m_lockTime(lockTime) {}
    bool OnInit() override;
    bool OnExceptionInMainLoop() override;
    void OnUnhandledException() override;

  private:
    /// Shows the page that waits for a layout until the folder holds one the panel can start
    /// on (at once when it does).
    void WaitForLayout();

    std::wstring m_folder;
    bool m_waitForLayout;
    IdleLock::Clock::duration m_lockTime;
    /// The one hook on modal runs: message boxes over the innermost dialog, every modal window
    /// on its display.
    ModalDialogStack m_modalDialogs;
    WxPrompter m_prompter{m_modalDialogs};
    /// The layout and the panel state of the run.
    PanelDocument m_document;
    MainDialog* m_dialog = nullptr;
    bool m_failureShown = false;
};
