#include "panel/EditBanner.h"

const wchar_t* const kNoConnection = L"Keine Verbindung zum Server";

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
