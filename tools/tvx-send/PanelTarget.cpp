#include "PanelTarget.h"

#include <arpa/inet.h>

#include <cctype>

namespace {

constexpr std::size_t kMaxHostName = 253;
constexpr std::size_t kMaxLabel = 63;

bool IsHostName(const std::string& host) {
    if (host.empty() || host.size() > kMaxHostName) {
        return false;
    }
    std::size_t start = 0;
    for (;;) {
        const std::size_t dot = host.find('.', start);
        const std::string label =
            host.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
        if (label.empty() || label.size() > kMaxLabel || label.front() == '-' ||
            label.back() == '-') {
            return false;
        }
        for (const char c : label) {
            if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-') {
                return false;
            }
        }
        if (dot == std::string::npos) {
            return true;
        }
        start = dot + 1;
    }
}

bool IsIpv4(const std::string& host) {
    in_addr parsed{};
    return inet_pton(AF_INET, host.c_str(), &parsed) == 1;
}

std::optional<std::uint16_t> ParsePort(const std::string& text) {
    if (text.empty() || text.size() > 5 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    const unsigned long port = std::stoul(text);
    if (port == 0 || port > 65535) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(port);
}

}  // namespace

std::optional<PanelTarget> ParsePanelTarget(const std::string& text) {
    PanelTarget target;
    const auto colon = text.find(':');
    target.host = text.substr(0, colon);
    if (colon != std::string::npos) {
        const auto port = ParsePort(text.substr(colon + 1));
        if (!port) {
            return std::nullopt;
        }
        target.port = *port;
    }
    // A name of digits and dots only is meant as an address; "10.0.0.300" is none.
    const bool numeric = target.host.find_first_not_of("0123456789.") == std::string::npos;
    if (numeric ? !IsIpv4(target.host) : !IsHostName(target.host)) {
        return std::nullopt;
    }
    return target;
}
