#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "AllowedPeers.h"
#include "ReceiveOptions.h"
#include "ReceiveSession.h"

/// The receiver's one thread: a poll() loop over the listening socket and the one client being
/// served. The next client is accepted only when the one before is done; it waits in the
/// listening queue meanwhile. A client from outside the allowed addresses is closed as soon as
/// it is accepted.
class ReceiveServer {
  public:
    explicit ReceiveServer(const ReceiveOptions& options);
    ~ReceiveServer();
    ReceiveServer(const ReceiveServer&) = delete;
    ReceiveServer& operator=(const ReceiveServer&) = delete;

    /// Checks the folder, opens the listening socket and prints where it listens; false with
    /// `error` set on failure.
    bool Listen(std::string& error);

    /// Serves until `stopFd` (the read end of the signal pipe) becomes readable.
    void Run(int stopFd);

  private:
    void Accept();

    ReceiveOptions m_options;
    AllowedPeers m_allowed;
    int m_listenFd = -1;
    std::unique_ptr<ReceiveSession> m_session;
};
