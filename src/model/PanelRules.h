#pragma once

#include <optional>

#include "model/Layout.h"
#include "model/PanelState.h"

/// A rectangle on the page, in page pixels.
struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

/// Whether the point lies in the rectangle; all four edges belong to it.
bool Contains(const Rect& rect, PagePoint point);

/// The button under a point: the highest index among the first `count` rectangles that
/// contain it (the one drawn on top), or -1.
int HitTest(const Rect* rects, int count, PagePoint point);

/// The look a button shows from the lamp states: None for a button the page does not have,
/// On when its lamp is lit, else Off (a lamp number outside the bitmap counts as unlit).
int LampLookOf(const Layout& layout, const LampBitmap& lamps, int page, int button);

/// The page a released button flips to, or nothing for "no page flip" and for values that
/// name no page of the layout.
std::optional<int> PageflipTarget(int pageflip);

/// Moves a position back so that an item of `size` ends at the page edge when it would reach
/// past it; returns the corrected position.
int KeepInsidePage(int position, int size, int pageSize);

/// The page the panel starts on: the layout's start page, or the first page when the layout
/// has no such page.
int StartPageOf(const Layout& layout);

/// The panel state once `fresh` has replaced the layout `old` the panel ran on. What belongs
/// to the run stays: the lamps, the link status, the style copy's ticks, the page shown (the
/// start page when `fresh` lacks it) and the unlocked menu while the password is the same.
/// What belonged to the old layout ends: an edit operation in force, the selected and held
/// button, a move, the style source. The new layout counts as stored.
void ResumeOnNewLayout(PanelState& panel, const Layout& old, const Layout& fresh);
