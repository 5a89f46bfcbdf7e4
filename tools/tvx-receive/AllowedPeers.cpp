#include "AllowedPeers.h"

#include <arpa/inet.h>

#include "link/PanelAddress.h"

namespace {

const AddressRange kLoopback{0x7F000000, 8};

std::uint32_t Mask(int bits) {
    return bits == 0 ? 0 : ~std::uint32_t{0} << (32 - bits);
}

}  // namespace

RangeReading ParseAddressRange(const std::string& text) {
    RangeReading reading;
    const auto slash = text.find('/');
    const std::string address = text.substr(0, slash);
    in_addr parsed{};
    if (inet_pton(AF_INET, address.c_str(), &parsed) != 1) {
        reading.problem = "not an IPv4 address";
        return reading;
    }
    AddressRange range;
    if (slash != std::string::npos) {
        const std::string bits = text.substr(slash + 1);
        if (bits.empty() || bits.size() > 2 ||
            bits.find_first_not_of("0123456789") != std::string::npos || std::stoi(bits) > 32) {
            reading.problem = "the prefix is not a number of bits from 0 to 32";
            return reading;
        }
        range.bits = std::stoi(bits);
    }
    const std::uint32_t given = ntohl(parsed.s_addr);
    range.network = given & Mask(range.bits);
    if (range.bits == 0 && given != 0) {
        reading.problem = "/0 would allow every address; write 0.0.0.0/0 for that";
        return reading;
    }
    if (range.network != given) {
        const std::uint32_t last = range.network | ~Mask(range.bits);
        reading.note = text + " has bits set past its prefix: it allows " +
                       FormatIpv4(range.network) + "/" + std::to_string(range.bits) + ", " +
                       FormatIpv4(range.network) + " to " + FormatIpv4(last);
    }
    reading.range = range;
    return reading;
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
