#pragma once

#include <wx/eventfilter.h>

#include "model/IdleLock.h"

/// Tells the idle lock of every touch and key that reaches a window of the program, for as
/// long as it lives.
class TouchFilter : public wxEventFilter {
  public:
    explicit TouchFilter(IdleLock& lock);
    ~TouchFilter() override;
    TouchFilter(const TouchFilter&) = delete;
    TouchFilter& operator=(const TouchFilter&) = delete;

    int FilterEvent(wxEvent& event) override;

  private:
    IdleLock& m_lock;
};
