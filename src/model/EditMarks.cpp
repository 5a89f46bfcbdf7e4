#include "model/EditMarks.h"

#include <algorithm>

#include "model/ButtonEditing.h"
#include "model/Contrast.h"

namespace {

bool SameRect(const Rect& a, const Rect& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

/// Of a light and a dark pair, the one whose fill stands out more from `page`.
MarkColours MoreContrasting(const MarkColours& light, const MarkColours& dark, Colour page) {
    return ContrastRatio(light.fill, page) >= ContrastRatio(dark.fill, page) ? light : dark;
}

}  // namespace

bool IsShownMode(int editMode) {
    switch (editMode) {
        case EditModes::Move:
        case EditModes::Settings:
        case EditModes::GetStyle:
        case EditModes::ChangeStyle:
        case EditModes::Delete:
            return true;
        default:
            return false;
    }
}

MarkColours MarkColoursOn(Colour page) {
    return MoreContrasting({PackColour(255, 204, 0, 0), PackColour(0, 0, 0, 0)},
                           {PackColour(110, 0, 0, 0), PackColour(255, 255, 255, 0)}, page);
}

MarkColours NoteColoursOn(Colour page) {
    return MoreContrasting({PackColour(190, 255, 190, 0), PackColour(0, 0, 0, 0)},
                           {PackColour(0, 60, 0, 0), PackColour(255, 255, 255, 0)}, page);
}

bool EditMarks::operator==(const EditMarks& o) const {
    return bannerMode == o.bannerMode && colours == o.colours &&
           source.has_value() == o.source.has_value() && (!source || SameRect(*source, *o.source));
}

EditMarks EditMarksOf(const Layout& layout, const PanelState& panel, const Rect* buttonRects) {
    if (!IsShownMode(panel.EditMode) || !Layout::IsPageSlot(panel.CurrentPage)) {
        return EditMarks();
    }
    EditMarks marks;
    marks.bannerMode = panel.EditMode;
    const PageRecord& page = layout.Page(panel.CurrentPage);
    marks.colours = MarkColoursOn(page.BackColor1 & kColourMask);
    const ButtonRef& source = panel.StyleSource;
    if (panel.StyleSourceMarked && source.page == panel.CurrentPage && source.button >= 0 &&
        source.button < std::clamp(page.Button_Last, 0, kButtonSlots)) {
        marks.source = buttonRects[source.button];
    }
    return marks;
}

int BannerClear(const Rect& menu, int gap) {
    return menu.width > 0 && menu.height > 0 ? menu.x + menu.width + gap : 0;
}

Rect BannerPlace(int width, int height, int visibleWidth, int clear, int top) {
    const int centred = (visibleWidth - width) / 2;
    return Rect{std::max(centred, clear), top, width, height};
}

int BannerRoom(int visibleWidth, int clear) {
    // Centred, the banner keeps as far from the right edge as from the left.
    return std::max(visibleWidth - 2 * clear, 0);
}

int RoomBannerPixels(int widthAt100, int room, int visibleHeight) {
    const int most = std::max(visibleHeight / 8, kLeastRoomBannerPixels);
    if (widthAt100 <= 0) {
        return most;
    }
    const long fitting = static_cast<long>(room) * 100 / widthAt100;
    return static_cast<int>(std::clamp<long>(fitting, kLeastRoomBannerPixels, most));
}
