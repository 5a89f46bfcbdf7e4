#include "model/LongTouch.h"

#include <cstdlib>

void LongTouch::Down(int x, int y, long timeMs) {
    m_down = true;
    m_still = true;
    m_x = x;
    m_y = y;
    m_since = timeMs;
}

void LongTouch::Move(int x, int y) {
    if (m_down && (std::abs(x - m_x) > kSlopPixels || std::abs(y - m_y) > kSlopPixels)) {
        m_still = false;
    }
}

bool LongTouch::Up(long timeMs) {
    const bool wasDown = m_down;
    m_down = false;
    return wasDown && m_still && timeMs - m_since >= kHoldMs;
}
