#include "DisplaySettings.h"

#include <algorithm>

namespace {

int Brightness(int value) {
    return std::clamp(value, 0, DisplaySettings::kBrightest);
}

int Minutes(int value) {
    return std::max(value, 0);
}

}  // namespace

std::string BrightnessText(int level) {
    return std::to_string(level) + " of " + std::to_string(DisplaySettings::kBrightest);
}

DisplaySettings::DisplaySettings(int bright, int brightDim, int dimMinutes, int offMinutes)
    : m_bright(Brightness(bright)),
      m_brightDim(Brightness(brightDim)),
      m_dimMinutes(Minutes(dimMinutes)),
      m_offMinutes(Minutes(offMinutes)) {}

DisplaySettings DisplaySettings::FromForm(const FormSettings& form) {
    return DisplaySettings(form.Display_Bright, form.Display_Bright_Dim, form.Display_Off_Dim,
                           form.Display_Off);
}

bool DisplaySettings::HasDimStep() const {
    return m_dimMinutes > 0 && (m_offMinutes == 0 || m_dimMinutes < m_offMinutes);
}

DisplayState DisplaySettings::StateAfter(std::chrono::milliseconds idle,
                                         std::chrono::milliseconds minute) const {
    if (HasOffStep() && idle >= m_offMinutes * minute) {
        return DisplayState::Off;
    }
    if (HasDimStep() && idle >= m_dimMinutes * minute) {
        return DisplayState::Dim;
    }
    return DisplayState::On;
}

std::chrono::milliseconds DisplaySettings::NextStepAfter(std::chrono::milliseconds idle,
                                                         std::chrono::milliseconds minute) const {
    std::chrono::milliseconds next = std::chrono::milliseconds::max();
    if (HasDimStep() && idle < m_dimMinutes * minute) {
        next = m_dimMinutes * minute;
    } else if (HasOffStep() && idle < m_offMinutes * minute) {
        next = m_offMinutes * minute;
    }
    return next;
}

std::string DisplaySettings::Describe() const {
    if (LeavesDisplayAlone()) {
        return "settings: no brightness, dim or off time set, the display is left alone";
    }
    std::string text = "settings: on ";
    text += Managed() ? "brightness " + BrightnessText(m_bright) : "brightness as found";
    if (HasDimStep()) {
        text += ", dim to " + BrightnessText(m_brightDim) + " after " +
                std::to_string(m_dimMinutes) + " min";
    } else if (m_dimMinutes > 0) {
        text +=
            ", no dim (its " + std::to_string(m_dimMinutes) + " min are not below the off time)";
    } else {
        text += ", no dim";
    }
    text += HasOffStep() ? ", off after " + std::to_string(m_offMinutes) + " min" : ", never off";
    return text;
}
