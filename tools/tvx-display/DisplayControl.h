#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "Brightness.h"
#include "DisplayPower.h"
#include "DisplaySettings.h"

/// Dims the display and turns it off after the idle times of the settings, and brings it back
/// on input; prints one line for each change of state. Knows nothing of the window system: it
/// is told the idle time and the touches on the guard, and works through the backends it is
/// given (either may be missing).
///
/// While the display is dimmed or off, a guard takes the touch that wakes it, so that the touch
/// presses no button: the guard is wanted from the dim or off step until that touch has been
/// let go. When other input (a key, a move of the pointer) wakes the display, the guard stays
/// until there has been no input for a moment, as the press of a touch may come just after the
/// pointer moved.
class DisplayControl {
  public:
    using Print = std::function<void(const std::string&)>;
    using Milliseconds = std::chrono::milliseconds;

    /// How long the guard stays after input other than a touch on it woke the display.
    static constexpr Milliseconds kGuardGrace{1000};
    /// How often the idle time is looked at while the display is dimmed, off or guarded.
    static constexpr Milliseconds kWatchStep{100};

    /// `minute` is how long a minute of the settings lasts.
    DisplayControl(Brightness* brightness, DisplayPower* power, Milliseconds minute, Print print);

    /// Takes new settings (the first ones at start) and acts on what they change at once.
    void Apply(const DisplaySettings& settings, Milliseconds idle);
    /// The time since the last input now: dims, turns off, or wakes after input.
    void Update(Milliseconds idle);
    /// A touch went down on the guard: back on at once.
    void TouchDown();
    /// The touch on the guard was let go.
    void TouchUp();
    /// At the end: the brightness and the display power as they were before any dim or off.
    void Stop();
    /// The X display has gone: what works without it (a backlight) is put back as by Stop.
    void StopWithoutDisplay();

    DisplayState State() const { return m_state; }
    /// Whether the guard must cover the screen now.
    bool GuardWanted() const;
    /// How long the caller may wait before the next Update.
    Milliseconds UntilNextLook(Milliseconds idle) const;

  private:
    /// Leaves the state for another; the brightness found is remembered on leaving "on".
    void GoTo(DisplayState target);
    /// Sets the brightness and power that the state wants, and prints the line.
    void Enter();
    void Report(const std::string& failure, const std::string& what);

    Brightness* m_brightness;
    DisplayPower* m_power;
    Milliseconds m_minute;
    Print m_print;
    DisplaySettings m_settings;
    DisplayState m_state = DisplayState::On;
    /// The brightness found before the first dim or off, remembered for putting it back.
    bool m_saved = false;
    bool m_powerOff = false;
    bool m_touchHeld = false;
    bool m_guardLingers = false;
    std::optional<Milliseconds> m_lastIdle;
};
