#pragma once

#include <chrono>
#include <cstdint>
#include <string>

/// Reads "ADDR:PORT" with an IPv4 address and a port 0 ... 65535 (0 lets the system choose).
bool ParseListenAddress(const std::string& text, std::string& address, std::uint16_t& port);

/// Reads seconds, fractions allowed, above 0 and at most a day.
bool ParseSeconds(const std::string& text, std::chrono::milliseconds& value);

/// "0.5 s", "10 s": a duration for a line of output.
std::string FormatSeconds(std::chrono::milliseconds duration);
