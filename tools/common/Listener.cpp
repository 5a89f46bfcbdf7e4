#include "Listener.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "ToolProcess.h"

namespace {

bool MakeNonBlocking(int fd) {
    const int flags = fcntl(fd, F_GETFL, 0);
    return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0 &&
           fcntl(fd, F_SETFD, FD_CLOEXEC) == 0;
}

}  // namespace

int OpenListener(const std::string& address, std::uint16_t& port, int backlog, std::string& error) {
    sockaddr_in socketAddress{};
    socketAddress.sin_family = AF_INET;
    socketAddress.sin_port = htons(port);
    if (inet_pton(AF_INET, address.c_str(), &socketAddress.sin_addr) != 1) {
        error = "bad address " + address;
        return -1;
    }
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return -1;
    }
    // A tool restarted at once must get its port back while the old one is in TIME_WAIT.
    const int yes = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    if (bind(fd, reinterpret_cast<sockaddr*>(&socketAddress), sizeof socketAddress) != 0 ||
        listen(fd, backlog) != 0 || !MakeNonBlocking(fd)) {
        error = "cannot listen on " + address + ":" + std::to_string(port) + ": " +
                std::strerror(errno);
        close(fd);
        return -1;
    }
    socklen_t length = sizeof socketAddress;
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&socketAddress), &length) == 0) {
        port = ntohs(socketAddress.sin_port);
    }
    PrintLine("listening on " + address + ":" + std::to_string(port));
    return fd;
}

int AcceptClient(int listenFd, std::uint32_t* peerAddress) {
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    const int fd = accept(listenFd, reinterpret_cast<sockaddr*>(&peer), &length);
    if (fd < 0) {
        return -1;  // the client gave up before we got to it, or no descriptor is free just now
    }
    if (peerAddress != nullptr) {
        *peerAddress = ntohl(peer.sin_addr.s_addr);
    }
    if (!MakeNonBlocking(fd)) {
        close(fd);
        return -1;
    }
    // The tools answer in small messages that the peer waits for.
    const int yes = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    return fd;
}
