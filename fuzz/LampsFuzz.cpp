// The controller's byte stream cut into any segments: the first bytes of the input say where
// to cut, whether a segment comes through Take (more may follow at once, as the socket driver
// hands over what it reads) or Feed (the bytes end what was received), where the controller
// pauses and where the connection drops; the rest is the stream. After every step the lamp-state
// stream must hold fewer than 127 bytes after Feed and less than a round after Take, report the
// messages it applied and leave the same lamps and the same waiting bytes as a plain model of
// the rule that holds the whole stream in one queue: 15 whole messages at a time from the front
// while that many are there, and a whole number of messages at once; Feed first judges what
// waits, then what it brought: fewer than 127 bytes wait, anything else is dropped.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "link/LampStream.h"
#include "link/LinkMessages.h"
#include "model/PanelState.h"

namespace {

/// Cut values with a meaning of their own: the connection drops (what waits is forgotten), the
/// controller pauses (the socket driver judges what waits with an empty Feed).
constexpr std::uint16_t kDrop = 0xFFFF;
constexpr std::uint16_t kPause = 0xFFFE;
/// Other cuts with this bit set go through Take, the rest through Feed.
constexpr std::uint16_t kTakeBit = 0x8000;
/// The socket driver hands over at most 4096 bytes at once; larger cuts still test the rule.
constexpr std::size_t kLargestCut = 8192;

[[noreturn]] void Fault(const char* what) {
    std::fprintf(stderr, "fuzz-lamps: %s\n", what);
    std::abort();
}

class Model {
  public:
    /// Bytes that end what was received: returns the number of messages applied.
    int Feed(const std::uint8_t* data, std::size_t size) {
        int applied = Judge();
        applied += Take(data, size);
        return applied + Judge();
    }

    /// Bytes that more may follow: whole rounds and a whole number of messages are applied, a
    /// broken tail waits.
    int Take(const std::uint8_t* data, std::size_t size) {
        m_queue.insert(m_queue.end(), data, data + size);
        int applied = 0;
        while (Pending() >= kRound) {
            applied += Apply(kMaxMessagesPerRound);
        }
        if (Pending() >= kLampStateSize && Pending() % kLampStateSize == 0) {
            applied += Apply(Pending() / kLampStateSize);
        }
        if (m_head == m_queue.size()) {
            Reset();
        }
        return applied;
    }
    void Reset() {
        m_queue.clear();
        m_head = 0;
    }
    std::size_t Pending() const { return m_queue.size() - m_head; }
    const std::array<std::uint8_t, LampBitmap::kBytes>& Lamps() const { return m_lamps; }

  private:
    static constexpr std::size_t kRound = kLampStateSize * kMaxMessagesPerRound;

    /// A whole message or more that is no whole number of messages is out of step.
    int Judge() {
        if (Pending() >= kLampStateSize && Pending() % kLampStateSize != 0) {
            Reset();
        }
        return Take(nullptr, 0);
    }

    int Apply(std::size_t messages) {
        for (std::size_t m = 0; m < messages; ++m) {
            // The header is never examined.
            std::copy_n(m_queue.begin() + static_cast<std::ptrdiff_t>(m_head + 1), m_lamps.size(),
                        m_lamps.begin());
            m_head += kLampStateSize;
        }
        return static_cast<int>(messages);
    }

    std::vector<std::uint8_t> m_queue;
    std::size_t m_head = 0;  ///< bytes at the front of the queue already taken
    std::array<std::uint8_t, LampBitmap::kBytes> m_lamps{};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    // First byte: how many cuts follow (1 ... 16), two bytes each, little-endian.
    const std::size_t cutCount = 1 + data[0] % 16;
    if (size < 1 + 2 * cutCount) {
        return 0;
    }
    std::vector<std::uint16_t> cuts;
    for (std::size_t i = 0; i < cutCount; ++i) {
        cuts.push_back(static_cast<std::uint16_t>(data[1 + 2 * i] | data[2 + 2 * i] << 8));
    }
    const std::uint8_t* stream = data + 1 + 2 * cutCount;
    std::size_t left = size - (1 + 2 * cutCount);

    LampStream lamps;
    LampBitmap bitmap;
    Model model;
    auto check = [&](int applied, int expected, std::size_t most) {
        if (applied != expected) {
            Fault("applied another number of messages than the model");
        }
        if (lamps.Pending() >= most) {
            Fault("more bytes left waiting than the rule allows");
        }
        if (lamps.Pending() != model.Pending()) {
            Fault("other bytes left waiting than the model");
        }
        if (std::memcmp(bitmap.Bytes(), model.Lamps().data(), LampBitmap::kBytes) != 0) {
            Fault("other lamps than the model");
        }
    };
    // An empty segment comes without data, as the socket driver's pause does.
    auto feed = [&](std::size_t piece) {
        const int applied = lamps.Feed(piece == 0 ? nullptr : stream, piece, bitmap);
        check(applied, model.Feed(stream, piece), kLampStateSize);
        stream += piece;
        left -= piece;
    };
    auto take = [&](std::size_t piece) {
        const int applied = lamps.Take(piece == 0 ? nullptr : stream, piece, bitmap);
        check(applied, model.Take(stream, piece), LampStream::kRoundSize);
        stream += piece;
        left -= piece;
    };
    // Segments in the order of the cuts, over and over; once a whole turn of the cuts has
    // taken nothing, the rest goes in one segment.
    while (left > 0) {
        const std::size_t before = left;
        for (const std::uint16_t cut : cuts) {
            if (left == 0) {
                break;
            }
            if (cut == kDrop) {
                lamps.Reset();
                model.Reset();
            } else if (cut == kPause) {
                feed(0);
            } else {
                const std::size_t piece =
                    std::min<std::size_t>((cut & ~kTakeBit) % (kLargestCut + 1), left);
                if (cut & kTakeBit) {
                    take(piece);
                } else {
                    feed(piece);
                }
            }
        }
        if (left == before) {
            feed(left);
        }
    }
    return 0;
}
