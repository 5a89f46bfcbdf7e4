#include "DisplayControl.h"

#include <utility>

DisplayControl::DisplayControl(Brightness* brightness, DisplayPower* power, Milliseconds minute,
                               Print print)
    : m_brightness(brightness), m_power(power), m_minute(minute), m_print(std::move(print)) {}

void DisplayControl::Apply(const DisplaySettings& settings, Milliseconds idle) {
    const DisplaySettings old = m_settings;
    m_settings = settings;
    m_lastIdle = idle;
    if (settings.LeavesDisplayAlone()) {
        m_guardLingers = false;
        GoTo(DisplayState::On);
        return;
    }
    const DisplayState target = settings.StateAfter(idle, m_minute);
    if (target != m_state) {
        GoTo(target);
        return;
    }
    // The same state with another brightness: the on-brightness is set when it has become
    // ours to set or has changed, a dimmed display takes the new dim brightness.
    const bool newOn = settings.Managed() && old.Bright() != settings.Bright();
    const bool newDim = old.BrightDim() != settings.BrightDim();
    if (m_brightness != nullptr &&
        ((m_state == DisplayState::On && newOn) || (m_state == DisplayState::Dim && newDim))) {
        Enter();
    }
}

void DisplayControl::Update(Milliseconds idle) {
    // The idle time only ever grows, until input starts it again.
    const bool input = m_lastIdle.has_value() && idle < *m_lastIdle;
    m_lastIdle = idle;
    if (m_settings.LeavesDisplayAlone()) {
        return;
    }
    if (input && m_state != DisplayState::On) {
        GoTo(DisplayState::On);
        m_guardLingers = !m_touchHeld;
    }
    if (m_guardLingers && idle >= kGuardGrace) {
        m_guardLingers = false;
    }
    GoTo(m_settings.StateAfter(idle, m_minute));
}

void DisplayControl::TouchDown() {
    m_touchHeld = true;
    m_guardLingers = false;
    GoTo(DisplayState::On);
}

void DisplayControl::TouchUp() {
    m_touchHeld = false;
}

void DisplayControl::Stop() {
    m_guardLingers = false;
    GoTo(DisplayState::On);
}

void DisplayControl::StopWithoutDisplay() {
    m_power = nullptr;
    if (m_brightness != nullptr && m_brightness->ThroughDisplay()) {
        m_brightness = nullptr;
    }
    Stop();
}

bool DisplayControl::GuardWanted() const {
    return m_state != DisplayState::On || m_touchHeld || m_guardLingers;
}

DisplayControl::Milliseconds DisplayControl::UntilNextLook(Milliseconds idle) const {
    if (GuardWanted()) {
        return kWatchStep;
    }
    const Milliseconds next = m_settings.NextStepAfter(idle, m_minute);
    return next == Milliseconds::max() ? next : next - idle;
}

void DisplayControl::GoTo(DisplayState target) {
    if (target == m_state) {
        return;
    }
    if (m_state == DisplayState::On && m_brightness != nullptr && !m_saved) {
        const std::string failure = m_brightness->Save();
        m_saved = failure.empty();
        Report(failure, "read the brightness");
    }
    m_state = target;
    Enter();
}

void DisplayControl::Enter() {
    // What the state wants: a brightness level, or the one found before (on, when not ours).
    // A brightness that is not ours and could not be read is left as it is: it could not be put
    // back, and the display would stay dark when on.
    const bool mayChange = m_settings.Managed() || m_saved;
    int level = -1;
    switch (m_state) {
        case DisplayState::On:
            level = m_settings.Managed() ? m_settings.Bright() : -1;
            break;
        case DisplayState::Dim:
            level = mayChange ? m_settings.BrightDim() : -1;
            break;
        case DisplayState::Off:
            level = mayChange ? 0 : -1;
            break;
    }
    const bool hasBrightness = m_brightness != nullptr;
    const bool restore = hasBrightness && level < 0 && m_saved;
    const bool powerOn = m_power != nullptr && m_powerOff && m_state != DisplayState::Off;
    const bool powerOff = m_power != nullptr && !m_powerOff && m_state == DisplayState::Off;

    std::string line = m_state == DisplayState::On    ? "on"
                       : m_state == DisplayState::Dim ? "dim"
                                                      : "off";
    std::string separator = ": ";
    const auto add = [&line, &separator](const std::string& part) {
        line += separator + part;
        separator = ", ";
    };
    if (hasBrightness && level >= 0) {
        add("brightness " + BrightnessText(level));
    } else if (restore) {
        add("brightness as found before");
    }
    if (powerOn || powerOff) {
        add(m_power->Name() + (powerOn ? " on" : " off"));
    }
    if (separator == ": ") {
        add(hasBrightness ? "brightness left as it is" : "no brightness control");
    }
    m_print(line);

    if (powerOn) {
        m_powerOff = false;
        Report(m_power->On(), "switch the display on");
    }
    if (hasBrightness && level >= 0) {
        Report(m_brightness->Set(level), "set the brightness");
    } else if (restore) {
        Report(m_brightness->Restore(), "put the brightness back");
    }
    if (m_state == DisplayState::On) {
        m_saved = false;
    }
    if (powerOff) {
        // Marked first: a display half switched off is switched on again on wake.
        m_powerOff = true;
        Report(m_power->Off(), "switch the display off");
    }
}

void DisplayControl::Report(const std::string& failure, const std::string& what) {
    if (!failure.empty()) {
        m_print("cannot " + what + ": " + failure);
    }
}
