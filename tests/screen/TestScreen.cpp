#include "TestScreen.h"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <thread>

// Last: the X headers define macros (None, Bool, Status) that other headers use as names.
#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

using namespace std::chrono_literals;

struct TestScreen::Connection {
    Display* display = nullptr;
    ~Connection() {
        if (display != nullptr) {
            XCloseDisplay(display);
        }
    }
};

namespace {

/// A window of the window manager's own (a frame) has no class; a program's window has one.
bool HasClass(Display* display, Window window) {
    XClassHint hint{};
    if (XGetClassHint(display, window, &hint) == 0) {
        return false;
    }
    XFree(hint.res_name);
    XFree(hint.res_class);
    return true;
}

/// The program's window inside a frame, or the window itself when it is not framed.
Window ClientOf(Display* display, Window window) {
    if (HasClass(display, window)) {
        return window;
    }
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (XQueryTree(display, window, &root, &parent, &children, &count) == 0) {
        return 0;
    }
    Window client = 0;
    for (unsigned i = 0; i < count && client == 0; ++i) {
        client = ClientOf(display, children[i]);
    }
    if (children != nullptr) {
        XFree(children);
    }
    return client;
}

/// The items of a window's property of that type, at most `length` of them (chars of a text,
/// longs of 32-bit values), or nothing when the window has no such property.
template <typename Item>
std::optional<std::vector<Item>> PropertyOf(Display* display, Window window, const char* name,
                                            Atom type, long length) {
    Atom actual = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::optional<std::vector<Item>> items;
    if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, length, False,
                           type, &actual, &format, &count, &after, &data) == Success &&
        data != nullptr) {
        const auto* first = reinterpret_cast<const Item*>(data);
        items.emplace(first, first + count);
    }
    if (data != nullptr) {
        XFree(data);
    }
    return items;
}

std::string TitleOf(Display* display, Window window) {
    if (const auto title = PropertyOf<char>(display, window, "_NET_WM_NAME",
                                            XInternAtom(display, "UTF8_STRING", False), 1024)) {
        return std::string(title->begin(), title->end());
    }
    char* name = nullptr;
    if (XFetchName(display, window, &name) != 0 && name != nullptr) {
        std::string title(name);
        XFree(name);
        return title;
    }
    return std::string();
}

/// Windows come and go while the stacking is read: a window gone meanwhile is no failure.
int IgnoreError(Display*, XErrorEvent*) {
    return 0;
}

bool Viewable(Display* display, Window window, XWindowAttributes& attributes) {
    return XGetWindowAttributes(display, window, &attributes) != 0 &&
           attributes.map_state == IsViewable && attributes.c_class == InputOutput;
}

/// The top-level windows of the screen, bottom first, once the server has done what it was asked.
std::vector<Window> TopLevels(Display* display) {
    XSync(display, False);
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    std::vector<Window> windows;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) != 0 &&
        children != nullptr) {
        windows.assign(children, children + count);
        XFree(children);
    }
    return windows;
}

}  // namespace

TestScreen& TheScreen() {
    static TestScreen screen;
    return screen;
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (!condition()) {
        if (Clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

bool TestScreen::Start(bool withWindowManager, ScreenSize size) {
    m_withWindowManager = withWindowManager;
    m_size = size;
    // The server writes the number of the display it found free to its standard output.
    const std::string screen =
        std::to_string(size.width) + "x" + std::to_string(size.height) + "x24";
    m_server = std::make_unique<ChildProcess>(
        "/usr/bin/Xvfb",
        std::vector<std::string>{"-displayfd", "1", "-screen", "0", screen, "-nolisten", "tcp"});
    const auto number = m_server->Out().Next(10s);
    if (!number) {
        return false;
    }
    m_display = ":" + *number;
    XSetErrorHandler(IgnoreError);
    m_connection = std::make_unique<Connection>();
    m_connection->display = XOpenDisplay(m_display.c_str());
    if (m_connection->display == nullptr) {
        return false;
    }
    if (!withWindowManager) {
        return true;
    }
    m_windowManager =
        std::make_unique<ChildProcess>("/usr/bin/openbox", std::vector<std::string>{"--sm-disable"},
                                       ChildSetting{"", Environment()});
    Display* display = m_connection->display;
    return WaitUntil(
        [display] {
            const auto check = PropertyOf<long>(display, DefaultRootWindow(display),
                                                "_NET_SUPPORTING_WM_CHECK", XA_WINDOW, 1);
            return check && check->size() == 1;
        },
        10s);
}

bool TestScreen::Restart(ScreenSize size) {
    Stop();
    return Start(m_withWindowManager, size);
}

TestScreen::~TestScreen() {
    Stop();
}

void TestScreen::Stop() {
    m_connection.reset();
    m_windowManager.reset();
    m_server.reset();
}

ScreenRect TestScreen::WorkArea() const {
    Display* display = m_connection->display;
    const auto area =
        PropertyOf<long>(display, DefaultRootWindow(display), "_NET_WORKAREA", XA_CARDINAL, 4);
    if (!area || area->size() != 4) {
        return ScreenRect{0, 0, m_size.width, m_size.height};
    }
    // The first desktop's: x, y, width, height.
    const std::vector<long>& values = *area;
    return ScreenRect{static_cast<int>(values[0]), static_cast<int>(values[1]),
                      static_cast<int>(values[2]), static_cast<int>(values[3])};
}

std::vector<std::string> TestScreen::Environment() const {
    // No desktop settings service and no accessibility bus on this screen.
    return {"DISPLAY=" + m_display, "GSETTINGS_BACKEND=memory", "NO_AT_BRIDGE=1", "WAYLAND_DISPLAY",
            "GDK_BACKEND"};
}

std::vector<ScreenWindow> TestScreen::Stacking() const {
    Display* display = m_connection->display;
    const Window root = DefaultRootWindow(display);
    const std::vector<Window> children = TopLevels(display);
    std::vector<ScreenWindow> windows;
    // The server lists the children bottom first.
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        XWindowAttributes attributes{};
        if (!Viewable(display, *it, attributes)) {
            continue;
        }
        const Window client = ClientOf(display, *it);
        if (client == 0 || !Viewable(display, client, attributes)) {
            continue;
        }
        ScreenWindow window;
        window.id = client;
        window.title = TitleOf(display, client);
        Window child = 0;
        XTranslateCoordinates(display, client, root, 0, 0, &window.x, &window.y, &child);
        window.width = attributes.width;
        window.height = attributes.height;
        XWindowAttributes whole{};
        if (XGetWindowAttributes(display, *it, &whole) != 0) {
            window.outer = ScreenRect{whole.x, whole.y, whole.width + 2 * whole.border_width,
                                      whole.height + 2 * whole.border_width};
        }
        // What lies wholly off the screen (the window manager's own helper window) nobody sees.
        if (window.x + window.width > 0 && window.y + window.height > 0) {
            windows.push_back(window);
        }
    }
    return windows;
}

std::string TestScreen::Describe() const {
    std::ostringstream text;
    text << "on screen, top first:";
    for (const ScreenWindow& window : Stacking()) {
        text << " \"" << window.title << "\" (" << window.id << ", " << window.width << "x"
             << window.height << "+" << window.x << "+" << window.y << ");";
    }
    return text.str();
}

bool TestScreen::Find(const std::string& title, ScreenWindow& found) const {
    for (const ScreenWindow& window : Stacking()) {
        if (window.title == title) {
            found = window;
            return true;
        }
    }
    return false;
}

bool TestScreen::CoveredBy(const std::string& name) const {
    Display* display = m_connection->display;
    const std::vector<Window> children = TopLevels(display);
    if (children.empty()) {
        return false;
    }
    const Window top = children.back();
    XWindowAttributes attributes{};
    return XGetWindowAttributes(display, top, &attributes) != 0 &&
           attributes.map_state == IsViewable && attributes.c_class == InputOnly &&
           attributes.x == 0 && attributes.y == 0 &&
           attributes.width == WidthOfScreen(attributes.screen) &&
           attributes.height == HeightOfScreen(attributes.screen) && TitleOf(display, top) == name;
}

bool TestScreen::HasWindow(const std::string& name) const {
    Display* display = m_connection->display;
    for (const Window window : TopLevels(display)) {
        if (TitleOf(display, window) == name) {
            return true;
        }
    }
    return false;
}

int TestScreen::CountPixels(int x, int y, int width, int height, unsigned long rgb) const {
    Display* display = m_connection->display;
    XImage* image =
        XGetImage(display, DefaultRootWindow(display), x, y, static_cast<unsigned>(width),
                  static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (image == nullptr) {
        ADD_FAILURE() << "the screen cannot be read at " << x << "," << y;
        return 0;
    }
    int count = 0;
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            count += (XGetPixel(image, column, row) & 0xFFFFFFul) == rgb;
        }
    }
    XDestroyImage(image);
    return count;
}

void TestScreen::PointAt(const ScreenWindow& window, int x, int y) {
    Display* display = m_connection->display;
    XTestFakeMotionEvent(display, DefaultScreen(display), window.x + x, window.y + y, 0);
    XSync(display, False);
    std::this_thread::sleep_for(30ms);
}

void TestScreen::Click(const ScreenWindow& window, int x, int y, std::chrono::milliseconds held) {
    Display* display = m_connection->display;
    PointAt(window, x, y);
    XTestFakeButtonEvent(display, 1, True, 0);
    XSync(display, False);
    std::this_thread::sleep_for(held);
    XTestFakeButtonEvent(display, 1, False, 0);
    XSync(display, False);
    std::this_thread::sleep_for(30ms);
}

void TestScreen::Focus(const ScreenWindow& window) {
    Display* display = m_connection->display;
    XSetInputFocus(display, window.id, RevertToPointerRoot, CurrentTime);
    XSync(display, False);
}

void TestScreen::Iconify(const ScreenWindow& window) {
    Display* display = m_connection->display;
    XIconifyWindow(display, window.id, DefaultScreen(display));
    XSync(display, False);
}

void TestScreen::Maximise(const ScreenWindow& window) {
    Display* display = m_connection->display;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window.id;
    event.xclient.message_type = XInternAtom(display, "_NET_WM_STATE", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = 1;  // add
    event.xclient.data.l[1] =
        static_cast<long>(XInternAtom(display, "_NET_WM_STATE_MAXIMIZED_VERT", False));
    event.xclient.data.l[2] =
        static_cast<long>(XInternAtom(display, "_NET_WM_STATE_MAXIMIZED_HORZ", False));
    event.xclient.data.l[3] = 1;  // a normal program
    XSendEvent(display, DefaultRootWindow(display), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XSync(display, False);
}

void TestScreen::KeyOfSymbol(unsigned long symbol, bool withShift) {
    Display* display = m_connection->display;
    const KeyCode code = XKeysymToKeycode(display, symbol);
    const KeyCode shift = XKeysymToKeycode(display, XK_Shift_L);
    if (withShift) {
        XTestFakeKeyEvent(display, shift, True, 0);
    }
    XTestFakeKeyEvent(display, code, True, 0);
    XTestFakeKeyEvent(display, code, False, 0);
    if (withShift) {
        XTestFakeKeyEvent(display, shift, False, 0);
    }
    XSync(display, False);
    std::this_thread::sleep_for(10ms);
}

void TestScreen::Key(const std::string& combination) {
    Display* display = m_connection->display;
    std::vector<KeyCode> modifiers;
    std::string rest = combination;
    for (std::size_t plus; (plus = rest.find('+')) != std::string::npos;) {
        const std::string name = rest.substr(0, plus);
        rest = rest.substr(plus + 1);
        const KeySym modifier = name == "ctrl"    ? XK_Control_L
                                : name == "alt"   ? XK_Alt_L
                                : name == "shift" ? XK_Shift_L
                                                  : NoSymbol;
        modifiers.push_back(XKeysymToKeycode(display, modifier));
    }
    for (const KeyCode modifier : modifiers) {
        XTestFakeKeyEvent(display, modifier, True, 0);
    }
    const KeyCode code = XKeysymToKeycode(display, XStringToKeysym(rest.c_str()));
    XTestFakeKeyEvent(display, code, True, 0);
    XTestFakeKeyEvent(display, code, False, 0);
    for (auto modifier = modifiers.rbegin(); modifier != modifiers.rend(); ++modifier) {
        XTestFakeKeyEvent(display, *modifier, False, 0);
    }
    XSync(display, False);
    std::this_thread::sleep_for(30ms);
}

void TestScreen::Type(const std::string& text) {
    Display* display = m_connection->display;
    for (const char c : text) {
        // Latin-1 characters are their own key symbols; the shifted ones sit on level 1.
        const KeySym symbol = static_cast<unsigned char>(c);
        const KeyCode code = XKeysymToKeycode(display, symbol);
        const bool shifted = XkbKeycodeToKeysym(display, code, 0, 0) != symbol;
        KeyOfSymbol(symbol, shifted);
    }
}
