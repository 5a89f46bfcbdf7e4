#include "model/PanelRules.h"

#include <algorithm>

#include "model/WindowPlacement.h"

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

WindowFit FitWindow(const Rect& area, int frameWidth, int frameHeight, const FormSettings& form,
                    const Rect& window) {
    WindowFit fit;
    fit.clientWidth = std::max(1, std::min(area.width - frameWidth, form.SizeX));
    fit.clientHeight = std::max(1, std::min(area.height - frameHeight, form.SizeY));
    // A window larger than the display (a frame wider than it) keeps its corner on it.
    const Rect placed = PlaceWithin(area, Rect{window.x, window.y, fit.clientWidth + frameWidth,
                                               fit.clientHeight + frameHeight});
    fit.x = placed.x;
    fit.y = placed.y;
    return fit;
}

std::uint64_t MostPicturePixels(const Layout& layout) {
    constexpr std::uint64_t kLeast = 4096ull * 4096ull;
    constexpr std::uint64_t kMost = 8192ull * 8192ull;
    const auto side = [](int size) { return static_cast<std::uint64_t>(size > 0 ? size : 0); };
    return std::clamp(4 * side(layout.Form.SizeX) * side(layout.Form.SizeY), kLeast, kMost);
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

void RaiseToSmallestPanel(FormSettings& form) {
    form.SizeX = std::max(form.SizeX, 200);
    form.SizeY = std::max(form.SizeY, 200);
}

std::optional<int> SelectedTaster(const Layout& layout, const PanelState& panel) {
    if (panel.SelectedButton == -1 || layout.Form.Form_ConnectModus != 1 ||
        !Layout::IsButtonSlot(panel.SelectedButton)) {
        return std::nullopt;
    }
    return layout.Button(panel.CurrentPage, panel.SelectedButton).Taster;
}
