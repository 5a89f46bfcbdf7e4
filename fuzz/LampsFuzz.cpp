// The controller's byte stream cut into any reads: the first bytes of the input say where to cut,
// whether a read filled the reader's buffer (more follows at once) or took all there was, how
// long after the read before it each read comes, where the controller stays silent for a tick and
// where the connection drops; the rest is the stream. After every step the lamp-state stream
// must hold no more than it may, report the messages it applied and leave the same lamps and the
// same waiting bytes as a plain model of the rule: a queue of what is not yet judged, a read held
// in doubt and when it came.
#include <algorithm>
#include <array>
#include <chrono>
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

using Clock = LampStream::Clock;

/// Cut values with a meaning of their own: the connection drops (what waits is forgotten), the
/// controller stays silent for a whole tick.
constexpr std::uint16_t kDrop = 0xFFFF;
constexpr std::uint16_t kSilentTick = 0xFFFE;
/// Other cuts: bit 15 set, the read filled the reader's buffer and comes at once; else bits 13
/// and 14 choose how long after the read before it the read comes. The rest is its size.
constexpr std::uint16_t kCutShortBit = 0x8000;
constexpr std::chrono::milliseconds kGaps[] = {
    std::chrono::milliseconds(0), std::chrono::milliseconds(10), std::chrono::milliseconds(20),
    std::chrono::milliseconds(60)};
/// The socket driver reads at most 4096 bytes at once; larger reads still test the rule.
constexpr std::size_t kLargestRead = 8191;

[[noreturn]] void Fault(const char* what) {
    std::fprintf(stderr, "fuzz-lamps: %s\n", what);
    std::abort();
}

bool Whole(std::size_t size) {
    return size != 0 && size % kLampStateSize == 0;
}

class Model {
  public:
    /// One read: returns the number of messages applied.
    int Receive(const std::uint8_t* data, std::size_t size, bool cutShort, Clock::time_point at) {
        const bool paused = m_inDoubt && !cutShort && at - m_heldAt >= LampStream::kPauseGap;
        if (paused && !Whole(m_queue.size() + size)) {
            Reset();
        }
        m_queue.insert(m_queue.end(), data, data + size);
        if (cutShort || Whole(m_queue.size()) || m_queue.size() > LampStream::kMostHeld) {
            m_inDoubt = false;
            int applied = 0;
            while (m_queue.size() >= kLampStateSize) {
                // The header is never examined.
                std::copy_n(m_queue.begin() + 1, m_lamps.size(), m_lamps.begin());
                m_queue.erase(m_queue.begin(), m_queue.begin() + kLampStateSize);
                ++applied;
            }
            return applied;
        }
        if (m_queue.size() >= kLampStateSize) {
            m_inDoubt = true;
            m_heldAt = at;
        }
        return 0;
    }
    void SilentTick() {
        if (m_inDoubt) {
            Reset();
        }
    }
    void Reset() {
        m_queue.clear();
        m_inDoubt = false;
    }
    std::size_t Pending() const { return m_queue.size(); }
    bool InDoubt() const { return m_inDoubt; }
    const std::array<std::uint8_t, LampBitmap::kBytes>& Lamps() const { return m_lamps; }

  private:
    std::vector<std::uint8_t> m_queue;
    bool m_inDoubt = false;
    Clock::time_point m_heldAt;
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
    Clock::time_point now{};
    auto check = [&](int applied, int expected) {
        if (applied != expected) {
            Fault("applied another number of messages than the model");
        }
        if (lamps.Pending() > LampStream::kMostHeld) {
            Fault("more bytes held than may be");
        }
        if (!lamps.InDoubt() && lamps.Pending() >= kLampStateSize) {
            Fault("a whole message left waiting outside a read in doubt");
        }
        if (lamps.Pending() != model.Pending() || lamps.InDoubt() != model.InDoubt()) {
            Fault("other bytes left waiting than the model");
        }
        if (std::memcmp(bitmap.Bytes(), model.Lamps().data(), LampBitmap::kBytes) != 0) {
            Fault("other lamps than the model");
        }
    };
    auto receive = [&](std::size_t piece, bool cutShort) {
        const int applied =
            lamps.Receive(piece == 0 ? nullptr : stream, piece, cutShort, now, bitmap);
        check(applied, model.Receive(stream, piece, cutShort, now));
        stream += piece;
        left -= piece;
    };
    // Reads in the order of the cuts, over and over; once a whole turn of the cuts has taken
    // nothing, the rest goes in one read after a pause, then the controller falls silent.
    while (left > 0) {
        const std::size_t before = left;
        for (const std::uint16_t cut : cuts) {
            if (left == 0) {
                break;
            }
            if (cut == kDrop) {
                lamps.Reset();
                model.Reset();
                continue;
            }
            if (cut == kSilentTick) {
                lamps.Pause();
                model.SilentTick();
                check(0, 0);
                continue;
            }
            const bool cutShort = (cut & kCutShortBit) != 0;
            if (!cutShort) {
                now += kGaps[(cut >> 13) & 3];
            }
            receive(std::min<std::size_t>((cut & 0x1FFF) % (kLargestRead + 1), left), cutShort);
        }
        if (left == before) {
            now += kGaps[3];
            receive(left, false);
        }
    }
    lamps.Pause();
    model.SilentTick();
    check(0, 0);
    return 0;
}
