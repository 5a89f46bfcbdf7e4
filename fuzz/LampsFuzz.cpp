// The controller's byte stream cut into any reads: the first bytes of the input say where to cut,
// whether a read filled the reader's buffer (more follows at once) or ended where the controller
// paused, and where the connection drops; the rest is the stream. After every read the lamp-state
// stream must hold fewer than 127 bytes, report the messages it applied and leave the same lamps
// and the same waiting bytes as a plain model of the rule that keeps everything not yet judged in
// one queue: a read cut short applies every whole message from the front and keeps the rest; a
// read that ends on a pause applies the queue when it is a whole number of messages, keeps it
// while it is shorter than one, and drops it otherwise.
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

/// A cut value with a meaning of its own: the connection drops (what waits is forgotten).
constexpr std::uint16_t kDrop = 0xFFFF;
/// Other cuts with this bit set are reads that filled the reader's buffer, the rest end on a
/// pause.
constexpr std::uint16_t kCutShortBit = 0x8000;
/// The socket driver reads at most 4096 bytes at once; larger reads still test the rule.
constexpr std::size_t kLargestRead = 8192;

[[noreturn]] void Fault(const char* what) {
    std::fprintf(stderr, "fuzz-lamps: %s\n", what);
    std::abort();
}

class Model {
  public:
    /// One read: returns the number of messages applied.
    int Receive(const std::uint8_t* data, std::size_t size, bool cutShort) {
        m_queue.insert(m_queue.end(), data, data + size);
        if (m_queue.size() < kLampStateSize) {
            return 0;
        }
        if (!cutShort && m_queue.size() % kLampStateSize != 0) {
            Reset();
            return 0;
        }
        int applied = 0;
        while (m_queue.size() >= kLampStateSize) {
            // The header is never examined.
            std::copy_n(m_queue.begin() + 1, m_lamps.size(), m_lamps.begin());
            m_queue.erase(m_queue.begin(), m_queue.begin() + kLampStateSize);
            ++applied;
        }
        return applied;
    }
    void Reset() { m_queue.clear(); }
    std::size_t Pending() const { return m_queue.size(); }
    const std::array<std::uint8_t, LampBitmap::kBytes>& Lamps() const { return m_lamps; }

  private:
    std::vector<std::uint8_t> m_queue;
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
    auto receive = [&](std::size_t piece, bool cutShort) {
        const int applied = lamps.Receive(piece == 0 ? nullptr : stream, piece, cutShort, bitmap);
        if (applied != model.Receive(stream, piece, cutShort)) {
            Fault("applied another number of messages than the model");
        }
        if (lamps.Pending() >= kLampStateSize) {
            Fault("more than a partial message left waiting");
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
    // Reads in the order of the cuts, over and over; once a whole turn of the cuts has taken
    // nothing, the rest goes in one read that ends on a pause.
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
            const std::size_t piece =
                std::min<std::size_t>((cut & ~kCutShortBit) % (kLargestRead + 1), left);
            receive(piece, (cut & kCutShortBit) != 0);
        }
        if (left == before) {
            receive(left, false);
        }
    }
    return 0;
}
