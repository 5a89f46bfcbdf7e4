#pragma once

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "model/Journal.h"

/// Started with a standard descriptor closed, the first socket or file would take its number and
/// be read as commands or get our output lines; keep 0, 1 and 2 taken.
void OccupyStandardDescriptors();

/// Makes SIGINT and SIGTERM write a byte into a pipe that the poll loop watches, and ignores
/// SIGPIPE. Returns the read end of that pipe, or -1 with errno set.
int InstallStopSignals();

/// One line on standard output, flushed at once: scripts and tests read it as it happens.
void PrintLine(const std::string& line);

/// The journal of a tool on standard error: priorities when it is the systemd journal, else the
/// lines as they are (people and scripts read them as they come; the journal stamps them).
inline Journal ToolJournal() {
    return Journal(Journal::Form::Plain);
}

/// A tool's life once its command line is read: builds a `Server` from the options and serves
/// until a stop signal. The server ends before the process does, so what it holds (a temporary
/// file) is cleaned up. Returns the exit code: 1 when the server cannot start.
template <typename Server, typename Options>
int Serve(const std::string& name, const Options& options) {
    const int stopFd = InstallStopSignals();
    if (stopFd < 0) {
        ToolJournal().Error(name + ": signals: " + std::strerror(errno));
        return 1;
    }
    Server server(options);
    std::string error;
    if (!server.Listen(error)) {
        ToolJournal().Error(name + ": " + error);
        return 1;
    }
    server.Run(stopFd);
    return 0;
}
