#include "Loopback.h"

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

sockaddr_in SocketAddress(const Octets& address, std::uint16_t port) {
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(port);
    where.sin_addr.s_addr =
        htonl(static_cast<std::uint32_t>(address[0]) << 24 |
              static_cast<std::uint32_t>(address[1]) << 16 |
              static_cast<std::uint32_t>(address[2]) << 8 | static_cast<std::uint32_t>(address[3]));
    return where;
}

int ListenOn(const Octets& address, std::uint16_t port, int backlog, bool nonBlocking,
             int receiveBuffer) {
    const int fd =
        ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | (nonBlocking ? SOCK_NONBLOCK : 0), 0);
    if (fd < 0) {
        return -1;
    }
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    // Set before listening, so that the connections accepted inherit it from the start.
    if (receiveBuffer > 0) {
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    }
    const sockaddr_in where = SocketAddress(address, port);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&where), sizeof where) != 0 ||
        ::listen(fd, backlog) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

LoopbackClient::LoopbackClient(std::uint16_t port, int receiveBuffer, const std::string& source) {
    m_fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (receiveBuffer > 0) {
        setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    }
    if (!source.empty()) {
        sockaddr_in from{};
        from.sin_family = AF_INET;
        if (inet_pton(AF_INET, source.c_str(), &from.sin_addr) != 1 ||
            (ntohl(from.sin_addr.s_addr) >> 24) != 127 ||
            bind(m_fd, reinterpret_cast<sockaddr*>(&from), sizeof from) != 0) {
            ADD_FAILURE() << "cannot send from " << source;
        }
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ADD_FAILURE() << "cannot connect to port " << port;
    }
}

void LoopbackClient::Close() {
    if (m_fd >= 0) {
        close(m_fd);
        m_fd = -1;
    }
}
