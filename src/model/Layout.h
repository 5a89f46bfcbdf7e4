#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

/// Number of page slots and of button slots per page. Every per-page and per-button table
/// has this many entries; the file reader refuses indexes outside them.
constexpr int kPageSlots = 102;
constexpr int kButtonSlots = 102;

/// Colours are held as red in bits 0-7, green in 8-15, blue in 16-23. The top byte may carry
/// an alpha value from the colour dialog; everything that draws a colour masks it off.
using Colour = std::uint32_t;
constexpr Colour kColourMask = 0xFFFFFF;
inline int RedOf(Colour c) {
    return static_cast<int>(c & 0xFF);
}
inline int GreenOf(Colour c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
inline int BlueOf(Colour c) {
    return static_cast<int>((c >> 16) & 0xFF);
}

/// Special values of the button fields.
constexpr int kNoPageflip = 999;

/// Panel-wide settings, one instance per layout.
struct FormSettings {
    std::wstring LayoutDirectory;  ///< never written to the layout file
    std::wstring Form_Password;
    std::array<int, 4> Destination_IP{};
    std::array<int, 4> Transmit_IP{};
    int GridX = 0;
    int GridY = 0;
    int SizeX = 0;
    int SizeY = 0;
    int Form_PageStart = 0;
    double Form_Scalefactor = 0.0;
    int Form_FullScreen = 0;
    int Form_ConnectModus = 0;
    int Form_Orientation = 0;
    int Display_Off = 0;
    int Display_Off_Dim = 0;
    int Display_Bright = 0;
    int Display_Bright_Dim = 0;
};

struct PageRecord {
    std::wstring PageName;
    int Button_Last = 0;  ///< number of buttons on the page, 0 ... kButtonSlots
    std::wstring PageImage;
    Colour BackColor1 = 0;
    Colour BackColor2 = 0;
};

struct ButtonRecord {
    int PosX = 0;
    int PosY = 0;
    std::wstring Text_On;
    std::wstring Text_Off;
    int Font_Style = 0;       ///< bit set: 1 bold, 2 italic, 4 underlined
    int Font_HorizAlign = 0;  ///< 1 left, 2 right, anything else centred
    int Font_Size = 0;
    std::wstring Font_Family;
    Colour Font_Color = 0;
    int Led = 0;
    int Taster = 0;
    std::wstring Image_File_Off;
    std::wstring Image_File_Press;
    std::wstring Image_File_On;
    int Pageflip = 0;
    int Inaktiv = 0;
};

/// The whole panel definition: the form settings, 102 pages and 102 button slots per page.
/// The tables have a fixed size; Page() and Button() refuse indexes outside them.
class Layout {
  public:
    Layout();

    /// Gives every field its start-up value: defaults for pages 0 ... LastPage and button
    /// slots 0 ... LastButton, zero and empty everywhere else. Keeps LayoutDirectory.
    void ResetLayout();

    static bool IsPageSlot(int page) { return page >= 0 && page < kPageSlots; }
    static bool IsButtonSlot(int button) { return button >= 0 && button < kButtonSlots; }

    PageRecord& Page(int page) { return m_pages.at(static_cast<std::size_t>(page)); }
    const PageRecord& Page(int page) const { return m_pages.at(static_cast<std::size_t>(page)); }
    ButtonRecord& Button(int page, int button) { return m_buttons.at(Index(page, button)); }
    const ButtonRecord& Button(int page, int button) const {
        return m_buttons.at(Index(page, button));
    }

    FormSettings Form;
    int LastPage = 0;    ///< last page in use (10 after ResetLayout)
    int LastButton = 0;  ///< last slot ResetLayout fills with defaults (90)

  private:
    static std::size_t Index(int page, int button);

    std::array<PageRecord, kPageSlots> m_pages;
    std::array<ButtonRecord, static_cast<std::size_t>(kPageSlots) * kButtonSlots> m_buttons;
};
