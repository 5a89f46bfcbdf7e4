#pragma once

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

/// Started with a standard descriptor closed, the first socket or file would take its number and
/// be read as commands or get our output lines; keep 0, 1 and 2 taken.
void OccupyStandardDescriptors();

/// Makes SIGINT and SIGTERM write a byte into a pipe that the poll loop watches, and ignores
/// SIGPIPE. Returns the read end of that pipe, or -1 with errno set.
int InstallStopSignals();

/// One line on standard output, flushed at once: scripts and tests read it as it happens.
void PrintLine(const std::string& line);

/// The whole life of a tool: reads the command line with `parse` (exit code 2 when it is bad),
/// prints `usage` for --help, then builds a `Server` from the options and serves until a stop
/// signal. The server ends before the process does, so what it holds (a temporary file) is
/// cleaned up.
template <typename Server, typename Parse>
int RunTool(const char* name, int argc, char** argv, Parse parse, const char* usage) {
    OccupyStandardDescriptors();
    const auto parsed = parse(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "%s: %s (see %s --help)\n", name, parsed.error.c_str(), name);
        return 2;
    }
    if (parsed.options.help) {
        std::fputs(usage, stdout);
        return 0;
    }
    for (const std::string& note : parsed.notes) {
        std::fprintf(stderr, "%s: %s\n", name, note.c_str());
    }
    const int stopFd = InstallStopSignals();
    if (stopFd < 0) {
        std::fprintf(stderr, "%s: signals: %s\n", name, std::strerror(errno));
        return 1;
    }
    Server server(parsed.options);
    std::string error;
    if (!server.Listen(error)) {
        std::fprintf(stderr, "%s: %s\n", name, error.c_str());
        return 1;
    }
    server.Run(stopFd);
    return 0;
}
