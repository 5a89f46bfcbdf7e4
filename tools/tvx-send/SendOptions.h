#pragma once

#include <string>
#include <vector>

#include "PanelSender.h"
#include "PanelTarget.h"
#include "cli/CommandLine.h"

/// The command line of tvx-send.
struct SendOptions {
    std::string folder;
    std::vector<PanelTarget> panels;
    SendTimeouts timeouts;
};

/// The command line of tvx-send, "[options] FOLDER HOST[:PORT]...", read into `options`: a
/// folder and at least one panel are needed.
CommandLineTable SendCommandLine(SendOptions& options);
