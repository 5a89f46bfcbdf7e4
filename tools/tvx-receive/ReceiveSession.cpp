#include "ReceiveSession.h"

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "OptionValues.h"
#include "ReceivedContents.h"

namespace {

constexpr char kAck = '>';
/// Sent instead of '>' when a file is refused, so that the sender stops at once.
constexpr char kRefusal = '?';
constexpr std::uint64_t kBlockSize = 1000;
constexpr std::size_t kReadChunk = 64 * 1024;
/// Bytes of name kept at most: far beyond any name a file system takes.
constexpr std::size_t kMaxNameBytes = 1024;

}  // namespace

ReceiveSession::ReceiveSession(int fd, const ReceiveOptions& options, Print print,
                               Promised promised, Clock::time_point now)
    : m_fd(fd),
      m_options(options),
      m_print(std::move(print)),
      m_promised(std::move(promised)),
      m_lastActivity(now),
      m_giveUpAt(now + options.deadline) {
    if (m_options.closeAfter && *m_options.closeAfter == 0) {
        Refuse("closed after 0 bytes (--close-after)", std::nullopt, now);
    }
}

ReceiveSession::~ReceiveSession() {
    CloseNow();
}

bool ReceiveSession::WantsOutput(Clock::time_point now) const {
    return m_fd >= 0 && !m_answers.empty() && m_answers.front().due <= now;
}

std::optional<ReceiveSession::Clock::time_point> ReceiveSession::SilentSince() const {
    // A client that has its last answer and keeps the connection open waits for nothing.
    if ((WaitingForClient() || m_phase == Phase::Finishing) && m_answers.empty()) {
        return m_lastActivity;
    }
    return std::nullopt;
}

void ReceiveSession::GiveWay(Clock::time_point now) {
    if (m_phase == Phase::Finishing) {
        CloseNow();  // its line is out already
    } else {
        Refuse("silent while another client waited for a place", std::nullopt, now);
    }
}

bool ReceiveSession::WaitingForClient() const {
    switch (m_phase) {
        case Phase::Greeting:
        case Phase::Length:
        case Phase::Data:
            return true;
        case Phase::Name:
            // Once the name has begun, its pause ends it instead.
            return m_nameBytes.empty();
        default:
            return false;
    }
}

ReceiveSession::Clock::time_point ReceiveSession::Deadline(Clock::time_point now) const {
    Clock::time_point deadline = m_giveUpAt;
    const auto consider = [&deadline](Clock::time_point when) {
        deadline = std::min(deadline, when);
    };
    // An answer that is due waits for the socket (poll's output readiness), not for a time.
    if (!m_answers.empty() && m_answers.front().due > now) {
        consider(m_answers.front().due);
    }
    if (m_phase == Phase::Name && !m_nameBytes.empty()) {
        consider(m_lastNameByte + kNameGap);
    }
    if (WaitingForClient() || (m_phase != Phase::Finishing && !m_answers.empty())) {
        // A client that neither sends nor takes our answer is stalled as well.
        const Clock::time_point since =
            m_answers.empty() ? m_lastActivity : std::max(m_lastActivity, m_answers.front().due);
        consider(since + m_options.timeout);
    }
    if (m_phase == Phase::Finishing) {
        consider(m_finishBy);
    }
    return deadline;
}

void ReceiveSession::OnInput(Clock::time_point now) {
    if (m_fd < 0) {
        return;
    }
    std::uint8_t buffer[kReadChunk];
    const ssize_t got = ::recv(m_fd, buffer, sizeof buffer, 0);
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
        return;
    }
    if (got <= 0) {
        if (m_phase == Phase::Finishing && got == 0 && !m_answers.empty()) {
            // A sender that ends its side after the last block still waits for our word on
            // the file: a refusal goes out before the connection closes.
            m_inputEnded = true;
        } else if (m_phase == Phase::Finishing) {
            CloseNow();
        } else if (m_phase == Phase::Data) {
            Refuse("closed early after " + std::to_string(m_received) + " of " +
                       std::to_string(m_length) + " bytes",
                   std::nullopt, now);
        } else {
            Refuse(got == 0 ? "closed early"
                            : std::string("connection error: ") + std::strerror(errno),
                   std::nullopt, now);
        }
        return;
    }
    m_lastActivity = now;
    auto size = static_cast<std::size_t>(got);
    bool cut = false;
    if (m_options.closeAfter) {
        const std::uint64_t left = *m_options.closeAfter - m_totalReceived;
        if (size >= left) {
            size = static_cast<std::size_t>(left);
            cut = true;
        }
    }
    m_totalReceived += size;
    if (m_phase != Phase::Finishing) {
        Take(buffer, size, now);
    }
    if (cut && m_phase != Phase::Done) {
        if (m_phase == Phase::Finishing) {
            CloseNow();
        } else {
            Refuse(
                "closed after " + std::to_string(*m_options.closeAfter) + " bytes (--close-after)",
                std::nullopt, now);
        }
    }
}

void ReceiveSession::Take(const std::uint8_t* data, std::size_t size, Clock::time_point now) {
    while (size > 0) {
        switch (m_phase) {
            case Phase::Greeting:
                if (!TakeHeader(data, size)) {
                    return;
                }
                if (m_header != "TVX") {
                    Refuse("not a transfer greeting", std::nullopt, now);
                    return;
                }
                m_header.clear();
                if (m_options.answerGreeting != kAck) {
                    QueueAnswer(m_options.answerGreeting, now);
                    m_print("refused -: greeting answered with '" +
                            Printable(std::string(1, m_options.answerGreeting)) +
                            "' (--answer-greeting)");
                    Finish(now);
                    return;
                }
                QueueAnswer(kAck, now);
                m_phase = Phase::Name;
                break;
            case Phase::Name:
                if (m_nameBytes.size() + size > kMaxNameBytes) {
                    m_nameBytes.append(reinterpret_cast<const char*>(data),
                                       kMaxNameBytes - m_nameBytes.size());
                    Refuse("name too long", kRefusal, now);
                    return;
                }
                m_nameBytes.append(reinterpret_cast<const char*>(data), size);
                m_lastNameByte = now;
                return;
            case Phase::Length: {
                if (!TakeHeader(data, size)) {
                    return;
                }
                const auto byte = [this](std::size_t i) {
                    return static_cast<std::uint64_t>(static_cast<unsigned char>(m_header[i]));
                };
                m_length = byte(0) << 16 | byte(1) << 8 | byte(2);
                if (!HasRoom(now)) {
                    return;
                }
                if (m_length == 0) {
                    Complete(now);
                    return;
                }
                QueueAnswer(kAck, now);
                m_phase = Phase::Data;
                break;
            }
            case Phase::Data: {
                const auto take =
                    static_cast<std::size_t>(std::min<std::uint64_t>(size, m_length - m_received));
                std::string error;
                if (!m_file.Write(data, take, error)) {
                    Refuse(error, kRefusal, now);
                    return;
                }
                // Every full block is answered; the last, shorter one only ends the file.
                const std::uint64_t fullBlocks = m_length / kBlockSize;
                const std::uint64_t blocksBefore = std::min(m_received / kBlockSize, fullBlocks);
                m_received += take;
                const std::uint64_t blocksAfter = std::min(m_received / kBlockSize, fullBlocks);
                if (m_received == m_length && !Complete(now)) {
                    return;  // refused: the sender gets no '>' for a file not stored
                }
                // Queued after the file is in place: the sender closes on the last answer.
                for (std::uint64_t block = blocksBefore; block < blocksAfter; ++block) {
                    QueueAnswer(kAck, now);
                }
                // Bytes past the announced length are not part of the file.
                return;
            }
            case Phase::Finishing:
            case Phase::Done:
                return;
        }
    }
}

bool ReceiveSession::TakeHeader(const std::uint8_t*& data, std::size_t& size) {
    const std::size_t take = std::min(size, 3 - m_header.size());
    m_header.append(reinterpret_cast<const char*>(data), take);
    data += take;
    size -= take;
    return m_header.size() == 3;
}

void ReceiveSession::TakeName(Clock::time_point now) {
    const NameCheck check = CheckWireName(m_nameBytes);
    if (!check.problem.empty()) {
        Refuse(check.problem, kRefusal, now);
        return;
    }
    // Refused before any contents come, not after the sender has sent them all.
    const std::string inTheWay = CheckTarget(m_options.into, check.name);
    if (!inTheWay.empty()) {
        Refuse(inTheWay, kRefusal, now);
        return;
    }
    std::string error;
    if (!m_file.Create(m_options.into, error)) {
        Refuse(error, kRefusal, now);
        return;
    }
    m_name = check.name;
    QueueAnswer(kAck, now);
    m_phase = Phase::Length;
}

bool ReceiveSession::HasRoom(Clock::time_point now) {
    const std::optional<std::uint64_t> free =
        m_options.assumeFree ? m_options.assumeFree : FreeSpace(m_options.into);
    const std::string problem = free ? CheckSpace(m_length, *free, m_promised())
                                     : "cannot tell the free space of the folder";
    if (!problem.empty()) {
        Refuse(problem, kRefusal, now);
        return false;
    }
    return true;
}

bool ReceiveSession::Complete(Clock::time_point now) {
    // Checked before anything in the folder changes: a file the panel would refuse never
    // takes the place of one it can use.
    const std::string unusable = CheckContents(m_name, m_file.Path());
    if (!unusable.empty()) {
        Refuse(unusable, kRefusal, now);
        return false;
    }
    std::string error;
    if (!m_file.Commit(m_name, error)) {
        Refuse(error, kRefusal, now);
        return false;
    }
    m_print("received " + m_name + " " + std::to_string(m_length) + " bytes");
    if (m_length == 0) {
        QueueAnswer(kAck, now);  // the answer to the length
    }
    Finish(now);
    return true;
}

void ReceiveSession::QueueAnswer(char byte, Clock::time_point now) {
    m_answers.push_back({byte, now + m_options.slow});
}

void ReceiveSession::Refuse(const std::string& reason, std::optional<char> answer,
                            Clock::time_point now) {
    // Gone before the line says so: whoever reads it finds no trace of the file.
    m_file.Discard();
    m_print("refused " + ShownName() + ": " + reason);
    if (!answer) {
        CloseNow();
        return;
    }
    m_answers.clear();
    QueueAnswer(*answer, now);
    Finish(now);
}

void ReceiveSession::Finish(Clock::time_point now) {
    m_phase = Phase::Finishing;
    // The sender closes once it has the last answer; closing first with its bytes unread
    // would reset the connection and could lose that answer on the way.
    m_finishBy = now + m_options.slow + m_options.timeout;
}

void ReceiveSession::OnOutput(Clock::time_point now) {
    while (WantsOutput(now)) {
        const char byte = m_answers.front().byte;
        const ssize_t sent = ::send(m_fd, &byte, 1, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return;
        }
        if (sent <= 0) {
            if (m_phase == Phase::Finishing) {
                CloseNow();
            } else {
                Refuse(std::string("connection error: ") + std::strerror(errno), std::nullopt, now);
            }
            return;
        }
        m_answers.pop_front();
        m_lastActivity = now;
    }
    OnTime(now);
}

void ReceiveSession::OnTime(Clock::time_point now) {
    if (m_phase == Phase::Name && !m_nameBytes.empty() && now >= m_lastNameByte + kNameGap) {
        TakeName(now);
    }
    if (m_phase == Phase::Done) {
        return;
    }
    if (now >= m_giveUpAt) {
        if (m_phase == Phase::Finishing) {
            CloseNow();  // its line is out already
        } else {
            Refuse("not done within " + FormatSeconds(m_options.deadline) + " (--deadline)",
                   std::nullopt, now);
        }
        return;
    }
    if (m_phase == Phase::Finishing) {
        if (m_answers.empty() && !m_outputShut) {
            ::shutdown(m_fd, SHUT_WR);
            m_outputShut = true;
        }
        if ((m_outputShut && m_inputEnded) || now >= m_finishBy) {
            CloseNow();
        }
        return;
    }
    const Clock::time_point since =
        m_answers.empty() ? m_lastActivity : std::max(m_lastActivity, m_answers.front().due);
    const bool stalled = (WaitingForClient() || !m_answers.empty()) &&
                         (m_answers.empty() || m_answers.front().due <= now) &&
                         now >= since + m_options.timeout;
    if (stalled) {
        Refuse("stalled, nothing for " + FormatSeconds(m_options.timeout), std::nullopt, now);
    }
}

void ReceiveSession::CloseNow() {
    m_file.Discard();
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    m_phase = Phase::Done;
}

std::string ReceiveSession::ShownName() const {
    return m_nameBytes.empty() ? std::string("-") : Printable(m_nameBytes);
}
