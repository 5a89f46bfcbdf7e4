#include "DpmsPower.h"

#include <X11/Xlib.h>
#include <X11/extensions/dpms.h>

#include "DisplayConnection.h"

std::unique_ptr<DpmsPower> DpmsPower::Open(DisplayConnection& connection, std::string& why) {
    Display* display = connection.X();
    int eventBase = 0;
    int errorBase = 0;
    if (!DPMSQueryExtension(display, &eventBase, &errorBase)) {
        why = "the X server has no DPMS extension";
        return nullptr;
    }
    if (!DPMSCapable(display)) {
        why = "the X server's display is not DPMS capable";
        return nullptr;
    }
    return std::unique_ptr<DpmsPower>(new DpmsPower(connection));
}

std::string DpmsPower::Off() {
    Display* display = m_connection.X();
    CARD16 level = 0;
    BOOL enabled = False;
    m_enabledBefore = DPMSInfo(display, &level, &enabled) && enabled;
    if (!m_enabledBefore) {
        DPMSEnable(display);
    }
    DPMSForceLevel(display, DPMSModeOff);
    return m_connection.Sync();
}

std::string DpmsPower::On() {
    Display* display = m_connection.X();
    DPMSForceLevel(display, DPMSModeOn);
    if (!m_enabledBefore) {
        DPMSDisable(display);
    }
    return m_connection.Sync();
}
