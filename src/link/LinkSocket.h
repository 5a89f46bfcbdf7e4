#pragma once

#include <chrono>
#include <cstdint>

#include <wx/socket.h>

#include "link/LampStream.h"
#include "link/LinkMessages.h"
#include "model/Layout.h"
#include "model/PanelState.h"

/// The TCP link to the bus/LAN controller on port 4001. Never blocks: it connects without
/// waiting, writes what the socket takes at once and reads what a notification offers. The
/// socket's notifications go to the window given at construction, which passes them back to
/// OnSocketEvent.
class LinkSocket {
  public:
    static constexpr unsigned short kPort = 4001;
    /// How long a connection attempt may stay unanswered before a new one replaces it.
    static constexpr std::chrono::milliseconds kAttemptTimeout{2000};

    LinkSocket(wxEvtHandler& handler, int socketId);
    ~LinkSocket();
    LinkSocket(const LinkSocket&) = delete;
    LinkSocket& operator=(const LinkSocket&) = delete;

    /// The link timer's check in LAN mode: clears the status line and asks for the lamp states
    /// once after each connection; while the link is down, shows the status line and keeps an
    /// attempt under way. Once the controller has sent nothing for a whole tick, a read waiting
    /// in doubt is dropped. Returns true when the page has to be drawn again.
    bool CheckLink(const Layout& layout, PanelState& panel);

    /// Sends x11 / x12 with a button's value; dropped while the link is down.
    void SendPress(int taster) { Send(PressMessage(taster).data(), 5); }
    void SendRelease(int taster) { Send(ReleaseMessage(taster).data(), 5); }

    /// Handles a notification of the socket. One that belongs to a connection or attempt that
    /// has since been closed or replaced is ignored. Returns the number of lamp-state messages
    /// applied to `lamps` (the caller redraws the buttons when it is above 0).
    int OnSocketEvent(const wxSocketEvent& event, LampBitmap& lamps);

    /// Drops the connection (or the attempt under way); the next check starts afresh.
    void Close();

    bool IsConnected() const { return m_state == State::Connected; }

  private:
    enum class State { Idle, Connecting, Connected };

    void Send(const std::uint8_t* bytes, std::size_t size);
    void StartAttempt(const Layout& layout);
    /// Begins a new connection: notifications still queued for the old one no longer count.
    void NextConnection();
    int ReadInput(LampBitmap& lamps);

    wxSocketClient* m_socket;
    LampStream m_stream;
    State m_state = State::Idle;
    /// Tags the notifications of the connection (or attempt) under way; the socket hands it to
    /// every notification it queues.
    std::uintptr_t m_connection = 0;
    /// Bytes arrived since the last tick: the controller may still be sending.
    bool m_heard = false;
    std::chrono::steady_clock::time_point m_attemptStart;
};
