#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "model/IdleLock.h"

/// How the panel program ends: with "Quit" (or a folder chooser left without a folder), when it
/// cannot start or go on, after a wrong command line. A session that starts the panel again
/// after a failure tells them apart.
namespace ExitCodes {
constexpr int kQuit = 0;
constexpr int kFailure = 1;
constexpr int kWrongCommandLine = 2;
}  // namespace ExitCodes

/// What the panel program's command line asks for: `tolvamix [--wait-for-layout]
/// [--lock-after SECONDS] [LAYOUT-FOLDER]`, `--help`, `--version`. Read before the toolkit starts,
/// so that none of it needs a display.
struct StartOptions {
    enum class Action {
        Run,      ///< run the panel, on `folder` when one is given, else ask for one
        Help,     ///< print the usage and end
        Version,  ///< print the version and end
        Wrong,    ///< print `problem` and the usage to the error output and end with code 2
    };

    Action action = Action::Run;
    std::string folder;  ///< the layout folder as given; empty: ask with the chooser
    /// Started by itself (the kiosk session, the user units, the autostart entry): a folder
    /// without a layout the panel can use gets the page that waits for one, not a message.
    bool waitForLayout = false;
    /// How long the panel waits without a touch before it locks itself again.
    std::chrono::seconds lockTime = IdleLock::kLockTime;
    std::string problem;
};

/// Reads the arguments after the program's name. "--" ends the options, so a folder may start
/// with a dash.
StartOptions ParseStartOptions(const std::vector<std::string>& args);

/// The usage text, for `--help` and after a wrong command line.
std::string StartUsage(const std::string& program);
