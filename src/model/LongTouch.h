#pragma once

/// Tells a long touch from a short one on a field: a finger held still for about half a second
/// before it is lifted. A finger that wanders off (a selection being dragged, a scroll) makes
/// the touch an ordinary one, however long it lasts. Times are the window system's event times
/// in milliseconds, so the decision does not depend on how busy the program was meanwhile.
class LongTouch {
  public:
    /// How long the finger must stay down.
    static constexpr long kHoldMs = 500;
    /// How far it may move, in pixels along either axis, and still count as held still.
    static constexpr int kSlopPixels = 8;

    void Down(int x, int y, long timeMs);
    void Move(int x, int y);
    /// The finger is lifted: true when this ends a long touch. Without a Down() before it (the
    /// press went to another window) it is no long touch.
    bool Up(long timeMs);

  private:
    bool m_down = false;
    bool m_still = false;
    int m_x = 0;
    int m_y = 0;
    long m_since = 0;
};
