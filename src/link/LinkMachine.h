#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "link/LampStream.h"
#include "model/PanelState.h"

/// What the user is to be told about the link: it went down (or is still down), or it is up
/// again.
enum class LinkStatus { Down, Up };

/// The controller link's states without a socket, driven by the link timer's ticks and the
/// socket's notifications, with the time handed in. Down: a connection attempt is kept under way
/// and the status line shown on every tick. Up: the first tick clears the status line and asks
/// for the lamp states; later ticks only watch whether the controller went quiet. A read dropped
/// as out of step may have been a change of the lamps: they are asked for again, so that they
/// are right within one round trip. Lost: the next tick starts again. The socket driver carries
/// out the actions and feeds in what the socket reports.
class LinkMachine {
  public:
    using Clock = LampStream::Clock;
    /// Tags the notifications of one connection (or attempt): one that carries an older tag
    /// belongs to a connection closed or replaced since.
    using Connection = std::uintptr_t;

    /// How long a connection attempt may stay unanswered before a new one replaces it.
    static constexpr std::chrono::milliseconds kAttemptTimeout{2000};
    /// The lamps are asked for again at most once in this long, so that a controller that sends
    /// nothing but garbage is not asked without end; one held back goes with a later tick.
    static constexpr std::chrono::milliseconds kStateRequestGap{100};
    /// A read held in doubt is dropped by the first tick after the controller has sent nothing
    /// for this long: several of the stream's pause gaps, and less than a quick tick, so that
    /// the first quick tick after the read decides.
    static constexpr std::chrono::milliseconds kQuietTime{80};

    /// What the driver has to do after a tick.
    struct Actions {
        /// Connect to the layout's address without waiting, tagged with Current(); an attempt
        /// still under way is given up.
        bool startAttempt = false;
        /// Send x13, the request for all lamp states: the first tick of a connection, or one
        /// held back after a dropped read.
        bool sendStateRequest = false;
        /// Show the status line (Down) or clear it (Up), and draw the page again.
        std::optional<LinkStatus> status;
    };

    /// The link timer's tick at `now`. Outside LAN mode the link is left as it is.
    Actions Tick(bool lanMode, Clock::time_point now);
    /// Drops the connection (or the attempt under way) and ticks at once, so that a changed
    /// address or mode takes effect now.
    Actions Relink(bool lanMode, Clock::time_point now);

    /// The connection of `tag` is up (or an attempt connected at once).
    void OnConnected(Connection tag);
    /// The connection of `tag` was lost (or an attempt could not even be started).
    void OnLost(Connection tag);
    /// One read of the current connection, made at `at`; see LampStream::Receive.
    int Receive(const std::uint8_t* data, std::size_t size, bool cutShort, Clock::time_point at,
                LampBitmap& lamps);
    /// Bytes of the current connection wait unread at `now`: the controller has not gone quiet,
    /// however late the panel gets to read them (it may have been busy drawing).
    void Heard(Clock::time_point now) { m_lastHeard = now; }
    /// Whether x13 is to be sent now, after reads: one was dropped as out of step, and the lamps
    /// were not asked for within kStateRequestGap.
    bool StateRequestDue(Clock::time_point now);

    /// Whether the link needs the timer's quick ticks: in LAN mode while it is not connected, a
    /// new connection has not yet asked for the lamp states, a read is held in doubt or a state
    /// request held back after a dropped read waits for its tick. A steady connection, and the
    /// link outside LAN mode, need no tick for a while.
    bool NeedsQuickTicks(bool lanMode) const {
        return lanMode && (m_state != State::Connected || m_statusShown || m_stream.InDoubt() ||
                           m_stateRequestOwed);
    }

    Connection Current() const { return m_connection; }
    bool IsCurrent(Connection tag) const { return tag == m_connection; }
    bool IsConnected() const { return m_state == State::Connected; }
    /// Whether the lamp states applied last came from the connection that is up now: false from
    /// the start, and from a loss or a new connection until that connection's first lamp-state
    /// message.
    bool LampsKnown() const { return IsConnected() && m_lampsFrom == m_connection; }

  private:
    enum class State { Idle, Connecting, Connected };

    /// Begins a new connection: notifications still queued for the old one no longer count.
    void NextConnection();
    /// Notes a read dropped since the last look; true when x13 goes now (and is noted as sent).
    bool AskAgain(Clock::time_point now);
    /// Notes x13 as sent now.
    void StateRequestSent(Clock::time_point now);

    LampStream m_stream;
    State m_state = State::Idle;
    Connection m_connection = 0;
    /// The connection whose lamp states were applied last (0: none yet).
    Connection m_lampsFrom = 0;
    /// The status line is up: the first tick of a connection clears it.
    bool m_statusShown = false;
    /// When the last bytes of the connection arrived.
    Clock::time_point m_lastHeard;
    Clock::time_point m_attemptStart;
    /// Reads the stream had dropped at the last look.
    std::size_t m_dropsSeen = 0;
    /// A dropped read waits for its x13.
    bool m_stateRequestOwed = false;
    Clock::time_point m_lastStateRequest;
};
