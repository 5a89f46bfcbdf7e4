#include "link/LampStream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;
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

/// Messages 0 ... count-1, message i lighting lamp i.
Bytes Messages(int count) {
    Bytes all;
    for (int i = 0; i < count; ++i) {
        all = Join({all, State({i})});
    }
    return all;
}

/// The lamp stream with a clock of the test's own, and the lamps it sets.
struct Reader {
    /// A read that took everything the socket held, `gap` after the one before: by default a
    /// pause of the controller, as between two of its messages.
    int Read(const std::uint8_t* data, std::size_t size, std::chrono::milliseconds gap = 50ms) {
        now += gap;
        return stream.Receive(data, size, false, now, lamps);
    }
    int Read(const Bytes& bytes, std::chrono::milliseconds gap = 50ms) {
        return Read(bytes.data(), bytes.size(), gap);
    }
    /// A read that filled the reader's buffer, at once after the one before.
    int ReadCutShort(const std::uint8_t* data, std::size_t size) {
        return stream.Receive(data, size, true, now, lamps);
    }

    std::vector<int> LampsOn() const {
        std::vector<int> on;
        for (int lamp = 0; lamp < LampBitmap::kLamps; ++lamp) {
            if (lamps.IsOn(lamp)) {
                on.push_back(lamp);
            }
        }
        return on;
    }

    LampStream stream;
    LampBitmap lamps;
    LampStream::Clock::time_point now{};
};

TEST(LampStreamTest, BitmapBytesFollowTheHeaderLeastSignificantBitFirst) {
    Bytes message(kLampStateSize, 0xA5);  // the header is never looked at
    std::fill(message.begin() + 1, message.end(), 0);
    message[1] = 0x05;    // lamps 0 and 2
    message[2] = 0x80;    // lamp 15
    message[126] = 0x80;  // lamp 1007, the last one
    Reader reader;
    reader.lamps.Set(1, true);  // a complete message replaces every lamp
    EXPECT_EQ(reader.Read(message), 1);
    EXPECT_EQ(reader.LampsOn(), (std::vector<int>{0, 2, 15, 1007}));
}

TEST(LampStreamTest, AMessageWaitsUntilItsLastByteThroughAnyPause) {
    const Bytes message = State({3});
    Reader reader;
    EXPECT_EQ(reader.Read(message.data(), 126), 0);
    reader.stream.Pause();
    EXPECT_EQ(reader.stream.Pending(), 126u);
    EXPECT_FALSE(reader.stream.InDoubt());
    EXPECT_FALSE(reader.lamps.IsOn(3));
    EXPECT_EQ(reader.Read(message.data() + 126, 1, 1000ms), 1);
    EXPECT_EQ(reader.stream.Pending(), 0u);
    EXPECT_TRUE(reader.lamps.IsOn(3));
}

struct Segmentation {
    const char* name;
    std::vector<std::size_t> reads;  ///< sizes of the reads, in order; the rest is never sent
    std::chrono::milliseconds gap;   ///< between the reads
    int applied;
    std::vector<int> lampsOn;
    std::size_t pending;  ///< after the controller's pause at the end
};

// Four messages (lamp 1, then 2, 3, 4) in reads that each took all there was, then a pause of
// the controller. A read that leaves no whole number of messages waits in doubt: the next read,
// soon after it or together with it making a whole number of messages, is the rest of one
// burst; a later one comes after a pause of the controller, and what waited goes.
TEST(LampStreamTest, AppliesWhatTheReadsLeaveWhole) {
    const Bytes stream4 = Join({State({1}), State({2}), State({3}), State({4})});
    const Segmentation cases[] = {
        {"all at once", {508}, 50ms, 4, {4}, 0},
        {"one by one", {127, 127, 127, 127}, 50ms, 4, {4}, 0},
        {"byte by byte", std::vector<std::size_t>(508, 1), 50ms, 4, {4}, 0},
        {"small pieces inside the first, then the rest", {1, 60, 65, 382}, 50ms, 4, {4}, 0},
        {"a short first read only waits", {100, 408}, 50ms, 4, {4}, 0},
        {"two, then one in bits, then one", {254, 100, 26, 1, 127}, 50ms, 4, {4}, 0},
        {"cut mid-message, completed by the next read", {200, 308}, 50ms, 4, {4}, 0},
        {"cut mid-message twice, in one burst", {200, 100, 208}, 1ms, 4, {4}, 0},
        {"cut mid-message twice, with pauses", {200, 100, 208}, 50ms, 0, {}, 0},
        {"cut mid-message, the rest never comes", {300}, 50ms, 0, {}, 0},
        {"three, and the start of the fourth", {381, 100}, 50ms, 3, {3}, 100},
    };
    for (const Segmentation& c : cases) {
        SCOPED_TRACE(c.name);
        Reader reader;
        int applied = 0;
        std::size_t at = 0;
        for (const std::size_t read : c.reads) {
            applied += reader.Read(stream4.data() + at, read, c.gap);
            at += read;
        }
        reader.stream.Pause();
        EXPECT_EQ(applied, c.applied);
        EXPECT_EQ(reader.LampsOn(), c.lampsOn);
        EXPECT_EQ(reader.stream.Pending(), c.pending);
    }
}

TEST(LampStreamTest, WholeMessagesAtOnceAreAllAppliedLastWins) {
    for (const int count : {2, 15, 16, 31, 32}) {
        SCOPED_TRACE(count);
        Reader reader;
        EXPECT_EQ(reader.Read(Messages(count)), count);
        EXPECT_EQ(reader.LampsOn(), std::vector<int>{count - 1});
        EXPECT_EQ(reader.stream.Pending(), 0u);
    }
}

// A read that took all there was and is no whole number of messages is out of step when the
// controller paused after it: none of its bytes is ever taken for a message, not even those
// that would make whole messages at its front. The controller's next message, or its silence
// for a tick, tells; the message is read in step.
TEST(LampStreamTest, AReadOutOfStepIsNeverApplied) {
    const Bytes stray(200, 0xFF);
    Bytes good;
    for (int i = 0; i < 14; ++i) {
        good = Join({good, State({0})});
    }
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
    for (const bool silent : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (silent ? ", then a silent tick" : ""));
            Reader reader;
            reader.lamps.Set(5, true);
            EXPECT_EQ(reader.Read(c.read), 0);
            EXPECT_TRUE(reader.stream.InDoubt());
            EXPECT_EQ(reader.LampsOn(), std::vector<int>{5});
            if (silent) {
                reader.stream.Pause();
                EXPECT_EQ(reader.stream.Pending(), 0u);
            }
            EXPECT_EQ(reader.Read(State({8})), 1);
            EXPECT_EQ(reader.LampsOn(), std::vector<int>{8});
            EXPECT_EQ(reader.stream.Pending(), 0u);
        }
    }
}

// Stray bytes, then the controller's messages one read each, every 50 ms: no lamp is ever lit
// by the stray bytes, and every message is read in step from the first one not glued to them.
TEST(LampStreamTest, StrayBytesThenASteadyStream) {
    for (const std::size_t strayBytes : {1, 73, 126, 128, 200, 1000, 4000}) {
        SCOPED_TRACE(strayBytes);
        Reader reader;
        EXPECT_EQ(reader.Read(Bytes(strayBytes, 0xFF)), 0);
        // Stray bytes shorter than a message wait for more and take the first message down.
        const int firstShown = strayBytes < kLampStateSize ? 1 : 0;
        for (int i = 0; i < 40; ++i) {
            EXPECT_EQ(reader.Read(State({i})), i < firstShown ? 0 : 1) << i;
            EXPECT_EQ(reader.LampsOn(), i < firstShown ? std::vector<int>{} : std::vector<int>{i});
        }
        EXPECT_EQ(reader.stream.Pending(), 0u);
    }
}

// A controller pouring out messages faster than the panel reads them is read in pieces that
// fill the reader's buffer: every whole message is applied in step, however the flood is cut,
// and the read at its end, where the controller paused, finishes it.
TEST(LampStreamTest, AFloodReadInFullPiecesKeepsEveryMessage) {
    const Bytes flood = Messages(1000);
    for (const std::size_t piece : {1u, 100u, 127u, 200u, 4096u, 20000u}) {
        SCOPED_TRACE(piece);
        Reader reader;
        int applied = 0;
        std::size_t at = 0;
        while (flood.size() - at > piece) {
            applied += reader.ReadCutShort(flood.data() + at, piece);
            at += piece;
            ASSERT_LT(reader.stream.Pending(), kLampStateSize);
            // One lamp of the flood's messages at a time: the pieces stay in step.
            const std::vector<int> on = reader.LampsOn();
            ASSERT_LE(on.size(), 1u);
            ASSERT_TRUE(on.empty() || on.front() < 1000);
        }
        applied += reader.Read(flood.data() + at, flood.size() - at, 0ms);
        EXPECT_EQ(applied, 1000);
        EXPECT_EQ(reader.LampsOn(), std::vector<int>{999});
        EXPECT_EQ(reader.stream.Pending(), 0u);
    }
}

// The system also hands a flood over in pieces that end mid-message where the socket ran dry
// for a moment: such a read waits, the next one shows that the flood went on, and nothing is
// lost or out of step.
TEST(LampStreamTest, AFloodThatRunsDryMidMessageStaysInStep) {
    const Bytes flood = Messages(300);
    std::mt19937 random(7);
    std::uniform_int_distribution<std::size_t> size(1, 5000);
    std::uniform_int_distribution<int> gapMs(0, 10);
    for (int round = 0; round < 200; ++round) {
        Reader reader;
        int applied = 0;
        std::size_t at = 0;
        while (at < flood.size()) {
            const std::size_t piece =
                std::min({size(random), flood.size() - at, std::size_t{4096}});
            if (piece == 4096) {
                applied += reader.ReadCutShort(flood.data() + at, piece);
            } else {
                applied += reader.Read(flood.data() + at, piece, 1ms * gapMs(random));
            }
            at += piece;
            const std::vector<int> on = reader.LampsOn();
            ASSERT_LE(on.size(), 1u);
            ASSERT_TRUE(on.empty() || on.front() < 300);
        }
        reader.stream.Pause();
        EXPECT_EQ(applied, 300);
        EXPECT_EQ(reader.LampsOn(), std::vector<int>{299});
        EXPECT_EQ(reader.stream.Pending(), 0u);
    }
}

TEST(LampStreamTest, GarbageIsDroppedAndTheNextMessageReadInStep) {
    Reader reader;
    EXPECT_EQ(reader.Read(Bytes{'x', '1', '3', 0, 0}), 0);
    EXPECT_EQ(reader.stream.Pending(), 5u);
    // The garbage and the message behind it make 132 bytes: both go...
    EXPECT_EQ(reader.Read(State({7})), 0);
    reader.stream.Pause();
    EXPECT_EQ(reader.stream.Pending(), 0u);
    EXPECT_TRUE(reader.LampsOn().empty());
    // ...and the stream is in step for the next one.
    EXPECT_EQ(reader.Read(State({8})), 1);
    EXPECT_EQ(reader.LampsOn(), std::vector<int>{8});
}

TEST(LampStreamTest, ResetForgetsWhatWaits) {
    for (const std::size_t waiting : {100, 200}) {
        Reader reader;
        const Bytes first = Join({State({1}), State({1})});
        EXPECT_EQ(reader.Read(first.data(), waiting), 0);
        reader.stream.Reset();
        EXPECT_EQ(reader.stream.Pending(), 0u);
        EXPECT_FALSE(reader.stream.InDoubt());
        EXPECT_EQ(reader.Read(State({2}), 0ms), 1);
        EXPECT_EQ(reader.LampsOn(), std::vector<int>{2});
    }
}

TEST(LampStreamTest, AnyReadsHoldABoundedNumberOfBytes) {
    std::mt19937 random(1234);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<std::size_t> size(0, 5000);
    Bytes noise(5000);
    Reader reader;
    for (int i = 0; i < 500; ++i) {
        for (std::uint8_t& b : noise) {
            b = static_cast<std::uint8_t>(byte(random));
        }
        const std::size_t piece = size(random);
        const int applied = i % 3 == 0 ? reader.ReadCutShort(noise.data(), piece)
                                       : reader.Read(noise.data(), piece, 1ms * (i % 40));
        EXPECT_GE(applied, 0);
        ASSERT_LE(reader.stream.Pending(), LampStream::kMostHeld);
        ASSERT_TRUE(reader.stream.InDoubt() || reader.stream.Pending() < kLampStateSize);
    }
    reader.stream.Pause();
    EXPECT_LT(reader.stream.Pending(), kLampStateSize);
}

}  // namespace
