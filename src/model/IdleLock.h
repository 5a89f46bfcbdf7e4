#pragma once

#include <chrono>

#include "model/PanelState.h"

/// A panel on a wall is edited by its owner, left, and touched by the next person who passes.
/// Once nobody has touched it for the lock time, it locks itself again: the menu asks for the
/// password anew, an edit mode in force ends (as "Back" ends it: nothing stored, nothing lost),
/// and the panel's own dialogs close as their close boxes close them. The clock is handed in.
class IdleLock {
  public:
    using Clock = std::chrono::steady_clock;

    /// How long the panel waits without a touch before it locks: the one place that says so.
    static constexpr std::chrono::minutes kLockTime{5};

    IdleLock(Clock::duration lockTime, Clock::time_point now)
        : m_lockTime(lockTime), m_lastTouch(now) {}

    /// A touch on any of the panel's windows, or a key, at `now`.
    void Touched(Clock::time_point now) { m_lastTouch = now; }

    /// What locking the panel asks for at `now`, for the panel as it is.
    struct Due {
        bool lockMenu = false;      ///< the menu is unlocked: it asks for the password again
        bool endEditMode = false;   ///< an edit mode is in force: it ends
        bool closeDialogs = false;  ///< the panel's dialogs that are open close
        bool Any() const { return lockMenu || endEditMode || closeDialogs; }
    };
    Due DueAt(Clock::time_point now, const PanelState& panel) const;

    Clock::duration LockTime() const { return m_lockTime; }

  private:
    Clock::duration m_lockTime;
    Clock::time_point m_lastTouch;
};
