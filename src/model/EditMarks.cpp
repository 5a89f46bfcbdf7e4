#include "model/EditMarks.h"

#include <algorithm>

#include "model/ButtonEditing.h"
#include "model/Contrast.h"

namespace {

/// Room between the menu picture and the banner.
constexpr int kMenuGap = 8;

bool SameRect(const Rect& a, const Rect& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

}  // namespace

std::wstring ModeBanner(int editMode) {
    switch (editMode) {
        case EditModes::Move:
            return L"--- Button Move ---";
        case EditModes::Settings:
            return L"--- Button Settings ---";
        case EditModes::GetStyle:
            return L"--- Button Get Style ---";
        case EditModes::ChangeStyle:
            return L"--- Button Change Style ---";
        case EditModes::Delete:
            return L"--- Button Delete ---";
        default:
            return std::wstring();
    }
}

std::wstring PanelTitle(const Layout& layout, const PanelState& panel) {
    std::wstring banner = ModeBanner(panel.EditMode);
    if (!banner.empty() || !Layout::IsPageSlot(panel.CurrentPage)) {
        return banner;
    }
    return layout.Page(panel.CurrentPage).PageName;
}

MarkColours MarkColoursOn(Colour page) {
    const MarkColours light{PackColour(255, 204, 0, 0), PackColour(0, 0, 0, 0)};
    const MarkColours dark{PackColour(110, 0, 0, 0), PackColour(255, 255, 255, 0)};
    return ContrastRatio(light.fill, page) >= ContrastRatio(dark.fill, page) ? light : dark;
}

bool EditMarks::operator==(const EditMarks& o) const {
    return banner == o.banner && colours == o.colours &&
           source.has_value() == o.source.has_value() && (!source || SameRect(*source, *o.source));
}

EditMarks EditMarksOf(const Layout& layout, const PanelState& panel, const Rect* buttonRects) {
    EditMarks marks;
    marks.banner = ModeBanner(panel.EditMode);
    if (marks.banner.empty() || !Layout::IsPageSlot(panel.CurrentPage)) {
        return EditMarks();
    }
    const PageRecord& page = layout.Page(panel.CurrentPage);
    marks.colours = MarkColoursOn(page.BackColor1 & kColourMask);
    const ButtonRef& source = panel.StyleSource;
    if (panel.StyleSourceMarked && source.page == panel.CurrentPage && source.button >= 0 &&
        source.button < std::clamp(page.Button_Last, 0, kButtonSlots)) {
        marks.source = buttonRects[source.button];
    }
    return marks;
}

Rect BannerPlace(int width, int height, int visibleWidth, const Rect& menu) {
    const int clear = menu.width > 0 && menu.height > 0 ? menu.x + menu.width + kMenuGap : 0;
    const int centred = (visibleWidth - width) / 2;
    return Rect{std::max(centred, clear), 0, width, height};
}
