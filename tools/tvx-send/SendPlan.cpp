#include "SendPlan.h"

#include <algorithm>

#include "model/File.h"
#include "model/Paths.h"
#include "model/PictureFile.h"
#include "model/PictureList.h"

namespace {

PlannedFile Plan(const Layout& layout, const std::wstring& name) {
    // A layout written elsewhere may name a file outside its folder: that is never read.
    if (!IsBareFileName(name)) {
        return PlannedFile{name, std::string(), StandIn::Outside};
    }
    const FoundPicture found = FindPicture(layout.Form.LayoutDirectory, name);
    PlannedFile file{name, found.path, StandIn::None};
    if (name.size() < 5) {
        file.standIn = StandIn::ShortName;
    } else if (!found.missing.empty()) {
        file.standIn = StandIn::Missing;
    }
    return file;
}

}  // namespace

std::vector<PlannedFile> MakeSendPlan(const Layout& layout) {
    std::vector<PlannedFile> plan{Plan(layout, File::kLayoutFileName)};
    const std::vector<std::wstring> pictures = PictureList(layout);
    for (const std::wstring& name : pictures) {
        plan.push_back(Plan(layout, name));
    }
    // A panel that has no layout yet has no menu or default picture either, and cannot start
    // without them.
    for (const std::wstring required : {kMenuPicture, kDefaultPicture}) {
        if (std::find(pictures.begin(), pictures.end(), required) == pictures.end() &&
            FileExists(PathInFolder(layout.Form.LayoutDirectory, required))) {
            plan.push_back(Plan(layout, required));
        }
    }
    return plan;
}
