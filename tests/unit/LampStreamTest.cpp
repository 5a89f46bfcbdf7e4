#include "link/LampStream.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <random>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

/// A lamp-state message with the given lamps on.
Bytes State(std::initializer_list<int> lampsOn, std::uint8_t header = 0) {
    Bytes message(kLampStateSize, 0);
    message[0] = header;
    for (const int lamp : lampsOn) {
        message[1 + static_cast<std::size_t>(lamp / 8)] |=
            static_cast<std::uint8_t>(1u << (lamp % 8));
    }
    return message;
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

std::vector<int> LampsOn(const LampBitmap& lamps) {
    std::vector<int> on;
    for (int lamp = 0; lamp < LampBitmap::kLamps; ++lamp) {
        if (lamps.IsOn(lamp)) {
            on.push_back(lamp);
        }
    }
    return on;
}

int FeedAll(LampStream& stream, const Bytes& bytes, LampBitmap& lamps) {
    return stream.Feed(bytes.data(), bytes.size(), lamps);
}

TEST(LampStreamTest, BitmapBytesFollowTheHeaderLeastSignificantBitFirst) {
    Bytes message(kLampStateSize, 0xA5);  // the header is never looked at
    std::fill(message.begin() + 1, message.end(), 0);
    message[1] = 0x05;    // lamps 0 and 2
    message[2] = 0x80;    // lamp 15
    message[126] = 0x80;  // lamp 1007, the last one
    LampStream stream;
    LampBitmap lamps;
    lamps.Set(1, true);  // a complete message replaces every lamp
    EXPECT_EQ(FeedAll(stream, message, lamps), 1);
    EXPECT_EQ(LampsOn(lamps), (std::vector<int>{0, 2, 15, 1007}));
}

TEST(LampStreamTest, AMessageWaitsUntilItsLastByte) {
    const Bytes message = State({3});
    LampStream stream;
    LampBitmap lamps;
    EXPECT_EQ(stream.Feed(message.data(), 126, lamps), 0);
    EXPECT_EQ(stream.Pending(), 126u);
    EXPECT_FALSE(lamps.IsOn(3));
    EXPECT_EQ(stream.Feed(message.data() + 126, 1, lamps), 1);
    EXPECT_EQ(stream.Pending(), 0u);
    EXPECT_TRUE(lamps.IsOn(3));
}

struct Segmentation {
    const char* name;
    std::vector<std::size_t> cuts;  ///< sizes of the pieces before the last, which takes the rest
    int applied;
    std::vector<int> lampsOn;
    std::size_t pending;
};

// Four messages (lamp 1, then 2, 3, 4) delivered in pieces. A piece that leaves the pending
// bytes at no whole number of messages drops them, so the framing is in step again only where a
// piece ends on a message boundary; what survives depends only on where the cuts fall.
TEST(LampStreamTest, AppliesWhatEachSegmentationLeavesWhole) {
    const Bytes stream4 = Join({State({1}), State({2}), State({3}), State({4})});
    const Segmentation cases[] = {
        {"all at once", {}, 4, {4}, 0},
        {"one by one", {127, 127, 127}, 4, {4}, 0},
        {"byte by byte", std::vector<std::size_t>(507, 1), 4, {4}, 0},
        {"small pieces inside the first, then the rest", {1, 60, 65}, 4, {4}, 0},
        {"a short first piece only waits", {100}, 4, {4}, 0},
        {"two, then one in bits, then one", {254, 100, 26, 1}, 4, {4}, 0},
        {"cut mid-message, in step at the next boundary", {200, 181}, 1, {4}, 0},
        {"cut mid-message to the end", {300}, 0, {}, 0},
        {"the tail after a drop waits", {400}, 0, {}, 108},
    };
    for (const Segmentation& c : cases) {
        SCOPED_TRACE(c.name);
        LampStream stream;
        LampBitmap lamps;
        int applied = 0;
        std::size_t at = 0;
        for (const std::size_t cut : c.cuts) {
            applied += stream.Feed(stream4.data() + at, cut, lamps);
            at += cut;
            EXPECT_LT(stream.Pending(), kLampStateSize);
        }
        applied += stream.Feed(stream4.data() + at, stream4.size() - at, lamps);
        EXPECT_EQ(applied, c.applied);
        EXPECT_EQ(LampsOn(lamps), c.lampsOn);
        EXPECT_EQ(stream.Pending(), c.pending);
    }
}

TEST(LampStreamTest, WholeMessagesAtOnceAreAllAppliedLastWins) {
    LampStream stream;
    LampBitmap lamps;
    EXPECT_EQ(FeedAll(stream, Join({State({10}), State({20})}), lamps), 2);
    EXPECT_EQ(LampsOn(lamps), std::vector<int>{20});
}

TEST(LampStreamTest, ALengthThatIsNoWholeNumberOfMessagesIsDropped) {
    LampStream stream;
    LampBitmap lamps;
    lamps.Set(5, true);
    Bytes bytes = Join({State({10}), State({20})});
    bytes.resize(200);
    EXPECT_EQ(FeedAll(stream, bytes, lamps), 0);
    EXPECT_EQ(stream.Pending(), 0u);
    EXPECT_EQ(LampsOn(lamps), std::vector<int>{5});
}

TEST(LampStreamTest, LongBurstsAreAppliedRoundByRound) {
    for (const int count : {15, 16, 20, 30, 31, 100}) {
        SCOPED_TRACE(count);
        Bytes burst;
        for (int i = 0; i < count; ++i) {
            const Bytes message = State({i});
            burst.insert(burst.end(), message.begin(), message.end());
        }
        LampStream stream;
        LampBitmap lamps;
        EXPECT_EQ(FeedAll(stream, burst, lamps), count);
        EXPECT_EQ(LampsOn(lamps), std::vector<int>{count - 1});
        EXPECT_EQ(stream.Pending(), 0u);
    }
}

TEST(LampStreamTest, ABurstWithABrokenTailKeepsItsFullRounds) {
    // 16 messages and 10 stray bytes: the first round takes 15 whole messages, the 137 bytes
    // left are no whole number of messages and go.
    Bytes burst;
    for (int i = 0; i < 16; ++i) {
        const Bytes message = State({i});
        burst.insert(burst.end(), message.begin(), message.end());
    }
    burst.insert(burst.end(), 10, 0xEE);
    LampStream stream;
    LampBitmap lamps;
    EXPECT_EQ(FeedAll(stream, burst, lamps), 15);
    EXPECT_EQ(LampsOn(lamps), std::vector<int>{14});
    EXPECT_EQ(stream.Pending(), 0u);
}

TEST(LampStreamTest, GarbageIsDroppedAndTheNextMessageReadInStep) {
    LampStream stream;
    LampBitmap lamps;
    const Bytes garbage = {'x', '1', '3', 0, 0};
    EXPECT_EQ(FeedAll(stream, garbage, lamps), 0);
    EXPECT_EQ(stream.Pending(), 5u);
    // The garbage and the message behind it make 132 bytes: both are dropped...
    EXPECT_EQ(FeedAll(stream, State({7}), lamps), 0);
    EXPECT_EQ(stream.Pending(), 0u);
    EXPECT_TRUE(LampsOn(lamps).empty());
    // ...and the stream is in step for the next one.
    EXPECT_EQ(FeedAll(stream, State({8}), lamps), 1);
    EXPECT_EQ(LampsOn(lamps), std::vector<int>{8});
}

TEST(LampStreamTest, ResetForgetsAPartialMessage) {
    LampStream stream;
    LampBitmap lamps;
    const Bytes first = State({1});
    EXPECT_EQ(stream.Feed(first.data(), 100, lamps), 0);
    stream.Reset();
    EXPECT_EQ(stream.Pending(), 0u);
    EXPECT_EQ(FeedAll(stream, State({2}), lamps), 1);
    EXPECT_EQ(LampsOn(lamps), std::vector<int>{2});
}

TEST(LampStreamTest, AFloodNeverHoldsMoreThanAPartialMessage) {
    std::mt19937 random(1234);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<std::size_t> size(0, 5000);
    Bytes flood(5000);
    LampStream stream;
    LampBitmap lamps;
    for (int i = 0; i < 500; ++i) {
        for (std::uint8_t& b : flood) {
            b = static_cast<std::uint8_t>(byte(random));
        }
        const int applied = stream.Feed(flood.data(), size(random), lamps);
        EXPECT_GE(applied, 0);
        ASSERT_LT(stream.Pending(), kLampStateSize);
    }
    EXPECT_EQ(stream.Feed(nullptr, 0, lamps), 0);
}

// A controller that keeps sending is read at arbitrary points: Take keeps a broken tail for the
// bytes that follow, so every message of the stream is applied in step, however it is cut; only
// a tail still broken when the controller pauses is dropped.
TEST(LampStreamTest, TakeKeepsABrokenTailForTheBytesThatFollow) {
    Bytes stream;
    for (int i = 0; i < 100; ++i) {
        stream = Join({stream, State({i})});
    }
    std::mt19937 random(99);
    for (const std::size_t largest : {1u, 100u, 127u, 200u, 4096u, 20000u}) {
        SCOPED_TRACE(largest);
        std::uniform_int_distribution<std::size_t> size(1, largest);
        LampStream lamps;
        LampBitmap bitmap;
        int applied = 0;
        for (std::size_t at = 0; at < stream.size();) {
            const std::size_t piece = std::min(size(random), stream.size() - at);
            applied += lamps.Take(stream.data() + at, piece, bitmap);
            at += piece;
            ASSERT_LT(lamps.Pending(), LampStream::kRoundSize);
        }
        EXPECT_EQ(applied, 100);
        EXPECT_EQ(LampsOn(bitmap), std::vector<int>{99});
        EXPECT_EQ(lamps.Pending(), 0u);
    }

    struct Case {
        const char* name;
        Bytes taken;
        int applied;             ///< by Take
        std::size_t pending;     ///< after Take
        std::vector<int> lamps;  ///< after the pause
    };
    Bytes broken = Join({State({10}), State({20})});
    broken.resize(200);
    const Bytes ten = State({10});
    const Case cases[] = {
        {"a whole number of messages at once", Join({State({10}), State({20})}), 2, 0, {20}},
        {"a broken length waits, then goes", broken, 0, 200, {5}},
        {"part of a message waits on", Bytes(ten.begin(), ten.begin() + 50), 0, 50, {5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LampStream lamps;
        LampBitmap bitmap;
        bitmap.Set(5, true);
        EXPECT_EQ(lamps.Take(c.taken.data(), c.taken.size(), bitmap), c.applied);
        EXPECT_EQ(lamps.Pending(), c.pending);
        // The controller pauses: the tail is judged as Feed judges it.
        EXPECT_EQ(lamps.Feed(nullptr, 0, bitmap), 0);
        EXPECT_EQ(LampsOn(bitmap), c.lamps);
        EXPECT_LT(lamps.Pending(), kLampStateSize);
    }
}

}  // namespace
