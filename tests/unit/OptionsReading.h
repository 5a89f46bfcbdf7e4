#pragma once

#include <string>
#include <vector>

#include "cli/CommandLine.h"

/// A program's options as its command line leaves them, and what the reading asks for.
template <typename Options>
struct OptionsRead {
    Options options;
    CommandLineReading reading;
};

/// Reads `args` with the table that `commandLine` makes for a program's options.
template <typename Options>
OptionsRead<Options> ReadOptions(CommandLineTable (*commandLine)(Options&),
                                 const std::vector<std::string>& args) {
    OptionsRead<Options> read;
    read.reading = ReadCommandLine(commandLine(read.options), args);
    return read;
}
