// Every program's command line, on the real binaries and without a display: --help, --version
// and a wrong command line answer alike everywhere, with the same version line, one error
// format and exit code 2.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "BuildVersion.h"
#include "ChildProcess.h"

namespace {

/// A program, and a command line of each kind of mistake with what it says to that.
struct Program {
    std::string name;
    std::vector<std::string> missing;  ///< a value or an argument missing
    std::string missingError;
    std::vector<std::string> bad;  ///< a value that cannot be used
    std::string badError;
};

const Program kPrograms[] = {
    {"tolvamix",
     {"--wait-for-layout"},
     "--wait-for-layout needs the layout folder",
     {"--lock-after", "0", "demo"},
     "bad --lock-after value (want seconds from 1 to 86400): 0"},
    {"tvx-sim",
     {"--listen"},
     "missing value for --listen",
     {"--mode", "blink"},
     "bad --mode value (want toggle, follow or none): blink"},
    {"tvx-receive",
     {"--into"},
     "missing value for --into",
     {"--max-connections", "0"},
     "bad --max-connections value (want a number from 1 to 10000): 0"},
    {"tvx-send",
     {"layout"},
     "no panel to send to",
     {"--timeout", "0", "layout", "127.0.0.1"},
     "bad --timeout value (want seconds above 0, at most 86400): 0"},
    {"tvx-display",
     {},
     "no layout folder given",
     {"--minute-seconds", "a minute", "layout"},
     "bad --minute-seconds value (want seconds above 0, at most 86400): a minute"},
};

FinishedRun RunProgram(const Program& program, const std::vector<std::string>& args) {
    return RunToEnd(std::string(TVX_BINARY_DIR) + "/" + program.name, args,
                    ChildSetting{"", {"DISPLAY", "WAYLAND_DISPLAY"}});
}

/// The one error format: the program and the error, the usage lines, where to read more.
void ExpectRefused(const FinishedRun& run, const std::string& program, const std::string& error) {
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, std::vector<std::string>{});
    ASSERT_GE(run.err.size(), 3u);
    EXPECT_EQ(run.err.front(), program + ": " + error);
    EXPECT_EQ(run.err[1].rfind("usage: " + program + " ", 0), 0u) << run.err[1];
    for (std::size_t i = 2; i + 1 < run.err.size(); ++i) {
        EXPECT_EQ(run.err[i].rfind(std::string(program.size() + 8, ' ') + "[", 0), 0u)
            << "a usage line: " << run.err[i];
    }
    EXPECT_EQ(run.err.back(), "Try '" + program + " --help' for more information.");
}

TEST(CommandLines, EveryProgramAnswersAlike) {
    for (const Program& program : kPrograms) {
        SCOPED_TRACE(program.name);
        const FinishedRun help = RunProgram(program, {"--help"});
        EXPECT_EQ(help.exitCode, 0);
        EXPECT_EQ(help.err, std::vector<std::string>{});
        ASSERT_GE(help.out.size(), 2u);
        EXPECT_EQ(help.out[0].rfind("usage: " + program.name + " ", 0), 0u) << help.out[0];
        const auto helpLine = std::find(help.out.begin(), help.out.end(),
                                        "       " + program.name + " --help | --version");
        EXPECT_NE(helpLine, help.out.end());

        const FinishedRun version = RunProgram(program, {"--version"});
        EXPECT_EQ(version.exitCode, 0);
        EXPECT_EQ(version.err, std::vector<std::string>{});
        EXPECT_EQ(version.out, std::vector<std::string>{program.name + " " + kBuildVersion});

        ExpectRefused(RunProgram(program, {"--bogus"}), program.name, "unknown option: --bogus");
        ExpectRefused(RunProgram(program, program.missing), program.name, program.missingError);
        ExpectRefused(RunProgram(program, program.bad), program.name, program.badError);
    }
}

}  // namespace
