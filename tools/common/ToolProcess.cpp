#include "ToolProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

namespace {

int g_stopPipe[2] = {-1, -1};

void OnStopSignal(int) {
    const int savedErrno = errno;
    const char byte = 0;
    // Nothing to do if the pipe is full: one byte in it is enough to stop.
    [[maybe_unused]] const ssize_t written = write(g_stopPipe[1], &byte, 1);
    errno = savedErrno;
}

}  // namespace

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

int InstallStopSignals() {
    if (pipe(g_stopPipe) != 0) {
        return -1;
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
    const bool installed = sigaction(SIGINT, &action, nullptr) == 0 &&
                           sigaction(SIGTERM, &action, nullptr) == 0 &&
                           sigaction(SIGPIPE, &ignore, nullptr) == 0;
    return installed ? g_stopPipe[0] : -1;
}

void PrintLine(const std::string& line) {
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}
