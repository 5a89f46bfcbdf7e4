#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

/// A block of IPv4 addresses: a network address and the number of leading bits that count.
/// Addresses are in host byte order (192.168.1.20 is 0xC0A80114).
struct AddressRange {
    std::uint32_t network = 0;
    int bits = 32;

    bool operator==(const AddressRange& other) const {
        return network == other.network && bits == other.bits;
    }
};

/// An allowed range as read from the command line.
struct RangeReading {
    std::optional<AddressRange> range;  ///< nothing when the text is refused
    std::string problem;                ///< why it is refused
    std::string note;                   ///< what the user should know about a range taken
};

/// Reads "ADDR" or "ADDR/BITS": a dotted IPv4 address and a prefix length of 0 ... 32 (32 when
/// left out). Bits of the address past the prefix are cleared, so "192.168.1.20/24" is the
/// network 192.168.1.0/24, and the note says which addresses that takes in. A prefix of 0 takes
/// in every address: only "0.0.0.0/0" says that, any other address with "/0" is refused as a
/// slip that would open the receiver to everyone.
RangeReading ParseAddressRange(const std::string& text);

/// Who may send files to the receiver: the loopback network 127.0.0.0/8 when no range is given,
/// else exactly the ranges given.
class AllowedPeers {
  public:
    explicit AllowedPeers(std::vector<AddressRange> ranges);

    bool Allows(std::uint32_t address) const;

  private:
    std::vector<AddressRange> m_ranges;
};
