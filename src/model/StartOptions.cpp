#include "model/StartOptions.h"

StartOptions ParseStartOptions(const std::vector<std::string>& args) {
    StartOptions options;
    bool optionsEnded = false;
    auto wrong = [&options](const std::string& problem) {
        options.action = StartOptions::Action::Wrong;
        options.problem = problem;
        return options;
    };
    for (const std::string& arg : args) {
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (arg == "--help" || arg == "-h")) {
            options.action = StartOptions::Action::Help;
            return options;
        } else if (!optionsEnded && arg == "--version") {
            options.action = StartOptions::Action::Version;
            return options;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            return wrong("unknown option " + arg);
        } else if (arg.empty()) {
            return wrong("the layout folder is empty");
        } else if (!options.folder.empty()) {
            return wrong("one layout folder only, not also " + arg);
        } else {
            options.folder = arg;
        }
    }
    return options;
}

std::string StartUsage(const std::string& program) {
    return "usage: " + program +
           " [LAYOUT-FOLDER]\n"
           "\n"
           "Runs the panel on the layout in LAYOUT-FOLDER (the folder of tvxdef.ini and the\n"
           "pictures). Without a folder it asks for one, starting in the working folder.\n"
           "\n"
           "  --help      print this text and end\n"
           "  --version   print the version and end\n";
}
