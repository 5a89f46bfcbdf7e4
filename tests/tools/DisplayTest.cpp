// build/tvx-display started wrongly, as a user or a unit file may start it: a bad command line or
// folder, and no X display to work on. Its work on a display is tried on the test screen.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ChildProcess.h"

namespace {

const std::string kDisplayPath = std::string(TVX_BINARY_DIR) + "/tvx-display";

TEST(DisplayTool, AStartItCannotWorkWith) {
    const std::string folder = testing::TempDir() + "tvx-display-tool";
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "/file") << "no folder";
    struct Case {
        std::vector<std::string> args;
        std::vector<std::string> environment;
        int exitCode;
        std::string error;  ///< the first line on standard error
        bool usage;
    };
    const Case cases[] = {
        {{}, {}, 2, "tvx-display: no layout folder given", true},
        {{folder + "/file"}, {}, 2, "tvx-display: not a folder: " + folder + "/file", true},
        {{"--minute-seconds", "-1", folder},
         {},
         2,
         "tvx-display: bad --minute-seconds value (want seconds above 0, at most 86400): -1",
         true},
        {{folder},
         {"DISPLAY"},
         1,
         "tvx-display: cannot open the X display (DISPLAY is not set)",
         false},
        {{folder}, {"DISPLAY=:99999"}, 1, "tvx-display: cannot open the X display :99999", false},
    };
    for (const Case& c : cases) {
        const std::string shown = testing::PrintToString(c.args);
        const FinishedRun run = RunToEnd(kDisplayPath, c.args, ChildSetting{"", c.environment});
        EXPECT_EQ(run.exitCode, c.exitCode) << shown;
        EXPECT_EQ(run.out, std::vector<std::string>{}) << shown;
        ASSERT_FALSE(run.err.empty()) << shown;
        EXPECT_EQ(run.err.front(), c.error) << shown;
        EXPECT_EQ(run.err.size() > 1 && run.err[1].rfind("usage: tvx-display ", 0) == 0, c.usage)
            << shown;
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
