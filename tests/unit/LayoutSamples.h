#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "model/Layout.h"
#include "model/LayoutFormat.h"

// Layouts and comparisons shared by the tests of the layout file's format and of its store.

inline std::unique_ptr<Layout> NewLayout() {
    return std::make_unique<Layout>();
}

/// Whether two records hold the same value in every field the file has.
template <class Record>
inline bool SameFields(const std::vector<LineFormat<Record>>& lines, const Record& a,
                       const Record& b) {
    for (const LineFormat<Record>& line : lines) {
        for (const FieldFormat<Record>& field : line.fields) {
            if ((field.number && a.*field.number != b.*field.number) ||
                (field.factor && a.*field.factor != b.*field.factor) ||
                (field.address && a.*field.address != b.*field.address) ||
                (field.colour && a.*field.colour != b.*field.colour) ||
                (field.text && a.*field.text != b.*field.text)) {
                return false;
            }
        }
    }
    return true;
}

/// Every field of every slot, pages and buttons beyond the ones in use included.
inline void ExpectSameTables(const Layout& a, const Layout& b) {
    EXPECT_TRUE(SameFields(LayoutFormat::FormLines(), a.Form, b.Form));
    for (int p = 0; p < kPageSlots; ++p) {
        EXPECT_TRUE(SameFields(LayoutFormat::PageLines(), a.Page(p), b.Page(p))) << "page " << p;
        for (int s = 0; s < kButtonSlots; ++s) {
            EXPECT_TRUE(SameFields(LayoutFormat::ButtonLines(), a.Button(p, s), b.Button(p, s)))
                << "page " << p << " button " << s;
        }
    }
}

/// A layout with every field of every page in use and of every button on it set to a value
/// that the file can carry, texts with line breaks and ISO-8859-1 letters included.
inline std::unique_ptr<Layout> EverythingFilled() {
    auto layout = NewLayout();
    FormSettings& form = layout->Form;
    form.Form_Password = L"g\u00E9heim 1";
    form.Destination_IP = {192, 168, 1, 250};
    form.Transmit_IP = {10, 0, 0, 7};
    form.GridX = 8;
    form.GridY = 999;
    form.SizeX = 1920;
    form.SizeY = 9999;
    form.Form_PageStart = 3;
    form.Form_Scalefactor = 0.29;
    form.Form_FullScreen = 1;
    form.Form_ConnectModus = 1;
    form.Display_Off = 30;
    form.Display_Off_Dim = 31;
    form.Display_Bright = 100;
    form.Display_Bright_Dim = 5;
    for (int p = 0; p <= layout->LastPage; ++p) {
        PageRecord& page = layout->Page(p);
        page.Button_Last = p == 4 ? 0 : kButtonSlots - p;
        page.PageName = L"Etage " + std::to_wstring(p) + L" \u00FF";
        page.PageImage = p % 2 ? L"" : L"back" + std::to_wstring(p) + L".png";
        page.BackColor1 = 0xFF000000u + static_cast<Colour>(p);
        page.BackColor2 = 0xFFFFFFFFu - static_cast<Colour>(p);
        for (int b = 0; b < page.Button_Last; ++b) {
            ButtonRecord& button = layout->Button(p, b);
            const int n = p * kButtonSlots + b;
            button.PosX = n % 10000;
            button.PosY = (n * 7) % 10000;
            button.Text_On = L"Licht\r\n" + std::to_wstring(n) + L"\n\u00E4n";
            button.Text_Off = n % 3 ? L"" : L"\r\r\raus";
            button.Font_Style = n % 8;
            button.Font_HorizAlign = n % 3;
            button.Font_Size = 6 + n % 90;
            button.Font_Family = n % 2 ? L"DejaVu Sans" : L"<default>";
            button.Font_Color = static_cast<Colour>(n) * 2654435761u;
            button.Led = n % 1000;
            button.Taster = (n * 3) % 1000;
            button.Image_File_Off = L"off" + std::to_wstring(n) + L".png";
            button.Image_File_Press = n % 5 ? L"" : L"press.png";
            button.Image_File_On = L"on \u00DF.jpg";
            button.Pageflip = n % 11 ? 999 : n % 11;
            button.Inaktiv = n % 2;
        }
    }
    return layout;
}
