#include "link/LinkMessages.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

struct ValueBytes {
    int taster;
    std::uint8_t high;
    std::uint8_t low;
};

// The value is an int cut into two bytes by division and remainder, so values outside 0 ... 65535
// (a layout written elsewhere) still give defined, predictable bytes.
const ValueBytes kValueBytes[] = {
    {300, 0x01, 0x2C},         {0, 0x00, 0x00},     {255, 0x00, 0xFF},     {256, 0x01, 0x00},
    {65535, 0xFF, 0xFF},       {65536, 0x00, 0x00}, {70000, 0x11, 0x70},   {-1, 0x00, 0xFF},
    {-256, 0xFF, 0x00},        {-300, 0xFF, 0xD4},  {INT_MAX, 0xFF, 0xFF}, {INT_MIN, 0x00, 0x00},
    {INT_MIN + 1, 0x01, 0x01},
};

TEST(LinkMessagesTest, PressAndReleaseCarryTheValueHighByteFirst) {
    for (const ValueBytes& c : kValueBytes) {
        SCOPED_TRACE(c.taster);
        EXPECT_EQ(PressMessage(c.taster), (ButtonMessage{0x78, 0x31, 0x31, c.high, c.low}));
        EXPECT_EQ(ReleaseMessage(c.taster), (ButtonMessage{0x78, 0x31, 0x32, c.high, c.low}));
    }
}

TEST(LinkMessagesTest, StateRequestIsX13) {
    EXPECT_EQ(StateRequest(), (std::array<std::uint8_t, 3>{0x78, 0x31, 0x33}));
}

}  // namespace
