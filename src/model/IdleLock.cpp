#include "model/IdleLock.h"

IdleLock::Due IdleLock::DueAt(Clock::time_point now, const PanelState& panel) const {
    Due due;
    if (now - m_lastTouch < m_lockTime) {
        return due;
    }
    due.lockMenu = panel.MenuUnlocked > 0;
    due.endEditMode = panel.EditMode != EditModes::Normal;
    due.closeDialogs = true;
    return due;
}
