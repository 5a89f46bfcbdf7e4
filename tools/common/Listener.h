#pragma once

#include <cstdint>
#include <string>

/// Opens a non-blocking TCP listening socket on `address`:`port` and prints "listening on
/// ADDR:PORT", with the port the system chose when `port` was 0 (`port` is set to it). Returns
/// the socket, or -1 with `error` set.
int OpenListener(const std::string& address, std::uint16_t& port, int backlog, std::string& error);

/// Takes the next waiting client off `listenFd`, non-blocking and with every write sent at once;
/// -1 when there is none. `peerAddress`, when given, gets the client's IPv4 address (host byte
/// order).
int AcceptClient(int listenFd, std::uint32_t* peerAddress = nullptr);
