#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "link/LinkMessages.h"
#include "model/PanelState.h"

/// The receiving side of the controller link: cuts the byte stream into 127-byte lamp-state
/// messages, one read of the socket at a time. The header byte is never examined.
///
/// A read that took everything the socket held ends where the controller paused. Such a read is
/// judged as a whole, together with what earlier reads left waiting: fewer than 127 bytes wait for
/// more, a whole number of messages is applied, anything else is out of step and dropped
/// entirely, so that none of its bytes is taken for a message and the stream is in step again
/// with the controller's next message. A read that filled the reader's buffer was cut short by
/// the reader, not by the controller, which is still sending (a flood): its whole messages are
/// applied and the broken tail waits for the rest of its message.
class LampStream {
  public:
    /// Takes one read. `cutShort`: the read filled the reader's buffer, so more bytes follow at
    /// once. Applies the complete messages to `lamps`, the last one winning, and returns how many
    /// there were; the caller redraws the buttons when it is above 0.
    int Receive(const std::uint8_t* data, std::size_t size, bool cutShort, LampBitmap& lamps);

    /// Forgets a partial message, so that it is never glued to the first bytes of the next
    /// connection.
    void Reset() { m_pending = 0; }

    /// Bytes received but not yet applied or dropped: always fewer than one message.
    std::size_t Pending() const { return m_pending; }

  private:
    /// Applies the messages that the waiting bytes and the first `size` bytes of `data` make,
    /// which must be a whole number of them; the last one wins.
    int ApplyWhole(const std::uint8_t* data, std::size_t size, LampBitmap& lamps);

    std::array<std::uint8_t, kLampStateSize> m_tail{};
    std::size_t m_pending = 0;
};
