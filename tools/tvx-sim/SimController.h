#pragma once

#include <array>
#include <cstdint>

#include "SimDecoder.h"
#include "SimOptions.h"
#include "link/LinkMessages.h"
#include "model/PanelState.h"

/// The simulated controller's lamps and how presses and releases change them.
class SimController {
  public:
    explicit SimController(SimMode mode) : m_mode(mode) {}

    /// Applies a message from the panel; true when the panel is to get the lamp state in answer.
    bool OnEvent(const SimEvent& event);

    void SetLamp(int lamp, bool on) { m_lamps.Set(lamp, on); }
    void AllOff() { m_lamps.Clear(); }

    /// The full lamp-state message: a header byte, then the 126-byte bitmap.
    std::array<std::uint8_t, kLampStateSize> StateMessage() const;

    static constexpr std::uint8_t kHeader = 0x00;

  private:
    SimMode m_mode;
    LampBitmap m_lamps;
};
