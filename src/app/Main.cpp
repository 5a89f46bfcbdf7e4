#include <gtk/gtk.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "BuildVersion.h"
#include "app/MainApp.h"
#include "model/Journal.h"
#include "model/Paths.h"
#include "model/StartOptions.h"

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

/// The size of the display the panel starts on (its first monitor), "1280 x 800".
std::string DisplaySize() {
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor = display != nullptr ? gdk_display_get_primary_monitor(display) : nullptr;
    if (monitor == nullptr && display != nullptr) {
        monitor = gdk_display_get_monitor(display, 0);
    }
    if (monitor == nullptr) {
        return "unknown";
    }
    GdkRectangle area{};
    gdk_monitor_get_geometry(monitor, &area);
    return std::to_string(area.width) + " x " + std::to_string(area.height);
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
    if (!gtk_init_check(nullptr, nullptr)) {
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
                 ", display " + DisplaySize());
    wxApp::SetInstance(new MainApp(folder, options.waitForLayout, options.lockTime));
    // The toolkit gets the program's name only: the folder is ours.
    int toolkitArgc = 1;
    return wxEntry(toolkitArgc, argv);
}
