// The controller's byte stream cut into any segments: the first bytes of the input say where
// to cut (and where the connection drops), the rest is the stream. After every segment the
// lamp-state stream must hold fewer than 127 bytes, report the messages it applied and leave
// the same lamps and the same waiting bytes as a plain model of the rule that holds the whole
// stream in one queue: 15 whole messages at a time from the front while that many are there;
// then fewer than 127 bytes wait, a whole number of messages is applied, anything else is
// dropped.
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

/// A cut of this size stands for a lost connection: what waits is forgotten.
constexpr std::size_t kDrop = 0xFFFF;
/// The socket driver hands over at most this much at once; larger cuts still test the rule.
constexpr std::size_t kLargestCut = 8192;

[[noreturn]] void Fault(const char* what) {
    std::fprintf(stderr, "fuzz-lamps: %s\n", what);
    std::abort();
}

class Model {
  public:
    /// Applies what the queue allows; returns the number of messages applied.
    int Feed(const std::uint8_t* data, std::size_t size) {
        m_queue.insert(m_queue.end(), data, data + size);
        int applied = 0;
        const std::size_t round = kLampStateSize * kMaxMessagesPerRound;
        while (Pending() >= round) {
            applied += Apply(kMaxMessagesPerRound);
        }
        if (Pending() >= kLampStateSize) {
            if (Pending() % kLampStateSize == 0) {
                applied += Apply(Pending() / kLampStateSize);
            } else {
                Reset();
            }
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
    std::vector<std::size_t> cuts;
    for (std::size_t i = 0; i < cutCount; ++i) {
        const std::size_t value = data[1 + 2 * i] | (std::size_t{data[2 + 2 * i]} << 8);
        cuts.push_back(value == kDrop ? kDrop : value % (kLargestCut + 1));
    }
    const std::uint8_t* stream = data + 1 + 2 * cutCount;
    std::size_t left = size - (1 + 2 * cutCount);

    LampStream lamps;
    LampBitmap bitmap;
    Model model;
    auto feed = [&](std::size_t piece) {
        // An empty segment comes without data, as the socket driver never sends it.
        const int applied = lamps.Feed(piece == 0 ? nullptr : stream, piece, bitmap);
        if (applied != model.Feed(stream, piece)) {
            Fault("applied another number of messages than the model");
        }
        if (lamps.Pending() >= kLampStateSize) {
            Fault("a whole message or more left waiting");
        }
        if (lamps.Pending() != model.Pending()) {
            Fault("other bytes left waiting than the model");
        }
        if (std::memcmp(bitmap.Bytes(), model.Lamps().data(), LampBitmap::kBytes) != 0) {
            Fault("other lamps than the model");
        }
        stream += piece;
        left -= piece;
    };
    // Segments in the order of the cuts, over and over; once a whole turn of the cuts has
    // taken nothing, the rest goes in one segment.
    while (left > 0) {
        const std::size_t before = left;
        for (const std::size_t cut : cuts) {
            if (left == 0) {
                break;
            }
            if (cut == kDrop) {
                lamps.Reset();
                model.Reset();
            } else {
                feed(std::min(cut, left));
            }
        }
        if (left == before) {
            feed(left);
        }
    }
    return 0;
}
