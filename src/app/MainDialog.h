#pragma once

#include <memory>

#include <wx/dialog.h>

#include "app/PanelLink.h"
#include "model/File.h"
#include "model/IdleLock.h"
#include "model/LayoutWatch.h"
#include "model/LinkMarks.h"
#include "model/PanelDocument.h"
#include "model/PanelJournal.h"
#include "model/PanelRules.h"
#include "model/StartOptions.h"
#include "panel/PanelWindow.h"

class ConfigurationDialogs;
class LayoutArrivals;
class ModalDialogStack;
class PageView;
class PanelStore;
class TouchInput;
class TouchFilter;

/// The panel window. It stays open for the whole run and composes the panel's roles: the page
/// view on its page area, the controller link, the configuration dialogs, the store, the
/// arrivals in the layout folder and the touch input. It fits itself to the display, locks the
/// panel again when nobody touches it, and ends the process when it is asked to close.
class MainDialog : public wxDialog, public PanelWindow {
  public:
    /// Runs on `document`, fresh and kept by the caller for longer than the window: opens the
    /// layout folder `folder` (see OpenLayoutFolder) and builds the window. When the user
    /// cancels (code 0) or there is no layout to run on (code 1) the process ends here; under a
    /// test prompter the constructor then returns with StartedUp() false. `modalDialogs` is the
    /// program's hook on modal runs, which leaves this window to fit itself. `file` loads and
    /// stores the layout file for the whole run. After `lockTime` without a touch the panel
    /// locks itself again (IdleLock).
    MainDialog(PanelDocument& document, ModalDialogStack& modalDialogs, wxWindow* parent,
               wxWindowID id, const std::wstring& folder = std::wstring(),
               std::unique_ptr<const File> file = std::make_unique<File>(),
               IdleLock::Clock::duration lockTime = IdleLock::kLockTime);
    ~MainDialog() override;

    bool StartedUp() const { return m_startedUp; }

    /// Fits the window and the page area to the client area of the display that holds it.
    void FitToDisplay();
    /// The page's size and the window's place on its display as they should be now.
    WindowFit FitOnDisplay() const;
    void ResizeToLayout() override;
    void Quit(int exitCode) override;

    /// The roles the window is made of.
    PageView& View() const { return *m_view; }
    PanelLink& Link() const { return *m_link; }
    ConfigurationDialogs& Dialogs() const { return *m_dialogs; }
    PanelStore& Store() const { return *m_store; }

  private:
    void OnInitDialog(wxInitDialogEvent& event);
    void OnClose(wxCloseEvent& event);
    void OnSize(wxSizeEvent& event);
    /// A frameless panel (a kiosk: nothing else on the screen to bring it back by) or one with a
    /// dialog open never stays iconified; a framed panel on its own may be minimised.
    void OnIconize(wxIconizeEvent& event);
    /// What the link timer does besides the link: the journal's summary, the idle lock, the
    /// folder watch, a repaint owed.
    void OnLinkTick(int elapsedMs);
    /// Locks the panel again once nobody has touched it for the lock time: the menu, the edit
    /// mode, and one of the panel's dialogs a tick, the innermost first.
    void LockWhenIdle();
    /// Tells the journal why the panel ends now, with its exit code.
    void JournalEnd() const;

    /// The layout and the panel state this window shows and edits.
    PanelDocument& m_document;
    ModalDialogStack& m_modalDialogs;
    std::unique_ptr<const File> m_file;
    /// What happens on the wall, for the journal.
    PanelJournal m_journal;
    IdleLock m_idleLock;
    std::unique_ptr<TouchFilter> m_touches;
    LayoutWatch m_watch{FolderSnapshot{}};
    LinkMarks m_linkMarks;
    /// The window manager's frame around the page when it was last fitted to the display.
    wxSize m_fittedFrame;
    std::unique_ptr<PageView> m_view;
    std::unique_ptr<PanelLink> m_link;
    std::unique_ptr<PanelStore> m_store;
    std::unique_ptr<ConfigurationDialogs> m_dialogs;
    std::unique_ptr<LayoutArrivals> m_arrivals;
    std::unique_ptr<TouchInput> m_input;
    /// How the process ends on a close request: a quit, or a failure while a required picture
    /// is reported missing.
    int m_exitCode = ExitCodes::kQuit;
    bool m_startedUp = false;
    bool m_initialised = false;
};
