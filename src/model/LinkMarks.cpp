#include "model/LinkMarks.h"

#include <algorithm>
#include <string>

namespace {

/// A button's text as it is drawn: carriage returns take no room.
std::wstring DrawnText(std::wstring text) {
    text.erase(std::remove(text.begin(), text.end(), L'\r'), text.end());
    return text;
}

bool SameButton(const ButtonRef& a, const ButtonRef& b) {
    return a.button == b.button && a.page == b.page;
}

/// The hatch: stripes of kStripe pixels across the diagonal, dark then light, kPeriod apart.
constexpr int kPeriod = 24;
constexpr int kStripe = 8;

/// `from` moved `share` (of 256) of the way to `to`.
int Toward(int from, int to, int share) {
    return from + (to - from) * share / 256;
}

struct Tint {
    int toward[3];  ///< the colour every pixel moves toward
    int share;      ///< how far, of 256
    int dark[3];    ///< the dark stripes' colour
    int darkShare;
    int light[3];  ///< the light stripes' colour
    int lightShare;
    bool grey;  ///< the pixel is greyed first
};

}  // namespace

void PaintMark(ButtonMark mark, std::uint8_t* rgb, const std::uint8_t* weight, int width,
               int height, int phase) {
    if (mark == ButtonMark::None || rgb == nullptr) {
        return;
    }
    // Stale: a quarter of the colour is left, so that a lit button still shows a hint of it.
    static const Tint kStale{{0, 0, 0}, 0, {0, 0, 0}, 90, {255, 255, 255}, 100, true};
    static const Tint kNotSent{{230, 30, 30}, 160, {140, 0, 0}, 150, {255, 255, 255}, 120, false};
    const Tint& tint = mark == ButtonMark::Stale ? kStale : kNotSent;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                                   static_cast<std::size_t>(x);
            const int w = weight != nullptr ? weight[at] : 255;
            if (w == 0) {
                continue;
            }
            std::uint8_t* pixel = rgb + 3 * at;
            int c[3] = {pixel[0], pixel[1], pixel[2]};
            if (tint.grey) {
                const int grey = (299 * c[0] + 587 * c[1] + 114 * c[2]) / 1000;
                for (int& part : c) {
                    part = Toward(grey, part, 64);
                }
            }
            const int stripe = ((x + y + phase) % kPeriod + kPeriod) % kPeriod;
            for (int i = 0; i < 3; ++i) {
                int value = Toward(c[i], tint.toward[i], tint.share);
                if (stripe < kStripe) {
                    value = Toward(value, tint.dark[i], tint.darkShare);
                } else if (stripe >= kPeriod / 2 && stripe < kPeriod / 2 + kStripe) {
                    value = Toward(value, tint.light[i], tint.lightShare);
                }
                pixel[i] = static_cast<std::uint8_t>(Toward(pixel[i], value, w + (w >> 7)));
            }
        }
    }
}

bool ShowsLamp(const ButtonRecord& button, bool samePicture) {
    if (button.Led < 0 || button.Led >= LampBitmap::kLamps) {
        return false;
    }
    return !samePicture || DrawnText(button.Text_On) != DrawnText(button.Text_Off);
}

bool LinkMarks::Follow(bool lanMode, bool linkDown, bool lampsKnown) {
    const bool wasOffline = Offline();
    const bool wasStale = m_lanMode && !m_lampsKnown;
    m_lanMode = lanMode;
    m_linkDown = linkDown;
    m_lampsKnown = lampsKnown;
    bool changed = wasOffline != Offline() || wasStale != (m_lanMode && !m_lampsKnown);
    // Out of LAN mode no press is meant to be sent: no cue either.
    if (!m_lanMode && m_cue.button >= 0) {
        m_cue = ButtonRef{};
        changed = true;
    }
    return changed;
}

bool LinkMarks::NotSent(ButtonRef button, Clock::time_point now) {
    if (!m_lanMode || button.button < 0) {
        return false;
    }
    const bool changed = !SameButton(m_cue, button);
    m_cue = button;
    m_cueEnds = now + kCueFor;
    return changed;
}

bool LinkMarks::Tick(Clock::time_point now) {
    if (m_cue.button < 0 || now < m_cueEnds) {
        return false;
    }
    m_cue = ButtonRef{};
    return true;
}

ButtonMark LinkMarks::MarkOf(ButtonRef button, int look, bool showsLamp) const {
    if (!m_lanMode || (look != Looks::Off && look != Looks::On)) {
        return ButtonMark::None;
    }
    if (m_cue.button >= 0 && SameButton(m_cue, button)) {
        return ButtonMark::NotSent;
    }
    return !m_lampsKnown && showsLamp ? ButtonMark::Stale : ButtonMark::None;
}
