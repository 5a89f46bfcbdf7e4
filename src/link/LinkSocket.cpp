#include "link/LinkSocket.h"

#include <wx/string.h>

namespace {
const wchar_t* const kNoConnection = L"Keine Verbindung zum Server";
}

LinkSocket::LinkSocket(wxEvtHandler& handler, int socketId)
    : m_socket(new wxSocketClient(wxSOCKET_NONE)) {
    m_socket->SetEventHandler(handler, socketId);
    m_socket->SetNotify(wxSOCKET_INPUT_FLAG | wxSOCKET_CONNECTION_FLAG | wxSOCKET_LOST_FLAG);
    m_socket->SetFlags(wxSOCKET_NOWAIT);
    m_socket->Notify(true);
}

LinkSocket::~LinkSocket() {
    m_socket->Notify(false);
    m_socket->Destroy();
}

bool LinkSocket::CheckLink(const Layout& layout, PanelState& panel) {
    if (layout.Form.Form_ConnectModus != 1) {
        return false;
    }
    if (m_state == State::Connected) {
        if (panel.StatusText.empty()) {
            if (!m_heard) {
                m_stream.Pause();
            }
            m_heard = false;
            return false;
        }
        panel.StatusText.clear();
        Send(StateRequest().data(), 3);
        return true;
    }
    // A handshake slower than one tick must be allowed to finish: a new attempt replaces the
    // one under way only when that one failed or stayed unanswered too long.
    if (m_state == State::Idle ||
        std::chrono::steady_clock::now() - m_attemptStart >= kAttemptTimeout) {
        StartAttempt(layout);
    }
    panel.StatusText = kNoConnection;
    return true;
}

void LinkSocket::StartAttempt(const Layout& layout) {
    const auto& ip = layout.Form.Destination_IP;
    wxIPV4address address;
    address.Hostname(wxString::Format("%d.%d.%d.%d", ip[0], ip[1], ip[2], ip[3]));
    address.Service(kPort);
    NextConnection();
    m_attemptStart = std::chrono::steady_clock::now();
    m_state = State::Connecting;
    // Connect without waiting: the outcome arrives as a connection or lost notification.
    if (m_socket->Connect(address, false)) {
        m_state = State::Connected;
    } else if (!m_socket->IsOk()) {
        // No attempt could be started at all (an address that does not resolve): try again
        // on the next tick.
        m_state = State::Idle;
    }
}

void LinkSocket::Send(const std::uint8_t* bytes, std::size_t size) {
    if (m_state != State::Connected) {
        return;
    }
    // No-wait: a controller that does not read gets what fits and loses the rest, the panel
    // never waits for it.
    m_socket->Write(bytes, static_cast<wxUint32>(size));
}

void LinkSocket::NextConnection() {
    ++m_connection;
    m_socket->SetClientData(reinterpret_cast<void*>(m_connection));
    m_stream.Reset();
}

int LinkSocket::OnSocketEvent(const wxSocketEvent& event, LampBitmap& lamps) {
    // A late notification of an attempt that was replaced, or of a connection closed since,
    // says nothing about the one under way.
    if (reinterpret_cast<std::uintptr_t>(event.GetClientData()) != m_connection) {
        return 0;
    }
    switch (event.GetSocketEvent()) {
        case wxSOCKET_CONNECTION:
            m_stream.Reset();
            m_state = State::Connected;
            return 0;
        case wxSOCKET_LOST:
            m_stream.Reset();
            m_state = State::Idle;
            return 0;
        case wxSOCKET_INPUT:
            return ReadInput(lamps);
        default:
            return 0;
    }
}

int LinkSocket::ReadInput(LampBitmap& lamps) {
    int applied = 0;
    std::uint8_t buffer[4096];
    // Take everything the socket holds now: the next input notification comes only after a
    // read. A read that fills the buffer is cut short by us; the one after it may end where
    // the controller paused.
    while (true) {
        m_socket->Read(buffer, sizeof buffer);
        const wxUint32 count = m_socket->LastReadCount();
        if (m_socket->Error() || count == 0) {
            break;
        }
        m_heard = true;
        const bool cutShort = count == sizeof buffer;
        applied += m_stream.Receive(buffer, count, cutShort, LampStream::Clock::now(), lamps);
        if (!cutShort) {
            break;
        }
    }
    return applied;
}

void LinkSocket::Close() {
    m_socket->Close();
    NextConnection();
    m_state = State::Idle;
}
