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
            // A broken tail is judged only when the controller has paused: while it keeps
            // sending, the tail is the start of its next message.
            if (!m_heard) {
                m_stream.Feed(nullptr, 0, panel.Lamps);
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
    m_stream.Reset();
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

int LinkSocket::OnSocketEvent(const wxSocketEvent& event, LampBitmap& lamps) {
    switch (event.GetSocketEvent()) {
        case wxSOCKET_CONNECTION:
            m_stream.Reset();
            m_state = State::Connected;
            return 0;
        case wxSOCKET_LOST:
            m_stream.Reset();
            m_state = State::Idle;
            return 0;
        case wxSOCKET_INPUT: {
            int applied = 0;
            std::uint8_t buffer[4096];
            // Take everything the socket holds now: the next input notification comes only
            // after a read.
            while (true) {
                m_socket->Read(buffer, sizeof buffer);
                const wxUint32 count = m_socket->LastReadCount();
                if (m_socket->Error() || count == 0) {
                    break;
                }
                m_heard = true;
                applied += m_stream.Take(buffer, count, lamps);
                if (count < sizeof buffer) {
                    break;
                }
            }
            return applied;
        }
        default:
            return 0;
    }
}

void LinkSocket::Close() {
    m_socket->Close();
    m_stream.Reset();
    m_state = State::Idle;
}
