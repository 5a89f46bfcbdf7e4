#include "cli/CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Action = CommandLineReading::Action;

/// What the made-up program's command line fills in.
struct Values {
    std::string listen = "unset";
    bool quiet = false;
    std::vector<std::string> allowed;
    std::vector<std::string> folders;
};

/// A program with an option with a value, a repeatable one, one without a value and, when
/// `takesFolders`, one or more folders.
CommandLineTable TryCommandLine(Values& values, bool takesFolders = true) {
    CommandLineTable table;
    table.program = "tvx-try";
    table.about = "About it.\n";
    table.listed = {{"FOLDER", "a folder"}};
    table.options = {
        {"--listen", "ADDR:PORT", "where to listen,\non two lines",
         [&values](const std::string& value) {
             if (value == "bad") {
                 return "want good";
             }
             values.listen = value;
             return "";
         }},
        {"--a-rather-long-option", "VALUE", "a long one", [](const std::string&) { return ""; }},
        {"--allow", "ADDR", "who may",
         [&values](const std::string& value) {
             values.allowed.push_back(value);
             return "";
         },
         true},
        {"--quiet", "", "no lines",
         [&values](const std::string&) {
             values.quiet = true;
             return "";
         },
         false, "Quiet ones:"},
    };
    table.more = "More.\n";
    if (takesFolders) {
        table.arguments = "FOLDER...";
        table.takeArgument = [&values](const std::string& folder) -> std::string {
            if (folder == "stop") {
                return "no stop";
            }
            values.folders.push_back(folder);
            return "";
        };
        table.check = [&values]() -> std::string {
            return values.folders.empty() ? "no folder given" : "";
        };
    }
    return table;
}

TEST(CommandLine, ReadsOptionsAndArgumentsOrOneError) {
    using Folders = std::vector<std::string>;
    const struct {
        std::vector<std::string> args;
        Action action;
        std::string error;
        std::string listen = "unset";
        Folders folders = {};
    } cases[] = {
        {{"--listen", "x", "f"}, Action::Run, "", "x", {"f"}},
        {{"f", "--listen=x=y"}, Action::Run, "", "x=y", {"f"}},
        {{"--listen=", "f"}, Action::Run, "", "", {"f"}},
        // A value is taken as it comes, dashes and all.
        {{"--listen", "--quiet", "f"}, Action::Run, "", "--quiet", {"f"}},
        {{"--listen", "--help", "f"}, Action::Run, "", "--help", {"f"}},
        // "-" is an argument; after "--" everything is.
        {{"-", "--", "-x", "--help"}, Action::Run, "", "unset", {"-", "-x", "--help"}},
        {{""}, Action::Run, "", "unset", {""}},
        {{"f", "--listen"}, Action::Wrong, "missing value for --listen", "unset", {"f"}},
        {{"--listen", "bad", "f"}, Action::Wrong, "bad --listen value (want good): bad"},
        {{"--quiet=1", "f"}, Action::Wrong, "--quiet takes no value"},
        {{"--bogus=1", "f"}, Action::Wrong, "unknown option: --bogus=1"},
        {{"-x", "f"}, Action::Wrong, "unknown option: -x"},
        {{"f", "stop", "g"}, Action::Wrong, "no stop", "unset", {"f"}},
        {{}, Action::Wrong, "no folder given"},
        // The first --help or --version answers, whatever comes after it; a wrong argument
        // before it ends the reading first. Neither needs the folder.
        {{"--help"}, Action::Help, ""},
        {{"-h", "--bogus"}, Action::Help, ""},
        {{"--version", "--listen"}, Action::Version, ""},
        {{"--listen", "x", "--version"}, Action::Version, "", "x"},
        {{"--bogus", "--help"}, Action::Wrong, "unknown option: --bogus"},
        {{"--help=all"}, Action::Wrong, "--help takes no value"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        Values values;
        const CommandLineReading reading = ReadCommandLine(TryCommandLine(values), c.args);
        EXPECT_EQ(reading.action, c.action);
        EXPECT_EQ(reading.error, c.error);
        EXPECT_EQ(values.listen, c.listen);
        EXPECT_EQ(values.folders, c.folders);
    }

    Values values;
    EXPECT_EQ(ReadCommandLine(TryCommandLine(values), {"--allow", "a", "--quiet", "--allow=b", "f"})
                  .action,
              Action::Run);
    EXPECT_EQ(values.allowed, (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(values.quiet);

    const CommandLineReading none = ReadCommandLine(TryCommandLine(values, false), {"f"});
    EXPECT_EQ(none.action, Action::Wrong);
    EXPECT_EQ(none.error, "unexpected argument: f");
}

TEST(CommandLine, HelpAndErrorTexts) {
    Values values;
    const CommandLineTable table = TryCommandLine(values);
    const std::string usage =
        "usage: tvx-try [--listen ADDR:PORT] [--a-rather-long-option VALUE]\n"
        "               [--allow ADDR]... [--quiet] FOLDER...\n";
    EXPECT_EQ(HelpText(table), usage +
                                   "       tvx-try --help | --version\n"
                                   "\n"
                                   "About it.\n"
                                   "\n"
                                   "  FOLDER              a folder\n"
                                   "  --listen ADDR:PORT  where to listen,\n"
                                   "                      on two lines\n"
                                   "  --a-rather-long-option VALUE\n"
                                   "                      a long one\n"
                                   "  --allow ADDR        who may\n"
                                   "  --help              print this text and end\n"
                                   "  --version           print the version and end\n"
                                   "\n"
                                   "Quiet ones:\n"
                                   "  --quiet             no lines\n"
                                   "\n"
                                   "More.\n");
    EXPECT_EQ(WrongCommandLineText(table, "unknown option: --bogus"),
              "tvx-try: unknown option: --bogus\n" + usage +
                  "Try 'tvx-try --help' for more information.\n");

    // A program started with no arguments at all, not even its name, runs as without options.
    char* noArguments[] = {nullptr};
    EXPECT_EQ(AnswerCommandLine(TryCommandLine(values, false), 0, noArguments, "1.0"),
              std::nullopt);
}

}  // namespace
