#include "model/StartOptions.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "OptionsReading.h"

namespace {

using namespace std::chrono_literals;
using Action = CommandLineReading::Action;

TEST(StartOptions, ReadsTheFolderAndTheOptions) {
    const struct {
        std::vector<std::string> args;
        Action action;
        std::string folder;
        bool wait = false;
        std::chrono::seconds lockTime = IdleLock::kLockTime;
    } cases[] = {
        {{}, Action::Run, ""},
        {{"/srv/panel"}, Action::Run, "/srv/panel"},
        {{"demo"}, Action::Run, "demo"},
        {{"--help"}, Action::Help, ""},
        {{"-h"}, Action::Help, ""},
        {{"demo", "--version"}, Action::Version, "demo"},
        {{"--version", "--bogus"}, Action::Version, ""},
        {{"--", "-folder-with-a-dash"}, Action::Run, "-folder-with-a-dash"},
        {{"--", "--help"}, Action::Run, "--help"},
        {{"-"}, Action::Run, "-"},
        {{"--bogus"}, Action::Wrong, ""},
        {{"-x", "demo"}, Action::Wrong, ""},
        {{"one", "two"}, Action::Wrong, "one"},
        {{""}, Action::Wrong, ""},
        {{"--", "a", "--", "b"}, Action::Wrong, "a"},
        {{"--wait-for-layout", "/srv/panel"}, Action::Run, "/srv/panel", true},
        {{"/srv/panel", "--wait-for-layout"}, Action::Run, "/srv/panel", true},
        {{"--", "--wait-for-layout"}, Action::Run, "--wait-for-layout"},
        {{"--wait-for-layout"}, Action::Wrong, "", true},
        {{"--lock-after", "20", "demo"}, Action::Run, "demo", false, 20s},
        {{"demo", "--lock-after", "86400"}, Action::Run, "demo", false, 24h},
        {{"--lock-after", "0", "demo"}, Action::Wrong, ""},
        {{"--lock-after", "86401", "demo"}, Action::Wrong, ""},
        {{"--lock-after", "-5", "demo"}, Action::Wrong, ""},
        {{"--lock-after", "5s", "demo"}, Action::Wrong, ""},
        {{"demo", "--lock-after"}, Action::Wrong, "demo"},
        {{"--", "--lock-after", "20"}, Action::Wrong, "--lock-after"},
    };
    for (const auto& c : cases) {
        std::string trace;
        for (const std::string& arg : c.args) {
            trace += "[" + arg + "]";
        }
        SCOPED_TRACE(trace);
        const auto read = ReadOptions(StartCommandLine, c.args);
        EXPECT_EQ(read.reading.action, c.action);
        EXPECT_EQ(read.options.folder, c.folder);
        EXPECT_EQ(read.options.waitForLayout, c.wait);
        if (c.action == Action::Run) {
            EXPECT_EQ(read.options.lockTime, c.lockTime);
        }
        EXPECT_EQ(read.reading.error.empty(), c.action != Action::Wrong);
    }
}

TEST(StartOptions, TheProblemNamesTheWrongArgument) {
    const auto error = [](const std::vector<std::string>& args) {
        return ReadOptions(StartCommandLine, args).reading.error;
    };
    EXPECT_EQ(error({"--bogus"}), "unknown option: --bogus");
    EXPECT_EQ(error({"a", "b"}), "one layout folder only, not also b");
    EXPECT_EQ(error({"--wait-for-layout"}), "--wait-for-layout needs the layout folder");
    EXPECT_EQ(error({"--lock-after", "x"}),
              "bad --lock-after value (want seconds from 1 to 86400): x");
    StartOptions options;
    const std::string help = HelpText(StartCommandLine(options));
    EXPECT_EQ(
        help.rfind("usage: tolvamix [--wait-for-layout] [--lock-after SECONDS] [LAYOUT-FOLDER]\n",
                   0),
        0u);
    EXPECT_NE(help.find("(default 300)"), std::string::npos);
}

}  // namespace
