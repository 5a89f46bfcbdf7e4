#pragma once

#include "model/Layout.h"
#include "model/PanelState.h"

/// Adds a button to a page in the first free slot, at (50, 0), keeping whatever else that
/// slot holds. Returns false (and changes nothing) when the page already has every slot in use.
bool InsertButton(Layout& layout, int page);

/// Removes a button: the buttons after it move down by one number with all their fields, the
/// first free slot is copied down as well and the count drops by one. Returns false for a
/// button the page does not have.
bool DeleteButton(Layout& layout, int page, int button);

/// Where a moved button goes: its centre snaps to the nearest line of a grid whose lines are
/// centred on the page. The result stays on the page (never negative, never past the right or
/// bottom edge). A grid below 1 counts as 1.
PagePoint SnapToGrid(PagePoint pointer, PagePoint grabOffset, int width, int height,
                     const FormSettings& form);
