#include "SimController.h"

#include <algorithm>

bool SimController::OnEvent(const SimEvent& event) {
    switch (event.kind) {
        case SimEvent::Kind::StateRequest:
            return true;
        case SimEvent::Kind::Press:
            if (m_mode == SimMode::Toggle) {
                // A value that names no lamp changes nothing, but the panel still hears back.
                m_lamps.Set(event.value, !m_lamps.IsOn(event.value));
                return true;
            }
            if (m_mode == SimMode::Follow) {
                m_lamps.Set(event.value, true);
                return true;
            }
            return false;
        case SimEvent::Kind::Release:
            if (m_mode == SimMode::Follow) {
                m_lamps.Set(event.value, false);
                return true;
            }
            return false;
        case SimEvent::Kind::Garbage:
            return false;
    }
    return false;
}

std::array<std::uint8_t, kLampStateSize> SimController::StateMessage() const {
    std::array<std::uint8_t, kLampStateSize> message{};
    message[0] = kHeader;
    std::copy(m_lamps.Bytes(), m_lamps.Bytes() + LampBitmap::kBytes, message.begin() + 1);
    return message;
}
