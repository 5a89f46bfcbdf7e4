#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

#include <wx/bitmap.h>
#include <wx/colour.h>
#include <wx/image.h>

#include "TempFolder.h"
#include "app/ConfigurationDialogs.h"
#include "app/MainDialog.h"
#include "app/ModalDialogStack.h"
#include "app/PanelStore.h"
#include "dialogs/TransmitDlg.h"
#include "link/TransferSocket.h"
#include "model/Layout.h"
#include "model/LinkMarks.h"
#include "model/PanelDocument.h"
#include "model/Prompter.h"
#include "panel/PageArea.h"
#include "panel/PageView.h"

/// Answers the program's questions from a script and records what it showed and whether it
/// asked to end the process.
class FakePrompter : public Prompter {
  public:
    bool ChooseDirectory(const std::wstring& message, const std::wstring& start,
                         std::wstring& folder) override;
    void ShowMessage(const std::wstring& text) override;
    Answer AskYesNoCancel(const std::wstring& text, const std::wstring& caption) override;
    /// Takes its answer from the same queue; an empty queue, or an answer other than Yes,
    /// answers No.
    Answer AskYesNo(const std::wstring& text, const std::wstring& caption) override;
    /// Takes its answer from the same queue, as AskYesNoCancel; records the labels.
    Answer AskWithLabels(const std::wstring& text, const std::wstring& caption,
                         const std::wstring& yes, const std::wstring& no) override;
    void ExitProcess(int code) override;

    bool chooseOk = true;
    std::wstring directory;
    std::deque<Answer> answers;  ///< for AskYesNoCancel; empty answers Cancel
    std::vector<std::wstring> messages;
    std::vector<std::wstring> questions;
    std::vector<std::wstring> captions;  ///< of the questions, in the same order
    std::vector<std::wstring> labels;    ///< the Yes and No labels of AskWithLabels, in turn
    std::wstring lastChooserMessage;
    std::wstring lastChooserStart;
    int choosers = 0;   ///< how often the chooser was asked for
    int exitCode = -1;  ///< -1 while nobody asked to end the process
};

/// Colours print as "r,g,b" in failure messages.
inline void PrintTo(const wxColour& colour, std::ostream* out) {
    *out << colour.Red() << "," << colour.Green() << "," << colour.Blue();
}

/// Rectangles print as "x,y width x height" in failure messages.
inline std::ostream& operator<<(std::ostream& out, const wxRect& rect) {
    return out << rect.x << "," << rect.y << " " << rect.width << "x" << rect.height;
}

/// The colours of the test buttons' looks, far enough apart to tell on the page.
inline const wxColour kOff(200, 0, 0);
inline const wxColour kPressed(0, 0, 200);
inline const wxColour kOn(0, 200, 0);

class wxFileDialog;

/// The names of the files in `folder` that the real chooser lists: each one put through the
/// toolkit's own filter of the chooser, sorted.
std::vector<std::string> NamesTheChooserLists(wxFileDialog& chooser, const std::string& folder);

class wxTextCtrl;

/// Whether a text field shows its characters as typed rather than masked, as the toolkit's GTK
/// widget draws them.
bool ShowsInClear(wxTextCtrl& field);

/// The page size a panel window shows for a layout page of `layout`: at most the display's client
/// area less the window manager's frame around the window.
wxSize FittedPageSize(const wxWindow& panel, const wxSize& layout);

/// Keeps the toolkit's event loop running until the condition holds or the time is up.
bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 3000);
/// Runs the event loop for a while.
void Pump(int milliseconds);

/// A temporary layout folder with the two required pictures (a 40 x 40 menu picture and a
/// 100 x 50 grey default button) and a layout file written from a Layout.
class LayoutFolder : public TempFolder {
  public:
    LayoutFolder();
    using TempFolder::Write;
    /// Writes tvxdef.ini in the format the program stores.
    void Write(const Layout& layout) const;
    /// A solid picture of one colour (optionally with an alpha value): a BMP file when the name
    /// ends in ".bmp" (every such picture of one size has the same file size), else PNG.
    void WritePicture(const std::string& name, int width, int height, const wxColour& colour) const;
    /// The three looks of the test buttons: 100 x 50 pictures "off.png", "press.png" and
    /// "on.png" in kOff, kPressed and kOn.
    void WriteButtonLooks() const;
};

/// A fresh layout with the reset values and a small 400 x 300 page.
std::unique_ptr<Layout> SmallLayout();

/// Builds the real panel window on a folder, under the fake prompter, and shows it. `file`
/// loads and stores the layout file (a test double can fail there); `lockTime` is how long the
/// panel waits without a touch before it locks itself again. The panel runs on a document of
/// its own, made fresh for it; one panel under test lives at a time.
class PanelUnderTest {
  public:
    PanelUnderTest(const LayoutFolder& folder, FakePrompter& prompter, bool show = true,
                   std::unique_ptr<const File> file = std::make_unique<File>(),
                   IdleLock::Clock::duration lockTime = IdleLock::kLockTime);
    ~PanelUnderTest();
    MainDialog* operator->() const { return m_dialog; }
    MainDialog* Get() const { return m_dialog; }
    PanelDocument& Document() const { return *m_document; }
    /// The hook on modal runs the panel is given, as the application gives it its own.
    const ModalDialogStack& ModalDialogs() const { return m_modalDialogs; }
    /// Colour of one pixel of the page as composed (page coordinates).
    wxColour PagePixel(int x, int y) const;
    /// The whole page as composed, for looking at many pixels at once.
    wxImage PageImage() const;

  private:
    std::unique_ptr<PanelDocument> m_document;
    ModalDialogStack m_modalDialogs;
    MainDialog* m_dialog = nullptr;
};

/// A panel on a layout of the test's own: the folder the layout is written to, the prompter that
/// answers the panel's questions, and the panel that Start() makes on them. The window tests'
/// rigs are this with their layout and helpers; a rig with a peer of its own (a fake controller)
/// ends the panel before the peer.
class PanelRig {
  public:
    MainDialog& Panel() const { return *panel->Get(); }
    /// Colour of one pixel of the page as composed (page coordinates).
    wxColour Pixel(int x, int y) const { return panel->PagePixel(x, y); }

    FakePrompter prompter;
    LayoutFolder folder;
    std::unique_ptr<PanelUnderTest> panel;

  protected:
    /// Writes `layout` into the folder and makes the panel on it, shown.
    void Start(const Layout& layout, IdleLock::Clock::duration lockTime = IdleLock::kLockTime);
};

/// The panel under test alive now, its layout and its state; a test without one fails.
MainDialog& ThePanel();
Layout& TheLayout();
PanelState& TheState();

/// A rectangle of the real screen as the X server holds it, cut to the screen. The toolkit
/// cannot read the screen back on GTK 3, so this asks ImageMagick's import. An invalid image
/// (and a failed test) when nothing could be read.
wxImage ScreenImage(const wxRect& rect);
/// One pixel of the screen.
wxColour ScreenPixel(const wxPoint& point);
/// What a pixel of `colour` of a button's own picture looks like under `mark`, at (x, y) of the
/// button.
wxColour MarkedColour(const wxColour& colour, ButtonMark mark, int x, int y);
/// Pixels that differ between two images of the same size; -1 when the sizes differ.
int DifferingPixels(const wxImage& a, const wxImage& b);

/// Where a window is on the screen as the X server has it now (a window manager places and moves
/// windows in its own time); an empty rectangle while the window is not on the screen.
wxRect ScreenRectOf(wxWindow& window);
/// Whether the window is on the screen: mapped and, under a window manager, taken in hand by it.
bool OnScreen(wxWindow& window);
/// The same once the window is on the screen and, under a window manager, framed by it; before
/// that, where the toolkit is to put it.
wxRect PlaceOnScreen(wxWindow& window);

/// The part of the page the page area shows now and the screen holds: the view at the scroll
/// position, cut to the page and to the screen (page coordinates).
wxRect VisiblePageRect(MainDialog& panel);
/// Where a page rectangle lies on the screen now (scroll offset included).
wxRect PageRectOnScreen(MainDialog& panel, const wxRect& pageRect);
/// A page rectangle as the screen shows it, once the screen has caught up with the back
/// buffer: it waits (up to the timeout) until the two agree and returns the last capture, so a
/// screen that never shows what was drawn is what the caller sees. The rectangle must lie in
/// VisiblePageRect().
wxImage PageOnScreen(MainDialog& panel, const wxRect& pageRect, int timeoutMs = 3000);

/// Moves the real pointer to a point of the screen and waits until the pointer is there.
bool PointAtScreen(const wxPoint& point);
/// Moves the real pointer over a page point of the panel (scroll offset included) and waits
/// until the pointer is there.
bool PointAt(MainDialog& panel, int x, int y);
/// Puts a finger down where the pointer is, or lifts it, and waits until the page area had
/// the event.
bool FingerDown();
bool FingerUp();
/// Presses that came to the windows as double clicks since the program started.
int DoubleClicksSeen();
/// A whole touch on a page point: move there, down, up.
bool TouchAt(MainDialog& panel, int x, int y);
/// Types one key on the panel window and waits until its key handler had it.
bool TypeKey(MainDialog& panel, int keyCode);

/// Stands in for the panel window of a sending panel: passes the socket's notifications to
/// the transfer and records every state the listener hears.
class TransferHost : public wxEvtHandler {
  public:
    TransferHost() : transfer(*this, kTransferSocketId) {
        Bind(wxEVT_SOCKET, [this](wxSocketEvent& event) { transfer.OnSocketEvent(event); });
        transfer.SetStateListener([this](int state) { states.push_back(state); });
        // In the words of the transmit dialog, which sets the same listener.
        transfer.SetNoticeListener(&TransmitDlg::ShowNotice);
    }

    TransferSocket transfer;
    std::vector<int> states;
};

/// A controller on the loopback network: a real TCP server on port 4001, the one port the
/// panel connects to, at an address of its own (127.x.y.z), so that tests running side by side
/// never meet. It never blocks and needs no thread: Poll() accepts and reads what has arrived,
/// so call it from WaitFor conditions. It serves one panel at a time; a newer connection
/// replaces the older one.
class FakeController {
  public:
    using Bytes = std::vector<std::uint8_t>;

    /// Listens at once. `receiveBuffer` > 0 gives the connections it accepts a receive buffer of
    /// about that size, for a controller that falls behind.
    explicit FakeController(int receiveBuffer = 0);
    ~FakeController();
    FakeController(const FakeController&) = delete;
    FakeController& operator=(const FakeController&) = delete;

    /// The address as the layout's Destination_IP octets.
    std::array<int, 4> Address() const { return m_address; }

    /// Listens again after Stop().
    bool Listen();
    /// The controller goes away: the connection is closed and nobody listens any more.
    void Stop();
    /// Closes the connection but keeps listening.
    void DropClient();

    /// Accepts a waiting connection and reads everything the panel has sent.
    void Poll();
    /// false: Poll() still accepts connections but leaves what arrives unread, as a controller
    /// that hangs does.
    void SetReading(bool reading) { m_reading = reading; }
    /// Reads at most `most` bytes of what the panel has sent, as a controller that falls behind.
    void ReadSome(std::size_t most);
    /// The connected socket (non-blocking), for a test that writes to the panel from a thread
    /// of its own; -1 when there is none.
    int ClientSocket() const { return m_client; }
    bool HasClient() const { return m_client >= 0; }
    /// Connections accepted since construction.
    int Connections() const { return m_connections; }
    /// Every byte received since the last ClearReceived().
    const Bytes& Received() const { return m_received; }
    void ClearReceived() { m_received.clear(); }
    /// Sends bytes to the connected panel; false when there is none or it does not take them.
    bool Send(const Bytes& bytes);

  private:
    std::array<int, 4> m_address{};
    int m_listener = -1;
    int m_client = -1;
    int m_connections = 0;
    int m_receiveBuffer = 0;
    bool m_reading = true;
    Bytes m_received;
};

/// Bytes for and from the controller: pieces joined, a press and a release as the panel sends
/// them, a lamp-state message with the given lamps lit.
FakeController::Bytes Join(std::initializer_list<FakeController::Bytes> parts);
FakeController::Bytes PressBytes(int taster);
FakeController::Bytes ReleaseBytes(int taster);
FakeController::Bytes LampState(std::initializer_list<int> lampsOn);

/// Waits until the panel is connected to `controller` and has asked it for the lamp states,
/// checks that it asked exactly once, and forgets the request so that a test sees only what
/// follows. Then answers as a controller does, with the lamp-state message `answer` (every lamp
/// off unless given), and waits until the panel has taken it; an empty answer sends nothing, and
/// the panel's lamps stay stale.
bool PanelLinked(FakeController& controller, int timeoutMs = 3000,
                 const FakeController::Bytes& answer = LampState({}));
