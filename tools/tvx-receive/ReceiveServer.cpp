#include "ReceiveServer.h"

#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "Listener.h"
#include "ToolProcess.h"
#include "link/PanelAddress.h"

namespace {

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

ReceiveServer::ReceiveServer(const ReceiveOptions& options)
    : m_options(options), m_allowed(options.allow) {}

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
    m_listenFd = OpenListener(m_options.address, m_options.port, 8, error);
    return m_listenFd >= 0;
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
    std::uint32_t peer = 0;
    const int fd = AcceptClient(m_listenFd, &peer);
    if (fd < 0) {
        return;
    }
    // Anyone who reaches the port could overwrite the layout: strangers get not one byte.
    if (!m_allowed.Allows(peer)) {
        close(fd);
        PrintLine("refused -: " + FormatIpv4(peer) + " is not allowed to send (--allow)");
        return;
    }
    m_session =
        std::make_unique<ReceiveSession>(fd, m_options, PrintLine, ReceiveSession::Clock::now());
    if (m_session->Finished()) {
        m_session.reset();
    }
}
