#include "link/LampStream.h"

#include <cstring>

int LampStream::Receive(const std::uint8_t* data, std::size_t size, bool cutShort,
                        LampBitmap& lamps) {
    if (data == nullptr) {
        size = 0;
    }
    const std::size_t total = m_pending + size;
    if (total < kLampStateSize) {
        if (size > 0) {
            std::memcpy(m_tail.data() + m_pending, data, size);
        }
        m_pending = total;
        return 0;
    }
    const std::size_t tail = total % kLampStateSize;
    if (!cutShort && tail != 0) {
        m_pending = 0;
        return 0;
    }
    const int applied = ApplyWhole(data, size - tail, lamps);
    std::memcpy(m_tail.data(), data + size - tail, tail);
    m_pending = tail;
    return applied;
}

int LampStream::ApplyWhole(const std::uint8_t* data, std::size_t size, LampBitmap& lamps) {
    const std::size_t messages = (m_pending + size) / kLampStateSize;
    if (messages == 0) {
        return 0;
    }
    // Every message replaces the whole bitmap: only the last one counts.
    const std::size_t lastStart = (messages - 1) * kLampStateSize;
    if (lastStart >= m_pending) {
        lamps.Apply(data + (lastStart - m_pending) + 1);
    } else {
        // The waiting bytes begin the only message: complete it in the tail.
        std::memcpy(m_tail.data() + m_pending, data, kLampStateSize - m_pending);
        lamps.Apply(m_tail.data() + 1);
    }
    m_pending = 0;
    return static_cast<int>(messages);
}
