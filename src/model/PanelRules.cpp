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

int StartPageOf(const Layout& layout) {
    const int start = layout.Form.Form_PageStart;
    return start >= 0 && start <= layout.LastPage ? start : 0;
}

void ResumeOnNewLayout(PanelState& panel, const Layout& old, const Layout& fresh) {
    const PanelState kept = panel;
    panel.Reset();
    panel.Lamps = kept.Lamps;
    panel.StatusText = kept.StatusText;
    panel.CopyChoices = kept.CopyChoices;
    panel.CurrentPage = kept.CurrentPage >= 0 && kept.CurrentPage <= fresh.LastPage
                            ? kept.CurrentPage
                            : StartPageOf(fresh);
    panel.MenuUnlocked = old.Form.Form_Password == fresh.Form.Form_Password ? kept.MenuUnlocked : 0;
}
