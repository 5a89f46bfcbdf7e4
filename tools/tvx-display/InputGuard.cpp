#include "InputGuard.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "DisplayConnection.h"

InputGuard::~InputGuard() {
    if (m_window != 0) {
        XDestroyWindow(m_connection.X(), m_window);
        m_connection.Sync();
    }
}

std::string InputGuard::Show() {
    Display* display = m_connection.X();
    const Window root = DefaultRootWindow(display);
    // The screen may have changed its size since the guard was last shown.
    Window rootOfRoot = 0;
    int x = 0;
    int y = 0;
    unsigned width = 0;
    unsigned height = 0;
    unsigned border = 0;
    unsigned depth = 0;
    XGetGeometry(display, root, &rootOfRoot, &x, &y, &width, &height, &border, &depth);
    if (m_window == 0) {
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        attributes.event_mask = ButtonPressMask | ButtonReleaseMask;
        m_window = XCreateWindow(display, root, 0, 0, width, height, 0, 0, InputOnly,
                                 CopyFromParent, CWOverrideRedirect | CWEventMask, &attributes);
        XStoreName(display, m_window, kName);
    } else {
        XMoveResizeWindow(display, m_window, 0, 0, width, height);
    }
    // Told of every other window that is mapped or stacked, to stay above it.
    XSelectInput(display, root, SubstructureNotifyMask);
    XMapRaised(display, m_window);
    m_shown = true;
    return m_connection.Sync();
}

void InputGuard::Hide() {
    if (!m_shown) {
        return;
    }
    Display* display = m_connection.X();
    XSelectInput(display, DefaultRootWindow(display), NoEventMask);
    XUnmapWindow(display, m_window);
    XFlush(display);
    m_shown = false;
}

InputGuard::Touch InputGuard::Handle(const XEvent& event) {
    if (!m_shown) {
        return Touch::Nothing;
    }
    switch (event.type) {
        case ButtonPress:
            return event.xbutton.window == m_window ? Touch::Down : Touch::Nothing;
        case ButtonRelease: {
            if (event.xbutton.window != m_window) {
                return Touch::Nothing;
            }
            // The state holds the buttons down before this release, this one among them.
            const unsigned buttons =
                Button1Mask | Button2Mask | Button3Mask | Button4Mask | Button5Mask;
            const unsigned released = event.xbutton.button >= 1 && event.xbutton.button <= 5
                                          ? Button1Mask << (event.xbutton.button - 1)
                                          : 0;
            return (event.xbutton.state & buttons & ~released) == 0 ? Touch::Up : Touch::Nothing;
        }
        case MapNotify:
            if (event.xmap.window != m_window) {
                KeepOnTop();
            }
            return Touch::Nothing;
        case ConfigureNotify:
            if (event.xconfigure.window != m_window) {
                KeepOnTop();
            }
            return Touch::Nothing;
        case CirculateNotify:
            if (event.xcirculate.window != m_window) {
                KeepOnTop();
            }
            return Touch::Nothing;
        default:
            return Touch::Nothing;
    }
}

void InputGuard::KeepOnTop() {
    Display* display = m_connection.X();
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) == 0) {
        return;
    }
    // The server lists the children bottom first.
    const bool onTop = count > 0 && children[count - 1] == m_window;
    if (children != nullptr) {
        XFree(children);
    }
    if (!onTop) {
        XRaiseWindow(display, m_window);
        XFlush(display);
    }
}
