// The toolkit's backend the panel starts with. In a Wayland session the panel must run through
// the X server (XWayland): touches are placed by the pointer's position on the screen, which a
// native Wayland session does not give away.

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "TempFolder.h"
#include "TestScreen.h"

namespace {

using namespace std::chrono_literals;

const std::string kPanelPath = std::string(TVX_BINARY_DIR) + "/tolvamix";

/// A Wayland display that takes connections and never answers: a program that picks the Wayland
/// backend waits on it for ever and never shows a window on the X screen.
class SilentWaylandDisplay {
  public:
    SilentWaylandDisplay() {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string path = m_folder.At("wayland-silent");
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        m_socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (::bind(m_socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(m_socket, 8) != 0) {
            ADD_FAILURE() << "cannot listen on " << path;
        }
    }
    ~SilentWaylandDisplay() { ::close(m_socket); }

    /// The session's environment that names this display.
    std::vector<std::string> Environment() const {
        std::vector<std::string> environment = TheScreen().Environment();
        environment.push_back("XDG_RUNTIME_DIR=" + m_folder.Path());
        environment.push_back("WAYLAND_DISPLAY=wayland-silent");
        return environment;
    }

  private:
    TempFolder m_folder{"tvx-wayland"};
    int m_socket = -1;
};

bool ChooserOpens(std::chrono::milliseconds within) {
    ScreenWindow chooser;
    return WaitUntil([&chooser] { return TheScreen().Find("Select directory", chooser); }, within);
}

}  // namespace

TEST(Backend, RunsOnTheXServerInAWaylandSession) {
    SilentWaylandDisplay wayland;
    ChildProcess panel(kPanelPath, {}, ChildSetting{"", wayland.Environment()});
    EXPECT_TRUE(ChooserOpens(20s)) << TheScreen().Describe();
}

TEST(Backend, KeepsABackendChosenForIt) {
    SilentWaylandDisplay wayland;
    std::vector<std::string> environment = wayland.Environment();
    environment.push_back("GDK_BACKEND=wayland");
    ChildProcess panel(kPanelPath, {}, ChildSetting{"", environment});
    EXPECT_FALSE(ChooserOpens(3s)) << "the panel went to the X server; " << TheScreen().Describe();
}
