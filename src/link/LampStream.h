#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "link/LinkMessages.h"
#include "model/PanelState.h"

/// The receiving side of the controller link: cuts the byte stream into 127-byte lamp-state
/// messages, one read of the socket at a time. The stream has no framing of its own, so a
/// message is only known by where it starts; the header byte is never examined.
///
/// A read that filled the reader's buffer was cut short by the reader while the controller goes
/// on sending (a flood): its whole messages are applied and a broken tail waits for the rest of
/// its message. A read that took everything there was may end where the controller paused:
/// fewer than 127 bytes wait for more, a whole number of messages is applied at once. Any other
/// such read is out of step if the controller paused after it, or the middle of a burst that the
/// system handed over in pieces if it did not; none of it is applied until that is known:
/// - the controller went on: the next read comes within the pause gap, or makes a whole number of
///   messages together with what waits; then the two are one burst, and wait on until the burst
///   ends in a whole number of messages, or a read fills the buffer, or the burst grows beyond
///   what may be held: then it is taken as in step, as a flood is;
/// - the controller paused: the next read comes later than the pause gap, or none comes while
///   the link waits for it (Pause); then the waiting read is dropped whole, and the stream is in
///   step again with the controller's next message.
class LampStream {
  public:
    using Clock = std::chrono::steady_clock;

    /// Bytes of one burst that reach the reader with a longer gap than this came after a pause
    /// of the controller.
    static constexpr std::chrono::milliseconds kPauseGap{20};
    /// Bytes of one burst held in doubt at most; a longer burst is taken as in step.
    static constexpr std::size_t kMostHeld = 4 * 4096;

    /// Takes one read, made at `at`. `cutShort`: the read filled the reader's buffer, so more
    /// bytes follow at once. Applies the complete messages to `lamps`, the last one winning, and
    /// returns how many there were; the caller redraws the buttons when it is above 0.
    int Receive(const std::uint8_t* data, std::size_t size, bool cutShort, Clock::time_point at,
                LampBitmap& lamps);

    /// The controller has gone quiet (see LinkMachine::kQuietTime): a read waiting in doubt was
    /// out of step.
    void Pause();

    /// Forgets what waits, so that it is never glued to the first bytes of the next connection.
    void Reset();

    /// Bytes received but not yet applied or dropped.
    std::size_t Pending() const { return m_bytes.size(); }
    /// Reads dropped as out of step since the stream was made: the lamps may be wrong until the
    /// controller's next message.
    std::size_t Drops() const { return m_drops; }
    /// Whether they are a read held in doubt (else fewer than 127 bytes, the start of a
    /// message).
    bool InDoubt() const { return m_inDoubt; }

  private:
    /// Applies the whole messages at the front of the waiting bytes, the last one winning, and
    /// keeps the rest.
    int ApplyWhole(LampBitmap& lamps);

    /// Drops the read held in doubt.
    void Drop();

    std::vector<std::uint8_t> m_bytes;
    bool m_inDoubt = false;
    std::size_t m_drops = 0;
    Clock::time_point m_heldAt;  ///< when the read held in doubt came
};
