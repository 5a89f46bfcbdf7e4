#pragma once

#include <memory>
#include <optional>

#include <wx/dialog.h>
#include <wx/eventfilter.h>
#include <wx/socket.h>
#include <wx/timer.h>

#include "app/ModalDialogStack.h"
#include "app/WindowsOnDisplay.h"
#include "link/LinkMachine.h"
#include "model/File.h"
#include "model/IdleLock.h"
#include "model/Layout.h"
#include "model/LayoutWatch.h"
#include "model/LinkMarks.h"
#include "model/PanelDocument.h"
#include "model/PanelJournal.h"
#include "model/StartOptions.h"

#include "panel/ControllerLink.h"
#include "panel/EditSession.h"
#include "panel/LayoutStore.h"
#include "panel/PageOperations.h"
#include "panel/PageRenderer.h"
#include "panel/PanelDialogs.h"
#include "panel/PanelWindow.h"

class ButtonDlg;
class ButtonSettingsDlg;
class ChangeStyleDlg;
class FieldPads;
class KeyboardDlg;
class LinkSocket;
class MenuDlg;
class PageArea;
class PageDlg;
class PageSelectDlg;
class PasswordDlg;
class SettingsDlg;
class TextKeyboardDlg;
class TransmitDlg;
class PanelEditor;
class TouchInput;
class TransferSocket;

/// Socket event identifiers of the controller link and of the transfer.
constexpr int kLinkSocketId = 3001;
constexpr int kTransferSocketId = 3003;

/// The panel window. It stays open for the whole run: it owns the page area, the timers, the
/// sockets and the configuration dialogs, and it ends the process when it is asked to close.
/// A layout file or pictures that another program puts in its folder take effect while it
/// runs, once no dialog is open and no finger is on a button.
class MainDialog : public wxDialog,
                   public PageOperations,
                   public EditSession,
                   public PanelDialogs,
                   public LayoutStore,
                   public ControllerLink,
                   public PanelWindow {
  public:
    /// Runs on `document`, fresh and kept by the caller for longer than the window: takes `folder`
    /// as the layout folder or, when it is empty, asks for one (the chooser opens in the working
    /// folder), loads the layout and builds the window. A cut-off layout file is reported and its
    /// whole backup runs instead. When the user cancels (code 0) or there is no layout to run on
    /// (code 1) the process ends here; under a test prompter the constructor then returns with
    /// StartedUp() false. `file` loads and stores the layout file for the whole run. After
    /// `lockTime` without a touch the panel locks itself again (IdleLock).
    MainDialog(PanelDocument& document, wxWindow* parent, wxWindowID id,
               const std::wstring& folder = std::wstring(),
               std::unique_ptr<const File> file = std::make_unique<File>(),
               IdleLock::Clock::duration lockTime = IdleLock::kLockTime);
    ~MainDialog() override;

    bool StartedUp() const { return m_startedUp; }

    /// Fits the window and the page area to the client area of the display that holds it.
    void FitToDisplay();
    void ResizeToLayout() override;
    void Quit(int exitCode) override;
    /// The page's size and the window's place on its display as they should be now.
    WindowFit FitOnDisplay() const;

    /// Page operations: load the pictures of a page, compose it and show it.
    void LoadPage(int page) override;
    void BuildPageBackground(int page) override;
    void LoadButtonImages(int page) override;
    void DrawPage(int page) override;
    void DrawButton(int page, int button, int look) override;
    /// Every button of the page in its lamp look, without the background.
    void DrawButtons(int page) override;
    void RestoreBackground(int button, int x, int y) override;

    /// The controller link: keeps it connected (LAN mode only) and sends the selected
    /// button's press and release. Relink drops the connection and checks at once, so that a
    /// changed address or mode takes effect now.
    void CheckLink();
    void Relink() override;
    void SendPress() override;
    void SendRelease() override;
    LinkSocket* Link() const { return m_link.get(); }
    /// The transfer of layout and pictures to another panel (created with the link).
    TransferSocket* Transfer() const override { return m_transfer.get(); }

    /// A touch released in the menu area: the password prompt when one is needed, then the
    /// main menu, or the button menu while an edit operation waits for a touch.
    void MenuRequest() override;
    /// Adds a button to the current page, as the I key does (the button menu's insert).
    void InsertButton() override;

    /// Puts an edit mode in force (EditModes::Normal ends editing): the title and the page show
    /// it until it ends.
    void SetEditMode(int mode) override;
    /// Brings the marks of the edit mode on the page up to date with the panel state, and the
    /// note in the status line with the page.
    void ShowEditMarks() override;

    /// "Back" of the button menu and of the page selection: normal operation again, the main
    /// menu shown again, the page's name in the title.
    void BackToMainMenu() override;

    /// The configuration dialogs, created once with the panel as parent.
    MenuDlg& Menu() const { return *m_menuDlg; }
    PasswordDlg& Password() const { return *m_passwordDlg; }
    ButtonDlg& ButtonMenu() const { return *m_buttonDlg; }
    ButtonSettingsDlg& ButtonSettings() const { return *m_buttonSettingsDlg; }
    ChangeStyleDlg& ChangeStyle() const { return *m_changeStyleDlg; }
    PageDlg& PageSettings() const { return *m_pageDlg; }
    PageSelectDlg& PageSelect() const { return *m_pageSelectDlg; }
    SettingsDlg& MainSettings() const { return *m_settingsDlg; }
    TransmitDlg& Transmit() const { return *m_transmitDlg; }
    KeyboardDlg& Keyboard() const { return *m_keyboardDlg; }
    /// The on-screen keyboard for text fields; it and the keypad open on a long touch.
    TextKeyboardDlg& TextKeyboard() const { return *m_textKeyboardDlg; }

    /// Writes the layout file and tells the user when that did not work, or when the new file
    /// may not survive a power cut. Clears LayoutChanged, and gives true, once the new file is
    /// in place. The file written is the panel's own: it is not taken for a new arrival. A store
    /// that went through says so for a few seconds in the status line ("Layout stored 14:03").
    bool StoreLayoutAndReport() override;

    wxDialog& Dialog(PanelDialog which) override;

    PageArea* GetPageArea() const { return m_pageArea; }
    PageRenderer& Renderer() { return *m_renderer; }

  private:
    void OnInitDialog(wxInitDialogEvent& event);
    void OnClose(wxCloseEvent& event);
    void OnSize(wxSizeEvent& event);
    /// A frameless panel (a kiosk: nothing else on the screen to bring it back by) or one with a
    /// dialog open never stays iconified; a framed panel on its own may be minimised.
    void OnIconize(wxIconizeEvent& event);
    void OnScroll(wxScrollWinEvent& event);
    void OnLinkTimer(wxTimerEvent& event);
    /// Quick ticks while the link needs them, slow ones otherwise.
    void PaceLinkTimer();
    /// A scroll or resize owes the window a repaint from the page's buffer (RedrawPending).
    void OweRepaint();
    void RepaintOwed();
    void OnNoteTimer(wxTimerEvent& event);
    void OnLinkSocket(wxSocketEvent& event);
    void OnTransferSocket(wxSocketEvent& event);
    /// Puts what the link reports on the page: the status line and the banner while it is down,
    /// the marks of stale lamps until the controller connected now has sent them, the cue of a
    /// press that went nowhere. Draws the page only when something of it changed.
    void ShowLinkStatus(std::optional<LinkStatus> status);
    /// Locks the panel again once nobody has touched it for the lock time: the menu, the edit
    /// mode, and one of the panel's dialogs a tick, the innermost first.
    void LockWhenIdle();
    /// Closes the innermost dialog on screen as its close box would, when it is one of the
    /// panel's own and not at work: a message box or a chooser waits for its answer.
    void CloseInnermostDialog();
    /// Brings the link's marks up to date with the link; true when the page changed.
    bool FollowLink();
    /// The look and the mark of a button as the page is to show them now.
    PageRenderer::ButtonLook LookAndMark(int page, int button, int look) const;

    /// One look at the layout folder (every link timer tick): a new layout file is loaded,
    /// new pictures are shown, unless the user is busy with a dialog or a touch.
    void WatchLayoutFolder();
    /// A layout file the panel did not write has arrived: with unsaved changes the user
    /// decides; a file that cannot be used leaves the running layout as it is. True when the
    /// new layout is shown.
    bool TakeNewLayout();
    /// The page with its pictures as they are in the folder now.
    void ShowNewPictures(int page);
    /// Replaces the running layout by `fresh` and shows it as the main settings' "OK" would.
    void ShowNewLayout(std::unique_ptr<::Layout> fresh);

    /// The page's pictures as they are in the folder now; which required ones are missing.
    PageRenderer::MissingPictures LoadPagePictures(int page);
    wxBitmap& PageBuffer();
    /// Puts on the page (and the screen) what changed of it: the base, the buttons' looks.
    void BringPageUpToDate(int page);
    /// Shows the message for a required picture that is missing and asks the window to close.
    void ReportMissingPictures(const PageRenderer::MissingPictures& missing);
    /// One message for each picture not shown for its size (each file once); the journal also
    /// learns of the button pictures that are missing.
    void ReportRefusedPictures();
    /// Tells the journal why the panel ends now, with its exit code.
    void JournalEnd() const;

    /// The layout and the panel state this window shows and edits.
    PanelDocument& m_document;
    wxTimer LinkTimer;
    /// Ends the note in the status line.
    wxTimer m_noteTimer;
    std::wstring m_note;
    std::unique_ptr<const File> m_file;
    /// What happens on the wall, for the journal.
    PanelJournal m_journal;
    ModalDialogStack m_modalDialogs;
    WindowsOnDisplay m_windowsOnDisplay{*this};
    IdleLock m_idleLock;
    /// Tells the idle lock of every touch and key in the program's windows.
    std::unique_ptr<wxEventFilter> m_touches;
    LayoutWatch m_watch{FolderSnapshot{}};
    int m_sinceFolderLookMs = 0;
    PageArea* m_pageArea = nullptr;
    std::unique_ptr<PageRenderer> m_renderer;
    /// The window manager's frame around the page when it was last fitted to the display.
    wxSize m_fittedFrame;
    std::unique_ptr<PanelEditor> m_editor;
    std::unique_ptr<TouchInput> m_input;
    std::unique_ptr<LinkSocket> m_link;
    LinkMarks m_linkMarks;
    /// The link timer reports the link down.
    bool m_linkDown = false;
    /// A press of the touch under way went nowhere: its release shows the cue.
    bool m_pressNotSent = false;
    std::unique_ptr<TransferSocket> m_transfer;
    MenuDlg* m_menuDlg = nullptr;
    SettingsDlg* m_settingsDlg = nullptr;
    ButtonDlg* m_buttonDlg = nullptr;
    ButtonSettingsDlg* m_buttonSettingsDlg = nullptr;
    PasswordDlg* m_passwordDlg = nullptr;
    ChangeStyleDlg* m_changeStyleDlg = nullptr;
    PageSelectDlg* m_pageSelectDlg = nullptr;
    PageDlg* m_pageDlg = nullptr;
    KeyboardDlg* m_keyboardDlg = nullptr;
    TextKeyboardDlg* m_textKeyboardDlg = nullptr;
    std::unique_ptr<FieldPads> m_fieldPads;
    TransmitDlg* m_transmitDlg = nullptr;
    /// How the process ends on a close request: a quit, or a failure while a required picture
    /// is reported missing.
    int m_exitCode = ExitCodes::kQuit;
    bool m_startedUp = false;
    bool m_initialised = false;
    bool m_pageAreaBound = false;

    wxDECLARE_EVENT_TABLE();
};
