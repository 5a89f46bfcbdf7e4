// The panel program's command line, on the real binary: a folder starts the panel at once, the
// options answer without a display, and without a folder the chooser opens in the working folder.

#include <sys/wait.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "PanelOnScreen.h"
#include "TempFolder.h"

namespace {

using namespace std::chrono_literals;

const std::string kPanelPath = std::string(TVX_BINARY_DIR) + "/tolvamix";

/// The panel run with `args` and no display at all (or the given `display`, which is not there),
/// to its end.
FinishedRun RunWithoutDisplay(const std::vector<std::string>& args,
                              const std::string& display = std::string()) {
    return RunToEnd(
        kPanelPath, args,
        ChildSetting{"", {display.empty() ? "DISPLAY" : "DISPLAY=" + display, "WAYLAND_DISPLAY"}});
}

const char* const kUsage =
    "usage: tolvamix [--wait-for-layout] [--lock-after SECONDS] [LAYOUT-FOLDER]";

}  // namespace

TEST(CommandLine, OptionsAnswerWithoutADisplay) {
    const FinishedRun help = RunWithoutDisplay({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    ASSERT_FALSE(help.out.empty());
    EXPECT_EQ(help.out.front(), kUsage);
    EXPECT_TRUE(help.err.empty());

    const FinishedRun version = RunWithoutDisplay({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    ASSERT_EQ(version.out.size(), 1u);
    EXPECT_EQ(version.out.front().rfind("tolvamix 1.", 0), 0u) << version.out.front();

    for (const std::vector<std::string>& wrong :
         {std::vector<std::string>{"--bogus"}, std::vector<std::string>{"one", "two"},
          std::vector<std::string>{"--wait-for-layout"},
          std::vector<std::string>{"--lock-after", "0", "demo"}}) {
        const FinishedRun refused = RunWithoutDisplay(wrong);
        EXPECT_EQ(refused.exitCode, 2);
        EXPECT_TRUE(refused.out.empty());
        ASSERT_GE(refused.err.size(), 2u);
        EXPECT_EQ(refused.err[1], kUsage);
    }
}

// Started without a display, or with one that is not there, the panel says so in one line and
// ends with an error, before it looks at its folder.
TEST(CommandLine, WithoutADisplayThePanelSaysSoInOneLine) {
    const struct {
        std::string display;
        std::string line;
    } cases[] = {
        {"", "tolvamix: no display: DISPLAY is not set"},
        {":59999", "tolvamix: cannot open the display :59999"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.display);
        const FinishedRun finished =
            RunWithoutDisplay({std::string(TVX_SOURCE_DIR) + "/demo"}, c.display);
        EXPECT_EQ(finished.exitCode, 1);
        EXPECT_TRUE(finished.out.empty());
        // A line for the journal: with the time in front where standard error is no journal.
        ASSERT_EQ(finished.err.size(), 1u);
        EXPECT_TRUE(std::regex_match(
            finished.err.front(),
            std::regex("[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2} " + c.line)))
            << finished.err.front();
    }
}

// Started by hand on a folder without a layout, or on no folder at all: the message, and after
// "OK" the end with code 1, a start that failed.
TEST(CommandLine, AFolderWithoutALayoutEndsWithTheMessage) {
    const TempFolder temp("tvx-empty-folder");
    const std::string& empty = temp.Path();
    for (const std::string& folder : {empty, empty + "/not-there"}) {
        SCOPED_TRACE(folder);
        ChildProcess panel(kPanelPath, {folder}, ChildSetting{"", TheScreen().Environment()});
        ScreenWindow box;
        ASSERT_TRUE(WaitUntil(
            [&box] {
                const std::vector<ScreenWindow> windows = TheScreen().Stacking();
                if (windows.empty() || !windows.front().title.empty()) {
                    return false;
                }
                box = windows.front();
                return true;
            },
            20s))
            << TheScreen().Describe();
        std::this_thread::sleep_for(300ms);
        ClickMessageButton(box);
        const auto status = panel.WaitExit(10s);
        ASSERT_TRUE(status.has_value());
        EXPECT_TRUE(WIFEXITED(*status));
        EXPECT_EQ(WEXITSTATUS(*status), 1);
    }
}

// Started without a folder in its layout folder, the panel's chooser opens there: taking it as
// it is starts the panel.
TEST(CommandLine, TheChooserOpensInTheWorkingFolder) {
    PanelOnScreen panel({}, PanelOnScreen::Start::InTheChooser);
    EXPECT_TRUE(panel.Started());
}

// A folder relative to the working folder, and one whose name is not UTF-8: the panel finds its
// layout by the name's bytes.
TEST(CommandLine, TheFolderIsFoundByTheBytesOfItsName) {
    const TempFolder temp("tvx-folder-names");
    const std::string& parent = temp.Path();
    for (const std::string& folder : {std::string("layout"), parent + "/\xFF\xFE-latin"}) {
        SCOPED_TRACE(testing::PrintToString(folder));
        const std::string copy = folder.front() == '/' ? folder : parent + "/" + folder;
        std::filesystem::copy(std::string(TVX_SOURCE_DIR) + "/demo", copy);
        {
            ChildProcess panel(kPanelPath, {folder},
                               ChildSetting{parent, TheScreen().Environment()});
            ScreenWindow window;
            EXPECT_TRUE(
                WaitUntil([&window] { return TheScreen().Find("Erdgeschoss", window); }, 20s))
                << TheScreen().Describe();
        }
        WaitUntil([] { return TheScreen().Stacking().empty(); }, 5s);
    }
}
