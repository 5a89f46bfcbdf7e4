#pragma once

#include <chrono>
#include <cstdint>

#include "model/Layout.h"
#include "model/PanelState.h"

/// What a button shows over its look about the controller's word.
enum class ButtonMark {
    None,
    Stale,    ///< the lamp it shows is not the word of a controller connected now
    NotSent,  ///< a press on it has just gone nowhere
};

/// Whether a button shows a lamp: whether its lamp changes how it looks. `samePicture`: its on
/// and its off look show the same picture. A button with the same text and picture either way
/// (a label, a page flip) and one whose lamp number names no lamp show none.
bool ShowsLamp(const ButtonRecord& button, bool samePicture);

/// Paints `mark` over a composed button: `rgb` holds `width` x `height` pixels of three bytes,
/// `weight` (may be null: everywhere) how much of each pixel is the button's own picture, 0 to
/// 255, so that the mark follows the button's shape. A stale button is greyed and hatched with
/// broad diagonal stripes, dark and light in turn, that read on a light picture as on a dark one
/// and from across the room; the cue tints it red with red and white stripes. `phase` is added
/// to x + y before the stripes are laid, so that a button composed in parts is striped as one.
void PaintMark(ButtonMark mark, std::uint8_t* rgb, const std::uint8_t* weight, int width,
               int height, int phase);

/// What the page tells about the controller link, kept as state: whether the lamps it shows are
/// stale, whether it says that the link is down, and the short cue on a button whose press went
/// nowhere. The window feeds in what the link reports and draws the page again whenever a call
/// says that the page changed, and only then. Outside LAN mode the panel shows no lamps by
/// design: nothing is marked.
class LinkMarks {
  public:
    using Clock = std::chrono::steady_clock;
    /// How long a press that went nowhere is marked on its button.
    static constexpr std::chrono::milliseconds kCueFor{600};

    /// The link as it is now: whether the layout is in LAN mode, whether the link timer reports
    /// the link down, and whether the lamp states shown came from the controller connected now.
    /// True when the page changes.
    bool Follow(bool lanMode, bool linkDown, bool lampsKnown);
    /// A press on `button` that the link did not send, at `now`: the button shows the cue until
    /// kCueFor has passed. True when the page changes.
    bool NotSent(ButtonRef button, Clock::time_point now);
    /// The link timer's tick at `now`. True when the cue ended and the page changes.
    bool Tick(Clock::time_point now);

    /// The page says that the link is down.
    bool Offline() const { return m_lanMode && m_linkDown; }
    /// The mark of `button` shown in `look`; `showsLamp` as ShowsLamp says for it. The pressed
    /// look shows the finger, not a lamp, and is never marked.
    ButtonMark MarkOf(ButtonRef button, int look, bool showsLamp) const;

  private:
    bool m_lanMode = false;
    bool m_linkDown = false;
    bool m_lampsKnown = false;
    ButtonRef m_cue;  ///< the button whose press went nowhere, until m_cueEnds
    Clock::time_point m_cueEnds;
};
