#include "link/PanelAddress.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

namespace {

bool IsLoopbackNetwork(std::uint32_t address) {
    return (address >> 24) == 127;
}

/// Whether another computer may reach the panel at this address. 0.0.0.0 on an interface
/// means it has no address yet.
bool IsReachable(const InterfaceAddress& entry) {
    return entry.up && !entry.loopback && !IsLoopbackNetwork(entry.address) && entry.address != 0;
}

}  // namespace

std::string ChoosePanelAddress(const std::vector<InterfaceAddress>& interfaces,
                               const std::function<std::optional<std::uint32_t>()>& resolveHost) {
    for (const InterfaceAddress& entry : interfaces) {
        if (IsReachable(entry)) {
            return FormatIpv4(entry.address);
        }
    }
    if (const auto host = resolveHost()) {
        return FormatIpv4(*host);
    }
    return "0.0.0.0";
}

std::vector<std::string> ReachableAddresses(const std::vector<InterfaceAddress>& interfaces) {
    std::vector<std::string> addresses;
    for (const InterfaceAddress& entry : interfaces) {
        const std::string shown = FormatIpv4(entry.address);
        if (IsReachable(entry) &&
            std::find(addresses.begin(), addresses.end(), shown) == addresses.end()) {
            addresses.push_back(shown);
        }
    }
    return addresses;
}

std::string FormatIpv4(std::uint32_t address) {
    return std::to_string(address >> 24) + "." + std::to_string((address >> 16) & 0xFF) + "." +
           std::to_string((address >> 8) & 0xFF) + "." + std::to_string(address & 0xFF);
}

std::vector<InterfaceAddress> ListInterfaceAddresses() {
    std::vector<InterfaceAddress> result;
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) {
        return result;
    }
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) {
            continue;
        }
        const auto* ipv4 = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
        result.push_back(InterfaceAddress{ntohl(ipv4->sin_addr.s_addr),
                                          (entry->ifa_flags & IFF_UP) != 0,
                                          (entry->ifa_flags & IFF_LOOPBACK) != 0});
    }
    ::freeifaddrs(list);
    return result;
}

std::optional<std::uint32_t> ResolveHostAddress() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') {
        return std::nullopt;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(name, nullptr, &hints, &found) != 0 || found == nullptr) {
        return std::nullopt;
    }
    std::optional<std::uint32_t> address;
    if (found->ai_addr != nullptr && found->ai_addr->sa_family == AF_INET) {
        address = ntohl(reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr);
    }
    ::freeaddrinfo(found);
    return address;
}

std::string PanelAddress() {
    return ChoosePanelAddress(ListInterfaceAddresses(), ResolveHostAddress);
}
