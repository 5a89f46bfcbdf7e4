#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "link/LinkMessages.h"
#include "model/PanelState.h"

/// The receiving side of the controller link: cuts the byte stream into 127-byte lamp-state
/// messages. Fewer than 127 bytes wait for more; a whole number of messages is applied in order;
/// anything else is taken for a stream out of step and dropped, so the next message that arrives
/// on its own is read in step again. The header byte is never examined.
class LampStream {
  public:
    /// Bytes looked at in one round: at most this many whole messages.
    static constexpr std::size_t kRoundSize = kLampStateSize * kMaxMessagesPerRound;

    /// Takes bytes as the socket delivered them and applies every complete message to `lamps`,
    /// the last one winning. Returns the number of messages applied; the caller redraws when it
    /// is above 0.
    int Feed(const std::uint8_t* data, std::size_t size, LampBitmap& lamps);

    /// Forgets a partial message, so that it is never glued to the first bytes of the next
    /// connection.
    void Reset() { m_pending = 0; }

    /// Bytes received but not yet applied or dropped: always below 127 between calls to Feed.
    std::size_t Pending() const { return m_pending; }

  private:
    int ProcessRounds(LampBitmap& lamps);

    // Never more than one round is held: once a round is full it is applied and emptied, so a
    // flood of bytes costs time, not memory.
    std::array<std::uint8_t, kRoundSize> m_buffer{};
    std::size_t m_pending = 0;
};
