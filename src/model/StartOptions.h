#pragma once

#include <chrono>
#include <string>

#include "cli/CommandLine.h"
#include "model/IdleLock.h"

/// How the panel program ends: with "Quit" (or a folder chooser left without a folder), or when
/// it cannot start or go on; a wrong command line ends it with kWrongCommandLineExit. A session
/// that starts the panel again after a failure tells them apart.
namespace ExitCodes {
constexpr int kQuit = 0;
constexpr int kFailure = 1;
}  // namespace ExitCodes

/// What the panel program's command line asks for: `tolvamix [--wait-for-layout]
/// [--lock-after SECONDS] [LAYOUT-FOLDER]`. Read before the toolkit starts, so that none of it
/// needs a display.
struct StartOptions {
    std::string folder;  ///< the layout folder as given; empty: ask with the chooser
    /// Started by itself (the kiosk session, the user units, the autostart entry): a folder
    /// without a layout the panel can use gets the page that waits for one, not a message.
    bool waitForLayout = false;
    /// How long the panel waits without a touch before it locks itself again.
    std::chrono::seconds lockTime = IdleLock::kLockTime;
};

/// The panel program's command line, read into `options`.
CommandLineTable StartCommandLine(StartOptions& options);
