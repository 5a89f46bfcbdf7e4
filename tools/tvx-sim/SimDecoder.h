#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

/// One thing the panel sent, as the simulator reports it.
struct SimEvent {
    enum class Kind { Press, Release, StateRequest, Garbage };
    Kind kind = Kind::Garbage;
    int value = 0;  ///< the `Taster` of a press or release, the byte count of garbage
};

/// Cuts the panel's byte stream into x11, x12 and x13 messages. Bytes that cannot start one are
/// garbage; the decoder skips them up to the next 'x' that may begin a message, so one bad byte
/// costs only itself. A message cut short by the end of the data waits for the rest.
class SimDecoder {
  public:
    /// Appends the bytes and returns every event they complete, garbage runs counted together.
    std::vector<SimEvent> Feed(const std::uint8_t* data, std::size_t size);

    /// Ends the stream (the client went away): returns the bytes of an unfinished message as
    /// garbage, if there are any, and starts afresh.
    std::vector<SimEvent> Finish();

    std::size_t Pending() const { return m_pending.size(); }

  private:
    // At most 4 bytes: the longest message is 5 bytes long.
    std::vector<std::uint8_t> m_pending;
};
