#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "PanelTarget.h"
#include "SendPlan.h"

/// How long a sender waits: for a connection, and for any one step of the exchange (the
/// panel's answer, or room to write).
struct SendTimeouts {
    std::chrono::milliseconds connect{TransferProtocol::kConnectSeconds * 1000};
    std::chrono::milliseconds step{10000};
};

/// What became of one file sent to one panel.
struct FileOutcome {
    bool sent = false;
    std::uint64_t bytes = 0;  ///< the length sent
    /// Why the file was not sent; when it was, an empty text or what could not be confirmed.
    std::string problem;
    /// The panel cannot be reached or stopped answering: files after this one are not tried.
    bool panelLost = false;
};

/// Sends planned files to one receiving panel: one connection per file, the transfer's protocol
/// driven by the panel's answers, every wait bounded by the timeouts. After the last block the
/// sender ends its side and waits for the panel's word (its end of the connection, or '>'), so
/// that a file the panel refuses at the end, or never confirms, is not counted as sent. An
/// answer that came before the bytes it answers were sent fails the file.
class PanelSender {
  public:
    /// Told the bytes sent so far and the file's length, after each block.
    using Progress = std::function<void(std::uint64_t sent, std::uint64_t length)>;

    PanelSender(PanelTarget target, SendTimeouts timeouts);

    FileOutcome Send(const PlannedFile& file, const Progress& progress);

  private:
    enum class Wait { Ready, TimedOut, Failed };
    /// How a write or the read of one answer ended. Closed is the panel's orderly end of the
    /// connection, Reset an abrupt one.
    enum class Io { Done, Closed, Reset, TimedOut, Failed };

    /// A connected non-blocking socket, or -1 with the outcome saying why not.
    int Connect(FileOutcome& outcome);
    bool Resolve(FileOutcome& outcome);
    Wait WaitFor(int fd, short events, std::chrono::steady_clock::time_point deadline);
    /// Writes all of `bytes`, waiting at most one step's time whenever the panel takes none.
    Io WriteAll(int fd, const std::vector<std::uint8_t>& bytes, std::string& error);
    /// Every byte the panel has sent by the time the first comes, waiting at most one step's
    /// time for that one.
    Io ReadAnswers(int fd, std::vector<std::uint8_t>& bytes, std::string& error);
    /// Fills in the outcome of a write or read that did not end in Done; `after` names the
    /// step last sent.
    void Broken(Io io, const std::string& error, const std::string& after, FileOutcome& outcome);

    PanelTarget m_target;
    SendTimeouts m_timeouts;
    /// The panel's IPv4 address in network byte order, once looked up.
    std::optional<std::uint32_t> m_address;
};
