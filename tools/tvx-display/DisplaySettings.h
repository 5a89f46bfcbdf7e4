#pragma once

#include <chrono>
#include <string>

#include "model/Layout.h"

/// What the display shows: full brightness, dimmed, or nothing at all.
enum class DisplayState { On, Dim, Off };

/// A brightness for the output lines: "40 of 255".
std::string BrightnessText(int level);

/// The four display values of a layout, made usable: brightness 0 ... 255, minutes 0 and up.
/// Says which state belongs to an idle time.
class DisplaySettings {
  public:
    /// The brightness scale of the layout file.
    static constexpr int kBrightest = 255;

    DisplaySettings() = default;
    DisplaySettings(int bright, int brightDim, int dimMinutes, int offMinutes);

    /// The values of a layout; a negative value counts as 0, a brightness above 255 as 255.
    static DisplaySettings FromForm(const FormSettings& form);

    /// Display_Bright: the brightness while on; 0 leaves it as it is found.
    int Bright() const { return m_bright; }
    /// Display_Bright_Dim: the brightness after the dim time.
    int BrightDim() const { return m_brightDim; }
    int DimMinutes() const { return m_dimMinutes; }
    int OffMinutes() const { return m_offMinutes; }

    /// Whether the on-brightness is ours to set.
    bool Managed() const { return m_bright > 0; }
    /// A dim time that ends before the display goes off (a dim time not below the off time
    /// would never be seen).
    bool HasDimStep() const;
    bool HasOffStep() const { return m_offMinutes > 0; }
    /// Nothing to set and nothing to time: the display is not ours to touch at all.
    bool LeavesDisplayAlone() const { return !Managed() && !HasDimStep() && !HasOffStep(); }

    /// The state for `idle` time without input, minutes lasting `minute`.
    DisplayState StateAfter(std::chrono::milliseconds idle, std::chrono::milliseconds minute) const;
    /// The idle time at which the next step after `idle` comes, if there is one.
    std::chrono::milliseconds NextStepAfter(std::chrono::milliseconds idle,
                                            std::chrono::milliseconds minute) const;

    /// One line for the output, "settings: ...".
    std::string Describe() const;

    bool operator==(const DisplaySettings& o) const {
        return m_bright == o.m_bright && m_brightDim == o.m_brightDim &&
               m_dimMinutes == o.m_dimMinutes && m_offMinutes == o.m_offMinutes;
    }
    bool operator!=(const DisplaySettings& o) const { return !(*this == o); }

  private:
    int m_bright = 0;
    int m_brightDim = 0;
    int m_dimMinutes = 0;
    int m_offMinutes = 0;
};
