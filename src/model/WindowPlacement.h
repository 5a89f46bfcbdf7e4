#pragma once

#include <vector>

#include "model/PanelRules.h"

/// Where a window goes in the work area of its display (the screen without task bars): no
/// larger than the area, and moved the least so that it lies wholly inside. A window that fits
/// keeps its size and place. `window` is the outer rectangle, the window manager's frame
/// included; so is the result.
Rect PlaceWithin(const Rect& area, const Rect& window);

/// One control of a dialog: where its top is in the dialog's client area, and its height.
struct RowSpan {
    int top = 0;
    int height = 0;
};

/// The controls of a dialog moved up so that the dialog is no taller than `available`.
struct CompactedRows {
    std::vector<int> tops;  ///< the new top of each control, in the order they were given
    int height = 0;         ///< the client height the dialog then needs
};

/// The least empty room kept between two rows of controls, and above and below them.
constexpr int kLeastRowGap = 4;

/// Compacts a dialog of `height` whose controls are `controls` into `available` pixels: the
/// controls keep their height and order, and controls side by side (overlapping from top to
/// bottom) stay side by side. The empty rows between the controls give a pixel at a time, the
/// widest first, down to kLeastRowGap; only then the margins above the first and below the last
/// control do the same. A dialog that fits is left as it is; one that cannot be compacted enough
/// is compacted as far as it goes (its height then stays above `available`).
CompactedRows CompactRows(const std::vector<RowSpan>& controls, int height, int available);
