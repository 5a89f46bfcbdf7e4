#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "cli/CommandLine.h"

/// The command line of tvx-display.
struct DisplayOptions {
    std::string folder;
    /// The backlight folder to use instead of the first usable one of the kernel's.
    std::optional<std::string> backlight;
    /// How long a minute of the layout's display times lasts; shorter for trying it out.
    std::chrono::milliseconds minute{60000};
};

/// The command line of tvx-display, read into `options`.
CommandLineTable DisplayCommandLine(DisplayOptions& options);
