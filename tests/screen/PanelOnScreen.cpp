#include "PanelOnScreen.h"

#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "model/EditMarks.h"
#include "model/File.h"
#include "model/LayoutFormat.h"
#include "model/Paths.h"

using namespace std::chrono_literals;

namespace {

const std::string kPanelPath = std::string(TVX_BINARY_DIR) + "/tolvamix";
const std::string kReceivePath = std::string(TVX_BINARY_DIR) + "/tvx-receive";
const std::string kDemoFolder = std::string(TVX_SOURCE_DIR) + "/demo";

/// A program's windows take their time on a loaded machine.
constexpr auto kScreenTimeout = 20s;

int g_addresses = 0;

bool SamePlace(const ScreenWindow& a, const ScreenWindow& b) {
    return a.id == b.id && a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height &&
           a.outer.x == b.outer.x && a.outer.y == b.outer.y && a.outer.width == b.outer.width &&
           a.outer.height == b.outer.height;
}

/// The window on top once it has stayed where it is, as it is, for a moment: a window is
/// placed, fitted and framed after it appears, and a touch meanwhile may miss. Gives up waiting
/// after the screen timeout and returns what is on top then.
ScreenWindow Settled(ScreenWindow top) {
    constexpr auto kStill = 200ms;
    auto still = Clock::now();
    const auto deadline = still + kScreenTimeout;
    while (Clock::now() - still < kStill && Clock::now() < deadline) {
        std::this_thread::sleep_for(20ms);
        const ScreenWindow now = PanelOnScreen::Top();
        if (!SamePlace(now, top)) {
            top = now;
            still = Clock::now();
        }
    }
    return top;
}

}  // namespace

std::array<int, 4> LoopbackAddress(bool listening) {
    // Other test runs on this machine use other addresses: the process id is in it.
    const int pid = static_cast<int>(::getpid());
    const int count = g_addresses++;
    return {127, (listening ? 100 : 200) + count % 50, (pid >> 8) & 0xFF, 1 + pid % 250};
}

std::string AddressText(const std::array<int, 4>& address) {
    return std::to_string(address[0]) + "." + std::to_string(address[1]) + "." +
           std::to_string(address[2]) + "." + std::to_string(address[3]);
}

PanelOnScreen::PanelOnScreen(const std::function<void(Layout&)>& change, Start start,
                             const std::vector<std::string>& options)
    : m_layout(std::make_unique<Layout>()) {
    std::filesystem::copy(kDemoFolder, m_folder.Path());
    m_layout->ResetLayout();
    m_layout->Form.LayoutDirectory = m_folder.WidePath();
    if (File().LoadLayout(*m_layout) != FileStatus::Ok) {
        ADD_FAILURE() << "the demo layout does not load";
        return;
    }
    m_layout->Form.Form_ConnectModus = 0;
    if (change) {
        change(*m_layout);
    }
    std::ofstream(m_folder.At("tvxdef.ini"), std::ios::binary | std::ios::trunc)
        << LayoutFormat::FormatLayout(*m_layout);

    if (start == Start::ChooserLeftOpen) {
        m_process = std::make_unique<ChildProcess>(
            kPanelPath, std::vector<std::string>{},
            ChildSetting{m_folder.Path(), TheScreen().Environment(), false, true});
        return;
    }
    if (start != Start::InTheChooser) {
        std::vector<std::string> arguments = options;
        arguments.push_back(m_folder.Path());
        m_process = std::make_unique<ChildProcess>(
            kPanelPath, arguments,
            ChildSetting{testing::TempDir(), TheScreen().Environment(), false, true});
    } else {
        // Started in its folder without one: the chooser opens there, and Return takes it.
        m_process = std::make_unique<ChildProcess>(
            kPanelPath, std::vector<std::string>{},
            ChildSetting{m_folder.Path(), TheScreen().Environment(), false, true});
        ScreenWindow chooser;
        if (!WaitUntil([&chooser] { return TheScreen().Find("Select directory", chooser); },
                       kScreenTimeout)) {
            ADD_FAILURE() << "the folder chooser did not open; " << TheScreen().Describe();
            return;
        }
        TheScreen().PointAt(chooser, chooser.width / 2, chooser.height / 2);
        TheScreen().Focus(chooser);
        std::this_thread::sleep_for(500ms);
        TheScreen().Key("Return");
    }

    if (start != Start::BehindMessages) {
        WaitForStartPage();
    }
}

bool PanelOnScreen::WaitForStartPage() {
    const std::string startPage = NativeName(m_layout->Page(0).PageName);
    if (!WaitUntil([this, &startPage] { return TheScreen().Find(startPage, m_window); },
                   kScreenTimeout)) {
        ADD_FAILURE() << "the start page did not show; " << TheScreen().Describe();
        m_window = ScreenWindow();
        return false;
    }
    return true;
}

PanelOnScreen::~PanelOnScreen() {
    m_process.reset();
    // The panel's windows go with it; the next test starts on an empty screen.
    WaitUntil([] { return TheScreen().Stacking().empty(); }, 5s);
}

bool PanelOnScreen::Running() {
    return m_process != nullptr && !m_process->WaitExit(0ms);
}

ScreenWindow PanelOnScreen::Window() const {
    for (const ScreenWindow& window : TheScreen().Stacking()) {
        if (window.id == m_window.id) {
            return window;
        }
    }
    return m_window;
}

ScreenWindow PanelOnScreen::Top() {
    const std::vector<ScreenWindow> windows = TheScreen().Stacking();
    return windows.empty() ? ScreenWindow() : windows.front();
}

bool PanelOnScreen::PanelOnTop() const {
    return Top().id == m_window.id;
}

ScreenWindow PanelOnScreen::WaitOnTop(const std::string& title) const {
    return WaitOnTop([&title](const ScreenWindow& top) { return top.title == title; },
                     "\"" + title + "\"");
}

ScreenWindow PanelOnScreen::WaitOnTop(const std::function<bool(const ScreenWindow&)>& wanted,
                                      const std::string& what) const {
    if (!WaitUntil([&wanted] { return wanted(Top()); }, kScreenTimeout)) {
        ADD_FAILURE() << what << " is not on top; " << TheScreen().Describe();
        return ScreenWindow();
    }
    return Settled(Top());
}

bool PanelOnScreen::WaitPanelOnTop() const {
    if (!WaitUntil([this] { return PanelOnTop(); }, kScreenTimeout)) {
        ADD_FAILURE() << "the panel is not on top; " << TheScreen().Describe();
        return false;
    }
    Settled(Top());
    return true;
}

ScreenWindow PanelOnScreen::WaitMessageBoxOnTop() const {
    const unsigned long panel = m_window.id;
    return WaitOnTop(
        [panel](const ScreenWindow& top) {
            return top.id != 0 && top.id != panel && top.title.empty();
        },
        "a message box");
}

void PanelOnScreen::Touch(int x, int y) const {
    TheScreen().Click(Window(), x, y);
}

ScreenWindow PanelOnScreen::OpenMenu() const {
    Touch(20, 20);
    return WaitOnTop("Main Menü");
}

PagePoint InsideButton(const Layout& layout, int button) {
    const ButtonRecord& record = layout.Button(0, button);
    return {record.PosX + 20, record.PosY + 20};
}

ScreenWindow PanelOnScreen::OpenPad(const ScreenWindow& dialog, Point field,
                                    const std::string& title) const {
    TheScreen().Click(dialog, field.x, field.y, kLongTouch);
    const ScreenWindow pad = WaitOnTop(title);
    const std::vector<ScreenWindow> windows = TheScreen().Stacking();
    EXPECT_TRUE(windows.size() > 1 && windows[1].id == dialog.id)
        << "\"" << title << "\" belongs over \"" << dialog.title << "\"; "
        << TheScreen().Describe();
    return pad;
}

int PanelOnScreen::BannerPixels() const {
    const ScreenWindow window = Window();
    const Colour fill = MarkColoursOn(m_layout->Page(StartPageOf(*m_layout)).BackColor1).fill;
    const unsigned long rgb = (static_cast<unsigned long>(RedOf(fill)) << 16) |
                              (static_cast<unsigned long>(GreenOf(fill)) << 8) |
                              static_cast<unsigned long>(BlueOf(fill));
    return TheScreen().CountPixels(window.x, window.y, window.width, 60, rgb);
}

void Touch(const ScreenWindow& window, Point point) {
    TheScreen().Click(window, point.x, point.y);
}

void ClickMessageButton(const ScreenWindow& box, int index, int count) {
    // The buttons share the width of the box in one row along its bottom edge.
    TheScreen().Click(box, box.width * (2 * index + 1) / (2 * count), box.height - 16);
}

ControllerOnLoopback::ControllerOnLoopback(std::optional<std::array<int, 4>> address)
    : m_address(address ? *address : LoopbackAddress(true)) {
    m_process = std::make_unique<ChildProcess>(
        kSimPath, std::vector<std::string>{"--listen", AddressText(m_address) + ":4001"});
    const auto line = m_process->Out().Next();
    m_listening = line && line->rfind("listening on ", 0) == 0;
    EXPECT_TRUE(m_listening) << "the controller said: " << line.value_or("(nothing)");
}

/// A JPEG of 8 x 8 pixels (286 bytes) whose frame header claims 20000 x 20000.
void WriteLyingJpeg(const std::string& path) {
    const unsigned char tiny[] = {
        0xff, 0xd8, 0xff, 0xe0, 0x00, 0x10, 0x4a, 0x46, 0x49, 0x46, 0x00, 0x01, 0x01, 0x00, 0x00,
        0x01, 0x00, 0x01, 0x00, 0x00, 0xff, 0xdb, 0x00, 0x43, 0x00, 0x10, 0x0b, 0x0c, 0x0e, 0x0c,
        0x0a, 0x10, 0x0e, 0x0d, 0x0e, 0x12, 0x11, 0x10, 0x13, 0x18, 0x28, 0x1a, 0x18, 0x16, 0x16,
        0x18, 0x31, 0x23, 0x25, 0x1d, 0x28, 0x3a, 0x33, 0x3d, 0x3c, 0x39, 0x33, 0x38, 0x37, 0x40,
        0x48, 0x5c, 0x4e, 0x40, 0x44, 0x57, 0x45, 0x37, 0x38, 0x50, 0x6d, 0x51, 0x57, 0x5f, 0x62,
        0x67, 0x68, 0x67, 0x3e, 0x4d, 0x71, 0x79, 0x70, 0x64, 0x78, 0x5c, 0x65, 0x67, 0x63, 0xff,
        0xdb, 0x00, 0x43, 0x01, 0x11, 0x12, 0x12, 0x18, 0x15, 0x18, 0x2f, 0x1a, 0x1a, 0x2f, 0x63,
        0x42, 0x38, 0x42, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63,
        0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63,
        0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63,
        0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0x63, 0xff, 0xc0, 0x00, 0x11, 0x08, 0x00, 0x08,
        0x00, 0x08, 0x03, 0x01, 0x22, 0x00, 0x02, 0x11, 0x01, 0x03, 0x11, 0x01, 0xff, 0xc4, 0x00,
        0x15, 0x00, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x05, 0xff, 0xc4, 0x00, 0x14, 0x10, 0x01, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xff, 0xc4, 0x00,
        0x14, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x05, 0xff, 0xc4, 0x00, 0x14, 0x11, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xff, 0xda, 0x00, 0x0c,
        0x03, 0x01, 0x00, 0x02, 0x11, 0x03, 0x11, 0x00, 0x3f, 0x00, 0x88, 0x00, 0xb0, 0xcf, 0xff,
        0xd9};
    std::string bytes(reinterpret_cast<const char*>(tiny), sizeof tiny);
    const std::size_t frame = bytes.find("\xFF\xC0");
    ASSERT_NE(frame, std::string::npos);
    bytes.replace(frame + 5, 4, std::string("\x4E\x20\x4E\x20", 4));
    std::ofstream(path, std::ios::binary) << bytes;
}

ReceiverOnLoopback::ReceiverOnLoopback() : m_address(LoopbackAddress(true)) {
    m_process = std::make_unique<ChildProcess>(
        kReceivePath, std::vector<std::string>{"--listen", AddressText(m_address) + ":4001",
                                               "--into", m_folder.Path()});
    const auto line = m_process->Out().Next();
    m_listening = line && line->rfind("listening on ", 0) == 0;
    EXPECT_TRUE(m_listening) << "the receiver said: " << line.value_or("(nothing)");
}

ReceiverOnLoopback::~ReceiverOnLoopback() {
    m_process.reset();
}

bool ReceiverOnLoopback::Received(const std::string& name, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (m_names.count(name) == 0) {
        const auto line = m_process->Out().Next(std::chrono::milliseconds(RemainingMs(deadline)));
        if (!line) {
            return false;
        }
        const std::string prefix = "received ";
        if (line->rfind(prefix, 0) == 0) {
            m_names.insert(
                line->substr(prefix.size(), line->find(' ', prefix.size()) - prefix.size()));
        }
    }
    return true;
}
