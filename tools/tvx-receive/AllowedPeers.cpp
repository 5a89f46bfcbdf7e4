#include "AllowedPeers.h"

#include <arpa/inet.h>

namespace {

const AddressRange kLoopback{0x7F000000, 8};

std::uint32_t Mask(int bits) {
    return bits == 0 ? 0 : ~std::uint32_t{0} << (32 - bits);
}

}  // namespace

std::optional<AddressRange> ParseAddressRange(const std::string& text) {
    const auto slash = text.find('/');
    const std::string address = text.substr(0, slash);
    in_addr parsed{};
    if (inet_pton(AF_INET, address.c_str(), &parsed) != 1) {
        return std::nullopt;
    }
    AddressRange range;
    if (slash != std::string::npos) {
        const std::string bits = text.substr(slash + 1);
        if (bits.empty() || bits.size() > 2 ||
            bits.find_first_not_of("0123456789") != std::string::npos) {
            return std::nullopt;
        }
        range.bits = std::stoi(bits);
        if (range.bits > 32) {
            return std::nullopt;
        }
    }
    range.network = ntohl(parsed.s_addr) & Mask(range.bits);
    return range;
}

AllowedPeers::AllowedPeers(std::vector<AddressRange> ranges) : m_ranges(std::move(ranges)) {
    if (m_ranges.empty()) {
        m_ranges.push_back(kLoopback);
    }
}

bool AllowedPeers::Allows(std::uint32_t address) const {
    for (const AddressRange& range : m_ranges) {
        if ((address & Mask(range.bits)) == range.network) {
            return true;
        }
    }
    return false;
}
