#include "link/LinkMessages.h"

namespace {

ButtonMessage ButtonMessageFor(std::uint8_t kind, int taster) {
    // Integer division and remainder cannot overflow for a divisor of 256, and converting a
    // negative int to an unsigned type keeps its low bits, so every int has defined bytes.
    return {0x78, 0x31, kind, static_cast<std::uint8_t>(taster / 256),
            static_cast<std::uint8_t>(taster % 256)};
}

}  // namespace

ButtonMessage PressMessage(int taster) {
    return ButtonMessageFor(0x31, taster);
}

ButtonMessage ReleaseMessage(int taster) {
    return ButtonMessageFor(0x32, taster);
}

std::array<std::uint8_t, 3> StateRequest() {
    return {0x78, 0x31, 0x33};
}
