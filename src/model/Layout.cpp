#include "model/Layout.h"

#include <cstdio>
#include <stdexcept>

Layout::Layout() {
    ResetLayout();
}

std::size_t Layout::Index(int page, int button) {
    if (!IsPageSlot(page) || !IsButtonSlot(button)) {
        throw std::out_of_range("button slot outside the layout tables");
    }
    return static_cast<std::size_t>(page) * kButtonSlots + static_cast<std::size_t>(button);
}

void Layout::ResetLayout() {
    const std::wstring directory = Form.LayoutDirectory;
    Form = FormSettings{};
    Form.LayoutDirectory = directory;
    m_pages.fill(PageRecord{});
    m_buttons.fill(ButtonRecord{});

    Form.GridX = 20;
    Form.GridY = 20;
    Form.Form_FullScreen = 0;
    Form.Form_ConnectModus = 0;
    LastButton = 90;
    LastPage = 10;

    for (int p = 0; p <= LastPage; ++p) {
        PageRecord& page = Page(p);
        page.PageName = L"newPage";
        page.BackColor1 = 0xFFFFFF;
        page.BackColor2 = 0xFFFFFF;
        for (int b = 0; b <= LastButton; ++b) {
            ButtonRecord& button = Button(p, b);
            wchar_t text[16];
            std::swprintf(text, 16, L"Text_%.3d", b);
            button.Text_Off = text;
            button.Text_On = text;
            button.Led = 0;
            button.Pageflip = kNoPageflip;
            button.Font_Style = 0;
            button.Font_HorizAlign = 0;
            button.Font_Size = 12;
            button.Font_Family = L"<default>";
            button.Font_Color = 0;
        }
    }
}
