// The kiosk session on a new panel, as its owner meets it: tolvamix-session on a folder that holds
// no layout shows the page that waits for one; a layout sent from a PC with tvx-send is on the
// screen within two seconds; "Quit" ends the session and everything it started.

#include <signal.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "PanelOnScreen.h"
#include "Sanitizer.h"
#include "TempFolder.h"

namespace {

using namespace std::chrono_literals;

const std::string kSessionPath = std::string(TVX_SOURCE_DIR) + "/deploy/tolvamix-session";
const std::string kSendPath = std::string(TVX_BINARY_DIR) + "/tvx-send";
const std::string kDemoFolder = std::string(TVX_SOURCE_DIR) + "/demo";

/// The colours of the waiting page: its background and the commands to type.
constexpr unsigned long kWaitingBackground = 0x202830;
constexpr unsigned long kWaitingCommand = 0xFFD65A;

TEST(Session, ANewPanelWaitsForItsLayoutAndQuitEndsTheSession) {
    // The panel's user: a home without a layout folder, a receiver that listens on a loopback
    // address of this run's own instead of every address.
    const TempFolder home("tvx-session");
    const std::string address = AddressText(LoopbackAddress(true));
    std::filesystem::create_directories(home.At(".config/tolvamix"));
    home.Write(".config/tolvamix/receive.conf",
               "TVX_RECEIVE_OPTIONS=\"--listen " + address + ":4001\"\n");
    std::vector<std::string> environment = TheScreen().Environment();
    environment.insert(environment.end(),
                       {"HOME=" + home.Path(), "XDG_CONFIG_HOME",
                        "PATH=" + std::string(TVX_BINARY_DIR) + ":" + std::getenv("PATH")});
    ChildProcess session(kSessionPath, {}, ChildSetting{"", environment, true});

    ScreenWindow waiting;
    ASSERT_TRUE(WaitUntil([&] { return TheScreen().Find("Waiting for a layout", waiting); }, 20s))
        << TheScreen().Describe();
    ASSERT_TRUE(WaitUntil(
        [&] {
            TheScreen().Find("Waiting for a layout", waiting);
            return waiting.x <= 0 && waiting.y <= 0 && waiting.x + waiting.width >= 1280 &&
                   waiting.y + waiting.height >= 1024;
        },
        5s))
        << "not over the whole screen: " << waiting.x << "," << waiting.y << " " << waiting.width
        << " x " << waiting.height;
    EXPECT_TRUE(WaitUntil([] {
        return TheScreen().CountPixels(0, 0, 1280, 1024, kWaitingBackground) > 1280 * 1024 / 2;
    })) << "the page is not drawn";
    EXPECT_TRUE(WaitUntil([] {
        return TheScreen().CountPixels(0, 0, 1280, 1024, kWaitingCommand) > 200;
    })) << "no command to send a layout on the page";
    EXPECT_TRUE(std::filesystem::is_directory(home.At("tolvamix")));

    ChildProcess send(kSendPath, {kDemoFolder, address});
    const auto sent = send.WaitExit(20s);
    ASSERT_TRUE(sent && WIFEXITED(*sent) && WEXITSTATUS(*sent) == 0) << [&send] {
        std::string lines;
        while (const auto line = send.Out().Next(100ms)) {
            lines += *line + "\n";
        }
        return lines;
    }();
    const auto arrived = Clock::now();
    ScreenWindow panel;
    // Two seconds in the plain build; the sanitizers' checks make every step slower.
    ASSERT_TRUE(WaitUntil([&] { return TheScreen().Find("Erdgeschoss", panel); },
                          kAddressSanitizer ? 10s : 2s))
        << TheScreen().Describe();
    RecordProperty(
        "shown_after_ms",
        static_cast<int>(
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - arrived).count()));
    EXPECT_FALSE(TheScreen().Find("Waiting for a layout", waiting));

    ScreenWindow menu;
    // Given the time to draw its page and take touches.
    std::this_thread::sleep_for(500ms);
    TheScreen().Click(panel, 20, 20);
    ASSERT_TRUE(WaitUntil([&] { return TheScreen().Find("Main Menü", menu); }, 10s))
        << TheScreen().Describe();
    std::this_thread::sleep_for(300ms);
    TheScreen().Click(menu, kMenuQuitX, kMenuQuitY);
    const auto ended = session.WaitExit(10s);
    ASSERT_TRUE(ended.has_value()) << "the session goes on after \"Quit\"";
    EXPECT_TRUE(WIFEXITED(*ended) && WEXITSTATUS(*ended) == 0);
    // The receiver and tvx-display end with it: nothing of its process group is left.
    EXPECT_TRUE(WaitUntil([&] { return ::kill(-session.Pid(), 0) != 0 && errno == ESRCH; }, 5s));
}

}  // namespace
