#pragma once

#include <cstdint>
#include <string>
#include <vector>

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
    bool help = false;
};

/// The result of reading the command line: the options, or why they could not be read.
struct SimOptionsResult {
    SimOptions options;
    std::string error;  ///< empty when the command line was good
};

SimOptionsResult ParseSimOptions(const std::vector<std::string>& args);

/// Reads "ADDR:PORT" with an IPv4 address and a port 0 ... 65535 (0 lets the system choose).
bool ParseListenAddress(const std::string& text, std::string& address, std::uint16_t& port);

const char* SimUsage();
