#pragma once

#include <string>
#include <vector>

#include "CommandLine.h"
#include "PanelSender.h"
#include "PanelTarget.h"

/// The command line of tvx-send.
struct SendOptions {
    std::string folder;
    std::vector<PanelTarget> panels;
    SendTimeouts timeouts;
    bool help = false;
};

using SendOptionsResult = ParsedOptions<SendOptions>;

/// Reads "[options] FOLDER HOST[:PORT]...". Without --help, a folder and at least one panel
/// are needed.
SendOptionsResult ParseSendOptions(const std::vector<std::string>& args);

const char* SendUsage();
