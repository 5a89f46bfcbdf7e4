#include "link/LampStream.h"

#include <algorithm>
#include <cstring>

int LampStream::Feed(const std::uint8_t* data, std::size_t size, LampBitmap& lamps) {
    if (data == nullptr) {
        size = 0;
    }
    int applied = ProcessRounds(lamps);
    // While at least one full round is pending, the rounds only ever take 15 messages from the
    // front; the length rules matter only for the tail. Filling and emptying one round at a time
    // therefore gives the same result as holding everything, with a fixed buffer.
    while (size > 0) {
        const std::size_t taken = Fill(data, size);
        data += taken;
        size -= taken;
        applied += ProcessRounds(lamps);
    }
    return applied;
}

int LampStream::Take(const std::uint8_t* data, std::size_t size, LampBitmap& lamps) {
    if (data == nullptr) {
        size = 0;
    }
    int applied = 0;
    while (size > 0) {
        const std::size_t taken = Fill(data, size);
        data += taken;
        size -= taken;
        if (m_pending == m_buffer.size()) {
            applied += ApplyPending(lamps);
        }
    }
    if (m_pending >= kLampStateSize && m_pending % kLampStateSize == 0) {
        applied += ApplyPending(lamps);
    }
    return applied;
}

std::size_t LampStream::Fill(const std::uint8_t* data, std::size_t size) {
    const std::size_t taken = std::min(size, m_buffer.size() - m_pending);
    std::memcpy(m_buffer.data() + m_pending, data, taken);
    m_pending += taken;
    return taken;
}

int LampStream::ProcessRounds(LampBitmap& lamps) {
    // The buffer holds at most one round, so what is pending is what this round looks at.
    if (m_pending < kLampStateSize) {
        return 0;
    }
    if (m_pending % kLampStateSize != 0) {
        m_pending = 0;
        return 0;
    }
    return ApplyPending(lamps);
}

int LampStream::ApplyPending(LampBitmap& lamps) {
    const std::size_t messages = m_pending / kLampStateSize;
    for (std::size_t i = 0; i < messages; ++i) {
        lamps.Apply(m_buffer.data() + i * kLampStateSize + 1);
    }
    m_pending = 0;
    return static_cast<int>(messages);
}
