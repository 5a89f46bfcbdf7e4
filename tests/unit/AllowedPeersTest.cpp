#include "AllowedPeers.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

TEST(AllowedPeers, ReadsAnAddressWithAnOptionalPrefix) {
    struct Case {
        std::string text;
        std::optional<AddressRange> range;
        std::string note;  ///< the end of the note; empty: none
    };
    const Case cases[] = {
        {"192.168.1.20", AddressRange{0xC0A80114, 32}, ""},
        {"192.168.1.0/24", AddressRange{0xC0A80100, 24}, ""},
        // Bits past the prefix do not count, and the user is told what the range takes in.
        {"192.168.1.20/24", AddressRange{0xC0A80100, 24},
         "it allows 192.168.1.0/24, 192.168.1.0 to 192.168.1.255"},
        {"127.0.0.50/30", AddressRange{0x7F000030, 30},
         "it allows 127.0.0.48/30, 127.0.0.48 to 127.0.0.51"},
        {"10.1.2.3/8", AddressRange{0x0A000000, 8},
         "it allows 10.0.0.0/8, 10.0.0.0 to 10.255.255.255"},
        {"10.1.2.3/32", AddressRange{0x0A010203, 32}, ""},
        // Every address only when said so.
        {"0.0.0.0/0", AddressRange{0, 0}, ""},
        {"10.0.0.1/0", std::nullopt, ""},
        {"0.0.0.1/0", std::nullopt, ""},
        {"10.1.2.3/33", std::nullopt, ""},
        {"10.1.2.3/", std::nullopt, ""},
        {"10.1.2.3/-1", std::nullopt, ""},
        {"10.1.2.3/+8", std::nullopt, ""},
        {"10.1.2.3/008", std::nullopt, ""},
        {"10.1.2.3/8/8", std::nullopt, ""},
        {"10.1.2/8", std::nullopt, ""},
        {"10.1.2.256", std::nullopt, ""},
        {"localhost", std::nullopt, ""},
        {"::1", std::nullopt, ""},
        {"", std::nullopt, ""},
        {"/8", std::nullopt, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const RangeReading reading = ParseAddressRange(c.text);
        EXPECT_EQ(reading.range, c.range);
        EXPECT_EQ(reading.problem.empty(), c.range.has_value()) << reading.problem;
        if (c.note.empty()) {
            EXPECT_EQ(reading.note, "");
        } else {
            EXPECT_EQ(reading.note, c.text + " has bits set past its prefix: " + c.note);
        }
    }
}

TEST(AllowedPeers, AllowsTheLoopbackNetworkOrExactlyTheRangesGiven) {
    struct Case {
        std::vector<std::string> ranges;
        std::uint32_t address;
        bool allowed;
    };
    const Case cases[] = {
        {{}, 0x7F000001, true},
        {{}, 0x7FFFFFFE, true},
        {{}, 0x80000001, false},
        {{}, 0xC0A80114, false},
        {{"192.168.1.0/24"}, 0xC0A80114, true},
        {{"192.168.1.0/24"}, 0xC0A801FF, true},
        {{"192.168.1.0/24"}, 0xC0A80214, false},
        {{"192.168.1.0/24"}, 0x7F000001, false},
        {{"192.168.1.20"}, 0xC0A80114, true},
        {{"192.168.1.20"}, 0xC0A80115, false},
        {{"192.168.1.20", "127.0.0.0/8"}, 0x7F000001, true},
        {{"0.0.0.0/0"}, 0x01020304, true},
        {{"128.0.0.0/1"}, 0x7FFFFFFF, false},
        {{"128.0.0.0/1"}, 0x80000000, true},
    };
    for (const Case& c : cases) {
        std::vector<AddressRange> ranges;
        for (const std::string& text : c.ranges) {
            ranges.push_back(ParseAddressRange(text).range.value());
        }
        EXPECT_EQ(AllowedPeers(ranges).Allows(c.address), c.allowed)
            << std::hex << c.address << " with " << c.ranges.size() << " ranges";
    }
}

}  // namespace
