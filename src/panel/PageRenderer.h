#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include <wx/bitmap.h>
#include <wx/dc.h>
#include <wx/font.h>

#include "model/ByteLru.h"
#include "model/Layout.h"
#include "model/LinkMarks.h"
#include "model/PanelRules.h"
#include "panel/ImageCache.h"

/// Turns the layout of the current page into pixels: the page background (gradient and
/// picture), the menu picture, the status line and the buttons in their looks. It draws into
/// the page's back buffer and remembers what the buffer shows, so that a page drawn again puts
/// only what changed on it.
///
/// Everything the page keeps of its pictures stays within a memory budget: the decoded
/// pictures (the cache's) and the composed buttons, each only the part of the button that lies
/// on the page. A button names its pictures by their decoding; a picture given up for room is
/// decoded again when a look of the button has to be composed again.
class PageRenderer {
  public:
    /// One entry per button slot a page can have, plus the slot after the last button, which
    /// the loading touches as well.
    static constexpr int kImageSlots = kButtonSlots + 1;
    /// Memory the composed buttons may take: every button of a full layout on a panel of up to
    /// 1280 x 800 in its off look, and a good part in the others. With the decoded pictures:
    /// 192 MiB in all, which leaves most of a board with 1 GB to the system.
    static constexpr std::size_t kComposedBudgetBytes = 64u << 20;
    /// Where the status line starts on the page's top edge.
    static constexpr int kStatusLineX = 50;

    struct MissingPictures {
        bool menu = false;
        bool defaultButton = false;
    };

    /// What a button is drawn as: its look (Looks) and the mark over it.
    struct ButtonLook {
        int look = Looks::None;
        ButtonMark mark = ButtonMark::None;
    };
    /// The look of a button slot of the page.
    using LookOf = std::function<ButtonLook(int button)>;

    /// Renders the page bitmap: a vertical gradient from BackColor1 to BackColor2 and the
    /// page picture centred on it.
    void BuildPageBackground(const Layout& layout, int page);
    /// Loads the menu picture and checks that the default button picture is there; a picture
    /// that cannot be decoded counts as missing.
    MissingPictures LoadMenuImage(const Layout& layout);
    /// Loads the off, pressed and on pictures of the page's buttons and their rectangles.
    void LoadButtonImages(const Layout& layout, int page);

    /// Brings `dc`, the page's back buffer, up to date: the page base (page bitmap, status line
    /// and menu picture) when it changed, and every button of the page whose pixels differ from
    /// what the buffer shows, with the buttons over it. Returns the rectangle drawn.
    wxRect DrawPage(wxDC& dc, Layout& layout, int page, const std::wstring& statusText,
                    const LookOf& lookOf);
    /// Composes one button on its piece of background and puts it on `dc` in one draw, over
    /// whatever lies there. Keeps the button inside the page (writing the corrected position
    /// to the layout). Returns the rectangle drawn, empty when nothing was drawn.
    wxRect DrawButton(wxDC& dc, Layout& layout, int page, int button, const ButtonLook& look);
    /// Whether the button's lamp changes how it looks, as its pictures are loaded now.
    bool ShowsLamp(const Layout& layout, int page, int button) const;
    /// Paints the page background over a button-sized rectangle at (x, y).
    wxRect RestoreBackground(wxDC& dc, int button, int x, int y);
    /// The buffer was made anew: nothing of the page is on it.
    void ForgetDrawn();

    const wxBitmap& PageBitmap() const { return m_pageBitmap; }
    Rect MenuRect() const { return m_menuRect; }
    const Rect* ButtonRects() const { return m_buttonRect.data(); }
    Rect& ButtonRect(int button) { return m_buttonRect.at(static_cast<std::size_t>(button)); }

    /// Moves the runtime entries of buttons button+1 ... last down by one, as a delete does.
    void ShiftEntriesDown(int button, int last);

    /// The names of button pictures that page loads found missing or could not decode (the
    /// default picture stands in) since the last call, each once.
    std::vector<std::wstring> TakeMissing();

    ImageCache& Cache() { return m_cache; }
    /// Memory the page keeps of its pictures now: decoded and composed.
    std::size_t KeptBytes() const { return m_cache.KeptBytes() + m_composed.Bytes(); }

  private:
    /// A picture as a button uses it: the file it was decoded from, the decoding, its size.
    struct PictureRef {
        std::string path;
        std::uint64_t serial = 0;
        int width = 0;
        int height = 0;
    };

    /// Everything a composed button is made of. Equal keys give equal pixels, so a button
    /// shown again as it was (a lamp that went off and on, a page shown again) is put on the
    /// page without laying out its text again, which is what makes composing slow.
    struct ComposedKey {
        int pageWidth = 0;
        int pageHeight = 0;
        Colour top = 0;
        Colour bottom = 0;
        std::uint64_t pagePicture = 0;
        int x = 0;  ///< the button's rectangle
        int y = 0;
        int width = 0;
        int height = 0;
        Rect shown;         ///< the part of it on the page, which is what is composed
        int textWidth = 0;  ///< the off picture's size, which the text is laid out in
        int textHeight = 0;
        std::uint64_t picture = 0;
        std::wstring text;
        std::wstring face;
        int size = 0;
        int style = 0;
        Colour colour = 0;
        int align = 0;
        ButtonMark mark = ButtonMark::None;
        /// Every field, for comparing and hashing alike.
        auto Tied() const {
            return std::tie(pageWidth, pageHeight, top, bottom, pagePicture, x, y, width, height,
                            shown.x, shown.y, shown.width, shown.height, textWidth, textHeight,
                            picture, text, face, size, style, colour, align, mark);
        }
        bool operator==(const ComposedKey& other) const { return Tied() == other.Tied(); }
        bool operator!=(const ComposedKey& other) const { return !(*this == other); }
    };
    struct ComposedKeyHash {
        std::size_t operator()(const ComposedKey& key) const;
    };
    /// What the buffer shows as its base.
    struct Base {
        ComposedKey page;
        std::wstring status;
        std::uint64_t menu = 0;
        bool operator==(const Base& other) const {
            return page == other.page && status == other.status && menu == other.menu;
        }
    };
    /// What a button is to look like now, and the picture of that look.
    struct Composition {
        ComposedKey key;
        const PictureRef* picture = nullptr;
    };

    PictureRef LoadPicture(const Layout& layout, const std::wstring& name,
                           ImageCache::Decoding decoding = ImageCache::Decoding::Now);
    /// The decoded picture of `ref`, decoded when it was only sized or given up for room; the
    /// default picture for one that turns out broken.
    wxImage PictureOf(const Layout& layout, const PictureRef& ref);
    /// Page bitmap, status line and menu picture, without buttons.
    void DrawPageBase(wxDC& dc, const std::wstring& statusText) const;
    /// The base of the page as the buffer shows it, over `area` only.
    void RestoreBase(wxDC& dc, const Rect& area);
    /// What button `button` of the page is to look like in `look`, nothing when it is not drawn.
    /// Keeps the button inside the page, as drawing it does.
    std::optional<Composition> Compose(Layout& layout, int page, int button,
                                       const ButtonLook& look);
    /// Puts a composed button on `dc`, composing it when it is not kept.
    void Put(wxDC& dc, const Layout& layout, int page, int button, const Composition& composed);
    wxBitmap BackgroundPiece(const Rect& piece) const;
    int ButtonFontSize(const ButtonRecord& button) const;
    const wxFont& ButtonFont(const ButtonRecord& button);
    wxBitmap ComposeButton(const ButtonRecord& record, const wxImage& picture,
                           const ComposedKey& key);
    /// Paints the key's mark over the button composed on `canvas` from `picture`.
    static void MarkCanvas(wxBitmap& canvas, const wxImage& picture, const ComposedKey& key);
    /// The buttons above index `above` whose part on the page meets `area` are no longer what
    /// the buffer shows there.
    void Covered(const Rect& area, int above);

    ImageCache m_cache;
    /// Button pictures found missing by the page loads since the last TakeMissing.
    std::set<std::wstring> m_missing;
    wxBitmap m_pageBitmap;
    ComposedKey m_pageContent;  ///< the page fields of the key: what the page bitmap shows
    /// The part of the menu picture on the page.
    wxBitmap m_menuBitmap;
    std::uint64_t m_menuSerial = 0;
    Rect m_menuRect;
    std::array<PictureRef, kImageSlots> m_offImage;
    std::array<PictureRef, kImageSlots> m_pressedImage;
    std::array<PictureRef, kImageSlots> m_onImage;
    std::array<Rect, kImageSlots> m_buttonRect{};
    std::map<std::tuple<std::wstring, int, int>, wxFont> m_fonts;
    ByteLru<ComposedKey, wxBitmap, ComposedKeyHash> m_composed{kComposedBudgetBytes};
    /// What the buffer shows: its base, and each button as composed there.
    std::optional<Base> m_drawnBase;
    std::array<std::optional<ComposedKey>, kImageSlots> m_drawn;
};
