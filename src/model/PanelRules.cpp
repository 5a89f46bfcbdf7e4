#include "model/PanelRules.h"

bool Contains(const Rect& rect, PagePoint point) {
    return rect.x <= point.x && point.x <= rect.x + rect.width && rect.y <= point.y &&
           point.y <= rect.y + rect.height;
}

int HitTest(const Rect* rects, int count, PagePoint point) {
    for (int i = count - 1; i >= 0; --i) {
        if (Contains(rects[i], point)) {
            return i;
        }
    }
    return -1;
}

int LampLookOf(const Layout& layout, const LampBitmap& lamps, int page, int button) {
    if (!Layout::IsPageSlot(page) || !Layout::IsButtonSlot(button) ||
        button >= layout.Page(page).Button_Last) {
        return Looks::None;
    }
    return lamps.IsOn(layout.Button(page, button).Led) ? Looks::On : Looks::Off;
}

std::optional<int> PageflipTarget(int pageflip) {
    if (pageflip == kNoPageflip || !Layout::IsPageSlot(pageflip)) {
        return std::nullopt;
    }
    return pageflip;
}

int KeepInsidePage(int position, int size, int pageSize) {
    if (static_cast<long long>(position) + size > pageSize) {
        return pageSize - size;
    }
    return position;
}
