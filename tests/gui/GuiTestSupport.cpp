#include "GuiTestSupport.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <algorithm>
#include <filesystem>

#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <wx/app.h>
#include <wx/dcmemory.h>
#include <wx/display.h>
#include <wx/eventfilter.h>
#include <wx/filedlg.h>
#include <wx/image.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include "Loopback.h"
#include "link/LinkMessages.h"
#include "link/LinkSocket.h"
#include "model/LayoutFormat.h"
#include "model/PanelState.h"
#include "model/Paths.h"
#include "panel/PageArea.h"

namespace {
/// A test that stopped half-way through a touch must not leave the button held for the next.
bool g_fingerIsDown = false;
/// The panel under test alive now, if any.
PanelUnderTest* g_panelUnderTest = nullptr;

PanelUnderTest& CurrentPanel() {
    if (g_panelUnderTest == nullptr) {
        throw std::logic_error("no panel under test");
    }
    return *g_panelUnderTest;
}
}  // namespace

MainDialog& ThePanel() {
    return *CurrentPanel().Get();
}

Layout& TheLayout() {
    return CurrentPanel().Document().Layout();
}

PanelState& TheState() {
    return CurrentPanel().Document().State();
}

bool FakePrompter::ChooseDirectory(const std::wstring& message, const std::wstring& start,
                                   std::wstring& folder) {
    lastChooserMessage = message;
    lastChooserStart = start;
    ++choosers;
    if (!chooseOk) {
        return false;
    }
    folder = directory;
    return true;
}

void FakePrompter::ShowMessage(const std::wstring& text) {
    messages.push_back(text);
}

Prompter::Answer FakePrompter::AskYesNoCancel(const std::wstring& text,
                                              const std::wstring& caption) {
    questions.push_back(text);
    captions.push_back(caption);
    if (answers.empty()) {
        return Answer::Cancel;
    }
    const Answer answer = answers.front();
    answers.pop_front();
    return answer;
}

Prompter::Answer FakePrompter::AskYesNo(const std::wstring& text, const std::wstring& caption) {
    return AskYesNoCancel(text, caption) == Answer::Yes ? Answer::Yes : Answer::No;
}

Prompter::Answer FakePrompter::AskWithLabels(const std::wstring& text, const std::wstring& caption,
                                             const std::wstring& yes, const std::wstring& no) {
    labels.push_back(yes);
    labels.push_back(no);
    return AskYesNoCancel(text, caption);
}

void FakePrompter::ExitProcess(int code) {
    exitCode = code;
}

std::vector<std::string> NamesTheChooserLists(wxFileDialog& chooser, const std::string& folder) {
    std::vector<std::string> listed;
    GtkFileFilter* filter = gtk_file_chooser_get_filter(GTK_FILE_CHOOSER(chooser.GetHandle()));
    if (filter == nullptr) {
        ADD_FAILURE() << "the chooser has no filter";
        return listed;
    }
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        const std::string path = entry.path().string();
        GtkFileFilterInfo info{};
        info.contains = static_cast<GtkFileFilterFlags>(GTK_FILE_FILTER_FILENAME |
                                                        GTK_FILE_FILTER_DISPLAY_NAME);
        info.filename = path.c_str();
        info.display_name = name.c_str();
        if (gtk_file_filter_filter(filter, &info)) {
            listed.push_back(name);
        }
    }
    std::sort(listed.begin(), listed.end());
    return listed;
}

bool ShowsInClear(wxTextCtrl& field) {
    // A field of one line is a GtkEntry; one of several lines never masks.
    GtkWidget* widget = field.GetHandle();
    return !GTK_IS_ENTRY(widget) || gtk_entry_get_visibility(GTK_ENTRY(widget));
}

bool WaitFor(const std::function<bool()>& condition, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (true) {
        wxTheApp->Yield(true);
        if (condition()) {
            return true;
        }
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        wxMilliSleep(2);
    }
}

void Pump(int milliseconds) {
    WaitFor([] { return false; }, milliseconds);
}

LayoutFolder::LayoutFolder() : TempFolder("tvx-gui") {
    WritePicture("TvxMenu.png", 40, 40, wxColour(10, 200, 10));
    WritePicture("defaultButton.png", 100, 50, wxColour(128, 128, 128));
}

void LayoutFolder::Write(const Layout& layout) const {
    TempFolder::Write("tvxdef.ini", LayoutFormat::FormatLayout(layout));
}

void LayoutFolder::WriteButtonLooks() const {
    WritePicture("off.png", 100, 50, kOff);
    WritePicture("press.png", 100, 50, kPressed);
    WritePicture("on.png", 100, 50, kOn);
}

void LayoutFolder::WritePicture(const std::string& name, int width, int height,
                                const wxColour& colour) const {
    wxImage image(width, height);
    image.SetRGB(wxRect(0, 0, width, height), colour.Red(), colour.Green(), colour.Blue());
    if (colour.Alpha() != wxALPHA_OPAQUE) {
        image.InitAlpha();
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                image.SetAlpha(x, y, colour.Alpha());
            }
        }
    }
    const bool bmp = name.size() > 4 && name.compare(name.size() - 4, 4, ".bmp") == 0;
    image.SaveFile(wxString::FromUTF8(At(name).c_str()),
                   bmp ? wxBITMAP_TYPE_BMP : wxBITMAP_TYPE_PNG);
}

std::unique_ptr<Layout> SmallLayout() {
    auto layout = std::make_unique<Layout>();
    layout->Form.SizeX = 400;
    layout->Form.SizeY = 300;
    return layout;
}

PanelUnderTest::PanelUnderTest(const LayoutFolder& folder, FakePrompter& prompter, bool show,
                               std::unique_ptr<const File> file, IdleLock::Clock::duration lockTime)
    : m_document(std::make_unique<PanelDocument>()) {
    prompter.directory = folder.WidePath();
    SetPrompter(&prompter);
    m_dialog = new MainDialog(*m_document, m_modalDialogs, nullptr, wxID_ANY, std::wstring(),
                              std::move(file), lockTime);
    g_panelUnderTest = this;
    if (show && m_dialog->StartedUp()) {
        m_dialog->Show();
        WaitFor([this] { return m_dialog->IsShownOnScreen(); });
        Pump(50);
    }
}

PanelUnderTest::~PanelUnderTest() {
    if (g_fingerIsDown) {
        FingerUp();
    }
    if (m_dialog->StartedUp()) {
        m_dialog->Destroy();
        Pump(20);
        // The document goes with this object: the window must be gone before it.
        WaitFor([this] { return !wxTheApp->IsScheduledForDestruction(m_dialog); });
    } else {
        delete m_dialog;
    }
    g_panelUnderTest = nullptr;
}

void PanelRig::Start(const Layout& layout, IdleLock::Clock::duration lockTime) {
    folder.Write(layout);
    panel = std::make_unique<PanelUnderTest>(folder, prompter, true, std::make_unique<File>(),
                                             lockTime);
}

wxColour PanelUnderTest::PagePixel(int x, int y) const {
    const wxImage image = PageImage();
    return wxColour(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
}

wxImage PanelUnderTest::PageImage() const {
    return m_dialog->View().Area().Buffer().ConvertToImage();
}

namespace {

/// Counts the input events the toolkit has dispatched, so that a simulated action can be
/// waited for instead of slept on. It sees every event before its handlers and lets it pass.
class InputEventCounter : public wxEventFilter {
  public:
    InputEventCounter() { wxEvtHandler::AddFilter(this); }

    int FilterEvent(wxEvent& event) override {
        const wxEventType type = event.GetEventType();
        // A second press soon after the first at the same place comes as a double click.
        if (type == wxEVT_LEFT_DOWN || type == wxEVT_LEFT_DCLICK) {
            ++downs;
            doubleClicks += type == wxEVT_LEFT_DCLICK ? 1 : 0;
        } else if (type == wxEVT_LEFT_UP) {
            ++ups;
        } else if (type == wxEVT_CHAR_HOOK) {
            ++keys;
        }
        return Event_Skip;
    }

    int downs = 0;
    int doubleClicks = 0;
    int ups = 0;
    int keys = 0;
};

InputEventCounter& Counter() {
    // Lives as long as the toolkit: a filter must not go away while it is installed.
    static InputEventCounter* counter = new InputEventCounter;
    return *counter;
}

}  // namespace

namespace {

/// Whether a window manager has taken the window's top-level window in hand: framed, placed and
/// shown it (it then sets the window's WM_STATE to normal). Until then the window stands where
/// the toolkit created it, and may yet move. True at once where no window manager runs.
bool Managed(wxWindow& window) {
    if (std::string(gdk_x11_screen_get_window_manager_name(gdk_screen_get_default())) ==
        "unknown") {
        return true;
    }
    GtkWidget* widget = window.GetHandle();
    GdkWindow* shown = widget != nullptr ? gtk_widget_get_window(widget) : nullptr;
    if (shown == nullptr) {
        return false;
    }
    GdkWindow* top = gdk_window_get_toplevel(shown);
    const Atom state =
        gdk_x11_get_xatom_by_name_for_display(gdk_window_get_display(top), "WM_STATE");
    Atom type = None;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    const bool normal =
        XGetWindowProperty(GDK_WINDOW_XDISPLAY(top), GDK_WINDOW_XID(top), state, 0, 2, False, state,
                           &type, &format, &items, &after, &data) == Success &&
        type == state && format == 32 && items >= 1 &&
        reinterpret_cast<const long*>(data)[0] == NormalState;
    if (data != nullptr) {
        XFree(data);
    }
    return normal;
}

}  // namespace

wxRect ScreenRectOf(wxWindow& window) {
    GtkWidget* widget = window.GetHandle();
    GdkWindow* shown = widget != nullptr ? gtk_widget_get_window(widget) : nullptr;
    if (shown == nullptr || !gdk_window_is_viewable(shown)) {
        return wxRect();
    }
    int x = 0;
    int y = 0;
    gdk_window_get_origin(shown, &x, &y);
    return wxRect(x, y, gdk_window_get_width(shown), gdk_window_get_height(shown));
}

bool OnScreen(wxWindow& window) {
    return Managed(window) && !ScreenRectOf(window).IsEmpty();
}

wxRect PlaceOnScreen(wxWindow& window) {
    WaitFor([&] { return OnScreen(window); }, 5000);
    const wxRect shown = ScreenRectOf(window);
    return shown.IsEmpty() ? window.GetScreenRect() : shown;
}

wxImage ScreenImage(const wxRect& wanted) {
    const wxRect rect = wanted.Intersect(wxRect(wxGetDisplaySize()));
    if (rect.IsEmpty()) {
        ADD_FAILURE() << "no part of " << wanted.x << "," << wanted.y << " " << wanted.width << "x"
                      << wanted.height << " is on the screen";
        return wxImage();
    }
    const std::string command = "import -silent -window root -crop " + std::to_string(rect.width) +
                                "x" + std::to_string(rect.height) + "+" + std::to_string(rect.x) +
                                "+" + std::to_string(rect.y) + " -depth 8 ppm:- 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        ADD_FAILURE() << "cannot run import";
        return wxImage();
    }
    std::string bytes;
    char chunk[65536];
    std::size_t count = 0;
    while ((count = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) {
        bytes.append(chunk, count);
    }
    ::pclose(pipe);
    // A binary portable pixmap: "P6", width, height, the largest value, one blank, the pixels.
    std::istringstream header(bytes);
    std::string magic;
    int width = 0;
    int height = 0;
    int largest = 0;
    header >> magic >> width >> height >> largest;
    const auto start = static_cast<std::size_t>(header.tellg()) + 1;
    const auto size = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3;
    if (!header || magic != "P6" || largest != 255 || width != rect.width ||
        height != rect.height || bytes.size() < start + size) {
        ADD_FAILURE() << "no picture of the screen from import (" << bytes.size() << " bytes)";
        return wxImage();
    }
    wxImage image(width, height, false);
    std::memcpy(image.GetData(), bytes.data() + start, size);
    return image;
}

wxColour ScreenPixel(const wxPoint& point) {
    const wxImage pixel = ScreenImage(wxRect(point, wxSize(1, 1)));
    if (!pixel.IsOk()) {
        return wxColour();
    }
    return wxColour(pixel.GetRed(0, 0), pixel.GetGreen(0, 0), pixel.GetBlue(0, 0));
}

wxColour MarkedColour(const wxColour& colour, ButtonMark mark, int x, int y) {
    std::uint8_t pixel[3] = {colour.Red(), colour.Green(), colour.Blue()};
    PaintMark(mark, pixel, nullptr, 1, 1, x + y);
    return wxColour(pixel[0], pixel[1], pixel[2]);
}

int DifferingPixels(const wxImage& a, const wxImage& b) {
    if (!a.IsOk() || !b.IsOk() || a.GetSize() != b.GetSize()) {
        return -1;
    }
    const unsigned char* p = a.GetData();
    const unsigned char* q = b.GetData();
    const long pixels = static_cast<long>(a.GetWidth()) * a.GetHeight();
    int differing = 0;
    for (long i = 0; i < pixels; ++i, p += 3, q += 3) {
        if (p[0] != q[0] || p[1] != q[1] || p[2] != q[2]) {
            ++differing;
        }
    }
    return differing;
}

wxRect VisiblePageRect(MainDialog& panel) {
    PageArea* area = &panel.View().Area();
    const wxRect view(area->CalcUnscrolledPosition(wxPoint(0, 0)), area->GetClientSize());
    const wxRect page(wxPoint(0, 0), area->GetVirtualSize());
    const wxRect screen(area->CalcUnscrolledPosition(area->ScreenToClient(wxPoint(0, 0))),
                        wxGetDisplaySize());
    return view.Intersect(page).Intersect(screen);
}

wxRect PageRectOnScreen(MainDialog& panel, const wxRect& pageRect) {
    PageArea* area = &panel.View().Area();
    return wxRect(area->ClientToScreen(area->CalcScrolledPosition(pageRect.GetPosition())),
                  pageRect.GetSize());
}

wxImage PageOnScreen(MainDialog& panel, const wxRect& pageRect, int timeoutMs) {
    const wxRect visible = VisiblePageRect(panel);
    if (!visible.Contains(pageRect)) {
        ADD_FAILURE() << "page rectangle " << pageRect.x << "," << pageRect.y << " "
                      << pageRect.width << "x" << pageRect.height << " is not on the screen";
        return wxImage();
    }
    wxImage shown;
    WaitFor(
        [&] {
            shown = ScreenImage(PageRectOnScreen(panel, pageRect));
            const wxBitmap& buffer = panel.View().Area().Buffer();
            return buffer.IsOk() &&
                   DifferingPixels(shown, buffer.GetSubBitmap(pageRect).ConvertToImage()) == 0;
        },
        timeoutMs);
    return shown;
}

bool PointAtScreen(const wxPoint& point) {
    wxUIActionSimulator().MouseMove(point);
    return WaitFor([point] { return wxGetMousePosition() == point; });
}

bool PointAt(MainDialog& panel, int x, int y) {
    PageArea* area = &panel.View().Area();
    const auto onScreen = [area, x, y] {
        return area->ClientToScreen(area->CalcScrolledPosition(wxPoint(x, y)));
    };
    // A window manager frames and places the panel in its own time after it is shown: the point
    // holds once the panel is in its hands and stays where it was pointed at.
    WaitFor([&panel] { return Managed(panel); }, 5000);
    for (int attempt = 0; attempt < 5; ++attempt) {
        const wxPoint point = onScreen();
        if (!PointAtScreen(point)) {
            return false;
        }
        if (onScreen() == point) {
            return true;
        }
    }
    return false;
}

bool FingerDown() {
    const int before = Counter().downs;
    wxUIActionSimulator().MouseDown();
    g_fingerIsDown = true;
    return WaitFor([before] { return Counter().downs > before; });
}

bool FingerUp() {
    const int before = Counter().ups;
    wxUIActionSimulator().MouseUp();
    g_fingerIsDown = false;
    return WaitFor([before] { return Counter().ups > before; });
}

int DoubleClicksSeen() {
    return Counter().doubleClicks;
}

bool TouchAt(MainDialog& panel, int x, int y) {
    return PointAt(panel, x, y) && FingerDown() && FingerUp();
}

bool TypeKey(MainDialog& panel, int keyCode) {
    // Without a window manager the keyboard goes to the window under the pointer.
    const wxRect area = panel.View().Area().GetScreenRect();
    wxUIActionSimulator simulator;
    if (!area.Contains(wxGetMousePosition())) {
        const wxPoint centre = area.GetPosition() + wxPoint(area.width / 2, area.height / 2);
        simulator.MouseMove(centre);
        WaitFor([centre] { return wxGetMousePosition() == centre; });
    }
    panel.Raise();
    panel.SetFocus();
    const int before = Counter().keys;
    simulator.Char(keyCode);
    return WaitFor([before] { return Counter().keys > before; });
}

namespace {

void CloseSocket(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

int g_controllerInstance = 0;

}  // namespace

FakeController::FakeController(int receiveBuffer) : m_receiveBuffer(receiveBuffer) {
    // An address from the process id and a count: other test runs use other addresses.
    const unsigned pid = static_cast<unsigned>(::getpid());
    for (int attempt = 0; attempt < 64 && m_listener < 0; ++attempt) {
        const int instance = g_controllerInstance++;
        m_address = {127, 16 + instance % 200, static_cast<int>((pid >> 8) & 0xFF),
                     1 + static_cast<int>(pid % 250)};
        Listen();
    }
    if (m_listener < 0) {
        ADD_FAILURE_AT(__FILE__, __LINE__) << "the fake controller found no address to listen on";
    }
}

FakeController::~FakeController() {
    Stop();
}

bool FakeController::Listen() {
    if (m_listener >= 0) {
        return true;
    }
    m_listener = ListenOn(m_address, 4001, 4, true, m_receiveBuffer);
    return m_listener >= 0;
}

void FakeController::Stop() {
    CloseSocket(m_client);
    CloseSocket(m_listener);
}

void FakeController::DropClient() {
    CloseSocket(m_client);
}

void FakeController::Poll() {
    if (m_listener >= 0) {
        while (true) {
            const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (fd < 0) {
                break;
            }
            // Small writes must leave at once, each in a segment of its own.
            const int one = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            CloseSocket(m_client);
            m_client = fd;
            ++m_connections;
        }
    }
    while (m_client >= 0 && m_reading) {
        std::uint8_t buffer[4096];
        const ssize_t count = ::recv(m_client, buffer, sizeof buffer, 0);
        if (count > 0) {
            m_received.insert(m_received.end(), buffer, buffer + count);
        } else if (count == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
            CloseSocket(m_client);
        } else if (errno != EINTR) {
            break;
        }
    }
}

void FakeController::ReadSome(std::size_t most) {
    std::uint8_t buffer[4096];
    const ssize_t count =
        m_client < 0 ? 0 : ::recv(m_client, buffer, std::min(most, sizeof buffer), 0);
    if (count > 0) {
        m_received.insert(m_received.end(), buffer, buffer + count);
    }
}

bool FakeController::Send(const Bytes& bytes) {
    Poll();
    std::size_t sent = 0;
    while (m_client >= 0 && sent < bytes.size()) {
        const ssize_t count =
            ::send(m_client, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (count > 0) {
            sent += static_cast<std::size_t>(count);
        } else if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd waiting{m_client, POLLOUT, 0};
            if (::poll(&waiting, 1, 1000) <= 0) {
                return false;
            }
        } else if (count < 0 && errno == EINTR) {
            continue;
        } else {
            return false;
        }
    }
    return m_client >= 0 && sent == bytes.size();
}

bool PanelLinked(FakeController& controller, int timeoutMs, const FakeController::Bytes& answer) {
    // "x13": the request for every lamp state that starts each connection.
    static const FakeController::Bytes stateRequest{0x78, 0x31, 0x33};
    const bool linked = WaitFor(
        [&controller] {
            controller.Poll();
            return controller.HasClient() && controller.Received().size() >= stateRequest.size() &&
                   TheState().StatusText.empty();
        },
        timeoutMs);
    EXPECT_EQ(controller.Received(), stateRequest);
    controller.ClearReceived();
    if (!linked || answer.empty()) {
        return linked;
    }
    return controller.Send(answer) && WaitFor(
                                          [] {
                                              const LinkSocket* link = ThePanel().Link().Socket();
                                              return link != nullptr && link->LampsKnown();
                                          },
                                          timeoutMs);
}

FakeController::Bytes Join(std::initializer_list<FakeController::Bytes> parts) {
    FakeController::Bytes all;
    for (const FakeController::Bytes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

FakeController::Bytes PressBytes(int taster) {
    const ButtonMessage message = PressMessage(taster);
    return FakeController::Bytes(message.begin(), message.end());
}

FakeController::Bytes ReleaseBytes(int taster) {
    const ButtonMessage message = ReleaseMessage(taster);
    return FakeController::Bytes(message.begin(), message.end());
}

FakeController::Bytes LampState(std::initializer_list<int> lampsOn) {
    // The header byte is never examined; any value will do.
    FakeController::Bytes message(kLampStateSize, 0);
    message[0] = 0xA5;
    for (const int lamp : lampsOn) {
        message[1 + static_cast<std::size_t>(lamp / 8)] |=
            static_cast<std::uint8_t>(1u << (lamp % 8));
    }
    return message;
}

wxSize FittedPageSize(const wxWindow& panel, const wxSize& layout) {
    const wxRect area = wxDisplay(0u).GetClientArea();
    const wxSize frame = panel.GetSize() - panel.GetClientSize();
    return wxSize(std::min(area.width - frame.x, layout.x),
                  std::min(area.height - frame.y, layout.y));
}
