// Any bytes as a layout file. The reader must take them without a fault and keep every page
// within its slots, and what it read must survive a store and a second load unchanged. Two
// things the format itself cannot carry are let through, as long as repeated stores settle:
// numbers wider than their field (a negative one included), which come back cut short, and
// texts holding a key, which set other fields again when read back.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "model/File.h"
#include "model/Layout.h"

namespace {

/// The keys the reader looks for anywhere in a line.
constexpr std::string_view kKeys[] = {
    "Form_Password:",
    "Destination_IP:",
    "Transmit_IP:",
    "Form_GridX_GridY:",
    "Form_SizeX_SizeY:",
    "Form_PageStart:",
    "Form_Scalefactor:",
    "Form_FullScreen:",
    "Form_ConnectModus:",
    "Display_Off:",
    "Display_Off_Dim:",
    "Display_Bright:",
    "Display_Bright_Dim:",
    "Page_Button_Last:",
    "Page_PageName:",
    "Page_PageImage:",
    "Page_BackColor1_BackColor2:",
    "Page_Button_PosX_PosY:",
    "Page_Button_Text_On:",
    "Page_Button_Text_Off:",
    "Page_Button_Font_Style:",
    "Page_Button_Font_HorizAlign:",
    "Page_Button_Font_Size:",
    "Page_Button_Font_Family:",
    "Page_Button_Font_Color:",
    "Page_Button_Led:",
    "Page_Button_Taster:",
    "Page_Button_Image_File_Off:",
    "Page_Button_Image_File_Press:",
    "Page_Button_Image_File_On:",
    "Page_Button_Pageflip:",
    "Page_Button_Inaktiv:",
};

/// Stores and loads that a layout the format cannot carry may take to settle: every round cuts
/// the digits of an oversized number by one, and a text holding a key stops changing once the
/// fields it sets hold what it says.
constexpr int kSettlingRounds = 16;

[[noreturn]] void Fault(const char* what) {
    std::fprintf(stderr, "fuzz-layout: %s\n", what);
    std::abort();
}

/// Written with as many characters as the reader takes back: 0 ... 999 or 0 ... 9999.
bool Fits(int value, int width) {
    return value >= 0 && value < (width == 3 ? 1000 : 10000);
}

bool HoldsKey(const std::wstring& text) {
    if (text.find(L':') == std::wstring::npos) {
        return false;
    }
    for (const std::string_view key : kKeys) {
        if (text.find(std::wstring(key.begin(), key.end())) != std::wstring::npos) {
            return true;
        }
    }
    return false;
}

/// Whether every value that the next store writes comes back from the file as it is.
bool Carried(const Layout& layout) {
    const FormSettings& f = layout.Form;
    for (int i = 0; i < 4; ++i) {
        if (!Fits(f.Destination_IP[i], 3) || !Fits(f.Transmit_IP[i], 3)) {
            return false;
        }
    }
    for (const int value : {f.GridX, f.GridY, f.Form_PageStart, f.Form_FullScreen,
                            f.Form_ConnectModus, f.Form_Orientation, f.Display_Off,
                            f.Display_Off_Dim, f.Display_Bright, f.Display_Bright_Dim}) {
        if (!Fits(value, 3)) {
            return false;
        }
    }
    // The reader gives the scale factor in whole hundredths; negative ones are written wider.
    if (!Fits(f.SizeX, 4) || !Fits(f.SizeY, 4) || f.Form_Scalefactor < 0 ||
        HoldsKey(f.Form_Password)) {
        return false;
    }
    for (int p = 0; p <= layout.LastPage; ++p) {
        const PageRecord& page = layout.Page(p);
        if (HoldsKey(page.PageName) || HoldsKey(page.PageImage)) {
            return false;
        }
        for (int b = 0; b < page.Button_Last; ++b) {
            const ButtonRecord& button = layout.Button(p, b);
            if (!Fits(button.PosX, 4) || !Fits(button.PosY, 4)) {
                return false;
            }
            for (const int value : {button.Font_Style, button.Font_HorizAlign, button.Font_Size,
                                    button.Led, button.Taster, button.Pageflip, button.Inaktiv}) {
                if (!Fits(value, 3)) {
                    return false;
                }
            }
            for (const std::wstring* text : {&button.Font_Family, &button.Image_File_Off,
                                             &button.Image_File_Press, &button.Image_File_On}) {
                if (HoldsKey(*text)) {
                    return false;
                }
            }
            if (HoldsKey(File::EscapeText(button.Text_On)) ||
                HoldsKey(File::EscapeText(button.Text_Off))) {
                return false;
            }
        }
    }
    return true;
}

void CheckSlots(const Layout& layout) {
    for (int p = 0; p < kPageSlots; ++p) {
        const int buttons = layout.Page(p).Button_Last;
        if (buttons < 0 || buttons > kButtonSlots) {
            Fault("a page holds more buttons than slots, or fewer than none");
        }
    }
}

/// The layout the program starts from before it loads its file.
const Layout& ResetTemplate() {
    static const std::unique_ptr<Layout> layout = std::make_unique<Layout>();
    return *layout;
}

/// Gives `layout` the values of `from` wherever a store or a check looks: the settings, every
/// page and the buttons of the pages the file holds. The other buttons are never written, and
/// copying only these makes a fresh layout ten times cheaper.
void CopyStoredPart(const Layout& from, Layout& layout) {
    layout.Form = from.Form;
    layout.LastPage = from.LastPage;
    layout.LastButton = from.LastButton;
    for (int p = 0; p < kPageSlots; ++p) {
        layout.Page(p) = from.Page(p);
    }
    for (int p = 0; p <= from.LastPage; ++p) {
        for (int b = 0; b < kButtonSlots; ++b) {
            layout.Button(p, b) = from.Button(p, b);
        }
    }
}

/// Loads `bytes` into a fresh reset layout held in `layout`.
void LoadFresh(const std::string& bytes, std::unique_ptr<Layout>& layout) {
    if (!layout) {
        layout = std::make_unique<Layout>(ResetTemplate());
    } else {
        CopyStoredPart(ResetTemplate(), *layout);
    }
    File::ParseLayout(bytes, *layout);
    CheckSlots(*layout);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static std::unique_ptr<Layout> first;
    static std::unique_ptr<Layout> again;

    LoadFresh(std::string(reinterpret_cast<const char*>(data), size), first);
    const bool carried = Carried(*first);
    std::string stored = File::FormatLayout(*first);

    for (int round = 0; round < kSettlingRounds; ++round) {
        LoadFresh(stored, again);
        std::string restored = File::FormatLayout(*again);
        if (restored == stored) {
            return 0;
        }
        if (carried) {
            Fault("a layout the file can carry changed in a store and a second load");
        }
        stored.swap(restored);
    }
    Fault("repeated stores and loads of a layout never settle");
}
