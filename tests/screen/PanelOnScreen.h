#pragma once

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "ChildProcess.h"
#include "TempFolder.h"
#include "TestScreen.h"
#include "model/Layout.h"
#include "model/PanelState.h"

/// Points of the main menu's buttons and of the button menu's, in their client areas: each menu
/// is a column of buttons 48 pixels apart.
constexpr int kMenuX = 88;
constexpr int kMenuButtonMenuY = 36;
constexpr int kMenuPageSettingsY = 84;
constexpr int kMenuMainSettingsY = 132;
constexpr int kMenuPageSelectY = 180;
constexpr int kMenuTransmitY = 228;
constexpr int kMenuStoreY = 276;
constexpr int kMenuCloseY = 324;
constexpr int kMenuQuitX = 88;
constexpr int kMenuQuitY = 420;
constexpr int kButtonMenuSettingsY = 36;
constexpr int kButtonMenuMoveY = 84;
constexpr int kButtonMenuGetStyleY = 132;
constexpr int kButtonMenuChangeStyleY = 180;
constexpr int kButtonMenuInsertY = 228;
constexpr int kButtonMenuBackY = 332;

/// A point of a window's client area.
struct Point {
    int x;
    int y;
};

/// A finger held on a field long enough for its pad.
constexpr auto kLongTouch = std::chrono::milliseconds(900);

/// The middle of a key of the on-screen keyboard (a character key by its row and column), in
/// its client area.
constexpr Point KeyboardKey(int row, int column) {
    return Point{8 + 56 * column + 24, 64 + 56 * row + 24};
}
constexpr Point kKeyboardClear{8 + 24, 288 + 24};
constexpr Point kKeyboardOk{8 + 560 + 52, 288 + 24};

/// A touch on a point of a window.
void Touch(const ScreenWindow& window, Point point);

/// A copy of the demo layout folder, changed by the test, and the real panel program started on
/// it on the test screen, the start page on screen, its standard error read as the journal reads
/// it (JournalLines). The panel is killed when the test ends.
class PanelOnScreen {
  public:
    enum class Start {
        WithTheFolder,    ///< `tolvamix FOLDER`, as a panel starts by itself
        InTheChooser,     ///< `tolvamix` started in the folder, the chooser's "Open" taken
        BehindMessages,   ///< `tolvamix FOLDER`, messages expected before the start page
        ChooserLeftOpen,  ///< `tolvamix` started in the folder, the chooser left to the test
    };

    /// `change` edits the layout before the panel starts; the controller link is off unless the
    /// change turns it on. `options` go on the command line before the folder.
    explicit PanelOnScreen(const std::function<void(Layout&)>& change = {},
                           Start start = Start::WithTheFolder,
                           const std::vector<std::string>& options = {});
    ~PanelOnScreen();
    PanelOnScreen(const PanelOnScreen&) = delete;
    PanelOnScreen& operator=(const PanelOnScreen&) = delete;

    /// Waits until the start page is on screen (after the messages of a BehindMessages start,
    /// or the chooser of a ChooserLeftOpen start).
    bool WaitForStartPage();
    /// True once the start page is on screen.
    bool Started() const { return m_window.id != 0; }
    const std::string& Folder() const { return m_folder.Path(); }
    const Layout& StartLayout() const { return *m_layout; }
    /// The panel window where it is now (its title follows the page and the edit mode).
    ScreenWindow Window() const;
    /// The panel's process.
    pid_t Pid() const { return m_process != nullptr ? m_process->Pid() : 0; }
    /// True while the panel process runs.
    bool Running();
    /// The panel's lines for the journal, with their priorities ("<6>link up: ...").
    LineReader& JournalLines() { return m_process->Err(); }
    /// The exit status once the panel has ended.
    std::optional<int> WaitExit(std::chrono::milliseconds timeout = kTimeout) {
        return m_process->WaitExit(timeout);
    }

    /// The window on top of the screen, and whether it is the panel.
    static ScreenWindow Top();
    bool PanelOnTop() const;

    /// Waits until a window of that title is on top of all others, and returns it.
    ScreenWindow WaitOnTop(const std::string& title) const;
    /// Waits until the window on top is one that `wanted` accepts; `what` names it for a failure.
    ScreenWindow WaitOnTop(const std::function<bool(const ScreenWindow&)>& wanted,
                           const std::string& what) const;
    /// Waits until the panel is on top again.
    bool WaitPanelOnTop() const;
    /// Waits until a message box (an untitled window that is none of the panel's) is on top.
    ScreenWindow WaitMessageBoxOnTop() const;

    /// A touch on a page point of the panel (the page is not scrolled in these tests).
    void Touch(int x, int y) const;
    /// A touch in the menu area, then the main menu on top.
    ScreenWindow OpenMenu() const;
    /// A long touch on a field of `dialog`: the pad of that title opens right above the dialog.
    ScreenWindow OpenPad(const ScreenWindow& dialog, Point field, const std::string& title) const;
    /// Pixels of the edit mode's banner fill along the top edge of the panel, for the start
    /// page's colours.
    int BannerPixels() const;

  private:
    TempFolder m_folder{"tvx-screen"};
    std::unique_ptr<Layout> m_layout;
    std::unique_ptr<ChildProcess> m_process;
    ScreenWindow m_window;
};

/// A point inside a button of the start page (page 0).
PagePoint InsideButton(const Layout& layout, int button);

/// The button of a message box: `index` of `count` in the row of buttons along its bottom edge.
void ClickMessageButton(const ScreenWindow& box, int index = 0, int count = 1);

/// The controller simulator the tests start beside the panel.
inline const std::string kSimPath = std::string(TVX_BINARY_DIR) + "/tvx-sim";

/// A loopback address of this test run's own, for a receiver (`listening`) or for nobody.
std::array<int, 4> LoopbackAddress(bool listening);
std::string AddressText(const std::array<int, 4>& address);

/// The controller simulator (build/tvx-sim) on port 4001 of a loopback address of this run's own,
/// or of `address` (a controller back where it was); ended by its process id when it goes.
class ControllerOnLoopback {
  public:
    explicit ControllerOnLoopback(std::optional<std::array<int, 4>> address = std::nullopt);
    const std::array<int, 4>& Address() const { return m_address; }
    bool Listening() const { return m_listening; }
    ChildProcess& Process() { return *m_process; }

  private:
    std::array<int, 4> m_address{};
    std::unique_ptr<ChildProcess> m_process;
    bool m_listening = false;
};

/// A JPEG of 8 x 8 pixels (286 bytes) whose frame header claims 20000 x 20000.
void WriteLyingJpeg(const std::string& path);

/// The real transfer receiver (build/tvx-receive) on port 4001 of a loopback address of its own,
/// storing into a folder of its own.
class ReceiverOnLoopback {
  public:
    ReceiverOnLoopback();
    ~ReceiverOnLoopback();
    const std::array<int, 4>& Address() const { return m_address; }
    bool Listening() const { return m_listening; }
    /// Waits until the receiver has stored a file of that name.
    bool Received(const std::string& name, std::chrono::milliseconds timeout = kTimeout);
    /// Every name received so far.
    const std::set<std::string>& Names() const { return m_names; }

  private:
    std::array<int, 4> m_address{};
    TempFolder m_folder{"tvx-screen-receive"};
    std::unique_ptr<ChildProcess> m_process;
    bool m_listening = false;
    std::set<std::string> m_names;
};
