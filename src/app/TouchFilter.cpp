#include "app/TouchFilter.h"

#include <wx/event.h>

TouchFilter::TouchFilter(IdleLock& lock) : m_lock(lock) {
    wxEvtHandler::AddFilter(this);
}

TouchFilter::~TouchFilter() {
    wxEvtHandler::RemoveFilter(this);
}

int TouchFilter::FilterEvent(wxEvent& event) {
    const wxEventType type = event.GetEventType();
    if (type == wxEVT_LEFT_DOWN || type == wxEVT_LEFT_UP || type == wxEVT_LEFT_DCLICK ||
        type == wxEVT_RIGHT_DOWN || type == wxEVT_MIDDLE_DOWN || type == wxEVT_MOUSEWHEEL ||
        type == wxEVT_KEY_DOWN || type == wxEVT_CHAR_HOOK) {
        m_lock.Touched(IdleLock::Clock::now());
    }
    return Event_Skip;
}
