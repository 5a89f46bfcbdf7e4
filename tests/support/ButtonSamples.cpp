#include "ButtonSamples.h"

#include <gtest/gtest.h>

#include <tuple>

ButtonRecord SampleButton(int n) {
    const std::wstring s = std::to_wstring(n);
    ButtonRecord b;
    b.PosX = 10 * n;
    b.PosY = 20 * n;
    b.Text_On = L"on " + s;
    b.Text_Off = L"off\n" + s;
    b.Font_Style = n % 8;
    b.Font_HorizAlign = n % 3;
    b.Font_Size = 8 + n;
    b.Font_Family = L"face " + s;
    b.Font_Color = 0x10000u + static_cast<Colour>(n);
    b.Led = n;
    b.Taster = 300 + n;
    b.Image_File_Off = L"off " + s + L".png";
    b.Image_File_Press = L"press " + s + L".png";
    b.Image_File_On = L"on " + s + L".png";
    b.Pageflip = n % 11;
    b.Inaktiv = n % 2;
    return b;
}

namespace {

auto Fields(const ButtonRecord& b) {
    return std::tie(b.PosX, b.PosY, b.Text_On, b.Text_Off, b.Font_Style, b.Font_HorizAlign,
                    b.Font_Size, b.Font_Family, b.Font_Color, b.Led, b.Taster, b.Image_File_Off,
                    b.Image_File_Press, b.Image_File_On, b.Pageflip, b.Inaktiv);
}

}  // namespace

bool operator==(const ButtonRecord& a, const ButtonRecord& b) {
    return Fields(a) == Fields(b);
}

void PrintTo(const ButtonRecord& b, std::ostream* out) {
    using testing::PrintToString;
    *out << "{pos " << b.PosX << "," << b.PosY << " on " << PrintToString(b.Text_On) << " off "
         << PrintToString(b.Text_Off) << " style " << b.Font_Style << " align " << b.Font_HorizAlign
         << " size " << b.Font_Size << " family " << PrintToString(b.Font_Family) << " colour "
         << b.Font_Color << " led " << b.Led << " taster " << b.Taster << " images "
         << PrintToString(b.Image_File_Off) << "/" << PrintToString(b.Image_File_Press) << "/"
         << PrintToString(b.Image_File_On) << " flip " << b.Pageflip << " inaktiv " << b.Inaktiv
         << "}";
}

std::array<std::wstring, StyleGroups::Count> StyleGroupsOf(const ButtonRecord& b) {
    auto n = [](long long v) { return std::to_wstring(v) + L"|"; };
    std::array<std::wstring, StyleGroups::Count> groups;
    groups[StyleGroups::Text] = b.Text_Off + L"|" + b.Text_On;
    groups[StyleGroups::Image] =
        b.Image_File_Off + L"|" + b.Image_File_Press + L"|" + b.Image_File_On;
    groups[StyleGroups::Font] = b.Font_Family + L"|" + n(b.Font_Color) + n(b.Font_Size) +
                                n(b.Font_Style) + n(b.Font_HorizAlign);
    groups[StyleGroups::Position] = n(b.PosX) + n(b.PosY);
    groups[StyleGroups::TasterLed] = n(b.Led) + n(b.Taster);
    groups[StyleGroups::Pageflip] = n(b.Pageflip);
    return groups;
}
