#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

/// The exit code of every program after a wrong command line.
constexpr int kWrongCommandLineExit = 2;

/// Reads one value: an option's, or an argument that is no option. Returns why the value is
/// bad, or an empty string when it is good.
using ValueTaker = std::function<std::string(const std::string& value)>;

/// One option of a program: how --help shows it and how its value is read.
struct CommandOption {
    std::string name;      ///< "--listen"
    std::string argument;  ///< the value as --help shows it ("ADDR:PORT"); empty: no value
    std::string help;      ///< its text in --help, lines separated by '\n'
    /// Reads the value; for an option without one, it is called with an empty string. Why a
    /// value is bad reads as the parenthesis of "bad --NAME value (WHY): VALUE".
    ValueTaker take;
    bool repeatable = false;  ///< may be given more than once: the usage line says "..."
    /// When set, --help starts a block of options here, under this line.
    std::string heading{};
};

/// An argument that is no option, as --help lists it.
struct CommandArgument {
    std::string name;
    std::string help;
};

/// A program's command line: what --help says, and how each argument is read.
struct CommandLineTable {
    std::string program;  ///< the name in every line the reader prints
    /// The arguments after the options in the usage line, e.g. "FOLDER HOST[:PORT]...".
    std::string arguments;
    std::string about;                    ///< the paragraphs between the usage and the options
    std::vector<CommandArgument> listed;  ///< arguments listed before the options
    std::vector<CommandOption> options;
    std::string more;  ///< the paragraphs after the options
    /// Reads each argument that is no option, in their order, and says why one is wrong; null
    /// when the program takes none.
    ValueTaker takeArgument;
    /// Once every argument is read, says why the command line as a whole is wrong (a needed
    /// argument missing); null when anything goes.
    std::function<std::string()> check;
};

/// Takes the one argument, which names `what` ("layout folder"), into `value`: an empty name
/// and a second argument are wrong.
ValueTaker TakeOneArgument(std::string& value, const std::string& what);

/// What a command line asks for.
struct CommandLineReading {
    enum class Action {
        Run,      ///< the values are read: run the program
        Help,     ///< print the help text and end
        Version,  ///< print the version line and end
        Wrong,    ///< print `error` with the usage and end with kWrongCommandLineExit
    };
    Action action = Action::Run;
    std::string error;
};

/// Reads the arguments after the program's name into the values the table's takers fill.
/// Options are given as "--name value" or "--name=value"; "--" ends them, so that an argument
/// may start with a dash, and so does "-" on its own. The first "--help" (or "-h") or
/// "--version" answers at once, whatever follows it; before that the first wrong argument
/// ends the reading.
CommandLineReading ReadCommandLine(const CommandLineTable& table,
                                   const std::vector<std::string>& args);

/// The text of --help: the usage lines (the options wrapped within 80 columns, then a line for
/// --help and --version), `about`, the arguments and options with their text from column 23,
/// --help and --version at the end of the first block, then `more`.
std::string HelpText(const CommandLineTable& table);

/// The one line of --version: the program's name and the build's version.
std::string VersionLine(const std::string& program, const std::string& version);

/// What a wrong command line prints on standard error: "PROGRAM: ERROR", the usage lines, and
/// where to read more.
std::string WrongCommandLineText(const CommandLineTable& table, const std::string& error);

/// Prints WrongCommandLineText on standard error; returns kWrongCommandLineExit. Also for what
/// a program finds wrong after reading (a folder that is not there).
int RefuseCommandLine(const CommandLineTable& table, const std::string& error);

/// Reads `argv` after the program's name and answers what is not a run: --help on standard
/// output, --version likewise, a wrong command line on standard error. Returns the exit code
/// then (0, 0, kWrongCommandLineExit), nothing when the program is to run.
std::optional<int> AnswerCommandLine(const CommandLineTable& table, int argc, char** argv,
                                     const char* version);
