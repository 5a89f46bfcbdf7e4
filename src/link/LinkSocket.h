#pragma once

#include <cstdint>
#include <optional>

#include <wx/socket.h>

#include "link/LinkMachine.h"
#include "link/LinkMessages.h"
#include "link/LinkOutbox.h"
#include "model/Layout.h"
#include "model/PanelState.h"

/// The TCP link to the bus/LAN controller on port 4001, a thin driver of the LinkMachine and the
/// LinkOutbox. Never blocks: it connects without waiting, writes what the socket takes at once
/// (what must wait goes out on the socket's output notifications and the link timer's ticks) and
/// reads what a notification offers. The socket's notifications go to the window given at
/// construction, which passes them back to OnSocketEvent.
class LinkSocket {
  public:
    static constexpr unsigned short kPort = 4001;

    LinkSocket(wxEvtHandler& handler, int socketId);
    ~LinkSocket();
    LinkSocket(const LinkSocket&) = delete;
    LinkSocket& operator=(const LinkSocket&) = delete;

    /// The link timer's check (LAN mode only): keeps an attempt under way while the link is
    /// down and asks for the lamp states once after each connection. Returns what the user is
    /// to be told about the link, if anything.
    std::optional<LinkStatus> CheckLink(const Layout& layout);
    /// Drops the connection and checks at once, so that a changed address or mode takes effect
    /// now: in LAN mode the link connects to the layout's address, in the others it stays
    /// closed.
    std::optional<LinkStatus> Relink(const Layout& layout);

    /// Sends x11 / x12 with a button's value; dropped while the link is down, and then false.
    /// Under congestion a press may be dropped, a release whose press went out never is (see
    /// LinkOutbox).
    bool SendPress(int taster);
    bool SendRelease(int taster);

    /// Handles a notification of the socket. One that belongs to a connection or attempt that
    /// has since been closed or replaced is ignored. Returns the number of lamp-state messages
    /// applied to `lamps` (the caller redraws the buttons when it is above 0).
    int OnSocketEvent(const wxSocketEvent& event, LampBitmap& lamps);

    bool IsConnected() const { return m_machine.IsConnected(); }
    /// See LinkMachine::NeedsQuickTicks. Messages waiting for the connection need none: every
    /// write asks the socket for its next output notification, the ticks are only a backstop.
    bool NeedsQuickTicks(const Layout& layout) const {
        return m_machine.NeedsQuickTicks(layout.Form.Form_ConnectModus == 1);
    }
    /// Whether the lamp states applied last are the word of the controller connected now.
    bool LampsKnown() const { return m_machine.LampsKnown(); }

  private:
    std::optional<LinkStatus> Apply(const LinkMachine::Actions& actions, const Layout& layout);
    /// Hands bytes to the socket without waiting; returns how many it took.
    std::size_t Write(const std::uint8_t* bytes, std::size_t size);
    /// Asks for the lamp states: the outbox sends x13, or keeps it until the socket takes it.
    void RequestStates();
    /// Writes what the outbox holds, and wants the socket's output notifications while any of
    /// it still waits.
    void Flush();
    /// The connection is gone or replaced: nothing waits for it any more.
    void ClearOutbox();
    void StartAttempt(const Layout& layout);
    /// Whether the socket holds bytes not yet read.
    bool InputWaiting() const;
    int ReadInput(LampBitmap& lamps);

    wxSocketClient* m_socket;
    LinkMachine m_machine;
    LinkOutbox m_outbox;
    LinkOutbox::Writer m_writer;
    bool m_wantsOutput = false;
};
