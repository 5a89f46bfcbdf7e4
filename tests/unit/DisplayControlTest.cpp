// The display control of tvx-display on fake backends that record every call: what each step
// from the idle time sets, what input and the touch on the guard bring back, new settings, the
// end, and the display left alone.
#include "DisplayControl.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Milliseconds = std::chrono::milliseconds;

/// Everything the control did, in order: its lines ("print ...") and the backends' calls.
using Record = std::vector<std::string>;

class FakeBrightness : public Brightness {
  public:
    explicit FakeBrightness(Record& record) : m_record(record) {}
    std::string Name() const override { return "fake"; }
    std::string Save() override { return Call("save"); }
    std::string Set(int level) override { return Call("set " + std::to_string(level)); }
    std::string Restore() override { return Call("restore"); }
    bool ThroughDisplay() const override { return throughDisplay; }

    std::string failure;  ///< what every call answers
    bool throughDisplay = false;

  private:
    std::string Call(const std::string& call) {
        m_record.push_back(call);
        return failure;
    }
    Record& m_record;
};

class FakePower : public DisplayPower {
  public:
    explicit FakePower(Record& record) : m_record(record) {}
    std::string Name() const override { return "DPMS"; }
    std::string Off() override {
        m_record.push_back("power off");
        return std::string();
    }
    std::string On() override {
        m_record.push_back("power on");
        return std::string();
    }

  private:
    Record& m_record;
};

/// A control on both fake backends, a minute lasting one second.
struct Rig {
    Record record;
    FakeBrightness brightness{record};
    FakePower power{record};
    DisplayControl control{&brightness, &power, 1s,
                           [this](const std::string& line) { record.push_back("print " + line); }};

    /// What the control did since the last look.
    Record Take() {
        Record taken;
        taken.swap(record);
        return taken;
    }
};

TEST(DisplayControl, WhatEachStepSets) {
    struct Case {
        const char* what;
        DisplaySettings settings;
        std::vector<int> idle;  ///< the first for the start, then one Update each (ms)
        Record expected;
    };
    const Case cases[] = {
        {"dim, then off, then input",
         {200, 40, 1, 2},
         {0, 999, 1000, 1500, 2000, 9000, 50, 400},
         {"print on: brightness 200 of 255", "set 200", "save", "print dim: brightness 40 of 255",
          "set 40", "print off: brightness 0 of 255, DPMS off", "set 0", "power off",
          "print on: brightness 200 of 255, DPMS on", "power on", "set 200"}},
        {"input while dimmed",
         {200, 40, 1, 2},
         {0, 1200, 300},
         {"print on: brightness 200 of 255", "set 200", "save", "print dim: brightness 40 of 255",
          "set 40", "print on: brightness 200 of 255", "set 200"}},
        {"not managed: the brightness found is put back",
         {0, 40, 1, 2},
         {0, 1000, 2000, 10},
         {"save", "print dim: brightness 40 of 255", "set 40",
          "print off: brightness 0 of 255, DPMS off", "set 0", "power off",
          "print on: brightness as found before, DPMS on", "power on", "restore"}},
        {"a dim time not below the off time: no dim step",
         {200, 40, 3, 2},
         {0, 1000, 1999, 2000, 3000, 5},
         {"print on: brightness 200 of 255", "set 200", "save",
          "print off: brightness 0 of 255, DPMS off", "set 0", "power off",
          "print on: brightness 200 of 255, DPMS on", "power on", "set 200"}},
        {"dim only: never off",
         {200, 40, 1, 0},
         {0, 1000, 3600000, 20},
         {"print on: brightness 200 of 255", "set 200", "save", "print dim: brightness 40 of 255",
          "set 40", "print on: brightness 200 of 255", "set 200"}},
        {"the brightness only: set once, nothing timed",
         {120, 40, 0, 0},
         {0, 3600000, 10},
         {"print on: brightness 120 of 255", "set 120"}},
        {"started long idle: off at once, the on-brightness not set first",
         {200, 40, 1, 2},
         {5000},
         {"save", "print off: brightness 0 of 255, DPMS off", "set 0", "power off"}},
        // The idle time went down: input, even if it is past the dim time again by the look.
        {"input seen late",
         {200, 40, 1, 2},
         {0, 2500, 1200},
         {"print on: brightness 200 of 255", "set 200", "save",
          "print off: brightness 0 of 255, DPMS off", "set 0", "power off",
          "print on: brightness 200 of 255, DPMS on", "power on", "set 200", "save",
          "print dim: brightness 40 of 255", "set 40"}},
        {"all 0: nothing at all", {0, 0, 0, 0}, {0, 1000, 100000, 10}, {}},
        {"a dim brightness without times: nothing at all", {0, 90, 0, 0}, {0, 100000, 10}, {}},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.control.Apply(c.settings, Milliseconds(c.idle.front()));
        for (std::size_t i = 1; i < c.idle.size(); ++i) {
            rig.control.Update(Milliseconds(c.idle[i]));
        }
        EXPECT_EQ(rig.Take(), c.expected) << c.what;
    }
}

TEST(DisplayControl, TheGuardTakesTheWakingTouch) {
    Rig rig;
    rig.control.Apply({200, 40, 5, 9}, 0ms);
    EXPECT_FALSE(rig.control.GuardWanted());
    rig.control.Update(5000ms);
    EXPECT_TRUE(rig.control.GuardWanted());
    rig.Take();

    // The touch: on at the press, the guard kept until it is let go.
    rig.control.TouchDown();
    EXPECT_EQ(rig.control.State(), DisplayState::On);
    EXPECT_EQ(rig.Take(), (Record{"print on: brightness 200 of 255", "set 200"}));
    rig.control.Update(0ms);
    rig.control.Update(DisplayControl::kGuardGrace * 2);
    EXPECT_TRUE(rig.control.GuardWanted());
    rig.control.TouchUp();
    EXPECT_FALSE(rig.control.GuardWanted());
    EXPECT_EQ(rig.Take(), Record{});

    // Woken by other input: the guard stays until there was no input for a moment.
    rig.control.Update(5000ms);
    rig.control.Update(30ms);
    EXPECT_EQ(rig.control.State(), DisplayState::On);
    EXPECT_TRUE(rig.control.GuardWanted());
    rig.control.Update(DisplayControl::kGuardGrace - 1ms);
    EXPECT_TRUE(rig.control.GuardWanted());
    rig.control.Update(DisplayControl::kGuardGrace);
    EXPECT_FALSE(rig.control.GuardWanted());

    // A touch in that moment is taken, and sets nothing.
    rig.control.Update(5000ms);
    rig.control.Update(10ms);
    rig.Take();
    rig.control.TouchDown();
    EXPECT_TRUE(rig.control.GuardWanted());
    rig.control.TouchUp();
    EXPECT_FALSE(rig.control.GuardWanted());
    EXPECT_EQ(rig.Take(), Record{});
}

TEST(DisplayControl, NewSettingsActAtOnce) {
    struct Case {
        const char* what;
        DisplaySettings before;
        int idleBefore;  ///< ms, one Update after the start
        DisplaySettings after;
        int idleAfter;
        Record expected;  ///< after the start and the Update
        bool guard;       ///< wanted afterwards
    };
    const Case cases[] = {
        {"another on-brightness",
         {200, 40, 1, 2},
         0,
         {150, 40, 1, 2},
         0,
         {"print on: brightness 150 of 255", "set 150"},
         false},
        {"the same values", {200, 40, 1, 2}, 0, {200, 40, 1, 2}, 0, {}, false},
        {"the on-brightness becomes ours",
         {0, 40, 1, 2},
         0,
         {100, 40, 1, 2},
         0,
         {"print on: brightness 100 of 255", "set 100"},
         false},
        {"no longer ours: left as it is", {200, 40, 1, 2}, 0, {0, 40, 1, 2}, 0, {}, false},
        {"another dim brightness while dimmed",
         {200, 40, 1, 2},
         1000,
         {200, 60, 1, 2},
         1000,
         {"print dim: brightness 60 of 255", "set 60"},
         true},
        {"a longer dim time while dimmed",
         {200, 40, 1, 2},
         1000,
         {200, 40, 5, 9},
         1000,
         {"print on: brightness 200 of 255", "set 200"},
         false},
        {"a shorter dim time",
         {200, 40, 5, 9},
         3000,
         {200, 40, 1, 9},
         3000,
         {"save", "print dim: brightness 40 of 255", "set 40"},
         true},
        {"all 0 while off: everything put back",
         {0, 40, 1, 2},
         2000,
         {0, 0, 0, 0},
         2000,
         {"print on: brightness as found before, DPMS on", "power on", "restore"},
         false},
        {"no longer ours while dimmed: the brightness found comes back",
         {200, 40, 1, 2},
         1000,
         {0, 40, 5, 9},
         1000,
         {"print on: brightness as found before", "restore"},
         false},
        {"from all 0",
         {0, 0, 0, 0},
         500,
         {200, 40, 1, 2},
         500,
         {"print on: brightness 200 of 255", "set 200"},
         false},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.control.Apply(c.before, 0ms);
        rig.control.Update(Milliseconds(c.idleBefore));
        rig.Take();
        rig.control.Apply(c.after, Milliseconds(c.idleAfter));
        EXPECT_EQ(rig.Take(), c.expected) << c.what;
        EXPECT_EQ(rig.control.GuardWanted(), c.guard) << c.what;
    }
}

TEST(DisplayControl, StopPutsTheDisplayBack) {
    struct Case {
        DisplaySettings settings;
        int idle;  ///< ms, one Update before the stop
        Record expected;
    };
    const Case cases[] = {
        {{200, 40, 1, 2}, 0, {}},
        {{200, 40, 1, 2}, 1000, {"print on: brightness 200 of 255", "set 200"}},
        {{200, 40, 1, 2},
         2000,
         {"print on: brightness 200 of 255, DPMS on", "power on", "set 200"}},
        {{0, 40, 1, 2},
         2000,
         {"print on: brightness as found before, DPMS on", "power on", "restore"}},
        {{0, 0, 0, 0}, 100000, {}},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.control.Apply(c.settings, 0ms);
        rig.control.Update(Milliseconds(c.idle));
        rig.Take();
        rig.control.Stop();
        EXPECT_EQ(rig.Take(), c.expected) << c.settings.Describe() << ", idle " << c.idle;
        EXPECT_FALSE(rig.control.GuardWanted());
    }
}

// The X server went away while the display was off: a backlight is put back, nothing that
// would need the server is touched.
TEST(DisplayControl, StopWithoutTheDisplay) {
    struct Case {
        DisplaySettings settings;
        bool throughDisplay;
        Record expected;
    };
    const Case cases[] = {
        {{200, 40, 1, 2}, false, {"print on: brightness 200 of 255", "set 200"}},
        {{0, 40, 1, 2}, false, {"print on: brightness as found before", "restore"}},
        {{200, 40, 1, 2}, true, {"print on: no brightness control"}},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.brightness.throughDisplay = c.throughDisplay;
        rig.control.Apply(c.settings, 0ms);
        rig.control.Update(2000ms);
        rig.Take();
        rig.control.StopWithoutDisplay();
        EXPECT_EQ(rig.Take(), c.expected) << c.settings.Describe() << ", " << c.throughDisplay;
    }
}

TEST(DisplayControl, MissingOrFailingBackends) {
    Record record;
    const auto print = [&record](const std::string& line) { record.push_back("print " + line); };
    FakeBrightness failing(record);
    failing.failure = "no luck";
    FakePower power(record);

    // A brightness that fails: told, and the display still goes off and comes back.
    DisplayControl withFailure(&failing, &power, 1s, print);
    withFailure.Apply({200, 40, 1, 2}, 0ms);
    withFailure.Update(2000ms);
    withFailure.Update(0ms);
    EXPECT_EQ(record, (Record{"print on: brightness 200 of 255", "set 200",
                              "print cannot set the brightness: no luck", "save",
                              "print cannot read the brightness: no luck",
                              "print off: brightness 0 of 255, DPMS off", "set 0",
                              "print cannot set the brightness: no luck", "power off",
                              "print on: brightness 200 of 255, DPMS on", "power on", "set 200",
                              "print cannot set the brightness: no luck"}));
    record.clear();

    // Not ours, and what it is could not be read: never dimmed, as it could not be put back.
    DisplayControl unread(&failing, &power, 1s, print);
    unread.Apply({0, 40, 1, 2}, 0ms);
    unread.Update(1000ms);
    unread.Update(2000ms);
    unread.Update(0ms);
    EXPECT_EQ(record, (Record{"save", "print cannot read the brightness: no luck",
                              "print dim: brightness left as it is", "print off: DPMS off",
                              "power off", "print on: DPMS on", "power on"}));
    record.clear();

    DisplayControl powerOnly(nullptr, &power, 1s, print);
    powerOnly.Apply({200, 40, 1, 2}, 0ms);
    powerOnly.Update(1000ms);
    powerOnly.Update(2000ms);
    powerOnly.Update(0ms);
    EXPECT_EQ(record, (Record{"print dim: no brightness control", "print off: DPMS off",
                              "power off", "print on: DPMS on", "power on"}));
    record.clear();

    DisplayControl none(nullptr, nullptr, 1s, print);
    none.Apply({200, 40, 1, 2}, 2000ms);
    EXPECT_EQ(record, (Record{"print off: no brightness control"}));
    EXPECT_TRUE(none.GuardWanted()) << "the touch that ends an off is still taken";
}

TEST(DisplayControl, LooksAgainWhenTheNextStepIsDue) {
    struct Case {
        DisplaySettings settings;
        int idle;  ///< ms
        Milliseconds expected;
    };
    const Case cases[] = {
        {{200, 40, 1, 2}, 0, 1000ms},
        {{200, 40, 1, 2}, 400, 600ms},
        {{200, 40, 1, 2}, 1000, DisplayControl::kWatchStep},  // dimmed: watched for input
        {{200, 40, 3, 2}, 500, 1500ms},                       // no dim step
        {{200, 40, 0, 0}, 500, Milliseconds::max()},
        {{0, 0, 0, 0}, 500, Milliseconds::max()},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.control.Apply(c.settings, Milliseconds(c.idle));
        EXPECT_EQ(rig.control.UntilNextLook(Milliseconds(c.idle)).count(), c.expected.count())
            << c.settings.Describe() << ", idle " << c.idle;
    }
}

}  // namespace
