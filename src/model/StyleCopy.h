#pragma once

#include <array>

#include "model/ButtonEditing.h"
#include "model/Layout.h"
#include "model/PanelState.h"

/// The groups of properties a style copy can carry, numbered as the copy dialog's check boxes
/// are placed; these are also the indexes of `PanelState::CopyChoices`.
namespace StyleGroups {
constexpr int Text = 0;       ///< Text_Off, Text_On
constexpr int Image = 1;      ///< Image_File_Off, Image_File_Press, Image_File_On
constexpr int Font = 2;       ///< Font_Family, Font_Color, Font_Size, Font_Style, Font_HorizAlign
constexpr int Position = 3;   ///< PosX, PosY
constexpr int TasterLed = 4;  ///< Led, Taster
constexpr int Pageflip = 5;   ///< Pageflip
constexpr int Count = 6;
}  // namespace StyleGroups

/// One flag per group, 1 = copy it.
using StyleChoices = std::array<int, StyleGroups::Count>;

/// Copies the chosen groups from the source button to the target button (text, Taster/Led,
/// image, page flip, position, font). `Inaktiv` is never copied. The source may lie on another
/// page. Returns false and changes nothing when either button names no slot of the tables.
bool CopyStyle(Layout& layout, const ButtonRef& source, const ButtonRef& target,
               const StyleChoices& choices);
