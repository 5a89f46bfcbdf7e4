// What the page tells about the controller link: which buttons show a lamp, when their lamps are
// stale, the banner of a link that is down, the cue of a press that went nowhere, and how the
// marks are painted.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <vector>

#include "model/ButtonEditing.h"
#include "model/Contrast.h"
#include "model/LinkMarks.h"

namespace {

using namespace std::chrono_literals;

TEST(ShowsLamp, OnlyAButtonWhoseLampChangesItsLook) {
    struct Case {
        const char* name;
        int led;
        const wchar_t* off;
        const wchar_t* on;
        bool samePicture;
        bool shows;
    };
    for (const Case& c : {
             Case{"pictures differ", 7, L"Licht", L"Licht", false, true},
             Case{"texts differ", 7, L"Licht", L"Licht an", true, true},
             Case{"a label or a page flip: the same either way", 7, L"Szenen", L"Szenen", true,
                  false},
             Case{"texts that differ only by carriage returns", 7, L"a\r\nb", L"a\nb", true, false},
             Case{"lamp 1007, the last", 1007, L"", L"", false, true},
             Case{"a lamp number beyond the bitmap", 1008, L"", L"", false, false},
             Case{"a negative lamp number", -1, L"aus", L"an", false, false},
         }) {
        ButtonRecord button;
        button.Led = c.led;
        button.Text_Off = c.off;
        button.Text_On = c.on;
        EXPECT_EQ(ShowsLamp(button, c.samePicture), c.shows) << c.name;
    }
}

/// The link as a sequence of what the window feeds in, and what the page shows after each step.
TEST(LinkMarks, StaleFromTheStartAndFromALossUntilTheControllerSpeaks) {
    enum class Step { Start, AttemptFails, Connected, Up, States, Lost, LanOff, LanOn };
    struct Expected {
        Step step;
        bool changed;
        bool offline;
        ButtonMark lamp;  ///< of a button that shows a lamp
    };
    LinkMarks marks;
    bool lan = true;
    bool down = false;
    bool known = false;
    const ButtonRef lampButton{1, 0};
    const ButtonRef label{2, 0};
    for (const Expected& e : {
             Expected{Step::Start, true, false, ButtonMark::Stale},
             Expected{Step::AttemptFails, true, true, ButtonMark::Stale},
             Expected{Step::AttemptFails, false, true, ButtonMark::Stale},
             Expected{Step::Connected, false, true, ButtonMark::Stale},
             Expected{Step::Up, true, false, ButtonMark::Stale},
             Expected{Step::States, true, false, ButtonMark::None},
             Expected{Step::States, false, false, ButtonMark::None},
             Expected{Step::Lost, true, false, ButtonMark::Stale},
             Expected{Step::AttemptFails, true, true, ButtonMark::Stale},
             Expected{Step::LanOff, true, false, ButtonMark::None},
             Expected{Step::LanOn, true, true, ButtonMark::Stale},
             Expected{Step::Connected, false, true, ButtonMark::Stale},
             Expected{Step::States, true, true, ButtonMark::None},  // before the tick says Up
             Expected{Step::Up, true, false, ButtonMark::None},
         }) {
        switch (e.step) {
            case Step::Start:
                break;
            case Step::AttemptFails:
                down = true;
                break;
            case Step::Connected:
                break;
            case Step::Up:
                down = false;
                break;
            case Step::States:
                known = true;
                break;
            case Step::Lost:
                known = false;
                break;
            case Step::LanOff:
                lan = false;
                break;
            case Step::LanOn:
                lan = true;
                break;
        }
        SCOPED_TRACE(static_cast<int>(e.step));
        EXPECT_EQ(marks.Follow(lan, down, known), e.changed);
        EXPECT_EQ(marks.Offline(), e.offline);
        EXPECT_EQ(marks.MarkOf(lampButton, Looks::On, true), e.lamp);
        EXPECT_EQ(marks.MarkOf(lampButton, Looks::Off, true), e.lamp);
        EXPECT_EQ(marks.MarkOf(lampButton, Looks::Pressed, true), ButtonMark::None);
        EXPECT_EQ(marks.MarkOf(label, Looks::Off, false), ButtonMark::None);
    }
}

TEST(LinkMarks, APressThatWentNowhereIsCuedOnItsButtonForAWhile) {
    const LinkMarks::Clock::time_point now{};
    const ButtonRef touched{3, 1};
    const ButtonRef other{3, 2};  // the same number on another page
    LinkMarks marks;
    marks.Follow(true, true, false);
    EXPECT_TRUE(marks.NotSent(touched, now));
    EXPECT_FALSE(marks.NotSent(touched, now + 100ms)) << "the same button again";
    for (const bool showsLamp : {true, false}) {
        EXPECT_EQ(marks.MarkOf(touched, Looks::Off, showsLamp), ButtonMark::NotSent);
        EXPECT_EQ(marks.MarkOf(touched, Looks::Pressed, showsLamp), ButtonMark::None);
    }
    EXPECT_EQ(marks.MarkOf(other, Looks::Off, true), ButtonMark::Stale);
    // The cue lasts from the last press that went nowhere.
    EXPECT_FALSE(marks.Tick(now + LinkMarks::kCueFor));
    EXPECT_TRUE(marks.Tick(now + 100ms + LinkMarks::kCueFor));
    EXPECT_FALSE(marks.Tick(now + 1s));
    EXPECT_EQ(marks.MarkOf(touched, Looks::Off, true), ButtonMark::Stale);

    // A cue moves to the next button; outside LAN mode there is none, and leaving it ends one.
    EXPECT_TRUE(marks.NotSent(touched, now));
    EXPECT_TRUE(marks.NotSent(other, now));
    EXPECT_EQ(marks.MarkOf(touched, Looks::Off, false), ButtonMark::None);
    EXPECT_TRUE(marks.Follow(false, true, false));
    EXPECT_EQ(marks.MarkOf(other, Looks::Off, false), ButtonMark::None);
    EXPECT_FALSE(marks.NotSent(touched, now));
    EXPECT_FALSE(marks.Tick(now + 1s));
}

/// One pixel of `colour` under `mark`, `along` pixels along the hatch's diagonal.
Colour Painted(Colour colour, ButtonMark mark, int along, std::uint8_t weight = 255) {
    std::uint8_t pixel[3] = {static_cast<std::uint8_t>(RedOf(colour)),
                             static_cast<std::uint8_t>(GreenOf(colour)),
                             static_cast<std::uint8_t>(BlueOf(colour))};
    PaintMark(mark, pixel, &weight, 1, 1, along);
    return PackColour(pixel[0], pixel[1], pixel[2], 0);
}

/// How far a colour is from grey: its largest component less its smallest.
int Chroma(Colour colour) {
    const int parts[] = {RedOf(colour), GreenOf(colour), BlueOf(colour)};
    return *std::max_element(std::begin(parts), std::end(parts)) -
           *std::min_element(std::begin(parts), std::end(parts));
}

// On any picture, light or dark, grey or bright, the stale hatch has stripes that stand out from
// each other, from the picture and from a lit look; the colour is mostly gone. The cue is red.
TEST(PaintMark, TheHatchReadsOnLightAndDarkPicturesAlike) {
    constexpr int kDark = 3;    // along the diagonal: in a dark stripe
    constexpr int kLight = 15;  // in a light one
    constexpr int kBetween = 10;
    for (const Colour picture :
         {PackColour(255, 255, 255, 0), PackColour(0, 0, 0, 0), PackColour(128, 128, 128, 0),
          PackColour(0xDD, 0xEB, 0xF7, 0), PackColour(255, 170, 0, 0), PackColour(0, 0, 150, 0),
          PackColour(200, 0, 0, 0), PackColour(20, 60, 20, 0)}) {
        SCOPED_TRACE(testing::Message() << std::hex << picture);
        const Colour dark = Painted(picture, ButtonMark::Stale, kDark);
        const Colour light = Painted(picture, ButtonMark::Stale, kLight);
        EXPECT_GE(ContrastRatio(dark, light), 1.7) << "the stripes blur into one";
        EXPECT_GE(std::max(ContrastRatio(dark, picture), ContrastRatio(light, picture)), 1.4)
            << "no stripe stands out from the picture";
        EXPECT_LE(Chroma(Painted(picture, ButtonMark::Stale, kBetween)), Chroma(picture) / 3 + 1);
        const Colour cue = Painted(picture, ButtonMark::NotSent, kBetween);
        EXPECT_GT(RedOf(cue), GreenOf(cue) + 60);
        EXPECT_GT(RedOf(cue), BlueOf(cue) + 60);
        // Where the button's picture is not, the mark is not either.
        EXPECT_EQ(Painted(picture, ButtonMark::Stale, kDark, 0), picture);
        EXPECT_EQ(Painted(picture, ButtonMark::None, kDark), picture);
    }
}

// A button composed only in part (the rest off the page) is striped as the whole one is.
TEST(PaintMark, APartIsStripedAsTheWholeButton) {
    constexpr int kWidth = 60;
    constexpr int kHeight = 30;
    std::vector<std::uint8_t> whole(kWidth * kHeight * 3, 200);
    PaintMark(ButtonMark::Stale, whole.data(), nullptr, kWidth, kHeight, 0);
    for (const auto& [x, y] : {std::pair{17, 0}, std::pair{0, 11}, std::pair{25, 9}}) {
        const int width = kWidth - x;
        const int height = kHeight - y;
        std::vector<std::uint8_t> part(static_cast<std::size_t>(width * height * 3), 200);
        PaintMark(ButtonMark::Stale, part.data(), nullptr, width, height, x + y);
        for (int row = 0; row < height; ++row) {
            ASSERT_TRUE(std::equal(part.begin() + row * width * 3,
                                   part.begin() + (row + 1) * width * 3,
                                   whole.begin() + ((row + y) * kWidth + x) * 3))
                << "part from " << x << "," << y << ", row " << row;
        }
    }
}

}  // namespace
