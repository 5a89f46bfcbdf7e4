#include "PanelSender.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "OptionValues.h"
#include "model/Paths.h"
#include "model/PictureFile.h"

namespace {

using Clock = std::chrono::steady_clock;
using Problem = TransferProtocol::Problem;

/// The bytes of one planned file, read through a picture file of its own.
class PlannedSource : public TransferSource {
  public:
    explicit PlannedSource(std::string path) : m_path(std::move(path)) {}

    std::optional<std::uint64_t> SizeOf(const std::wstring&) override {
        return RegularFileSize(m_path);
    }
    bool Open(const std::wstring&) override { return m_file.Open(m_path); }
    std::optional<std::uint64_t> Length() override { return m_file.Length(); }
    bool Read(std::uint8_t* data, std::size_t count) override { return m_file.Read(data, count); }

  private:
    std::string m_path;
    PictureFile m_file;
};

/// A socket closed when it goes.
class OwnedSocket {
  public:
    explicit OwnedSocket(int fd) : m_fd(fd) {}
    ~OwnedSocket() {
        if (m_fd >= 0) {
            close(m_fd);
        }
    }
    OwnedSocket(const OwnedSocket&) = delete;
    OwnedSocket& operator=(const OwnedSocket&) = delete;

    int Fd() const { return m_fd; }

  private:
    int m_fd;
};

/// The step last sent in `state`, with `sent` of `length` bytes of the contents out: for
/// messages.
std::string AfterStep(int state, std::uint64_t sent, std::uint64_t length) {
    switch (state) {
        case TransferProtocol::kGreetingSent:
            return "after the greeting";
        case TransferProtocol::kNameSent:
            return "after the name";
        default:
            return sent == 0 ? "after the length"
                             : "after " + std::to_string(sent) + " of " + std::to_string(length) +
                                   " bytes";
    }
}

std::string ShownByte(std::uint8_t byte) {
    char text[8];
    if (byte >= 0x20 && byte < 0x7F) {
        std::snprintf(text, sizeof text, "'%c'", static_cast<char>(byte));
    } else {
        std::snprintf(text, sizeof text, "0x%02X", byte);
    }
    return text;
}

std::string TooLarge(const std::string& path) {
    const std::string size = std::to_string(RegularFileSize(path).value_or(0));
    return "too large for the transfer: " + size + " bytes, " +
           std::to_string(TransferProtocol::kLengthLimit - 1) + " at most";
}

}  // namespace

PanelSender::PanelSender(PanelTarget target, SendTimeouts timeouts)
    : m_target(std::move(target)), m_timeouts(timeouts) {}

FileOutcome PanelSender::Send(const PlannedFile& file, const Progress& progress) {
    FileOutcome outcome;
    if (file.standIn == StandIn::Outside) {
        outcome.problem = "not a file of the layout folder";
        return outcome;
    }
    if (file.path.empty()) {
        outcome.problem = "no " + NativeName(kDefaultPicture) + " to send in its place";
        return outcome;
    }
    PlannedSource source(file.path);
    TransferProtocol protocol;
    protocol.Begin(file.name);
    // Only a file too large for the 3-byte length is refused here, before connecting.
    TransferProtocol::Step step = protocol.Greeting(source);
    if (step.problem != Problem::None) {
        outcome.problem = TooLarge(file.path);
        return outcome;
    }
    const OwnedSocket socket(Connect(outcome));
    if (socket.Fd() < 0) {
        return outcome;
    }
    std::uint64_t length = 0;
    for (;;) {
        const int state = protocol.State();
        const std::uint64_t sent = length - protocol.Remaining();
        std::string after = AfterStep(state, sent, length);
        std::string error;
        Io io = WriteAll(socket.Fd(), step.send, error);
        if (io != Io::Done) {
            Broken(io, error, after, outcome);
            return outcome;
        }
        protocol.StepSent();
        if (state != TransferProtocol::kGreetingSent && state != TransferProtocol::kNameSent) {
            progress(sent, length);
        }
        if (step.finish) {
            // The panel ends its side once the file is in place; one that cannot keep it says
            // so first.
            shutdown(socket.Fd(), SHUT_WR);
            after = "after the last block";
        }
        std::vector<std::uint8_t> answers;
        io = ReadAnswers(socket.Fd(), answers, error);
        if (io == Io::Closed && protocol.OnEnd()) {
            break;
        }
        if (io != Io::Done) {
            Broken(io, error, after, outcome);
            return outcome;
        }
        // All of these came before the next step goes out: only the first can answer.
        for (const std::uint8_t byte : answers) {
            step = protocol.OnAck(byte, source);
            switch (step.problem) {
                case Problem::None:
                    break;
                case Problem::WrongAck:
                    outcome.problem = "refused by the panel: " + ShownByte(byte) + " " + after;
                    return outcome;
                case Problem::EarlyAck:
                    outcome.problem =
                        "the panel answered ahead of time: " + std::to_string(answers.size()) +
                        " answers at once " + after;
                    return outcome;
                case Problem::ReadError:
                    outcome.problem = "cannot read " + file.path;
                    return outcome;
                case Problem::TooLarge:
                    outcome.problem = TooLarge(file.path);
                    return outcome;
            }
        }
        if (protocol.State() == TransferProtocol::kDone) {
            break;
        }
        if (state == TransferProtocol::kNameSent) {
            length = protocol.Remaining();
        }
    }
    outcome.bytes = length;
    outcome.sent = true;
    return outcome;
}

void PanelSender::Broken(Io io, const std::string& error, const std::string& after,
                         FileOutcome& outcome) {
    switch (io) {
        case Io::Done:
            return;
        case Io::Closed:
        case Io::Reset:
            outcome.problem = "the panel closed the connection " + after;
            return;
        case Io::TimedOut:
            outcome.problem = "no answer within " + FormatSeconds(m_timeouts.step) + " " + after;
            outcome.panelLost = true;
            return;
        case Io::Failed:
            outcome.problem = "connection lost " + after + ": " + error;
            return;
    }
}

bool PanelSender::Resolve(FileOutcome& outcome) {
    if (m_address) {
        return true;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int error = getaddrinfo(m_target.host.c_str(), nullptr, &hints, &found);
    if (error != 0 || found == nullptr) {
        outcome.problem = std::string("cannot find the host: ") +
                          (error != 0 ? gai_strerror(error) : "no IPv4 address");
        outcome.panelLost = true;
        return false;
    }
    m_address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
    freeaddrinfo(found);
    return true;
}

int PanelSender::Connect(FileOutcome& outcome) {
    if (!Resolve(outcome)) {
        return -1;
    }
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        outcome.problem = std::string("socket: ") + std::strerror(errno);
        return -1;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(m_target.port);
    address.sin_addr.s_addr = *m_address;
    int error = 0;
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        error = errno;
        if (error == EINPROGRESS) {
            switch (WaitFor(fd, POLLOUT, Clock::now() + m_timeouts.connect)) {
                case Wait::Ready: {
                    socklen_t size = sizeof error;
                    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0) {
                        error = errno;
                    }
                    break;
                }
                case Wait::TimedOut:
                    close(fd);
                    outcome.problem = "no connection within " + FormatSeconds(m_timeouts.connect);
                    outcome.panelLost = true;
                    return -1;
                case Wait::Failed:
                    error = errno;
                    break;
            }
        }
    }
    if (error != 0) {
        close(fd);
        outcome.problem = std::string("cannot connect: ") + std::strerror(error);
        outcome.panelLost = true;
        return -1;
    }
    // Every step is a small message the panel waits for.
    const int yes = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    return fd;
}

PanelSender::Wait PanelSender::WaitFor(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd entry{fd, events, 0};
        const int ready = poll(&entry, 1, left.count() > 0 ? static_cast<int>(left.count()) : 0);
        if (ready > 0) {
            return Wait::Ready;
        }
        if (ready == 0) {
            return Wait::TimedOut;
        }
        if (errno != EINTR) {
            return Wait::Failed;
        }
    }
}

PanelSender::Io PanelSender::WriteAll(int fd, const std::vector<std::uint8_t>& bytes,
                                      std::string& error) {
    std::size_t at = 0;
    while (at < bytes.size()) {
        const ssize_t sent = ::send(fd, bytes.data() + at, bytes.size() - at, MSG_NOSIGNAL);
        if (sent > 0) {
            at += static_cast<std::size_t>(sent);
            continue;
        }
        const int code = sent < 0 ? errno : EPIPE;
        if (code == EINTR) {
            continue;
        }
        if (code == EAGAIN || code == EWOULDBLOCK) {
            if (WaitFor(fd, POLLOUT, Clock::now() + m_timeouts.step) == Wait::TimedOut) {
                return Io::TimedOut;
            }
            continue;
        }
        if (code == EPIPE || code == ECONNRESET) {
            return Io::Reset;
        }
        error = std::strerror(code);
        return Io::Failed;
    }
    return Io::Done;
}

PanelSender::Io PanelSender::ReadAnswers(int fd, std::vector<std::uint8_t>& bytes,
                                         std::string& error) {
    const Clock::time_point deadline = Clock::now() + m_timeouts.step;
    for (;;) {
        switch (WaitFor(fd, POLLIN, deadline)) {
            case Wait::Ready:
                break;
            case Wait::TimedOut:
                return Io::TimedOut;
            case Wait::Failed:
                error = std::strerror(errno);
                return Io::Failed;
        }
        std::uint8_t buffer[64];
        const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
        if (got > 0) {
            bytes.assign(buffer, buffer + got);
            return Io::Done;
        }
        if (got == 0) {
            return Io::Closed;
        }
        if (errno == ECONNRESET || errno == EPIPE) {
            return Io::Reset;
        }
        if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) {
            error = std::strerror(errno);
            return Io::Failed;
        }
    }
}
