#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "Spread.h"
#include "model/File.h"
#include "model/Layout.h"
#include "model/LayoutFormat.h"
#include "model/Paths.h"

namespace {

/// The largest layout the program writes: every page in use with all its button slots, every
/// field filled, the button texts with line breaks.
std::unique_ptr<Layout> LargestLayout(const std::wstring& folder) {
    auto layout = std::make_unique<Layout>();
    layout->Form.LayoutDirectory = folder;
    layout->Form.Form_Password = L"1234";
    layout->Form.Destination_IP = {192, 168, 0, 10};
    layout->Form.Transmit_IP = {192, 168, 0, 11};
    layout->Form.SizeX = 1280;
    layout->Form.SizeY = 800;
    layout->Form.Form_Scalefactor = 1.0;
    layout->Form.Form_ConnectModus = 1;
    for (int p = 0; p <= layout->LastPage; ++p) {
        PageRecord& page = layout->Page(p);
        page.Button_Last = kButtonSlots;
        page.PageName = L"Geschoss " + std::to_wstring(p);
        page.PageImage = L"page" + std::to_wstring(p) + L".png";
        page.BackColor1 = 0x00336699;
        page.BackColor2 = 0xFF102030;
        for (int b = 0; b < kButtonSlots; ++b) {
            ButtonRecord& button = layout->Button(p, b);
            const std::wstring n = std::to_wstring(b);
            button.PosX = (b % 10) * 120;
            button.PosY = (b / 10) * 70;
            button.Text_On = L"Licht\r\nK\u00FCche " + n + L"\nan";
            button.Text_Off = L"Licht\r\nK\u00FCche " + n + L"\naus";
            button.Font_Style = 1;
            button.Font_HorizAlign = 0;
            button.Font_Size = 14;
            button.Font_Family = L"DejaVu Sans";
            button.Font_Color = 0x00FFFFFF;
            button.Led = (p * kButtonSlots + b) % 1000;
            button.Taster = (p * kButtonSlots + b + 1) % 1000;
            button.Image_File_Off = L"off" + n + L".png";
            button.Image_File_Press = L"press" + n + L".png";
            button.Image_File_On = L"on" + n + L".png";
            button.Pageflip = b == 0 ? (p + 1) % 11 : kNoPageflip;
            button.Inaktiv = 0;
        }
    }
    return layout;
}

/// A temporary layout folder holding the largest layout file.
class LayoutFolder {
  public:
    LayoutFolder() {
        std::string folder = (std::filesystem::temp_directory_path() / "tvx-bench-XXXXXX").string();
        if (::mkdtemp(folder.data()) == nullptr) {
            std::abort();
        }
        m_folder = folder;
        layout = LargestLayout(TextFromNative(folder));
        std::ofstream(File::LayoutPath(*layout), std::ios::binary)
            << LayoutFormat::FormatLayout(*layout);
    }
    ~LayoutFolder() { std::filesystem::remove_all(m_folder); }

    std::unique_ptr<Layout> layout;

  private:
    std::string m_folder;
};

void BM_LoadLayout(benchmark::State& state) {
    LayoutFolder folder;
    auto target = std::make_unique<Layout>();
    target->Form.LayoutDirectory = folder.layout->Form.LayoutDirectory;
    const File file;
    for (auto _ : state) {
        if (file.LoadLayout(*target) != FileStatus::Ok) {
            state.SkipWithError("load failed");
            break;
        }
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_LoadLayout)->Unit(benchmark::kMillisecond)->Apply(WithMinMax);

/// A store that changes the file: two layouts by turns, so that every store writes the file and
/// keeps the one it replaces among the backups.
void BM_StoreLayout(benchmark::State& state) {
    LayoutFolder folder;
    const File file;
    std::string error;
    bool other = false;
    for (auto _ : state) {
        other = !other;
        folder.layout->Page(0).PageName = other ? L"Geschoss 0" : L"Geschoss 0 neu";
        if (file.StoreLayout(*folder.layout, &error) != FileStatus::Ok) {
            state.SkipWithError(error.c_str());
            break;
        }
    }
}
BENCHMARK(BM_StoreLayout)->Unit(benchmark::kMillisecond)->Apply(WithMinMax);

}  // namespace
