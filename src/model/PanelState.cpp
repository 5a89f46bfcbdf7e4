#include "model/PanelState.h"

bool LampBitmap::IsOn(int lamp) const {
    if (lamp < 0 || lamp >= kLamps) {
        return false;
    }
    return (m_storage[static_cast<std::size_t>(lamp / 8)] >> (lamp % 8)) & 1;
}

void LampBitmap::Set(int lamp, bool on) {
    if (lamp < 0 || lamp >= kLamps) {
        return;
    }
    std::uint8_t& byte = m_storage[static_cast<std::size_t>(lamp / 8)];
    const auto bit = static_cast<std::uint8_t>(1u << (lamp % 8));
    byte = on ? static_cast<std::uint8_t>(byte | bit) : static_cast<std::uint8_t>(byte & ~bit);
}

void LampBitmap::Apply(const std::uint8_t* bitmap) {
    for (int i = 0; i < kBytes; ++i) {
        m_storage[static_cast<std::size_t>(i)] = bitmap[i];
    }
}

void PanelState::Reset() {
    *this = PanelState{};
}
