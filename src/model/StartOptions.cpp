#include "model/StartOptions.h"

#include <optional>

namespace {

/// The longest lock time the command line takes: a day.
constexpr long kLongestLockSeconds = 24L * 60 * 60;

/// Seconds written in decimal digits, 1 to a day; nothing for anything else.
std::optional<std::chrono::seconds> LockSeconds(const std::string& text) {
    if (text.empty() || text.size() > 5 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    const long seconds = std::stol(text);
    if (seconds < 1 || seconds > kLongestLockSeconds) {
        return std::nullopt;
    }
    return std::chrono::seconds(seconds);
}

}  // namespace

StartOptions ParseStartOptions(const std::vector<std::string>& args) {
    StartOptions options;
    bool optionsEnded = false;
    auto wrong = [&options](const std::string& problem) {
        options.action = StartOptions::Action::Wrong;
        options.problem = problem;
        return options;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
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
        } else if (!optionsEnded && arg == "--lock-after") {
            const std::optional<std::chrono::seconds> seconds =
                i + 1 < args.size() ? LockSeconds(args[i + 1]) : std::nullopt;
            if (!seconds) {
                return wrong("--lock-after needs a number of seconds from 1 to " +
                             std::to_string(kLongestLockSeconds));
            }
            options.lockTime = *seconds;
            ++i;
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
           " [--wait-for-layout] [--lock-after SECONDS] [LAYOUT-FOLDER]\n"
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
           "  --lock-after SECONDS\n"
           "                     how long the panel waits without a touch before it locks\n"
           "                     itself again (default " +
           std::to_string(std::chrono::seconds(IdleLock::kLockTime).count()) +
           "): the menu asks\n"
           "                     for its password anew, an edit mode in force ends (nothing\n"
           "                     is stored or lost) and open dialogs close as their close\n"
           "                     boxes close them\n"
           "  --help             print this text and end\n"
           "  --version          print the version and end\n"
           "\n"
           "Exit status: 0 after \"Quit\" (or a folder chooser closed without a folder), 1\n"
           "when the panel cannot start or go on (no layout it can use, a missing\n"
           "TvxMenu.png or defaultButton.png, a failure), 2 for a wrong command line.\n";
}
