#pragma once

#include <array>
#include <cstdint>
#include <string>

/// Edit operations that touches on the panel perform. The numbers are those the rest of the
/// program compares against; they are kept as plain ints on purpose.
namespace EditModes {
constexpr int Normal = 0;
constexpr int Move = 2;
constexpr int Settings = 4;
constexpr int GetStyle = 6;
constexpr int ChangeStyle = 7;
constexpr int Delete = 8;
}  // namespace EditModes

/// Looks of a button: what DrawButton shows.
namespace Looks {
constexpr int None = 0;
constexpr int Off = 1;
constexpr int Pressed = 2;
constexpr int On = 3;
}  // namespace Looks

/// The controller's lamp states: 126 bytes, lamp n is bit (n mod 8) of byte (n div 8).
class LampBitmap {
  public:
    static constexpr int kBytes = 126;
    static constexpr int kLamps = kBytes * 8;  // 1008

    /// False for a lamp number outside 0 ... 1007: such a lamp names no bit.
    bool IsOn(int lamp) const;
    void Set(int lamp, bool on);
    void Clear() { m_storage.fill(0); }
    /// Takes the 126 bitmap bytes of a lamp-state message.
    void Apply(const std::uint8_t* bitmap);
    const std::uint8_t* Bytes() const { return m_storage.data(); }

  private:
    std::array<std::uint8_t, 200> m_storage{};
};

struct PagePoint {
    int x = -1;
    int y = -1;
    bool operator==(const PagePoint& o) const { return x == o.x && y == o.y; }
};

/// A button named by page and number; -1 / -1 names none.
struct ButtonRef {
    int button = -1;
    int page = -1;
};

/// Panel state shared by the window, the link and the dialogs. Lives for one run and is never
/// written to the layout file.
struct PanelState {
    int CurrentPage = 0;
    int SelectedButton = -1;
    int EditMode = EditModes::Normal;
    int LayoutChanged = 0;
    int MenuUnlocked = 0;
    std::wstring StatusText;
    int RedrawPending = 0;
    LampBitmap Lamps;

    ButtonRef HeldButton;              ///< the button a finger holds down right now, if any
    bool MoveUnderWay = false;         ///< a finger put down in move mode holds SelectedButton
    ButtonRef StyleSource;             ///< the button taken by "get style"
    bool StyleSourceMarked = false;    ///< the page marks the source until it is applied
    PagePoint GrabOffset{0, 0};        ///< where inside the moved button the finger went down
    PagePoint LastMovePos{-1, -1};     ///< last position the move wrote; not reset between moves
    std::array<int, 6> CopyChoices{};  ///< the style copy's remembered ticks

    /// The values the panel starts with.
    void Reset();
};
