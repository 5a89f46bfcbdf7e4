// When the panel locks itself again: only once the lock time has passed without a touch, and
// then for whatever is open.
#include "model/IdleLock.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

TEST(IdleLock, LocksWhatIsOpenOnceTheLockTimePassedWithoutATouch) {
    const IdleLock::Clock::time_point start{};
    PanelState unlocked;
    unlocked.MenuUnlocked = 1;
    unlocked.EditMode = EditModes::Delete;
    PanelState locked;
    const struct {
        const char* what;
        IdleLock::Clock::duration sinceTouch;
        const PanelState& panel;
        bool lockMenu;
        bool endEditMode;
        bool closeDialogs;
    } cases[] = {
        {"just touched", 0s, unlocked, false, false, false},
        {"a moment before the time", 5min - 1ms, unlocked, false, false, false},
        {"at the time", 5min, unlocked, true, true, true},
        {"long after", 72h, unlocked, true, true, true},
        {"locked already, normal operation", 6min, locked, false, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        IdleLock lock(IdleLock::kLockTime, start);
        lock.Touched(start + 1h);
        const IdleLock::Due due = lock.DueAt(start + 1h + c.sinceTouch, c.panel);
        EXPECT_EQ(due.lockMenu, c.lockMenu);
        EXPECT_EQ(due.endEditMode, c.endEditMode);
        EXPECT_EQ(due.closeDialogs, c.closeDialogs);
    }
}

TEST(IdleLock, EveryTouchStartsTheTimeAgainAndTheTimeCanBeShortened) {
    const IdleLock::Clock::time_point start{};
    PanelState panel;
    panel.MenuUnlocked = 1;
    IdleLock lock(2s, start);
    EXPECT_FALSE(lock.DueAt(start + 1900ms, panel).Any());
    lock.Touched(start + 1900ms);
    EXPECT_FALSE(lock.DueAt(start + 3800ms, panel).Any());
    EXPECT_TRUE(lock.DueAt(start + 3900ms, panel).lockMenu);
}

}  // namespace
