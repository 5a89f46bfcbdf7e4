#include "model/ButtonEditing.h"

#include <algorithm>
#include <cwchar>

#include "model/NumberReading.h"

namespace {
/// Larger sizes than this only make the text fields unusable (and can overflow the toolkit's
/// own size arithmetic).
constexpr int kLargestShownPointSize = 400;
/// "No page flip" is entry 0; page k is entry k + 1.
constexpr int kNoPageflipEntry = 0;

int UsableLastPage(int lastPage) {
    return std::clamp(lastPage, -1, kPageSlots - 1);
}
}  // namespace

bool NamesButtonSlot(const ButtonRef& ref) {
    return Layout::IsPageSlot(ref.page) && Layout::IsButtonSlot(ref.button);
}

int StyleBitsOf(bool bold, bool italic, bool underlined) {
    return (bold ? FontStyleBits::Bold : 0) | (italic ? FontStyleBits::Italic : 0) |
           (underlined ? FontStyleBits::Underlined : 0);
}

bool IsBoldWeight(int weight) {
    return weight >= 600;
}

Colour PackColour(int red, int green, int blue, int alpha) {
    auto byte = [](int value) { return static_cast<Colour>(value) & 0xFFu; };
    return byte(red) | byte(green) << 8 | byte(blue) << 16 | byte(alpha) << 24;
}

std::wstring ThreeDigits(int value) {
    wchar_t text[16];
    std::swprintf(text, sizeof text / sizeof text[0], L"%.3d", value);
    return text;
}

int ShownPointSize(int size, int fallback) {
    if (size < 1) {
        return fallback;
    }
    return std::min(size, kLargestShownPointSize);
}

std::vector<std::wstring> PageflipEntries(const Layout& layout, const std::wstring& noPageflip) {
    std::vector<std::wstring> entries{noPageflip};
    const int last = UsableLastPage(layout.LastPage);
    for (int page = 0; page <= last; ++page) {
        wchar_t number[16];
        std::swprintf(number, sizeof number / sizeof number[0], L"%.2d:", page + 1);
        entries.push_back(number + layout.Page(page).PageName);
    }
    return entries;
}

int PageflipEntryOf(int pageflip, int lastPage) {
    if (pageflip >= 0 && pageflip <= UsableLastPage(lastPage)) {
        return pageflip + 1;
    }
    return kNoPageflipEntry;
}

std::optional<int> PageflipOfEntry(int entry, int lastPage) {
    if (entry == kNoPageflipEntry) {
        return kNoPageflip;
    }
    if (entry >= 1 && entry <= UsableLastPage(lastPage) + 1) {
        return entry - 1;
    }
    return std::nullopt;
}

std::optional<int> AlignChoiceOf(int horizAlign) {
    switch (horizAlign) {
        case 1:
            return 0;
        case 0:
            return 1;
        case 2:
            return 2;
        default:
            return std::nullopt;
    }
}

int HorizAlignOfChoice(int choice) {
    switch (choice) {
        case 0:
            return 1;
        case 2:
            return 2;
        default:
            return 0;
    }
}

ButtonSettingsFields LoadButtonSettings(const ButtonRecord& button) {
    ButtonSettingsFields fields;
    fields.textOff = button.Text_Off;
    fields.textOn = button.Text_On;
    fields.led = ThreeDigits(button.Led);
    fields.taster = ThreeDigits(button.Taster);
    fields.imageOff = button.Image_File_Off;
    fields.imagePress = button.Image_File_Press;
    fields.imageOn = button.Image_File_On;
    fields.font =
        WorkingFont{button.Font_Family, button.Font_Size, button.Font_Style, button.Font_Color};
    fields.alignChoice = AlignChoiceOf(button.Font_HorizAlign);
    fields.inactive = button.Inaktiv != 0;
    return fields;
}

void StoreButtonSettings(const ButtonSettingsFields& fields, ButtonRecord& button) {
    button.Text_Off = fields.textOff;
    button.Text_On = fields.textOn;
    button.Led = ReadWideInt(fields.led);
    button.Taster = ReadWideInt(fields.taster);
    button.Image_File_Off = fields.imageOff;
    button.Image_File_Press = fields.imagePress;
    button.Image_File_On = fields.imageOn;
    button.Font_Family = fields.font.face;
    button.Font_Size = fields.font.size;
    button.Font_Color = fields.font.colour;
    button.Font_Style = fields.font.style;
    if (fields.alignChoice) {
        button.Font_HorizAlign = HorizAlignOfChoice(*fields.alignChoice);
    }
    button.Inaktiv = fields.inactive ? 1 : 0;
}
