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

/// One read that took everything the socket held: it ends where the controller paused.
int Paused(LampStream& stream, const Bytes& bytes, LampBitmap& lamps) {
    return stream.Receive(bytes.data(), bytes.size(), false, lamps);
}

/// Messages 0 ... count-1, message i lighting lamp i.
Bytes Messages(int count) {
    Bytes all;
    for (int i = 0; i < count; ++i) {
        all = Join({all, State({i})});
    }
    return all;
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
    EXPECT_EQ(Paused(stream, message, lamps), 1);
    EXPECT_EQ(LampsOn(lamps), (std::vector<int>{0, 2, 15, 1007}));
}

TEST(LampStreamTest, AMessageWaitsUntilItsLastByte) {
    const Bytes message = State({3});
    LampStream stream;
    LampBitmap lamps;
    EXPECT_EQ(stream.Receive(message.data(), 126, false, lamps), 0);
    EXPECT_EQ(stream.Pending(), 126u);
    EXPECT_FALSE(lamps.IsOn(3));
    EXPECT_EQ(stream.Receive(message.data() + 126, 1, false, lamps), 1);
    EXPECT_EQ(stream.Pending(), 0u);
    EXPECT_TRUE(lamps.IsOn(3));
}

struct Segmentation {
    const char* name;
    std::vector<std::size_t> cuts;  ///< sizes of the reads before the last, which takes the rest
    int applied;
    std::vector<int> lampsOn;
    std::size_t pending;
};

// Four messages (lamp 1, then 2, 3, 4) in reads that each end where the controller paused. A
// read that leaves the waiting bytes at no whole number of messages drops them, so the framing
// is in step again only where a read ends on a message boundary; what survives depends only on
// where the reads end.
TEST(LampStreamTest, AppliesWhatEachPausedReadLeavesWhole) {
    const Bytes stream4 = Join({State({1}), State({2}), State({3}), State({4})});
    const Segmentation cases[] = {
        {"all at once", {}, 4, {4}, 0},
        {"one by one", {127, 127, 127}, 4, {4}, 0},
        {"byte by byte", std::vector<std::size_t>(507, 1), 4, {4}, 0},
        {"small pieces inside the first, then the rest", {1, 60, 65}, 4, {4}, 0},
        {"a short first read only waits", {100}, 4, {4}, 0},
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
            applied += stream.Receive(stream4.data() + at, cut, false, lamps);
            at += cut;
            EXPECT_LT(stream.Pending(), kLampStateSize);
        }
        applied += stream.Receive(stream4.data() + at, stream4.size() - at, false, lamps);
        EXPECT_EQ(applied, c.applied);
        EXPECT_EQ(LampsOn(lamps), c.lampsOn);
        EXPECT_EQ(stream.Pending(), c.pending);
    }
}

TEST(LampStreamTest, WholeMessagesAtOnceAreAllAppliedLastWins) {
    for (const int count : {2, 15, 16, 31, 32}) {
        SCOPED_TRACE(count);
        LampStream stream;
        LampBitmap lamps;
        EXPECT_EQ(Paused(stream, Messages(count), lamps), count);
        EXPECT_EQ(LampsOn(lamps), std::vector<int>{count - 1});
        EXPECT_EQ(stream.Pending(), 0u);
    }
}

// A read that ends where the controller paused and is no whole number of messages is out of
// step as a whole: none of its bytes is taken for a message, not even those that would make
// whole messages at its front. The next read starts in step.
TEST(LampStreamTest, APausedReadOutOfStepIsDroppedWhole) {
    const Bytes stray(200, 0xFF);
    const Bytes good =
        Join({State({0}), State({0}), State({0}), State({0}), State({0}), State({0}), State({0}),
              State({0}), State({0}), State({0}), State({0}), State({0}), State({0}), State({0})});
    Bytes broken = Join({State({10}), State({20})});
    broken.resize(200);
    struct Case {
        const char* name;
        Bytes read;
    };
    const Case cases[] = {
        {"200 bytes of two messages", broken},
        {"200 stray bytes and 14 good messages in one read", Join({stray, good})},
        {"16 messages and 10 stray bytes", Join({Messages(16), Bytes(10, 0xEE)})},
        {"an echoed state request and a message", Join({Bytes{'x', '1', '3'}, State({7})})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LampStream stream;
        LampBitmap lamps;
        lamps.Set(5, true);
        EXPECT_EQ(Paused(stream, c.read, lamps), 0);
        EXPECT_EQ(stream.Pending(), 0u);
        EXPECT_EQ(LampsOn(lamps), std::vector<int>{5});
        EXPECT_EQ(Paused(stream, State({8}), lamps), 1);
        EXPECT_EQ(LampsOn(lamps), std::vector<int>{8});
    }
}

// Stray bytes, then the controller's messages one read each, as it sends them every 50 ms: the
// stray read is dropped at its pause, and every message after it is read in step.
TEST(LampStreamTest, StrayBytesThenASteadyStream) {
    for (const std::size_t strayBytes : {1, 73, 126, 127, 200, 1000, 4000}) {
        SCOPED_TRACE(strayBytes);
        LampStream stream;
        LampBitmap lamps;
        const Bytes stray(strayBytes, 0xFF);
        const int strayApplied = Paused(stream, stray, lamps);
        // Stray bytes of one message's length cannot be told from one; shorter ones wait and
        // take the first message down with them.
        EXPECT_EQ(strayApplied, strayBytes == 127 ? 1 : 0);
        for (int i = 0; i < 40; ++i) {
            const int applied = Paused(stream, State({i}), lamps);
            if (i == 0 && strayBytes < kLampStateSize) {
                EXPECT_EQ(applied, 0);
                EXPECT_EQ(stream.Pending(), 0u);
                continue;
            }
            EXPECT_EQ(applied, 1) << i;
            EXPECT_EQ(LampsOn(lamps), std::vector<int>{i});
        }
    }
}

// A controller pouring out messages faster than the panel reads them is read in pieces that
// fill the reader's buffer: every whole message is applied in step, however the flood is cut,
// and the read at its end, where the controller paused, finishes it.
TEST(LampStreamTest, AFloodReadInFullPiecesKeepsEveryMessage) {
    const Bytes flood = Messages(1000);
    for (const std::size_t piece : {1u, 100u, 127u, 200u, 4096u, 20000u}) {
        SCOPED_TRACE(piece);
        LampStream lamps;
        LampBitmap bitmap;
        int applied = 0;
        std::size_t at = 0;
        while (flood.size() - at > piece) {
            applied += lamps.Receive(flood.data() + at, piece, true, bitmap);
            at += piece;
            ASSERT_LT(lamps.Pending(), kLampStateSize);
            // One lamp of the flood's messages at a time: the pieces stay in step.
            const std::vector<int> on = LampsOn(bitmap);
            ASSERT_LE(on.size(), 1u);
            ASSERT_TRUE(on.empty() || on.front() < 1000);
        }
        applied += lamps.Receive(flood.data() + at, flood.size() - at, false, bitmap);
        EXPECT_EQ(applied, 1000);
        EXPECT_EQ(LampsOn(bitmap), std::vector<int>{999});
        EXPECT_EQ(lamps.Pending(), 0u);
    }

    // The tail a full piece leaves is judged with the read that ends the flood.
    LampStream lamps;
    LampBitmap bitmap;
    const Bytes ten = State({10});
    EXPECT_EQ(lamps.Receive(ten.data(), 50, true, bitmap), 0);
    EXPECT_EQ(lamps.Pending(), 50u);
    EXPECT_EQ(lamps.Receive(ten.data() + 50, 60, false, bitmap), 0);
    EXPECT_EQ(lamps.Pending(), 110u) << "part of a message waits for its rest";
    EXPECT_EQ(lamps.Receive(ten.data() + 110, 17, false, bitmap), 1);
    EXPECT_EQ(LampsOn(bitmap), std::vector<int>{10});
    const Bytes cutBurst = Join({State({11}), State({12}), State({13})});
    EXPECT_EQ(lamps.Receive(cutBurst.data(), 200, true, bitmap), 1);
    EXPECT_EQ(lamps.Receive(cutBurst.data() + 200, 100, false, bitmap), 0)
        << "an end that breaks a message drops what waits with it";
    EXPECT_EQ(lamps.Pending(), 0u);
    EXPECT_EQ(LampsOn(bitmap), std::vector<int>{11});
}

TEST(LampStreamTest, GarbageIsDroppedAndTheNextMessageReadInStep) {
    LampStream stream;
    LampBitmap lamps;
    const Bytes garbage = {'x', '1', '3', 0, 0};
    EXPECT_EQ(Paused(stream, garbage, lamps), 0);
    EXPECT_EQ(stream.Pending(), 5u);
    // The garbage and the message behind it make 132 bytes: both are dropped...
    EXPECT_EQ(Paused(stream, State({7}), lamps), 0);
    EXPECT_EQ(stream.Pending(), 0u);
    EXPECT_TRUE(LampsOn(lamps).empty());
    // ...and the stream is in step for the next one.
    EXPECT_EQ(Paused(stream, State({8}), lamps), 1);
    EXPECT_EQ(LampsOn(lamps), std::vector<int>{8});
}

TEST(LampStreamTest, ResetForgetsAPartialMessage) {
    LampStream stream;
    LampBitmap lamps;
    const Bytes first = State({1});
    EXPECT_EQ(stream.Receive(first.data(), 100, true, lamps), 0);
    stream.Reset();
    EXPECT_EQ(stream.Pending(), 0u);
    EXPECT_EQ(Paused(stream, State({2}), lamps), 1);
    EXPECT_EQ(LampsOn(lamps), std::vector<int>{2});
}

TEST(LampStreamTest, AnyReadsNeverHoldMoreThanAPartialMessage) {
    std::mt19937 random(1234);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<std::size_t> size(0, 5000);
    Bytes noise(5000);
    LampStream stream;
    LampBitmap lamps;
    for (int i = 0; i < 500; ++i) {
        for (std::uint8_t& b : noise) {
            b = static_cast<std::uint8_t>(byte(random));
        }
        const int applied = stream.Receive(noise.data(), size(random), i % 3 == 0, lamps);
        EXPECT_GE(applied, 0);
        ASSERT_LT(stream.Pending(), kLampStateSize);
    }
    EXPECT_EQ(stream.Receive(nullptr, 0, false, lamps), 0);
}

}  // namespace
