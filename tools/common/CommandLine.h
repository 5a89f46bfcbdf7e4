#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

/// A tool's command line as read: the options, or why they could not be read.
template <typename Options>
struct ParsedOptions {
    Options options;
    std::string error;  ///< empty when the command line was good
    /// What the user should know about a good command line, one line each for standard error.
    std::vector<std::string> notes;
};

/// Takes the value of one option; returns why it is bad, or an empty string when it is good.
using OptionTaker = std::function<std::string(const std::string& name, const std::string& value)>;

/// Takes one argument that is no option (a folder, a host); returns why it is bad, or an empty
/// string when it is good.
using ArgumentTaker = std::function<std::string(const std::string& value)>;

/// Reads a tool's command line: "--help" or "-h", and the options named in `names`, each with a
/// value given as "--name value" or "--name=value". Without `takeArgument` every other argument
/// is an unknown option; with it, arguments that do not start with '-' (and all after "--") go
/// to it in their order. Returns the first error, empty when the whole command line was good.
std::string ReadCommandLine(const std::vector<std::string>& args,
                            const std::vector<std::string>& names, bool& help,
                            const OptionTaker& take, const ArgumentTaker& takeArgument = nullptr);

/// Reads "ADDR:PORT" with an IPv4 address and a port 0 ... 65535 (0 lets the system choose).
bool ParseListenAddress(const std::string& text, std::string& address, std::uint16_t& port);

/// Reads seconds, fractions allowed, above 0 and at most a day.
bool ParseSeconds(const std::string& text, std::chrono::milliseconds& value);

/// "0.5 s", "10 s": a duration for a line of output.
std::string FormatSeconds(std::chrono::milliseconds duration);
