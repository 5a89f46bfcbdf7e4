#include "cli/CommandLine.h"

#include <algorithm>
#include <cstdio>

namespace {

/// The column where the text of an argument or option begins in --help.
constexpr std::size_t kTextColumn = 22;
/// The usage lines end before this column.
constexpr std::size_t kWidth = 80;

const CommandOption kHelpOption{"--help", "", "print this text and end", nullptr};
const CommandOption kVersionOption{"--version", "", "print the version and end", nullptr};

std::string Shown(const CommandOption& option) {
    return option.argument.empty() ? option.name : option.name + " " + option.argument;
}

/// "usage: PROGRAM [--name ARG]... ARGUMENTS", wrapped under the first option.
std::string UsageLines(const CommandLineTable& table) {
    std::vector<std::string> words;
    for (const CommandOption& option : table.options) {
        words.push_back("[" + Shown(option) + "]" + (option.repeatable ? "..." : ""));
    }
    std::size_t start = 0;
    while (start < table.arguments.size()) {
        const std::size_t end = std::min(table.arguments.find(' ', start), table.arguments.size());
        if (end > start) {
            words.push_back(table.arguments.substr(start, end - start));
        }
        start = end + 1;
    }
    std::string line = "usage: " + table.program;
    const std::string indent(line.size() + 1, ' ');
    std::string text;
    bool lineHasWord = false;
    for (const std::string& word : words) {
        if (lineHasWord && line.size() + 1 + word.size() > kWidth) {
            text += line + "\n";
            line = indent + word;
        } else {
            line += " " + word;
        }
        lineHasWord = true;
    }
    return text + line + "\n";
}

/// One entry of the lists: the name from column 3, its text from kTextColumn, further lines of
/// the text under its first.
std::string Row(const std::string& name, const std::string& help) {
    std::string row = "  " + name;
    const std::string indent(kTextColumn, ' ');
    if (row.size() + 1 > kTextColumn) {
        row += "\n" + indent;
    } else {
        row.resize(kTextColumn, ' ');
    }
    for (const char c : help) {
        row += c;
        if (c == '\n') {
            row += indent;
        }
    }
    return row + "\n";
}

}  // namespace

ValueTaker TakeOneArgument(std::string& value, const std::string& what) {
    return [&value, what](const std::string& argument) -> std::string {
        if (argument.empty()) {
            return "the " + what + " is an empty name";
        }
        if (!value.empty()) {
            return "one " + what + " only, not also " + argument;
        }
        value = argument;
        return "";
    };
}

CommandLineReading ReadCommandLine(const CommandLineTable& table,
                                   const std::vector<std::string>& args) {
    CommandLineReading reading;
    const auto answer = [&reading](CommandLineReading::Action action, const std::string& error) {
        reading.action = action;
        reading.error = error;
        return reading;
    };
    const auto wrong = [&answer](const std::string& error) {
        return answer(CommandLineReading::Action::Wrong, error);
    };
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            if (!table.takeArgument) {
                return wrong("unexpected argument: " + arg);
            }
            const std::string error = table.takeArgument(arg);
            if (!error.empty()) {
                return wrong(error);
            }
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        std::string name = arg;
        std::string value;
        bool hasValue = false;
        const auto equals = arg.find('=');
        if (arg.rfind("--", 0) == 0 && equals != std::string::npos) {
            name = arg.substr(0, equals);
            value = arg.substr(equals + 1);
            hasValue = true;
        }
        const bool help = name == kHelpOption.name || name == "-h";
        if (help || name == kVersionOption.name) {
            if (hasValue) {
                return wrong(name + " takes no value");
            }
            return answer(
                help ? CommandLineReading::Action::Help : CommandLineReading::Action::Version, "");
        }
        const auto option =
            std::find_if(table.options.begin(), table.options.end(),
                         [&name](const CommandOption& known) { return known.name == name; });
        if (option == table.options.end()) {
            return wrong("unknown option: " + arg);
        }
        if (option->argument.empty()) {
            if (hasValue) {
                return wrong(name + " takes no value");
            }
        } else if (!hasValue) {
            if (i + 1 >= args.size()) {
                return wrong("missing value for " + name);
            }
            value = args[++i];
        }
        const std::string why = option->take(value);
        if (!why.empty()) {
            return wrong(
                option->argument.empty() ? why : "bad " + name + " value (" + why + "): " + value);
        }
    }
    if (table.check) {
        const std::string error = table.check();
        if (!error.empty()) {
            return wrong(error);
        }
    }
    return reading;
}

std::string HelpText(const CommandLineTable& table) {
    std::vector<std::string> blocks;
    blocks.push_back(UsageLines(table) + "       " + table.program + " --help | --version\n");
    if (!table.about.empty()) {
        blocks.push_back(table.about);
    }
    std::string rows;
    for (const CommandArgument& argument : table.listed) {
        rows += Row(argument.name, argument.help);
    }
    bool standardShown = false;
    for (const CommandOption& option : table.options) {
        if (!option.heading.empty()) {
            if (!standardShown) {
                rows += Row(kHelpOption.name, kHelpOption.help);
                rows += Row(kVersionOption.name, kVersionOption.help);
                standardShown = true;
            }
            blocks.push_back(rows);
            rows = option.heading + "\n";
        }
        rows += Row(Shown(option), option.help);
    }
    if (!standardShown) {
        rows += Row(kHelpOption.name, kHelpOption.help);
        rows += Row(kVersionOption.name, kVersionOption.help);
    }
    blocks.push_back(rows);
    if (!table.more.empty()) {
        blocks.push_back(table.more);
    }
    std::string text;
    for (const std::string& block : blocks) {
        text += (text.empty() ? "" : "\n") + block;
    }
    return text;
}

std::string VersionLine(const std::string& program, const std::string& version) {
    return program + " " + version;
}

std::string WrongCommandLineText(const CommandLineTable& table, const std::string& error) {
    return table.program + ": " + error + "\n" + UsageLines(table) + "Try '" + table.program +
           " --help' for more information.\n";
}

int RefuseCommandLine(const CommandLineTable& table, const std::string& error) {
    std::fputs(WrongCommandLineText(table, error).c_str(), stderr);
    return kWrongCommandLineExit;
}

std::optional<int> AnswerCommandLine(const CommandLineTable& table, int argc, char** argv,
                                     const char* version) {
    // A program may be started with no arguments at all, not even its name.
    const std::vector<std::string> args =
        argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
    const CommandLineReading reading = ReadCommandLine(table, args);
    switch (reading.action) {
        case CommandLineReading::Action::Help:
            std::fputs(HelpText(table).c_str(), stdout);
            return 0;
        case CommandLineReading::Action::Version:
            std::puts(VersionLine(table.program, version).c_str());
            return 0;
        case CommandLineReading::Action::Wrong:
            return RefuseCommandLine(table, reading.error);
        case CommandLineReading::Action::Run:
            break;
    }
    return std::nullopt;
}
