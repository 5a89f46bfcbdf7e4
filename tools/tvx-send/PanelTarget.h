#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "link/TransferProtocol.h"

/// A receiving panel as the command line names it.
struct PanelTarget {
    std::string host;  ///< a dotted IPv4 address or a host name
    std::uint16_t port = TransferProtocol::kPort;

    /// "HOST:PORT": how the output names the panel.
    std::string Shown() const { return host + ":" + std::to_string(port); }
};

/// Reads "HOST" or "HOST:PORT" (port 1 ... 65535, 4001 when left out). Nothing when the host is
/// neither a dotted IPv4 address nor a host name (letters, digits and hyphens in dot-separated
/// labels; all digits and dots must make an IPv4 address), or the port is bad.
std::optional<PanelTarget> ParsePanelTarget(const std::string& text);
