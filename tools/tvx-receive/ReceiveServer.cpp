#include "ReceiveServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

/// One line on standard output, flushed at once: scripts and tests read it as it happens.
void Print(const std::string& line) {
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

bool MakeNonBlocking(int fd) {
    const int flags = fcntl(fd, F_GETFL, 0);
    return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0 &&
           fcntl(fd, F_SETFD, FD_CLOEXEC) == 0;
}

/// Milliseconds for poll() until `deadline`, rounded up so that it never wakes too early.
int PollTimeout(std::optional<ReceiveSession::Clock::time_point> deadline,
                ReceiveSession::Clock::time_point now) {
    if (!deadline) {
        return -1;
    }
    if (*deadline <= now) {
        return 0;
    }
    const auto left = std::chrono::duration_cast<std::chrono::microseconds>(*deadline - now);
    const long long ms = (left.count() + 999) / 1000;
    return ms > 3600 * 1000 ? 3600 * 1000 : static_cast<int>(ms);
}

}  // namespace

ReceiveServer::ReceiveServer(const ReceiveOptions& options) : m_options(options) {}

ReceiveServer::~ReceiveServer() {
    m_session.reset();
    if (m_listenFd >= 0) {
        close(m_listenFd);
    }
}

bool ReceiveServer::Listen(std::string& error) {
    struct stat info {};
    if (stat(m_options.into.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        error = "not a folder: " + m_options.into;
        return false;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(m_options.port);
    if (inet_pton(AF_INET, m_options.address.c_str(), &address.sin_addr) != 1) {
        error = "bad address " + m_options.address;
        return false;
    }
    m_listenFd = socket(AF_INET, SOCK_STREAM, 0);
    if (m_listenFd < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    // A receiver restarted at once must get its port back while the old one is in TIME_WAIT.
    const int yes = 1;
    setsockopt(m_listenFd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    if (bind(m_listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(m_listenFd, 8) != 0 || !MakeNonBlocking(m_listenFd)) {
        error = "cannot listen on " + m_options.address + ":" + std::to_string(m_options.port) +
                ": " + std::strerror(errno);
        return false;
    }
    socklen_t length = sizeof address;
    if (getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        m_options.port = ntohs(address.sin_port);
    }
    Print("listening on " + m_options.address + ":" + std::to_string(m_options.port));
    return true;
}

void ReceiveServer::Run(int stopFd) {
    for (;;) {
        auto now = ReceiveSession::Clock::now();
        pollfd fds[2] = {{stopFd, POLLIN, 0}, {m_listenFd, POLLIN, 0}};
        int timeout = -1;
        if (m_session) {
            fds[1].fd = m_session->Fd();
            fds[1].events =
                static_cast<short>(POLLIN | (m_session->WantsOutput(now) ? POLLOUT : 0));
            timeout = PollTimeout(m_session->Deadline(now), now);
        }
        if (poll(fds, 2, timeout) < 0) {
            if (errno == EINTR) {
                continue;
            }
            std::fprintf(stderr, "tvx-receive: poll: %s\n", std::strerror(errno));
            return;
        }
        if (fds[0].revents != 0) {
            return;
        }
        now = ReceiveSession::Clock::now();
        if (!m_session) {
            if (fds[1].revents != 0) {
                Accept();
            }
            continue;
        }
        if (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) {
            m_session->OnInput(now);
        }
        if (!m_session->Finished() && (fds[1].revents & POLLOUT)) {
            m_session->OnOutput(now);
        }
        if (!m_session->Finished()) {
            m_session->OnTime(now);
        }
        if (m_session->Finished()) {
            m_session.reset();
        }
    }
}

void ReceiveServer::Accept() {
    const int fd = accept(m_listenFd, nullptr, nullptr);
    if (fd < 0) {
        return;  // the client gave up before we got to it, or no descriptor is free just now
    }
    if (!MakeNonBlocking(fd)) {
        close(fd);
        return;
    }
    // Every answer is a single byte the sender waits for.
    const int yes = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    m_session =
        std::make_unique<ReceiveSession>(fd, m_options, Print, ReceiveSession::Clock::now());
    if (m_session->Finished()) {
        m_session.reset();
    }
}
