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

CommandLineTable StartCommandLine(StartOptions& options) {
    CommandLineTable table;
    table.program = "tolvamix";
    table.arguments = "[LAYOUT-FOLDER]";
    table.about =
        "Runs the panel on the layout in LAYOUT-FOLDER (the folder of tvxdef.ini and the\n"
        "pictures). Without a folder it asks for one, starting in the working folder.\n"
        "A tvxdef.ini that ends before its 'EndOfFile' line is not loaded: the panel says\n"
        "so and starts on tvxdef.ini.bak, the layout the last store replaced, when that is\n"
        "whole; \"Store\" then makes it tvxdef.ini again.\n";
    table.options = {
        {"--wait-for-layout", "",
         "for a panel that starts by itself (tolvamix-session, the\n"
         "user unit, the autostart entry): when LAYOUT-FOLDER holds\n"
         "no layout the panel can use, a full-screen page waits for\n"
         "one, with the panel's addresses and the command that sends\n"
         "one (tvx-send FOLDER ADDRESS), and the panel starts on it\n"
         "the moment it arrives",
         [&options](const std::string&) {
             options.waitForLayout = true;
             return std::string();
         }},
        {"--lock-after", "SECONDS",
         "how long the panel waits without a touch before it locks\n"
         "itself again (default " +
             std::to_string(std::chrono::seconds(IdleLock::kLockTime).count()) +
             "): the menu asks for its password\n"
             "anew, an edit mode in force ends (nothing is stored or\n"
             "lost) and open dialogs close as their close boxes close them",
         [&options](const std::string& value) -> std::string {
             const std::optional<std::chrono::seconds> seconds = LockSeconds(value);
             if (!seconds) {
                 return "want seconds from 1 to " + std::to_string(kLongestLockSeconds);
             }
             options.lockTime = *seconds;
             return "";
         }},
    };
    table.more =
        "Exit code: 0 after \"Quit\" (or a folder chooser closed without a folder), 1\n"
        "when the panel cannot start or go on (no layout it can use, a missing\n"
        "TvxMenu.png or defaultButton.png, a failure), 2 for a wrong command line.\n";
    table.takeArgument = TakeOneArgument(options.folder, "layout folder");
    table.check = [&options]() -> std::string {
        return options.waitForLayout && options.folder.empty()
                   ? "--wait-for-layout needs the layout folder"
                   : "";
    };
    return table;
}
