#include "link/LampStream.h"

namespace {

bool IsWhole(std::size_t size) {
    return size >= kLampStateSize && size % kLampStateSize == 0;
}

}  // namespace

int LampStream::Receive(const std::uint8_t* data, std::size_t size, bool cutShort,
                        Clock::time_point at, LampBitmap& lamps) {
    if (data == nullptr) {
        size = 0;
    }
    if (m_inDoubt && !cutShort && at - m_heldAt >= kPauseGap && !IsWhole(m_bytes.size() + size)) {
        // The controller paused after the read that waits: it was out of step.
        Drop();
    }
    m_bytes.insert(m_bytes.end(), data, data + size);
    // A burst longer than what may be held is a flood read in small pieces: taken as in step,
    // as one read in full pieces is.
    if (cutShort || IsWhole(m_bytes.size()) || m_bytes.size() > kMostHeld) {
        m_inDoubt = false;
        return ApplyWhole(lamps);
    }
    if (m_bytes.size() < kLampStateSize) {
        return 0;
    }
    m_inDoubt = true;
    m_heldAt = at;
    return 0;
}

void LampStream::Pause() {
    if (m_inDoubt) {
        Drop();
    }
}

void LampStream::Drop() {
    ++m_drops;
    Reset();
}

void LampStream::Reset() {
    m_bytes.clear();
    m_inDoubt = false;
}

int LampStream::ApplyWhole(LampBitmap& lamps) {
    const std::size_t messages = m_bytes.size() / kLampStateSize;
    if (messages == 0) {
        return 0;
    }
    // Every message replaces the whole bitmap: only the last one counts.
    lamps.Apply(m_bytes.data() + (messages - 1) * kLampStateSize + 1);
    m_bytes.erase(m_bytes.begin(),
                  m_bytes.begin() + static_cast<std::ptrdiff_t>(messages * kLampStateSize));
    return static_cast<int>(messages);
}
