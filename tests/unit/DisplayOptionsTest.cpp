#include "DisplayOptions.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "OptionsReading.h"

namespace {

using namespace std::chrono_literals;

TEST(DisplayOptions, ReadsTheFolderAndTheOptions) {
    struct Case {
        std::vector<std::string> args;
        std::string error;  ///< empty: good
        std::string folder;
        std::string backlight;  ///< empty: none given
        std::chrono::milliseconds minute;
    };
    const Case cases[] = {
        {{"layout"}, "", "layout", "", 60s},
        {{"--minute-seconds", "1", "--backlight", "/tmp/bl", "layout"},
         "",
         "layout",
         "/tmp/bl",
         1s},
        {{"layout", "--minute-seconds=0.25", "--backlight=bl"}, "", "layout", "bl", 250ms},
        {{"--", "-layout"}, "", "-layout", "", 60s},
        {{}, "no layout folder given", "", "", 60s},
        {{"one", "two"}, "one layout folder only, not also two", "one", "", 60s},
        {{""}, "the layout folder is an empty name", "", "", 60s},
        {{"layout", "--minute-seconds", "0"},
         "bad --minute-seconds value (want seconds above 0, at most 86400): 0",
         "layout",
         "",
         60s},
        {{"layout", "--minute-seconds", "x"},
         "bad --minute-seconds value (want seconds above 0, at most 86400): x",
         "layout",
         "",
         60s},
        {{"layout", "--backlight"}, "missing value for --backlight", "layout", "", 60s},
        {{"layout", "--backlight="}, "bad --backlight value (an empty name): ", "layout", "", 60s},
        {{"layout", "--dim", "3"}, "unknown option: --dim", "layout", "", 60s},
    };
    for (const Case& c : cases) {
        const auto result = ReadOptions(DisplayCommandLine, c.args);
        const std::string what = testing::PrintToString(c.args);
        EXPECT_EQ(result.reading.error, c.error) << what;
        EXPECT_EQ(result.options.folder, c.folder) << what;
        EXPECT_EQ(result.options.backlight.value_or(""), c.backlight) << what;
        EXPECT_EQ(result.options.minute, c.minute) << what;
    }
    const auto help = ReadOptions(DisplayCommandLine, {"--help"});
    EXPECT_EQ(help.reading.error, "");
    EXPECT_EQ(help.reading.action, CommandLineReading::Action::Help);
}

}  // namespace
