#include "model/PageEditing.h"

#include <algorithm>

bool InsertButton(Layout& layout, int page) {
    PageRecord& record = layout.Page(page);
    const int count = std::clamp(record.Button_Last, 0, kButtonSlots);
    if (count >= kButtonSlots) {
        return false;
    }
    ButtonRecord& slot = layout.Button(page, count);
    slot.PosX = 50;
    slot.PosY = 0;
    record.Button_Last = count + 1;
    return true;
}

bool DeleteButton(Layout& layout, int page, int button) {
    PageRecord& record = layout.Page(page);
    const int count = std::clamp(record.Button_Last, 0, kButtonSlots);
    if (button < 0 || button >= count) {
        return false;
    }
    // The first free slot (count) is copied down too, when the page has one.
    const int last = std::min(count, kButtonSlots - 1);
    for (int k = button; k < last; ++k) {
        layout.Button(page, k) = layout.Button(page, k + 1);
    }
    record.Button_Last = count - 1;
    return true;
}

namespace {
int Snap(int pointer, int grab, int size, int grid, int pageSize) {
    grid = std::max(grid, 1);
    const int half = size / 2;
    const int margin = (pageSize % grid) / 2;
    const long long value =
        (static_cast<long long>(pointer) - grab + half + grid / 2 - margin) / grid * grid - half +
        margin;
    // The pointer may leave the page; the button stays on it.
    const long long highest = std::max(0LL, static_cast<long long>(pageSize) - size);
    return static_cast<int>(std::clamp<long long>(value, 0, highest));
}
}  // namespace

PagePoint SnapToGrid(PagePoint pointer, PagePoint grabOffset, int width, int height,
                     const FormSettings& form) {
    return PagePoint{Snap(pointer.x, grabOffset.x, width, form.GridX, form.SizeX),
                     Snap(pointer.y, grabOffset.y, height, form.GridY, form.SizeY)};
}
