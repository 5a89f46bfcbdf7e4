#include "model/PictureList.h"

#include <algorithm>
#include <unordered_set>

namespace {

/// Shorter names cannot name a picture file of their own; the lookup would send the default
/// button picture in their place.
constexpr std::size_t kShortestButtonPicture = 5;

}  // namespace

std::vector<std::wstring> PictureList(const Layout& layout) {
    std::vector<std::wstring> names;
    const int lastPage = std::min(layout.LastPage, kPageSlots - 1);
    for (int page = 0; page <= lastPage; ++page) {
        const std::wstring& image = layout.Page(page).PageImage;
        if (!image.empty()) {
            names.push_back(image);
        }
    }

    std::unordered_set<std::wstring> seen;
    for (int page = 0; page <= lastPage; ++page) {
        const int buttons = std::clamp(layout.Page(page).Button_Last, 0, kButtonSlots);
        for (int button = 0; button < buttons; ++button) {
            const ButtonRecord& record = layout.Button(page, button);
            for (const std::wstring* image :
                 {&record.Image_File_Off, &record.Image_File_Press, &record.Image_File_On}) {
                if (image->size() >= kShortestButtonPicture && seen.insert(*image).second) {
                    names.push_back(*image);
                }
            }
        }
    }
    return names;
}
