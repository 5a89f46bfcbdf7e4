#pragma once

#include <memory>
#include <string>

#include "model/Layout.h"

/// The two layouts the store writer stores by turns, and the test of its stores expects: both
/// complete, and different enough that a file mixing them, or one cut short, matches neither.
/// `which` is 0 for A, 1 for B.
inline std::unique_ptr<Layout> StoreSafetyLayout(int which, const std::wstring& folder) {
    auto layout = std::make_unique<Layout>();
    layout->ResetLayout();
    layout->Form.LayoutDirectory = folder;
    layout->Form.SizeX = which == 0 ? 800 : 1024;
    layout->Form.SizeY = which == 0 ? 480 : 600;
    layout->Form.Form_ConnectModus = 1;
    layout->Form.Destination_IP = {127, 0, 0, which == 0 ? 1 : 2};
    // B has more buttons than A, so that its file is longer: a file cut short after A's length
    // matches neither.
    const int buttons = which == 0 ? 12 : 40;
    for (int page = 0; page <= layout->LastPage; ++page) {
        PageRecord& record = layout->Page(page);
        record.PageName = (which == 0 ? L"A page " : L"B page ") + std::to_wstring(page);
        record.Button_Last = buttons;
        for (int button = 0; button < buttons; ++button) {
            ButtonRecord& b = layout->Button(page, button);
            b.PosX = 10 + 60 * (button % 12);
            b.PosY = 10 + 50 * (button / 12);
            b.Taster = 100 * which + button;
            b.Led = button + page;
            b.Text_On = (which == 0 ? L"an " : L"ein ") + std::to_wstring(button);
            b.Text_Off = (which == 0 ? L"aus " : L"off ") + std::to_wstring(button);
        }
    }
    return layout;
}
