#include <cstdlib>

#include "app/MainApp.h"

wxIMPLEMENT_APP_NO_MAIN(MainApp);

int main(int argc, char** argv) {
    // Touches are placed by the pointer's position on the screen, which a native Wayland session
    // does not give away: there the panel runs through XWayland, unless the backend is chosen
    // for it.
    ::setenv("GDK_BACKEND", "x11", 0);
    return wxEntry(argc, argv);
}
