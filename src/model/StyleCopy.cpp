#include "model/StyleCopy.h"

bool CopyStyle(Layout& layout, const ButtonRef& source, const ButtonRef& target,
               const StyleChoices& choices) {
    if (!NamesButtonSlot(source) || !NamesButtonSlot(target)) {
        return false;
    }
    // A copy, so that a source that is also the target reads its own unchanged values.
    const ButtonRecord from = layout.Button(source.page, source.button);
    ButtonRecord& to = layout.Button(target.page, target.button);
    auto chosen = [&choices](int group) { return choices[group] != 0; };

    if (chosen(StyleGroups::Text)) {
        to.Text_Off = from.Text_Off;
        to.Text_On = from.Text_On;
    }
    if (chosen(StyleGroups::TasterLed)) {
        to.Led = from.Led;
        to.Taster = from.Taster;
    }
    if (chosen(StyleGroups::Image)) {
        to.Image_File_Off = from.Image_File_Off;
        to.Image_File_Press = from.Image_File_Press;
        to.Image_File_On = from.Image_File_On;
    }
    if (chosen(StyleGroups::Pageflip)) {
        to.Pageflip = from.Pageflip;
    }
    if (chosen(StyleGroups::Position)) {
        to.PosX = from.PosX;
        to.PosY = from.PosY;
    }
    if (chosen(StyleGroups::Font)) {
        to.Font_Family = from.Font_Family;
        to.Font_Color = from.Font_Color;
        to.Font_Size = from.Font_Size;
        to.Font_Style = from.Font_Style;
        to.Font_HorizAlign = from.Font_HorizAlign;
    }
    return true;
}
