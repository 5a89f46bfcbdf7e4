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
    /// is above 0. The bytes end what was received so far: a tail that is no whole number of
    /// messages is judged at once. Feed(nullptr, 0, lamps) judges what Take left waiting.
    int Feed(const std::uint8_t* data, std::size_t size, LampBitmap& lamps);

    /// As Feed, for bytes that more bytes may follow at once: whole rounds and a whole number of
    /// messages are applied, but a broken tail waits (at most one round) instead of being
    /// dropped. A controller pouring out messages faster than the panel reads them is read at
    /// arbitrary points; judging each of those tails would drop whole messages and take the
    /// rest of the stream out of step.
    int Take(const std::uint8_t* data, std::size_t size, LampBitmap& lamps);

    /// Forgets a partial message, so that it is never glued to the first bytes of the next
    /// connection.
    void Reset() { m_pending = 0; }

    /// Bytes received but not yet applied or dropped: below 127 after Feed, below one round
    /// after Take.
    std::size_t Pending() const { return m_pending; }

  private:
    /// Copies as much of `data` as the buffer still holds; returns how many bytes it took.
    std::size_t Fill(const std::uint8_t* data, std::size_t size);
    int ProcessRounds(LampBitmap& lamps);
    int ApplyPending(LampBitmap& lamps);

    // Never more than one round is held: once a round is full it is applied and emptied, so a
    // flood of bytes costs time, not memory.
    std::array<std::uint8_t, kRoundSize> m_buffer{};
    std::size_t m_pending = 0;
};
