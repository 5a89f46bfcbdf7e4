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
#include <vector>

#include "model/Layout.h"
#include "model/LayoutFormat.h"

namespace {

/// Stores and loads that a layout the format cannot carry may take to settle: every round cuts
/// the digits of an oversized number by one, and a text holding a key stops changing once the
/// fields it sets hold what it says.
constexpr int kSettlingRounds = 16;

[[noreturn]] void Fault(const char* what) {
    std::fprintf(stderr, "fuzz-layout: %s\n", what);
    std::abort();
}

bool HoldsKey(const std::string& text) {
    if (text.find(':') == std::string::npos) {
        return false;
    }
    for (const std::string_view key : LayoutFormat::ReadKeys()) {
        if (text.find(key) != std::string::npos) {
            return true;
        }
    }
    return false;
}

/// Whether every value of the lines the reader takes comes back as the store writes it: a
/// fixed-width field written with exactly the characters the reader takes, a text holding no
/// key.
template <class Record>
bool Carried(const std::vector<LineFormat<Record>>& lines, const Record& record) {
    for (const LineFormat<Record>& line : lines) {
        if (!line.read) {
            continue;
        }
        for (const FieldFormat<Record>& field : line.fields) {
            const std::string text = LayoutFormat::FieldText(field, record);
            if (field.width == 0 ? HoldsKey(text) : text.size() != field.width) {
                return false;
            }
        }
    }
    return true;
}

/// Whether every value that the next store writes comes back from the file as it is.
bool Carried(const Layout& layout) {
    if (!Carried(LayoutFormat::FormLines(), layout.Form)) {
        return false;
    }
    for (int p = 0; p <= layout.LastPage; ++p) {
        const PageRecord& page = layout.Page(p);
        if (!Carried(LayoutFormat::PageLines(), page)) {
            return false;
        }
        for (int b = 0; b < page.Button_Last; ++b) {
            if (!Carried(LayoutFormat::ButtonLines(), layout.Button(p, b))) {
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
    LayoutFormat::ParseLayout(bytes, *layout);
    CheckSlots(*layout);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static std::unique_ptr<Layout> first;
    static std::unique_ptr<Layout> again;

    LoadFresh(std::string(reinterpret_cast<const char*>(data), size), first);
    const bool carried = Carried(*first);
    std::string stored = LayoutFormat::FormatLayout(*first);

    for (int round = 0; round < kSettlingRounds; ++round) {
        LoadFresh(stored, again);
        std::string restored = LayoutFormat::FormatLayout(*again);
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
