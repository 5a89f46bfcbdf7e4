#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "BuildVersion.h"
#include "app/MainApp.h"
#include "model/Journal.h"
#include "model/Paths.h"
#include "model/StartOptions.h"

// Last: its macros (None, Status, Bool) would clash with names in the headers above.
#include <X11/Xlib.h>

namespace {

/// A folder given relative to the working folder, made absolute: the settings show it, and the
/// pictures are found in it whatever the working folder becomes.
std::wstring AbsoluteFolder(const std::string& folder) {
    if (folder.empty() || folder.front() == '/') {
        return TextFromNative(folder);
    }
    char working[4096];
    if (::getcwd(working, sizeof working) == nullptr) {
        return TextFromNative(folder);
    }
    return TextFromNative(std::string(working) + "/" + folder);
}

/// Whether the X display the toolkit will use can be opened, and its size ("1280 x 800"). Asked
/// of the X server directly: the toolkit must not be started before the application starts it,
/// or it sets the locale on its own and warns about it on every start.
std::optional<std::string> DisplaySize() {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return std::nullopt;
    }
    const int screen = DefaultScreen(display);
    std::string size = std::to_string(DisplayWidth(display, screen)) + " x " +
                       std::to_string(DisplayHeight(display, screen));
    XCloseDisplay(display);
    return size;
}

}  // namespace

int main(int argc, char** argv) {
    StartOptions options;
    if (const auto end = AnswerCommandLine(StartCommandLine(options), argc, argv, kBuildVersion)) {
        return *end;
    }
    // Touches are placed by the pointer's position on the screen, which a native Wayland session
    // does not give away: there the panel runs through XWayland, unless the backend is chosen
    // for it.
    ::setenv("GDK_BACKEND", "x11", 0);
    // The panel draws nothing through OpenGL: without this the toolkit probes for it at the
    // first window, which may load a software renderer that takes more memory than the panel.
    ::setenv("GDK_GL", "disable", 0);
    // Without a display the toolkit would fail inside its start-up, with an assertion over a
    // message box it cannot show: the panel says so in one line instead.
    const Journal journal;
    const std::optional<std::string> displaySize = DisplaySize();
    if (!displaySize) {
        const char* display = std::getenv("DISPLAY");
        if (display == nullptr || *display == '\0') {
            journal.Error("tolvamix: no display: DISPLAY is not set");
        } else {
            journal.Error(std::string("tolvamix: cannot open the display ") + display);
        }
        return 1;
    }
    const std::wstring folder = AbsoluteFolder(options.folder);
    journal.Info(std::string("start: tolvamix ") + kBuildVersion + ", folder " +
                 (folder.empty() ? std::string("to be chosen") : NativeName(folder)) +
                 ", display " + *displaySize);
    wxApp::SetInstance(new MainApp(folder, options.waitForLayout, options.lockTime));
    // The toolkit gets the program's name only: the folder is ours.
    int toolkitArgc = 1;
    return wxEntry(toolkitArgc, argv);
}
