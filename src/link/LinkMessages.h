#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

/// Length of a lamp-state message from the controller: one header byte, then the 126-byte lamp
/// bitmap.
constexpr std::size_t kLampStateSize = 127;

using ButtonMessage = std::array<std::uint8_t, 5>;

/// x11: a touch went down on a button with this `Taster`. The value goes high byte first; it is
/// held as an int, so the bytes are the low 8 bits of taster / 256 and of taster % 256 (both
/// truncated toward zero), which is plain big-endian for 0 ... 65535 and defined for every int.
ButtonMessage PressMessage(int taster);

/// x12: the touch on that button was released. Same value bytes as PressMessage.
ButtonMessage ReleaseMessage(int taster);

/// x13: asks the controller for the state of all its lamps.
std::array<std::uint8_t, 3> StateRequest();
