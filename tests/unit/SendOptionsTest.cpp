#include "SendOptions.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "OptionsReading.h"

namespace {

using namespace std::chrono_literals;

std::vector<std::string> Shown(const SendOptions& options) {
    std::vector<std::string> panels;
    for (const PanelTarget& panel : options.panels) {
        panels.push_back(panel.Shown());
    }
    return panels;
}

TEST(SendOptions, ReadsTheFolderThenThePanels) {
    struct Case {
        std::vector<std::string> args;
        std::string error;  ///< empty: good
        std::string folder;
        std::vector<std::string> panels;
    };
    const Case cases[] = {
        {{"layout", "10.0.0.5"}, "", "layout", {"10.0.0.5:4001"}},
        {{"layout", "10.0.0.5", "panel-b:4002"}, "", "layout", {"10.0.0.5:4001", "panel-b:4002"}},
        {{"--timeout", "3", "layout", "10.0.0.5", "--connect-timeout=0.5"},
         "",
         "layout",
         {"10.0.0.5:4001"}},
        // After "--" a folder may start with a dash.
        {{"--", "-layout", "10.0.0.5"}, "", "-layout", {"10.0.0.5:4001"}},
        {{}, "no layout folder and no panel given", "", {}},
        {{"layout"}, "no panel to send to", "layout", {}},
        {{"layout", "10.0.0.500"},
         "not an IPv4 address or host name, with an optional :PORT: 10.0.0.500",
         "layout",
         {}},
        {{"", "10.0.0.5"}, "the layout folder is an empty name", "", {}},
        {{"layout", "10.0.0.5", "--timeout", "0"},
         "bad --timeout value (want seconds above 0, at most 86400): 0",
         "layout",
         {"10.0.0.5:4001"}},
        {{"layout", "10.0.0.5", "--connect-timeout"},
         "missing value for --connect-timeout",
         "layout",
         {"10.0.0.5:4001"}},
        {{"layout", "10.0.0.5", "--force"}, "unknown option: --force", "layout", {"10.0.0.5:4001"}},
    };
    for (const Case& c : cases) {
        const auto result = ReadOptions(SendCommandLine, c.args);
        EXPECT_EQ(result.reading.error, c.error) << testing::PrintToString(c.args);
        EXPECT_EQ(result.options.folder, c.folder) << testing::PrintToString(c.args);
        EXPECT_EQ(Shown(result.options), c.panels) << testing::PrintToString(c.args);
    }
}

TEST(SendOptions, TimeoutsAndHelp) {
    auto result = ReadOptions(SendCommandLine, {"layout", "10.0.0.5"});
    EXPECT_EQ(result.options.timeouts.connect, 2s);
    EXPECT_EQ(result.options.timeouts.step, 10s);
    result =
        ReadOptions(SendCommandLine, {"--connect-timeout", "0.25", "--timeout=1.5", "layout", "p"});
    EXPECT_EQ(result.options.timeouts.connect, 250ms);
    EXPECT_EQ(result.options.timeouts.step, 1500ms);
    // --help needs nothing else.
    result = ReadOptions(SendCommandLine, {"--help"});
    EXPECT_EQ(result.reading.error, "");
    EXPECT_EQ(result.reading.action, CommandLineReading::Action::Help);
}

}  // namespace
