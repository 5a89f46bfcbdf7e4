#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

/// What the panel sends the controller while the connection takes less than it is offered (a
/// controller that reads slowly). The stream has no framing, so a message the connection took
/// in part is finished before anything else goes. A press goes out only when nothing waits and
/// the connection takes it at once; else it is dropped, as while the link is down, and its
/// release with it. A release whose press went out is never dropped: it waits and goes out
/// before anything newer, so that no button stays held at the controller. A state request
/// waits as well; one waiting is enough. At most a release for each press held, a state request
/// and the rest of one message ever wait.
class LinkOutbox {
  public:
    /// Hands bytes to the connection without waiting; returns how many it took.
    using Writer = std::function<std::size_t(const std::uint8_t* data, std::size_t size)>;

    /// Presses out without their release that are kept. More are presses whose release never
    /// reached the link (the finger lifted over a window that opened meanwhile): when a further
    /// press goes out, the oldest is forgotten, and its release dropped should it come after all.
    static constexpr std::size_t kMostHeld = 4;

    /// x11 for a button's `Taster`. True when it went out (in full or in part).
    bool Press(int taster, const Writer& write);
    /// x12 for a button's `Taster`: goes out, or waits, when its press went out; dropped
    /// otherwise. True when it went out or waits.
    bool Release(int taster, const Writer& write);
    /// x13, the request for every lamp state: goes out, or waits.
    void StateRequest(const Writer& write);
    /// Writes what waits, as far as the connection takes it.
    void Flush(const Writer& write);
    /// The connection is gone: nothing waits any more, and no press is held.
    void Clear();

    /// Bytes waiting for the connection.
    std::size_t Waiting() const;

  private:
    struct Message {
        std::vector<std::uint8_t> bytes;
        std::size_t sent = 0;  ///< bytes of it the connection took
    };

    /// Queues a message behind what waits and writes what it can.
    void Queue(std::vector<std::uint8_t> bytes, const Writer& write);

    std::deque<Message> m_waiting;
    std::vector<int> m_held;  ///< `Taster` of the presses out without their release, oldest first
};
