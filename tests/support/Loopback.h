#pragma once

#include <netinet/in.h>

#include <array>
#include <cstdint>
#include <string>

/// An IPv4 address as four octets; the tests use 127.0.0.0/8 only.
using Octets = std::array<int, 4>;

/// The socket address of `address`:`port`.
sockaddr_in SocketAddress(const Octets& address, std::uint16_t port);

/// A TCP socket listening at `address`:`port` (the address may be reused at once), or -1 when it
/// cannot be had. `receiveBuffer` above 0 limits what each accepted connection takes in while
/// nobody reads it.
int ListenOn(const Octets& address, std::uint16_t port, int backlog, bool nonBlocking,
             int receiveBuffer = 0);

/// A TCP client connected to a tool on 127.0.0.1; closed when it goes.
class LoopbackClient {
  public:
    /// `receiveBuffer` > 0 sets a small receive buffer, for a client that does not keep up.
    /// `source`, when given, is the loopback address the client sends from.
    explicit LoopbackClient(std::uint16_t port, int receiveBuffer = 0,
                            const std::string& source = std::string());
    ~LoopbackClient() { Close(); }
    LoopbackClient(const LoopbackClient&) = delete;
    LoopbackClient& operator=(const LoopbackClient&) = delete;

    void Close();

  protected:
    int m_fd = -1;
};
