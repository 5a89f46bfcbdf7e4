#include "ReceiveServer.h"

#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "Listener.h"
#include "ToolProcess.h"
#include "link/PanelAddress.h"

namespace {

/// Connections the kernel keeps waiting for us while every place is taken: a burst of panels
/// waits there for its turn instead of being turned away. The system may cap it
/// (net.core.somaxconn); a client beyond even that has its connection attempt repeated by the
/// kernel a second later.
constexpr int kBacklog = 1024;
/// Clients taken per round of the loop, so that a flood of connections cannot starve the
/// transfers under way.
constexpr int kAcceptsPerRound = 64;
/// How long a session may stay silent while a client waits for its place: far longer than a
/// sending panel takes to answer, far shorter than the stall timeout.
constexpr std::chrono::seconds kGiveWayAfter{2};
/// Descriptors besides the two of each session (its socket and its temporary file): the
/// standard ones, the signal pipe, the listening socket, the folder synced after a rename, a
/// client being refused.
constexpr rlim_t kOtherDescriptors = 16;

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

/// Makes sure the process may open what `connections` sessions hold, raising its own limit
/// when it may. Without, an accept() that fails for want of a descriptor would leave the
/// listening socket readable and the loop spinning.
bool AllowDescriptors(std::uint64_t connections, std::string& error) {
    const rlim_t needed = 2 * static_cast<rlim_t>(connections) + kOtherDescriptors;
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0) {
        error = std::string("open files limit: ") + std::strerror(errno);
        return false;
    }
    if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur >= needed) {
        return true;
    }
    if (limit.rlim_max == RLIM_INFINITY || limit.rlim_max >= needed) {
        limit.rlim_cur = needed;
        if (setrlimit(RLIMIT_NOFILE, &limit) == 0) {
            return true;
        }
    }
    error = "--max-connections " + std::to_string(connections) + " needs " +
            std::to_string(needed) + " open files, the limit is " + std::to_string(limit.rlim_max) +
            " (ulimit -n)";
    return false;
}

}  // namespace

ReceiveServer::ReceiveServer(const ReceiveOptions& options)
    : m_options(options), m_allowed(options.allow) {}

ReceiveServer::~ReceiveServer() {
    m_sessions.clear();
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
    if (!AllowDescriptors(m_options.maxConnections, error)) {
        return false;
    }
    m_listenFd = OpenListener(m_options.address, m_options.port, kBacklog, error);
    if (m_listenFd < 0) {
        return false;
    }
    for (const std::string& name : IncomingFile::RemoveStale(m_options.into)) {
        PrintLine("removed " + Printable(name) + ", left by a transfer broken off");
    }
    return true;
}

void ReceiveServer::Run(int stopFd) {
    std::vector<pollfd> fds;
    for (;;) {
        auto now = ReceiveSession::Clock::now();
        // With every place taken, new clients stay in the listening queue until one comes free,
        // or until a silent session has been silent long enough to give way to one of them.
        const bool full = m_sessions.size() >= m_options.maxConnections;
        const ReceiveSession* silent = full ? LongestSilent() : nullptr;
        std::optional<ReceiveSession::Clock::time_point> wake;
        if (silent != nullptr && *silent->SilentSince() + kGiveWayAfter > now) {
            wake = *silent->SilentSince() + kGiveWayAfter;
            silent = nullptr;
        }
        const bool taking = !full || silent != nullptr;
        fds.assign({{stopFd, POLLIN, 0}, {taking ? m_listenFd : -1, POLLIN, 0}});
        for (const auto& session : m_sessions) {
            fds.push_back({session->Fd(),
                           static_cast<short>((session->WantsInput() ? POLLIN : 0) |
                                              (session->WantsOutput(now) ? POLLOUT : 0)),
                           0});
            const auto deadline = session->Deadline(now);
            if (!wake || deadline < *wake) {
                wake = deadline;
            }
        }
        if (poll(fds.data(), fds.size(), PollTimeout(wake, now)) < 0) {
            if (errno == EINTR) {
                continue;
            }
            ToolJournal().Error(std::string("tvx-receive: poll: ") + std::strerror(errno));
            return;
        }
        if (fds[0].revents != 0) {
            return;
        }
        now = ReceiveSession::Clock::now();
        for (std::size_t i = 0; i < m_sessions.size(); ++i) {
            ReceiveSession& session = *m_sessions[i];
            const short revents = fds[i + 2].revents;
            if (revents & (POLLIN | POLLHUP | POLLERR)) {
                session.OnInput(now);
            }
            if (!session.Finished() && (revents & POLLOUT)) {
                session.OnOutput(now);
            }
            if (!session.Finished()) {
                session.OnTime(now);
            }
        }
        if (fds[1].revents != 0) {
            MakeRoom(now);
        }
        m_sessions.erase(std::remove_if(m_sessions.begin(), m_sessions.end(),
                                        [](const auto& session) { return session->Finished(); }),
                         m_sessions.end());
        if (fds[1].revents != 0) {
            Accept();
        }
    }
}

void ReceiveServer::Accept() {
    for (int round = 0; round < kAcceptsPerRound && m_sessions.size() < m_options.maxConnections;
         ++round) {
        std::uint32_t peer = 0;
        const int fd = AcceptClient(m_listenFd, &peer);
        if (fd < 0) {
            return;
        }
        // Anyone who reaches the port could overwrite the layout: strangers get not one byte.
        if (!m_allowed.Allows(peer)) {
            close(fd);
            PrintLine("refused -: " + FormatIpv4(peer) + " is not allowed to send (--allow)");
            continue;
        }
        auto session = std::make_unique<ReceiveSession>(
            fd, m_options, PrintLine, [this] { return Unwritten(); }, ReceiveSession::Clock::now());
        if (!session->Finished()) {
            m_sessions.push_back(std::move(session));
        }
    }
}

ReceiveSession* ReceiveServer::LongestSilent() const {
    ReceiveSession* longest = nullptr;
    std::optional<ReceiveSession::Clock::time_point> longestSince;
    for (const auto& session : m_sessions) {
        const auto since = session->SilentSince();
        if (since && (!longestSince || *since < *longestSince)) {
            longest = session.get();
            longestSince = since;
        }
    }
    return longest;
}

void ReceiveServer::MakeRoom(ReceiveSession::Clock::time_point now) {
    const auto open = std::count_if(m_sessions.begin(), m_sessions.end(),
                                    [](const auto& session) { return !session->Finished(); });
    if (static_cast<std::uint64_t>(open) < m_options.maxConnections) {
        return;
    }
    ReceiveSession* silent = LongestSilent();
    if (silent != nullptr && *silent->SilentSince() + kGiveWayAfter <= now) {
        silent->GiveWay(now);
    }
}

std::uint64_t ReceiveServer::Unwritten() const {
    std::uint64_t unwritten = 0;
    for (const auto& session : m_sessions) {
        unwritten += session->Unwritten();
    }
    return unwritten;
}
