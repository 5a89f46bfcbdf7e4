#pragma once

#include <optional>
#include <string>

#include "model/Layout.h"
#include "model/PanelRules.h"
#include "model/PanelState.h"

/// Whether the panel shows `editMode` in its title and on its page: every edit mode does; normal
/// operation and a value that names no mode do not.
bool IsShownMode(int editMode);

/// The colours of the marks an edit mode puts on the page: a fill that stands out from the page
/// and ink that reads on the fill.
struct MarkColours {
    Colour fill = 0;
    Colour ink = 0;
    bool operator==(const MarkColours& o) const { return fill == o.fill && ink == o.ink; }
};

/// Of a light and a dark pair, the one whose fill stands out more from `page`. A single colour
/// would vanish on a page of its own lightness; of the two, one always differs by more than 2.8
/// and its ink outlines it besides.
MarkColours MarkColoursOn(Colour page);
/// The same for a note in the status line that confirms what went through: green, not the
/// marks' warning colours.
MarkColours NoteColoursOn(Colour page);

/// What the page shows on top of itself while an edit mode is on: the banner of the mode on the
/// top edge and, from "get style" until the style is applied or the edit ends, a frame around the
/// style source when it lies on the page shown. Nothing at all in normal operation, so that a
/// page in normal operation is exactly the page drawn.
struct EditMarks {
    /// The edit mode the banner names; normal operation shows no banner.
    int bannerMode = EditModes::Normal;
    MarkColours colours;
    std::optional<Rect> source;

    bool Empty() const { return bannerMode == EditModes::Normal && !source; }
    bool operator==(const EditMarks& o) const;
    bool operator!=(const EditMarks& o) const { return !(*this == o); }
};

/// The marks for the panel as it is: `buttonRects` are the rectangles of the current page's
/// buttons as drawn. The colours are chosen against the top colour of the page's gradient, where
/// the banner lies.
EditMarks EditMarksOf(const Layout& layout, const PanelState& panel, const Rect* buttonRects);

/// How far from the page's left edge a banner starts at least: `gap` pixels right of the menu
/// picture, which is the way into the menu and out of an edit mode.
int BannerClear(const Rect& menu, int gap);
/// The gap an edit mode's banner keeps from the menu picture.
constexpr int kMenuGap = 8;

/// Where a banner box of `width` x `height` goes on the top edge of the page (or, below another
/// banner, at `top`): centred on the `visibleWidth` the panel shows, but starting no further
/// left than `clear` (BannerClear). A box wider than the room left starts at `clear`.
Rect BannerPlace(int width, int height, int visibleWidth, int clear, int top = 0);

/// The width a banner centred on `visibleWidth` may take when it starts no further left than
/// `clear`.
int BannerRoom(int visibleWidth, int clear);

/// The pixel size of the font of a banner read from across the room: its text as wide as
/// `room` allows (the text is `widthAt100` pixels wide in the font's 100-pixel size), but at
/// most an eighth of the `visibleHeight` the panel shows, so that the page stays in sight, and
/// never below kLeastRoomBannerPixels.
int RoomBannerPixels(int widthAt100, int room, int visibleHeight);
constexpr int kLeastRoomBannerPixels = 20;
