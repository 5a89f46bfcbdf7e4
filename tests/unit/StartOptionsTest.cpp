#include "model/StartOptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Action = StartOptions::Action;

TEST(StartOptions, ReadsTheFolderAndTheOptions) {
    const struct {
        std::vector<std::string> args;
        Action action;
        std::string folder;
        bool wait = false;
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
    };
    for (const auto& c : cases) {
        std::string trace;
        for (const std::string& arg : c.args) {
            trace += "[" + arg + "]";
        }
        SCOPED_TRACE(trace);
        const StartOptions options = ParseStartOptions(c.args);
        EXPECT_EQ(options.action, c.action);
        EXPECT_EQ(options.folder, c.folder);
        EXPECT_EQ(options.waitForLayout, c.wait);
        EXPECT_EQ(options.problem.empty(), c.action != Action::Wrong);
    }
}

TEST(StartOptions, TheProblemNamesTheWrongArgument) {
    EXPECT_EQ(ParseStartOptions({"--bogus"}).problem, "unknown option --bogus");
    EXPECT_EQ(ParseStartOptions({"a", "b"}).problem, "one layout folder only, not also b");
    EXPECT_EQ(ParseStartOptions({"--wait-for-layout"}).problem,
              "--wait-for-layout needs the layout folder");
    EXPECT_NE(StartUsage("tolvamix").find("usage: tolvamix [--wait-for-layout] [LAYOUT-FOLDER]"),
              std::string::npos);
}

}  // namespace
