#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "AllowedPeers.h"
#include "ReceiveOptions.h"
#include "ReceiveSession.h"

/// The receiver's one thread: a poll() loop over the listening socket and every client being
/// served, each by a session of its own, so that a slow or silent client holds up nobody else.
/// A client from outside the allowed addresses is closed as soon as it is accepted; with the
/// connection limit reached, clients wait in the listening queue and are taken as places come
/// free. A silent client holds its place for the stall timeout at most, and for a short while
/// only when another client waits for it.
class ReceiveServer {
  public:
    explicit ReceiveServer(const ReceiveOptions& options);
    ~ReceiveServer();
    ReceiveServer(const ReceiveServer&) = delete;
    ReceiveServer& operator=(const ReceiveServer&) = delete;

    /// Checks the folder and the number of files the process may open, opens the listening
    /// socket and prints where it listens, then removes the temporary files that transfers
    /// broken off left in the folder; false with `error` set on failure.
    bool Listen(std::string& error);

    /// Serves until `stopFd` (the read end of the signal pipe) becomes readable.
    void Run(int stopFd);

  private:
    /// Takes the clients waiting in the listening queue, a bounded number per round and no more
    /// than there are places.
    void Accept();
    /// The session that has waited for its client without a byte for longest; null when none
    /// waits.
    ReceiveSession* LongestSilent() const;
    /// With every place taken, ends the longest silent session when it has been silent for long
    /// enough to give way to a waiting client.
    void MakeRoom(ReceiveSession::Clock::time_point now);
    /// Bytes that the sessions under way have announced and not yet written.
    std::uint64_t Unwritten() const;

    ReceiveOptions m_options;
    AllowedPeers m_allowed;
    int m_listenFd = -1;
    std::vector<std::unique_ptr<ReceiveSession>> m_sessions;
};
