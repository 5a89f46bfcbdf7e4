#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/Layout.h"
#include "model/PanelState.h"

/// Whether a reference names a button slot of the layout's tables.
bool NamesButtonSlot(const ButtonRef& ref);

/// Bits of `Font_Style`.
namespace FontStyleBits {
constexpr int Bold = 1;
constexpr int Italic = 2;
constexpr int Underlined = 4;
}  // namespace FontStyleBits

/// The `Font_Style` bits of a font with these properties.
int StyleBitsOf(bool bold, bool italic, bool underlined);

/// Whether a font of this weight (100 thin ... 400 normal ... 900 heaviest) counts as bold: a
/// semibold face (600) and every heavier one does.
bool IsBoldWeight(int weight);

/// A colour as the colour dialog gives it: red, green and blue in the low three bytes and the
/// alpha value in the top byte (only the drawing masks it off).
Colour PackColour(int red, int green, int blue, int alpha);

/// A number as the settings fields show it: at least three digits, zero-padded ("%.3d").
std::wstring ThreeDigits(int value);

/// The point size the settings dialog shows a font in. The stored size is kept as it is; only
/// what is shown falls back to `fallback` for sizes below 1 and is capped for absurd ones.
int ShownPointSize(int size, int fallback);

/// The entries of the page-flip list: `noPageflip` (the words for "no page flip"), then one
/// "%.2d:%s" entry from k + 1 and the name of page k for every page 0 ... LastPage.
std::vector<std::wstring> PageflipEntries(const Layout& layout, const std::wstring& noPageflip);

/// The list entry that shows a stored `Pageflip`. A value the list has no entry for (neither
/// 999 nor a page 0 ... lastPage) shows the "no page flip" entry.
int PageflipEntryOf(int pageflip, int lastPage);

/// The `Pageflip` a list entry stands for, or nothing for an entry the list does not have.
std::optional<int> PageflipOfEntry(int entry, int lastPage);

/// The alignment radio choice (0 "Left", 1 "Center", 2 "Right") of a stored
/// `Font_HorizAlign`, or nothing for a value that names none of them.
std::optional<int> AlignChoiceOf(int horizAlign);
/// The `Font_HorizAlign` a radio choice stores.
int HorizAlignOfChoice(int choice);

/// The font of the edited button, kept apart from the controls while the dialog is open.
struct WorkingFont {
    std::wstring face;
    int size = 0;
    int style = 0;
    Colour colour = 0;
};

/// What the button settings dialog holds for one button, with the number fields as typed.
struct ButtonSettingsFields {
    std::wstring textOff;
    std::wstring textOn;
    std::wstring taster;
    std::wstring led;
    std::wstring imageOff;
    std::wstring imagePress;
    std::wstring imageOn;
    WorkingFont font;
    std::optional<int> alignChoice;  ///< nothing: the radio box keeps what it showed before
    bool inactive = false;
};

/// The fields the dialog shows for a button.
ButtonSettingsFields LoadButtonSettings(const ButtonRecord& button);

/// Writes the fields back as "OK" does: texts, Led and Taster read like the C library's
/// wide-string conversion (no range limit), pictures, font, alignment, Inaktiv. Position and
/// page flip are not the dialog's to store here.
void StoreButtonSettings(const ButtonSettingsFields& fields, ButtonRecord& button);
