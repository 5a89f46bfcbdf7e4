#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "ReceiveOptions.h"
#include "ReceiveServer.h"

namespace {

int g_stopPipe[2] = {-1, -1};

void OnStopSignal(int) {
    const int savedErrno = errno;
    const char byte = 0;
    // Nothing to do if the pipe is full: one byte in it is enough to stop.
    [[maybe_unused]] const ssize_t written = write(g_stopPipe[1], &byte, 1);
    errno = savedErrno;
}

/// Started with a standard descriptor closed, the first socket or file would take its number
/// and get our output lines; keep 0, 1 and 2 taken.
void OccupyStandardDescriptors() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) < 0) {
            const int opened = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
            if (opened >= 0 && opened != fd) {
                dup2(opened, fd);
                close(opened);
            }
        }
    }
}

bool InstallSignals() {
    if (pipe(g_stopPipe) != 0) {
        return false;
    }
    for (const int fd : g_stopPipe) {
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL, 0) | O_NONBLOCK);
        fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    return sigaction(SIGINT, &action, nullptr) == 0 && sigaction(SIGTERM, &action, nullptr) == 0 &&
           sigaction(SIGPIPE, &ignore, nullptr) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    OccupyStandardDescriptors();
    const ReceiveOptionsResult parsed =
        ParseReceiveOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "tvx-receive: %s (see tvx-receive --help)\n", parsed.error.c_str());
        return 2;
    }
    if (parsed.options.help) {
        std::fputs(ReceiveUsage(), stdout);
        return 0;
    }
    if (!InstallSignals()) {
        std::perror("tvx-receive: signals");
        return 1;
    }
    // The session object that holds a temporary file ends with the server, which removes it.
    ReceiveServer server(parsed.options);
    std::string error;
    if (!server.Listen(error)) {
        std::fprintf(stderr, "tvx-receive: %s\n", error.c_str());
        return 1;
    }
    server.Run(g_stopPipe[0]);
    return 0;
}
