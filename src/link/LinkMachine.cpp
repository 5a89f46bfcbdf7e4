#include "link/LinkMachine.h"

LinkMachine::Actions LinkMachine::Tick(bool lanMode, Clock::time_point now) {
    Actions actions;
    if (!lanMode) {
        return actions;
    }
    if (m_state == State::Connected) {
        if (!m_statusShown) {
            // The controller has gone quiet: a read waiting in doubt is dropped.
            if (now - m_lastHeard >= kQuietTime) {
                m_stream.Pause();
            }
            actions.sendStateRequest = AskAgain(now);
            return actions;
        }
        m_statusShown = false;
        StateRequestSent(now);
        actions.sendStateRequest = true;
        actions.status = LinkStatus::Up;
        return actions;
    }
    // A handshake slower than one tick must be allowed to finish: a new attempt replaces the
    // one under way only when that one failed or stayed unanswered too long.
    if (m_state == State::Idle || now - m_attemptStart >= kAttemptTimeout) {
        NextConnection();
        m_attemptStart = now;
        m_state = State::Connecting;
        actions.startAttempt = true;
    }
    m_statusShown = true;
    actions.status = LinkStatus::Down;
    return actions;
}

LinkMachine::Actions LinkMachine::Relink(bool lanMode, Clock::time_point now) {
    NextConnection();
    m_state = State::Idle;
    return Tick(lanMode, now);
}

void LinkMachine::OnConnected(Connection tag) {
    if (IsCurrent(tag)) {
        m_stream.Reset();
        m_state = State::Connected;
    }
}

void LinkMachine::OnLost(Connection tag) {
    if (IsCurrent(tag)) {
        m_stream.Reset();
        m_state = State::Idle;
    }
}

int LinkMachine::Receive(const std::uint8_t* data, std::size_t size, bool cutShort,
                         Clock::time_point at, LampBitmap& lamps) {
    m_lastHeard = at;
    const int applied = m_stream.Receive(data, size, cutShort, at, lamps);
    if (applied > 0) {
        m_lampsFrom = m_connection;
    }
    return applied;
}

bool LinkMachine::StateRequestDue(Clock::time_point now) {
    return m_state == State::Connected && !m_statusShown && AskAgain(now);
}

bool LinkMachine::AskAgain(Clock::time_point now) {
    if (m_stream.Drops() != m_dropsSeen) {
        m_dropsSeen = m_stream.Drops();
        m_stateRequestOwed = true;
    }
    if (!m_stateRequestOwed || now - m_lastStateRequest < kStateRequestGap) {
        return false;
    }
    StateRequestSent(now);
    return true;
}

void LinkMachine::StateRequestSent(Clock::time_point now) {
    // The request covers every read dropped before it.
    m_dropsSeen = m_stream.Drops();
    m_stateRequestOwed = false;
    m_lastStateRequest = now;
}

void LinkMachine::NextConnection() {
    ++m_connection;
    m_stream.Reset();
    m_dropsSeen = m_stream.Drops();
    m_stateRequestOwed = false;
}
