#pragma once

#include <cstdint>
#include <string>

#include "cli/CommandLine.h"

/// What the simulator does with the presses and releases it receives.
enum class SimMode {
    Toggle,  ///< press v toggles lamp v and sends the new state
    Follow,  ///< lamp v is on while button v is held
    None,    ///< lamps change only by commands
};

/// The command line of tvx-sim.
struct SimOptions {
    std::string address = "127.0.0.1";
    std::uint16_t port = 4001;
    SimMode mode = SimMode::Toggle;
};

/// The command line of tvx-sim, read into `options`.
CommandLineTable SimCommandLine(SimOptions& options);
