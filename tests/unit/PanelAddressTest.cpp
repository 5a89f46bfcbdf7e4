#include "link/PanelAddress.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

constexpr std::uint32_t Ip(int a, int b, int c, int d) {
    return (static_cast<std::uint32_t>(a) << 24) | (static_cast<std::uint32_t>(b) << 16) |
           (static_cast<std::uint32_t>(c) << 8) | static_cast<std::uint32_t>(d);
}

constexpr InterfaceAddress Up(std::uint32_t address) {
    return InterfaceAddress{address, true, false};
}

TEST(PanelAddressTest, FormatIsDottedDecimal) {
    EXPECT_EQ(FormatIpv4(Ip(192, 168, 1, 20)), "192.168.1.20");
    EXPECT_EQ(FormatIpv4(0), "0.0.0.0");
    EXPECT_EQ(FormatIpv4(0xFFFFFFFF), "255.255.255.255");
    EXPECT_EQ(FormatIpv4(Ip(10, 0, 255, 7)), "10.0.255.7");
}

struct Choice {
    const char* what;
    std::vector<InterfaceAddress> interfaces;
    std::optional<std::uint32_t> host;
    std::string expected;
    std::vector<std::string> reachable;  ///< every address another computer may use
};

// The address the menu shows, and the addresses the page that waits for a layout lists.
TEST(PanelAddressTest, FirstUsableInterfaceThenHostNameThenZeros) {
    const InterfaceAddress lo{Ip(127, 0, 0, 1), true, true};
    const std::vector<Choice> cases = {
        {"first non-loopback interface",
         {lo, Up(Ip(192, 168, 1, 20)), Up(Ip(10, 0, 0, 5))},
         Ip(127, 0, 1, 1),
         "192.168.1.20",
         {"192.168.1.20", "10.0.0.5"}},
        {"order of the list decides",
         {Up(Ip(10, 0, 0, 5)), Up(Ip(192, 168, 1, 20))},
         {},
         "10.0.0.5",
         {"10.0.0.5", "192.168.1.20"}},
        {"an address on two interfaces is one address",
         {Up(Ip(10, 0, 0, 5)), Up(Ip(10, 0, 0, 6)), Up(Ip(10, 0, 0, 5))},
         {},
         "10.0.0.5",
         {"10.0.0.5", "10.0.0.6"}},
        {"stock installation: only loopback, host name gives 127.0.1.1",
         {lo},
         Ip(127, 0, 1, 1),
         "127.0.1.1",
         {}},
        {"a 127.x address on a normal interface is loopback too",
         {Up(Ip(127, 0, 1, 1)), Up(Ip(172, 16, 0, 2))},
         {},
         "172.16.0.2",
         {"172.16.0.2"}},
        {"an interface flagged loopback is skipped whatever its address",
         {InterfaceAddress{Ip(10, 1, 1, 1), true, true}},
         Ip(192, 168, 0, 9),
         "192.168.0.9",
         {}},
        {"an interface that is down is skipped",
         {InterfaceAddress{Ip(192, 168, 1, 20), false, false}, Up(Ip(192, 168, 2, 30))},
         {},
         "192.168.2.30",
         {"192.168.2.30"}},
        {"an interface without an address yet is skipped",
         {Up(0)},
         Ip(10, 9, 8, 7),
         "10.9.8.7",
         {}},
        {"nothing at all", {}, {}, "0.0.0.0", {}},
        {"only loopback and no name", {lo}, {}, "0.0.0.0", {}},
    };
    for (const Choice& c : cases) {
        SCOPED_TRACE(c.what);
        int asked = 0;
        const std::string chosen = ChoosePanelAddress(c.interfaces, [&] {
            ++asked;
            return c.host;
        });
        EXPECT_EQ(chosen, c.expected);
        EXPECT_LE(asked, 1);
        EXPECT_EQ(ReachableAddresses(c.interfaces), c.reachable);
    }
}

TEST(PanelAddressTest, HostNameIsNotLookedUpWhenAnInterfaceAnswers) {
    int asked = 0;
    ChoosePanelAddress({Up(Ip(192, 168, 1, 20))}, [&] {
        ++asked;
        return std::optional<std::uint32_t>{};
    });
    EXPECT_EQ(asked, 0);
}

TEST(PanelAddressTest, ThisMachineGivesAnAddress) {
    const std::string address = PanelAddress();
    EXPECT_TRUE(std::regex_match(address, std::regex(R"(\d{1,3}\.\d{1,3}\.\d{1,3}\.\d{1,3})")))
        << address;
}

}  // namespace
