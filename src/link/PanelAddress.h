#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

/// One IPv4 address of a network interface of the panel, in host byte order
/// (192.168.1.20 is 0xC0A80114).
struct InterfaceAddress {
    std::uint32_t address = 0;
    bool up = false;        ///< the interface is up
    bool loopback = false;  ///< the interface is a loopback interface
};

/// The address the main menu shows for the panel. Resolving the host name gives a loopback
/// address on many installations, which tells the user nothing, so the first usable address of
/// an interface that is up and not a loopback comes first; then the resolved host address;
/// then "0.0.0.0". The host name lookup may be slow, so `resolveHost` is asked only when no
/// interface gives an address.
std::string ChoosePanelAddress(const std::vector<InterfaceAddress>& interfaces,
                               const std::function<std::optional<std::uint32_t>()>& resolveHost);

/// Every address at which another computer may reach the panel: of the interfaces that are
/// up and not loopback, each address once, in the order given; none without a network.
std::vector<std::string> ReachableAddresses(const std::vector<InterfaceAddress>& interfaces);

/// Dotted-decimal form of an address in host byte order.
std::string FormatIpv4(std::uint32_t address);

/// The IPv4 addresses of the panel's interfaces, in the order the system lists them.
std::vector<InterfaceAddress> ListInterfaceAddresses();

/// The host name of the panel resolved as an IPv4 address, if it resolves.
std::optional<std::uint32_t> ResolveHostAddress();

/// ChoosePanelAddress over the panel's own interfaces and host name.
std::string PanelAddress();
