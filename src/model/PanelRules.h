#pragma once

#include <cstdint>
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

/// Where the panel window goes on a display: the page's client area at most the layout's size,
/// and the window (the client area and the window manager's frame around it) within the display.
struct WindowFit {
    int clientWidth = 0;
    int clientHeight = 0;
    int x = 0;  ///< of the window's outer corner
    int y = 0;
};
/// `area` is the display's client area, `frameWidth`/`frameHeight` what the frame adds (0 when
/// there is none), `window` where the window is now (outer rectangle). A window that fits stays
/// where it is, moved only as far as needed to be within the display.
WindowFit FitWindow(const Rect& area, int frameWidth, int frameHeight, const FormSettings& form,
                    const Rect& window);

/// The most pixels a picture of the layout may have to be decoded: four times the page, but at
/// least 16 Mi pixels (4096 x 4096) and at most 64 Mi (8192 x 8192, four times a 4K page). No
/// real panel needs more; a picture beyond it (or a file whose header only claims it) would take
/// gigabytes and minutes to decode.
std::uint64_t MostPicturePixels(const Layout& layout);

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

/// A layout asking for a panel smaller than 200 x 200 gets that much.
void RaiseToSmallestPanel(FormSettings& form);

/// The bus value (`Taster`) of the selected button of the current page, when the controller
/// link is in use (LAN mode) and a button of the page is selected.
std::optional<int> SelectedTaster(const Layout& layout, const PanelState& panel);
