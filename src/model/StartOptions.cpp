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
        } else if (!optionsEnded && arg == "--wait-for-layout") {
            options.waitForLayout = true;
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
    if (options.waitForLayout && options.folder.empty()) {
        return wrong("--wait-for-layout needs the layout folder");
    }
    return options;
}

std::string StartUsage(const std::string& program) {
    return "usage: " + program +
           " [--wait-for-layout] [LAYOUT-FOLDER]\n"
           "\n"
           "Runs the panel on the layout in LAYOUT-FOLDER (the folder of tvxdef.ini and the\n"
           "pictures). Without a folder it asks for one, starting in the working folder.\n"
           "A tvxdef.ini that ends before its 'EndOfFile' line is not loaded: the panel says\n"
           "so and starts on tvxdef.ini.bak, the layout the last store replaced, when that is\n"
           "whole; \"Store\" then makes it tvxdef.ini again.\n"
           "\n"
           "  --wait-for-layout  for a panel that starts by itself (tolvamix-session, the\n"
           "                     user unit, the autostart entry): when LAYOUT-FOLDER holds\n"
           "                     no layout the panel can use, a full-screen page waits for\n"
           "                     one, with the panel's addresses and the command that sends\n"
           "                     one (tvx-send FOLDER ADDRESS), and the panel starts on it\n"
           "                     the moment it arrives\n"
           "  --help             print this text and end\n"
           "  --version          print the version and end\n"
           "\n"
           "Exit status: 0 after \"Quit\" (or a folder chooser closed without a folder), 1\n"
           "when the panel cannot start or go on (no layout it can use, a missing\n"
           "TvxMenu.png or defaultButton.png, a failure), 2 for a wrong command line.\n";
}
