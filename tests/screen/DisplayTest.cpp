// tvx-display on the test screen, as it runs beside the panel: the steps of its layout's display
// values on a backlight folder made for the test, input through the X test extension bringing the
// brightness back, the touch that wakes the display kept from the panel's buttons, a changed
// layout file taken while it runs, what it skips or leaves alone, and the backlight put back when
// the X server ends.

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "PanelOnScreen.h"
#include "TempFolder.h"
#include "model/File.h"
#include "model/LayoutFormat.h"
#include "model/Paths.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

const std::string kDisplayPath = std::string(TVX_BINARY_DIR) + "/tvx-display";
const std::string kDemoFolder = std::string(TVX_SOURCE_DIR) + "/demo";
/// The name of tvx-display's window over the screen.
const std::string kGuard = "tvx-display guard";

/// Long enough for any step of a test's shortened minutes.
constexpr auto kStepTimeout = 15s;

/// The demo layout with these display values put into `folder` as the panel stores it: a new
/// file renamed over the old one.
void PutLayout(const std::string& folder, int bright, int brightDim, int dimMinutes,
               int offMinutes) {
    auto layout = std::make_unique<Layout>();
    layout->ResetLayout();
    layout->Form.LayoutDirectory = TextFromNative(kDemoFolder);
    ASSERT_EQ(File().LoadLayout(*layout), FileStatus::Ok);
    layout->Form.Display_Bright = bright;
    layout->Form.Display_Bright_Dim = brightDim;
    layout->Form.Display_Off_Dim = dimMinutes;
    layout->Form.Display_Off = offMinutes;
    std::ofstream(folder + "/new.tmp", std::ios::binary) << LayoutFormat::FormatLayout(*layout);
    fs::rename(folder + "/new.tmp", folder + "/tvxdef.ini");
}

/// A folder made like a backlight of the kernel: max_brightness 1000, brightness 500.
class FakeBacklight {
  public:
    FakeBacklight() {
        std::ofstream(m_folder + "/max_brightness") << "1000\n";
        std::ofstream(m_folder + "/brightness") << "500\n";
    }

    const std::string& Folder() const { return m_temp.Path(); }
    std::string Text() const { return m_temp.Read("brightness"); }
    /// Waits until the backlight holds `value`.
    bool Holds(int value) const {
        const std::string wanted = std::to_string(value) + "\n";
        return WaitUntil([this, &wanted] { return Text() == wanted; }, 3s);
    }

  private:
    TempFolder m_temp{"tvx-backlight"};
    const std::string& m_folder = m_temp.Path();
};

/// build/tvx-display on a layout folder of the test screen; SIGTERM when it goes.
class DisplayTool {
  public:
    DisplayTool(const std::string& folder, std::vector<std::string> options,
                std::vector<std::string> environment = TheScreen().Environment()) {
        options.push_back(folder);
        m_process = std::make_unique<ChildProcess>(kDisplayPath, options,
                                                   ChildSetting{"", std::move(environment)});
    }
    ~DisplayTool() {
        if (!m_process->WaitExit(0ms)) {
            Stop();
        }
    }

    /// The next line that starts with `prefix`, the lines before it skipped; empty when none
    /// comes in time.
    std::string WaitFor(const std::string& prefix,
                        std::chrono::milliseconds timeout = kStepTimeout) {
        const auto deadline = Clock::now() + timeout;
        while (const auto line =
                   m_process->Out().Next(std::chrono::milliseconds(RemainingMs(deadline)))) {
            m_seen += *line + "\n";
            if (line->rfind(prefix, 0) == 0) {
                return *line;
            }
        }
        return std::string();
    }
    /// Whatever it says within `time`.
    std::vector<std::string> LinesWithin(std::chrono::milliseconds time) {
        std::vector<std::string> lines;
        const auto deadline = Clock::now() + time;
        while (const auto line =
                   m_process->Out().Next(std::chrono::milliseconds(RemainingMs(deadline)))) {
            m_seen += *line + "\n";
            lines.push_back(*line);
        }
        return lines;
    }
    /// Every line read so far, for failure messages.
    const std::string& Seen() const { return m_seen; }

    /// SIGTERM, and the exit code once it has ended (-1 when it does not end normally).
    int Stop() {
        m_process->Signal(SIGTERM);
        const auto status = m_process->WaitExit();
        return status && WIFEXITED(*status) ? WEXITSTATUS(*status) : -1;
    }
    ChildProcess& Process() { return *m_process; }

  private:
    std::unique_ptr<ChildProcess> m_process;
    std::string m_seen;
};

/// Input that is no touch: the pointer moved, each time to another place.
void MovePointer() {
    static int step = 0;
    step = (step + 1) % 8;
    TheScreen().PointAt(ScreenWindow(), 100 + 40 * step, 600);
}

bool Guarded() {
    return TheScreen().CoveredBy(kGuard);
}

/// The display's power as `xset q` tells it on the test screen ("On", "Off"); empty when the X
/// server has no DPMS, as Xvfb may have none.
std::string MonitorPower() {
    ChildProcess xset("/usr/bin/xset", {"q"}, ChildSetting{"", TheScreen().Environment()});
    std::string power;
    const std::string label = "Monitor is ";
    while (const auto line = xset.Out().Next()) {
        const std::size_t at = line->find(label);
        if (at != std::string::npos) {
            power = line->substr(at + label.size());
        }
    }
    return power;
}

bool ScreenHasDpms() {
    static const bool has = !MonitorPower().empty();
    return has;
}

/// The power backend as the start line names it.
std::string PowerBackend() {
    return ScreenHasDpms() ? "DPMS" : "none";
}

/// What a line of a change adds for the display's power: nothing without DPMS.
std::string PowerChange(const std::string& change) {
    return ScreenHasDpms() ? ", DPMS " + change : "";
}

}  // namespace

TEST(Display, DimsThenSwitchesOffThenInputBringsItBack) {
    const TempFolder temp("tvx-display");
    const std::string& folder = temp.Path();
    PutLayout(folder, 200, 40, 1, 2);
    FakeBacklight backlight;
    // Minutes of two seconds: the guard left after a move of the pointer goes after a second
    // without input, before the next dim.
    DisplayTool tool(folder, {"--backlight", backlight.Folder(), "--minute-seconds", "2"});
    if (!ScreenHasDpms()) {
        EXPECT_EQ(tool.WaitFor("skipped DPMS"), "skipped DPMS: the X server has no DPMS extension");
    }
    EXPECT_EQ(tool.WaitFor("backends:"), "backends: brightness by backlight " + backlight.Folder() +
                                             " (max_brightness 1000), power by " + PowerBackend());
    EXPECT_EQ(tool.WaitFor("settings:"),
              "settings: on brightness 200 of 255, dim to 40 of 255 after 1 min, off after 2 min");

    // On now, whatever the screen's idle time was at the start; then the steps.
    MovePointer();
    EXPECT_EQ(tool.WaitFor("dim:"), "dim: brightness 40 of 255") << tool.Seen();
    EXPECT_TRUE(backlight.Holds(157)) << backlight.Text();  // 40 of 255 of 1000
    EXPECT_TRUE(WaitUntil(Guarded)) << "no guard over the dimmed screen";
    EXPECT_EQ(tool.WaitFor("off:"), "off: brightness 0 of 255" + PowerChange("off")) << tool.Seen();
    EXPECT_TRUE(backlight.Holds(0)) << backlight.Text();
    if (ScreenHasDpms()) {
        EXPECT_EQ(MonitorPower(), "Off");
    }

    // A move of the pointer brings it back; the guard goes once the input has stopped.
    MovePointer();
    EXPECT_EQ(tool.WaitFor("on:"), "on: brightness 200 of 255" + PowerChange("on")) << tool.Seen();
    if (ScreenHasDpms()) {
        EXPECT_EQ(MonitorPower(), "On");
    }
    EXPECT_TRUE(backlight.Holds(784)) << backlight.Text();
    EXPECT_TRUE(WaitUntil([] { return !Guarded(); }, 3s));

    // And a click, taken by the guard.
    EXPECT_EQ(tool.WaitFor("dim:"), "dim: brightness 40 of 255") << tool.Seen();
    ASSERT_TRUE(WaitUntil(Guarded));
    TheScreen().Click(ScreenWindow(), 640, 512);
    EXPECT_EQ(tool.WaitFor("on:"), "on: brightness 200 of 255") << tool.Seen();
    EXPECT_TRUE(backlight.Holds(784)) << backlight.Text();
    EXPECT_TRUE(WaitUntil([] { return !Guarded(); }, 1s)) << "the guard stayed after the click";
    EXPECT_EQ(tool.Stop(), 0);
}

TEST(Display, StopPutsTheBrightnessBack) {
    struct Case {
        int bright;
        std::string line;
        int value;  ///< in the backlight afterwards
    };
    const Case cases[] = {
        {200, "on: brightness 200 of 255", 784},
        // Not managed: the brightness found before the dim comes back.
        {0, "on: brightness as found before", 500},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const TempFolder temp("tvx-display");
        const std::string& folder = temp.Path();
        PutLayout(folder, c.bright, 40, 1, 2);
        FakeBacklight backlight;
        DisplayTool tool(folder, {"--backlight", backlight.Folder(), "--minute-seconds", "1"});
        EXPECT_EQ(tool.WaitFor("off:"), "off: brightness 0 of 255" + PowerChange("off"))
            << tool.Seen();
        EXPECT_TRUE(backlight.Holds(0)) << backlight.Text();
        EXPECT_TRUE(WaitUntil(Guarded));
        EXPECT_EQ(tool.Stop(), 0);
        EXPECT_EQ(tool.WaitFor("on:"), c.line + PowerChange("on")) << tool.Seen();
        EXPECT_EQ(backlight.Text(), std::to_string(c.value) + "\n");
        EXPECT_FALSE(Guarded()) << "the guard outlived the program";
    }
}

// The touch that wakes the display presses no button: the controller gets nothing from it. The
// next touch presses as usual.
TEST(Display, TheWakingTouchPressesNoButton) {
    ControllerOnLoopback controller;
    ASSERT_TRUE(controller.Listening());
    const std::array<int, 4> address = controller.Address();
    ChildProcess& sim = controller.Process();
    FakeBacklight backlight;
    PanelOnScreen panel([&address](Layout& layout) {
        layout.Form.Form_ConnectModus = 1;
        layout.Form.Destination_IP = address;
        layout.Form.Display_Bright = 200;
        layout.Form.Display_Bright_Dim = 40;
        layout.Form.Display_Off_Dim = 1;
        layout.Form.Display_Off = 2;
    });
    ASSERT_TRUE(panel.Started());
    ASSERT_TRUE(sim.Out().SkipTo("client connected", 10s));
    DisplayTool tool(panel.Folder(), {"--backlight", backlight.Folder(), "--minute-seconds", "2"});

    // Button 1 of the start page (140 x 70 at 215, 136) sends 2.
    constexpr int kButtonX = 285;
    constexpr int kButtonY = 171;
    for (const std::string step : {"dim:", "off:"}) {
        SCOPED_TRACE(step);
        ASSERT_NE(tool.WaitFor(step), "") << tool.Seen();
        ASSERT_TRUE(WaitUntil(Guarded)) << "no guard; " << TheScreen().Describe();
        panel.Touch(kButtonX, kButtonY);
        EXPECT_EQ(tool.WaitFor("on:"), "on: brightness 200 of 255") << tool.Seen();
        EXPECT_TRUE(backlight.Holds(784)) << backlight.Text();
        EXPECT_TRUE(WaitUntil([] { return !Guarded(); }, 1s)) << "the guard stayed";
        std::string controllerGot;
        while (const auto line = sim.Out().Next(500ms)) {
            controllerGot += *line + "; ";
        }
        EXPECT_EQ(controllerGot.find("press"), std::string::npos) << controllerGot;
        EXPECT_EQ(controllerGot.find("release"), std::string::npos) << controllerGot;

        panel.Touch(kButtonX, kButtonY);
        EXPECT_TRUE(sim.Out().SkipTo("press 2"));
        EXPECT_TRUE(sim.Out().SkipTo("release 2"));
    }
    EXPECT_TRUE(panel.Running());
}

TEST(Display, ANewDimTimeTakesEffectWithoutARestart) {
    // A new panel: the folder and its layout come later, from a PC.
    const TempFolder temp("tvx-display");
    const std::string folder = temp.At("panel");
    FakeBacklight backlight;
    DisplayTool tool(folder, {"--backlight", backlight.Folder(), "--minute-seconds", "1"});
    EXPECT_EQ(tool.WaitFor("settings:"),
              "settings: no brightness, dim or off time set, the display is left alone");
    fs::create_directory(folder);
    PutLayout(folder, 200, 40, 30, 0);
    EXPECT_EQ(tool.WaitFor("settings:", 5s),
              "settings: on brightness 200 of 255, dim to 40 of 255 after 30 min, never off");
    MovePointer();
    EXPECT_EQ(tool.WaitFor("dim:", 2s), "") << "dimmed before its time";

    PutLayout(folder, 200, 40, 1, 0);
    EXPECT_EQ(tool.WaitFor("settings:", 5s),
              "settings: on brightness 200 of 255, dim to 40 of 255 after 1 min, never off");
    EXPECT_EQ(tool.WaitFor("dim:"), "dim: brightness 40 of 255") << tool.Seen();
    EXPECT_TRUE(backlight.Holds(157)) << backlight.Text();

    // All 0 while dimmed: the brightness from before the dim comes back, and nothing more.
    PutLayout(folder, 0, 0, 0, 0);
    EXPECT_EQ(tool.WaitFor("settings:", 5s),
              "settings: no brightness, dim or off time set, the display is left alone");
    EXPECT_EQ(tool.WaitFor("on:"), "on: brightness as found before") << tool.Seen();
    EXPECT_TRUE(backlight.Holds(784)) << backlight.Text();
    EXPECT_TRUE(WaitUntil([] { return !Guarded(); }, 1s));
    MovePointer();
    EXPECT_EQ(tool.LinesWithin(3s), std::vector<std::string>{});
    EXPECT_EQ(backlight.Text(), "784\n");
    EXPECT_EQ(tool.Stop(), 0);
}

TEST(Display, AllZeroChangesNothing) {
    const TempFolder temp("tvx-display");
    const std::string& folder = temp.Path();
    PutLayout(folder, 0, 0, 0, 0);
    FakeBacklight backlight;
    struct stat before {};
    ASSERT_EQ(::stat((backlight.Folder() + "/brightness").c_str(), &before), 0);
    DisplayTool tool(folder, {"--backlight", backlight.Folder(), "--minute-seconds", "0.2"});
    EXPECT_EQ(tool.WaitFor("settings:"),
              "settings: no brightness, dim or off time set, the display is left alone");
    MovePointer();
    EXPECT_EQ(tool.LinesWithin(3s), std::vector<std::string>{});
    EXPECT_EQ(tool.Stop(), 0);
    EXPECT_EQ(tool.LinesWithin(200ms), std::vector<std::string>{});

    struct stat after {};
    ASSERT_EQ(::stat((backlight.Folder() + "/brightness").c_str(), &after), 0);
    EXPECT_EQ(backlight.Text(), "500\n");
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    EXPECT_FALSE(TheScreen().HasWindow(kGuard)) << "a window was made";
}

// Without a backlight it can use, the X server's gamma ramps dim the screen. (Xvfb takes the
// ramps without complaint but does not keep them intact for reading back: the test sees that
// no request failed, not the ramps.)
TEST(Display, AMissingOrUnwritableBacklightIsSkipped) {
    FakeBacklight unwritable;
    fs::remove(unwritable.Folder() + "/brightness");
    fs::create_directory(unwritable.Folder() + "/brightness");
    const std::string missing = unwritable.Folder() + "/not-there";
    const std::pair<std::string, std::string> cases[] = {
        {missing, "skipped backlight: no backlight folder " + missing},
        {unwritable.Folder(),
         "skipped backlight: cannot write " + unwritable.Folder() + "/brightness: Is a directory"},
    };
    for (const auto& [backlight, skipped] : cases) {
        SCOPED_TRACE(backlight);
        const TempFolder temp("tvx-display");
        const std::string& folder = temp.Path();
        PutLayout(folder, 200, 40, 1, 0);
        DisplayTool tool(folder, {"--backlight", backlight, "--minute-seconds", "1"});
        EXPECT_EQ(tool.WaitFor("skipped backlight"), skipped);
        EXPECT_EQ(tool.WaitFor("backends:"),
                  "backends: brightness by RandR gamma (1 CRTC), power by " + PowerBackend());
        MovePointer();
        EXPECT_EQ(tool.WaitFor("dim:"), "dim: brightness 40 of 255") << tool.Seen();
        MovePointer();
        EXPECT_EQ(tool.WaitFor("on:"), "on: brightness 200 of 255") << tool.Seen();
        EXPECT_EQ(tool.Stop(), 0);
        tool.LinesWithin(200ms);
        EXPECT_EQ(tool.Seen().find("\ncannot"), std::string::npos) << tool.Seen();
    }
}

// X servers of the test's own, each without an extension the program uses.
TEST(Display, AServerWithoutAnExtension) {
    const TempFolder temp("tvx-display");
    const std::string& folder = temp.Path();
    PutLayout(folder, 200, 40, 1, 2);
    for (const std::string extension : {"MIT-SCREEN-SAVER", "RANDR"}) {
        SCOPED_TRACE(extension);
        ChildProcess server("/usr/bin/Xvfb", {"-displayfd", "1", "-screen", "0", "640x480x24",
                                              "-nolisten", "tcp", "-extension", extension});
        const auto number = server.Out().Next(10s);
        ASSERT_TRUE(number);
        std::vector<std::string> environment = TheScreen().Environment();
        environment.push_back("DISPLAY=:" + *number);
        DisplayTool tool(folder, {"--backlight", folder + "/none", "--minute-seconds", "0.1"},
                         environment);
        if (extension == "MIT-SCREEN-SAVER") {
            const auto status = tool.Process().WaitExit();
            ASSERT_TRUE(status && WIFEXITED(*status));
            EXPECT_EQ(WEXITSTATUS(*status), 1);
            EXPECT_EQ(tool.Process().Err().Next(),
                      "tvx-display: the X server of :" + *number +
                          " has no screen saver extension (MIT-SCREEN-SAVER) to tell the idle "
                          "time");
            continue;
        }
        EXPECT_EQ(tool.WaitFor("skipped RandR"),
                  "skipped RandR gamma: the X server has no RandR 1.2");
        // (Its Xvfb has DPMS when the test screen's has it.)
        EXPECT_EQ(tool.WaitFor("backends:"),
                  "backends: brightness by none, power by " + PowerBackend());
        EXPECT_EQ(tool.WaitFor("off:"),
                  ScreenHasDpms() ? "off: DPMS off" : "off: no brightness control")
            << tool.Seen();
        EXPECT_EQ(tool.Stop(), 0);
    }
}

// The X server ends while the display is off (the session ended): the backlight, which does not
// end with it, is put back before the program ends.
TEST(Display, TheBacklightComesBackWhenTheServerEnds) {
    const TempFolder temp("tvx-display");
    const std::string& folder = temp.Path();
    PutLayout(folder, 200, 40, 1, 2);
    FakeBacklight backlight;
    ChildProcess server("/usr/bin/Xvfb",
                        {"-displayfd", "1", "-screen", "0", "640x480x24", "-nolisten", "tcp"});
    const auto number = server.Out().Next(10s);
    ASSERT_TRUE(number);
    std::vector<std::string> environment = TheScreen().Environment();
    environment.push_back("DISPLAY=:" + *number);
    DisplayTool tool(folder, {"--backlight", backlight.Folder(), "--minute-seconds", "0.2"},
                     environment);
    EXPECT_EQ(tool.WaitFor("off:"), "off: brightness 0 of 255" + PowerChange("off")) << tool.Seen();
    EXPECT_TRUE(backlight.Holds(0)) << backlight.Text();

    server.Signal(SIGTERM);
    const auto status = tool.Process().WaitExit();
    ASSERT_TRUE(status && WIFEXITED(*status));
    EXPECT_EQ(WEXITSTATUS(*status), 1);
    EXPECT_EQ(tool.Process().Err().Next(), "tvx-display: lost the X display :" + *number);
    EXPECT_EQ(tool.WaitFor("on:"), "on: brightness 200 of 255") << tool.Seen();
    EXPECT_EQ(backlight.Text(), "784\n");
}
