// The four display values of a layout as tvx-display takes them: which state belongs to an
// idle time, when the next step comes, and values out of range.
#include "DisplaySettings.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

using namespace std::chrono_literals;
using Milliseconds = std::chrono::milliseconds;

TEST(DisplaySettings, StateAfterIdleTime) {
    struct Case {
        DisplaySettings settings;
        int idleSeconds;
        DisplayState expected;
    };
    const Case cases[] = {
        {{200, 40, 1, 2}, 0, DisplayState::On},
        {{200, 40, 1, 2}, 59, DisplayState::On},
        {{200, 40, 1, 2}, 60, DisplayState::Dim},
        {{200, 40, 1, 2}, 119, DisplayState::Dim},
        {{200, 40, 1, 2}, 120, DisplayState::Off},
        {{200, 40, 1, 2}, 86400, DisplayState::Off},
        // A dim time not below the off time has no dim step.
        {{200, 40, 2, 2}, 60, DisplayState::On},
        {{200, 40, 2, 2}, 120, DisplayState::Off},
        {{200, 40, 5, 2}, 119, DisplayState::On},
        // A time of 0 has no step.
        {{200, 40, 1, 0}, 86400, DisplayState::Dim},
        {{200, 40, 0, 2}, 60, DisplayState::On},
        {{200, 40, 0, 2}, 120, DisplayState::Off},
        {{0, 0, 0, 0}, 86400, DisplayState::On},
        // The brightness plays no part in the steps.
        {{0, 0, 1, 2}, 60, DisplayState::Dim},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.settings.StateAfter(Milliseconds(c.idleSeconds * 1000), 60s), c.expected)
            << c.settings.Describe() << ", idle " << c.idleSeconds << " s";
    }
    // A shorter minute, for trying it out.
    EXPECT_EQ(DisplaySettings(200, 40, 1, 2).StateAfter(1500ms, 1s), DisplayState::Dim);
}

TEST(DisplaySettings, NextStep) {
    const DisplaySettings dimAndOff(200, 40, 1, 2);
    EXPECT_EQ(dimAndOff.NextStepAfter(0ms, 1s), 1s);
    EXPECT_EQ(dimAndOff.NextStepAfter(1000ms, 1s), 2s);
    EXPECT_EQ(dimAndOff.NextStepAfter(2000ms, 1s), Milliseconds::max());
    EXPECT_EQ(DisplaySettings(200, 40, 3, 2).NextStepAfter(0ms, 1s), 2s);
    EXPECT_EQ(DisplaySettings(200, 40, 1, 0).NextStepAfter(1000ms, 1s), Milliseconds::max());
}

TEST(DisplaySettings, ValuesOfTheLayout) {
    struct Case {
        int bright, brightDim, dimMinutes, offMinutes;  // as the file holds them
        int expected[4];
        bool alone;
        bool managed;
    };
    const Case cases[] = {
        {200, 40, 1, 2, {200, 40, 1, 2}, false, true},
        {0, 0, 0, 0, {0, 0, 0, 0}, true, false},
        // What the settings dialog stores as typed, and what a file may hold.
        {-1, -5, -3, -2, {0, 0, 0, 0}, true, false},
        {300, 999, 999, 180, {255, 255, 999, 180}, false, true},
        {255, 0, 0, 0, {255, 0, 0, 0}, false, true},
        {0, 90, 0, 0, {0, 90, 0, 0}, true, false},
        {0, 90, 4, 4, {0, 90, 4, 4}, false, false},
    };
    for (const Case& c : cases) {
        FormSettings form;
        form.Display_Bright = c.bright;
        form.Display_Bright_Dim = c.brightDim;
        form.Display_Off_Dim = c.dimMinutes;
        form.Display_Off = c.offMinutes;
        const DisplaySettings settings = DisplaySettings::FromForm(form);
        const int got[4] = {settings.Bright(), settings.BrightDim(), settings.DimMinutes(),
                            settings.OffMinutes()};
        EXPECT_TRUE(std::equal(got, got + 4, c.expected)) << settings.Describe();
        EXPECT_EQ(settings.LeavesDisplayAlone(), c.alone) << settings.Describe();
        EXPECT_EQ(settings.Managed(), c.managed) << settings.Describe();
    }
}

TEST(DisplaySettings, Described) {
    EXPECT_EQ(DisplaySettings(200, 40, 1, 2).Describe(),
              "settings: on brightness 200 of 255, dim to 40 of 255 after 1 min, off after 2 min");
    EXPECT_EQ(DisplaySettings(0, 40, 5, 2).Describe(),
              "settings: on brightness as found, no dim (its 5 min are not below the off time), "
              "off after 2 min");
    EXPECT_EQ(DisplaySettings(90, 40, 0, 0).Describe(),
              "settings: on brightness 90 of 255, no dim, never off");
    EXPECT_EQ(DisplaySettings().Describe(),
              "settings: no brightness, dim or off time set, the display is left alone");
}

}  // namespace
