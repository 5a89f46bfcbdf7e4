#include "SimServer.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "Listener.h"
#include "ToolProcess.h"

namespace {

constexpr std::size_t kReadChunk = 16 * 1024;
constexpr std::size_t kMaxLineLength = 64 * 1024;

void Complain(const std::string& line) {
    ToolJournal().Warning("tvx-sim: " + line);
}

std::string Describe(const SimEvent& event) {
    switch (event.kind) {
        case SimEvent::Kind::Press:
            return "press " + std::to_string(event.value);
        case SimEvent::Kind::Release:
            return "release " + std::to_string(event.value);
        case SimEvent::Kind::StateRequest:
            return "state request";
        case SimEvent::Kind::Garbage:
            break;
    }
    return "garbage " + std::to_string(event.value) + " bytes";
}

}  // namespace

SimServer::SimServer(const SimOptions& options)
    : m_controller(options.mode), m_address(options.address), m_port(options.port) {}

SimServer::~SimServer() {
    if (m_clientFd >= 0) {
        close(m_clientFd);
    }
    if (m_listenFd >= 0) {
        close(m_listenFd);
    }
}

bool SimServer::Listen(std::string& error) {
    m_listenFd = OpenListener(m_address, m_port, 4, error);
    return m_listenFd >= 0;
}

void SimServer::Run(int stopFd) {
    while (!m_quit) {
        std::vector<pollfd> fds;
        fds.push_back({stopFd, POLLIN, 0});
        fds.push_back({m_listenFd, POLLIN, 0});
        const int clientFd = m_clientFd;
        if (clientFd >= 0) {
            const bool waiting = m_outgoingHead < m_outgoing.size();
            fds.push_back({clientFd, static_cast<short>(POLLIN | (waiting ? POLLOUT : 0)), 0});
        }
        if (m_inputOpen) {
            fds.push_back({STDIN_FILENO, POLLIN, 0});
        }
        if (poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            Complain(std::string("poll: ") + std::strerror(errno));
            return;
        }
        if (fds[0].revents != 0) {
            return;
        }
        // The client first, then standard input, then new connections: a connection accepted
        // in this turn may reuse the number of one closed in it.
        for (std::size_t i = 2; i < fds.size(); ++i) {
            const pollfd& entry = fds[i];
            if (entry.revents == 0) {
                continue;
            }
            if (entry.fd == clientFd && clientFd == m_clientFd) {
                if (entry.revents & POLLOUT) {
                    WriteClient();
                }
                if (m_clientFd == clientFd && (entry.revents & ~POLLOUT)) {
                    ReadClient();
                }
            } else if (entry.fd == STDIN_FILENO) {
                ReadInput();
            }
        }
        if (fds[1].revents != 0 && !m_quit) {
            Accept();
        }
    }
}

void SimServer::Accept() {
    const int fd = AcceptClient(m_listenFd);
    if (fd < 0) {
        return;
    }
    // The newer connection wins: a panel that restarts reconnects before its old connection has
    // timed out, and must not be locked out by it.
    if (HasClient()) {
        CloseClient();
    }
    m_clientFd = fd;
    PrintLine("client connected");
}

void SimServer::ReadClient() {
    std::uint8_t buffer[kReadChunk];
    const ssize_t got = recv(m_clientFd, buffer, sizeof buffer, 0);
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
        return;
    }
    if (got <= 0) {
        CloseClient();
        return;
    }
    for (const SimEvent& event : m_decoder.Feed(buffer, static_cast<std::size_t>(got))) {
        PrintLine(Describe(event));
        if (m_controller.OnEvent(event)) {
            SendState();
        }
        if (!HasClient()) {
            return;  // dropped for not reading; the rest of its bytes go with it
        }
    }
}

void SimServer::WriteClient() {
    while (m_outgoingHead < m_outgoing.size()) {
        const ssize_t sent = send(m_clientFd, m_outgoing.data() + m_outgoingHead,
                                  m_outgoing.size() - m_outgoingHead, MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                CloseClient();
            }
            return;
        }
        m_outgoingHead += static_cast<std::size_t>(sent);
    }
    m_outgoing.clear();
    m_outgoingHead = 0;
}

void SimServer::CloseClient() {
    if (!HasClient()) {
        return;
    }
    close(m_clientFd);
    m_clientFd = -1;
    m_outgoing.clear();
    m_outgoingHead = 0;
    for (const SimEvent& event : m_decoder.Finish()) {
        PrintLine(Describe(event));
    }
    PrintLine("client disconnected");
}

void SimServer::SendState() {
    const auto message = m_controller.StateMessage();
    Queue(message.data(), message.size());
}

void SimServer::Queue(const std::uint8_t* data, std::size_t size) {
    if (!HasClient()) {
        return;
    }
    if (m_outgoing.size() - m_outgoingHead + size > kOutgoingLimit) {
        Complain("the client does not read what it is sent: dropping it");
        CloseClient();
        return;
    }
    if (m_outgoingHead > 0 && m_outgoingHead >= m_outgoing.size() / 2) {
        m_outgoing.erase(m_outgoing.begin(),
                         m_outgoing.begin() + static_cast<std::ptrdiff_t>(m_outgoingHead));
        m_outgoingHead = 0;
    }
    m_outgoing.insert(m_outgoing.end(), data, data + size);
    WriteClient();
}

void SimServer::ReadInput() {
    char buffer[4096];
    const ssize_t got = read(STDIN_FILENO, buffer, sizeof buffer);
    if (got < 0 && (errno == EAGAIN || errno == EINTR)) {
        return;
    }
    if (got <= 0) {
        // Scripts start the simulator with no input at all: the end of it ends only the commands.
        m_inputOpen = false;
        if (!m_inputLine.empty() && !m_inputOverlong) {
            HandleLine(m_inputLine);
        }
        m_inputLine.clear();
        return;
    }
    for (ssize_t i = 0; i < got && !m_quit; ++i) {
        const char c = buffer[i];
        if (c == '\n') {
            if (m_inputOverlong) {
                Complain("command line too long");
            } else {
                HandleLine(m_inputLine);
            }
            m_inputLine.clear();
            m_inputOverlong = false;
        } else if (m_inputLine.size() < kMaxLineLength) {
            m_inputLine.push_back(c);
        } else {
            m_inputOverlong = true;
        }
    }
}

void SimServer::HandleLine(const std::string& line) {
    const SimCommand command = ParseSimCommand(line);
    switch (command.kind) {
        case SimCommand::Kind::Empty:
            return;
        case SimCommand::Kind::Bad:
            Complain(command.error);
            return;
        case SimCommand::Kind::On:
        case SimCommand::Kind::Off:
            m_controller.SetLamp(command.lamp, command.kind == SimCommand::Kind::On);
            SendState();
            return;
        case SimCommand::Kind::AllOff:
            m_controller.AllOff();
            SendState();
            return;
        case SimCommand::Kind::Send:
            if (!HasClient()) {
                Complain("send: no client connected");
                return;
            }
            Queue(command.bytes.data(), command.bytes.size());
            return;
        case SimCommand::Kind::Drop:
            if (!HasClient()) {
                Complain("drop: no client connected");
                return;
            }
            CloseClient();
            return;
        case SimCommand::Kind::Quit:
            m_quit = true;
            return;
    }
}
