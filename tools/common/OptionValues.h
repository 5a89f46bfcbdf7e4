#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "cli/CommandLine.h"

/// Takes an option's "ADDR:PORT" into `address` and `port`: an IPv4 address and a port
/// 0 ... 65535 (0 lets the system choose).
ValueTaker TakeListenAddress(std::string& address, std::uint16_t& port);

/// Takes an option's seconds into `value`: fractions allowed, above 0 and at most a day.
ValueTaker TakeSeconds(std::chrono::milliseconds& value);

/// "0.5 s", "10 s": a duration for a line of output.
std::string FormatSeconds(std::chrono::milliseconds duration);
