#pragma once

#include <cstdint>
#include <string>
#include <vector>

/// One line typed on the simulator's standard input.
struct SimCommand {
    enum class Kind { Empty, On, Off, AllOff, Send, Drop, Quit, Bad };
    Kind kind = Kind::Empty;
    int lamp = 0;                     ///< for On and Off
    std::vector<std::uint8_t> bytes;  ///< for Send
    std::string error;                ///< for Bad: what to tell the user
};

/// Reads "on N", "off N", "all off", "send HEX...", "drop" and "quit". Blank lines are Empty;
/// anything else is Bad with a message saying why.
SimCommand ParseSimCommand(const std::string& line);
