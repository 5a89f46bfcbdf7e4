#pragma once

#include <string>

union _XEvent;
class DisplayConnection;

/// A window over the whole screen, above every other, that shows nothing and takes the
/// pointer's buttons: a touch on it reaches no window below. Override-redirect, so no window
/// manager frames or moves it; raised again whenever another window comes above it.
class InputGuard {
  public:
    /// The name the window carries (WM_NAME).
    static constexpr char kName[] = "tvx-display guard";

    enum class Touch {
        Nothing,  ///< not a touch on the guard
        Down,     ///< a button went down on the guard
        Up,       ///< the last button held on the guard went up
    };

    explicit InputGuard(DisplayConnection& connection) : m_connection(connection) {}
    ~InputGuard();
    InputGuard(const InputGuard&) = delete;
    InputGuard& operator=(const InputGuard&) = delete;

    /// Covers the screen; why it could not, or an empty string.
    std::string Show();
    void Hide();
    bool Shown() const { return m_shown; }

    /// An event of the display: a touch on the guard, or another window stacked or mapped
    /// (the guard is raised again when it is no longer on top).
    Touch Handle(const _XEvent& event);

  private:
    void KeepOnTop();

    DisplayConnection& m_connection;
    unsigned long m_window = 0;
    bool m_shown = false;
};
