#include "link/LinkOutbox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "ControllerWire.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

/// A connection that takes at most `room` bytes until it is given more, and keeps what it took.
struct FakeConnection {
    std::size_t Write(const std::uint8_t* data, std::size_t size) {
        const std::size_t taken = std::min(size, room);
        wire.insert(wire.end(), data, data + taken);
        room -= taken;
        return taken;
    }
    LinkOutbox::Writer Writer() {
        return [this](const std::uint8_t* data, std::size_t size) { return Write(data, size); };
    }

    std::size_t room = SIZE_MAX;
    Bytes wire;
};

using Strings = std::vector<std::string>;

// What the controller gets when the connection takes less than it is offered: a press goes only
// at once, a release whose press went never stays behind, and nothing newer overtakes it.
TEST(LinkOutbox, AReleaseWhosePressWentOutIsNeverDropped) {
    struct Case {
        const char* name;
        std::size_t room;  ///< what the connection takes from the press on
        bool pressed;      ///< the press went out, in full or in part
    };
    const Case cases[] = {
        {"room for both", SIZE_MAX, true},         {"no room for the press", 0, false},
        {"room for the press only", 5, true},      {"room for part of the press", 3, true},
        {"room for part of the release", 7, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LinkOutbox outbox;
        FakeConnection connection;
        connection.room = c.room;
        EXPECT_EQ(outbox.Press(7, connection.Writer()), c.pressed);
        EXPECT_EQ(outbox.Release(7, connection.Writer()), c.pressed);
        EXPECT_EQ(connection.wire.size(), c.pressed ? std::min<std::size_t>(c.room, 10) : 0u);
        // Nothing newer overtakes what waits: a press is dropped, its release with it.
        if (outbox.Waiting() > 0) {
            connection.room = SIZE_MAX;
            EXPECT_FALSE(outbox.Press(8, connection.Writer()));
            EXPECT_FALSE(outbox.Release(8, connection.Writer()));
        }
        connection.room = SIZE_MAX;
        outbox.Flush(connection.Writer());
        EXPECT_EQ(ControllerMessages(connection.wire),
                  (c.pressed ? Strings{"P7", "R7"} : Strings{}));
        EXPECT_EQ(outbox.Waiting(), 0u);
    }
}

TEST(LinkOutbox, AStateRequestWaitsBehindTheReleaseAndOnceIsEnough) {
    LinkOutbox outbox;
    FakeConnection connection;
    connection.room = 5;
    ASSERT_TRUE(outbox.Press(3, connection.Writer()));
    ASSERT_TRUE(outbox.Release(3, connection.Writer()));
    outbox.StateRequest(connection.Writer());
    outbox.StateRequest(connection.Writer());
    EXPECT_EQ(outbox.Waiting(), 5u + 3u);
    connection.room = SIZE_MAX;
    outbox.Flush(connection.Writer());
    EXPECT_EQ(ControllerMessages(connection.wire), (Strings{"P3", "R3", "S"}));
}

TEST(LinkOutbox, ANewConnectionStartsWithNothingWaitingAndNoPressHeld) {
    LinkOutbox outbox;
    FakeConnection connection;
    ASSERT_TRUE(outbox.Press(3, connection.Writer()));
    connection.room = 5;
    ASSERT_TRUE(outbox.Press(4, connection.Writer()));
    ASSERT_TRUE(outbox.Release(4, connection.Writer()));
    EXPECT_EQ(outbox.Waiting(), 5u);
    outbox.Clear();
    EXPECT_EQ(outbox.Waiting(), 0u);
    // A release of a press made on the connection before has nowhere to go.
    connection.room = SIZE_MAX;
    EXPECT_FALSE(outbox.Release(3, connection.Writer()));
    ASSERT_TRUE(outbox.Press(5, connection.Writer()));
    EXPECT_TRUE(outbox.Release(5, connection.Writer()));
    EXPECT_EQ(ControllerMessages(connection.wire), (Strings{"P3", "P4", "P5", "R5"}));
}

// A press whose release never reaches the link (the finger lifted over a message box that
// opened meanwhile) keeps no later press from going out; the oldest such press is forgotten.
TEST(LinkOutbox, PressesWithoutTheirReleaseKeepNoLaterPressBack) {
    LinkOutbox outbox;
    FakeConnection connection;
    const int pressesLeft = static_cast<int>(LinkOutbox::kMostHeld) + 2;
    for (int taster = 0; taster < pressesLeft; ++taster) {
        EXPECT_TRUE(outbox.Press(taster, connection.Writer())) << "press " << taster;
    }
    EXPECT_TRUE(outbox.Press(9, connection.Writer()));
    EXPECT_TRUE(outbox.Release(9, connection.Writer()));
    EXPECT_FALSE(outbox.Release(0, connection.Writer())) << "the oldest press is forgotten";
    EXPECT_TRUE(outbox.Release(pressesLeft - 1, connection.Writer()));
    const Strings messages = ControllerMessages(connection.wire);
    ASSERT_GE(messages.size(), 3u);
    EXPECT_EQ(Strings(messages.end() - 3, messages.end()),
              (Strings{"P9", "R9", "R" + std::to_string(pressesLeft - 1)}));
}

// Thousands of taps, state requests and fingers held down while the connection takes a few
// bytes now and then: whatever is dropped, the controller reads whole messages only, every
// release after its press, and in the end every press has its release; little ever waits.
TEST(LinkOutbox, ACongestedConnectionLeavesNoButtonHeld) {
    std::mt19937 random(23);
    LinkOutbox outbox;
    FakeConnection connection;
    std::vector<int> down;
    std::size_t mostWaiting = 0;
    for (int step = 0; step < 20000; ++step) {
        connection.room = random() % 4 == 0 ? random() % 12 : 0;
        const int taster = static_cast<int>(random() % 6);
        switch (random() % 5) {
            case 0:
            case 1:
                if (down.size() < LinkOutbox::kMostHeld &&
                    std::find(down.begin(), down.end(), taster) == down.end()) {
                    outbox.Press(taster, connection.Writer());
                    down.push_back(taster);
                }
                break;
            case 2:
            case 3:
                if (!down.empty()) {
                    const std::size_t finger = random() % down.size();
                    outbox.Release(down[finger], connection.Writer());
                    down.erase(down.begin() + static_cast<std::ptrdiff_t>(finger));
                }
                break;
            default:
                if (random() % 8 == 0) {
                    outbox.StateRequest(connection.Writer());
                } else {
                    outbox.Flush(connection.Writer());
                }
        }
        mostWaiting = std::max(mostWaiting, outbox.Waiting());
    }
    for (const int taster : down) {
        outbox.Release(taster, connection.Writer());
    }
    connection.room = SIZE_MAX;
    outbox.Flush(connection.Writer());

    const Strings messages = ControllerMessages(connection.wire);
    const Strings held = ButtonsHeld(messages);
    EXPECT_TRUE(held.empty()) << held.size() << " buttons held at the controller";
    const auto presses = std::count_if(messages.begin(), messages.end(),
                                       [](const std::string& m) { return m[0] == 'P'; });
    EXPECT_GT(presses, 100);
    EXPECT_LE(mostWaiting, 5 * (LinkOutbox::kMostHeld + 1) + 2 * 3);
}

}  // namespace
