#include "DisplayConnection.h"

#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "ToolProcess.h"

namespace {

/// The first error since the last Sync; the default handler would end the program.
std::string g_firstError;

int KeepError(Display* display, XErrorEvent* event) {
    if (g_firstError.empty()) {
        char text[256] = {};
        XGetErrorText(display, event->error_code, text, sizeof text);
        g_firstError = std::string(text) + " (request " + std::to_string(event->request_code) +
                       "." + std::to_string(event->minor_code) + ")";
    }
    return 0;
}

/// What runs when the connection is lost, before the program ends.
std::function<void()> g_lost;

int LoseDisplay(Display* display) {
    ToolJournal().Error(std::string("tvx-display: lost the X display ") + DisplayString(display));
    if (g_lost) {
        g_lost();
    }
    // Xlib would end the program after this handler anyway.
    std::exit(1);
}

}  // namespace

std::unique_ptr<DisplayConnection> DisplayConnection::Open(std::string& why,
                                                           std::function<void()> lost) {
    const char* name = std::getenv("DISPLAY");
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        why = std::string("cannot open the X display ") +
              (name != nullptr && *name != '\0' ? name : "(DISPLAY is not set)");
        return nullptr;
    }
    int eventBase = 0;
    int errorBase = 0;
    if (!XScreenSaverQueryExtension(display, &eventBase, &errorBase)) {
        why = std::string("the X server of ") + DisplayString(display) +
              " has no screen saver extension (MIT-SCREEN-SAVER) to tell the idle time";
        XCloseDisplay(display);
        return nullptr;
    }
    XSetErrorHandler(KeepError);
    g_lost = std::move(lost);
    XSetIOErrorHandler(LoseDisplay);
    return std::unique_ptr<DisplayConnection>(new DisplayConnection(display));
}

DisplayConnection::~DisplayConnection() {
    XCloseDisplay(m_display);
}

int DisplayConnection::Fd() const {
    return ConnectionNumber(m_display);
}

std::chrono::milliseconds DisplayConnection::Idle() const {
    XScreenSaverInfo info{};
    if (!XScreenSaverQueryInfo(m_display, DefaultRootWindow(m_display), &info)) {
        return std::chrono::milliseconds(0);
    }
    return std::chrono::milliseconds(info.idle);
}

std::string DisplayConnection::Sync() {
    XSync(m_display, False);
    std::string error;
    error.swap(g_firstError);
    return error;
}
