#include "link/LinkSocket.h"

#include <sys/ioctl.h>

#include <wx/string.h>

namespace {
bool LanMode(const Layout& layout) {
    return layout.Form.Form_ConnectModus == 1;
}

constexpr wxSocketEventFlags kNotify =
    wxSOCKET_INPUT_FLAG | wxSOCKET_CONNECTION_FLAG | wxSOCKET_LOST_FLAG;
}  // namespace

LinkSocket::LinkSocket(wxEvtHandler& handler, int socketId)
    : m_socket(new wxSocketClient(wxSOCKET_NONE)),
      m_writer([this](const std::uint8_t* bytes, std::size_t size) { return Write(bytes, size); }) {
    m_socket->SetEventHandler(handler, socketId);
    m_socket->SetNotify(kNotify);
    m_socket->SetFlags(wxSOCKET_NOWAIT);
    m_socket->Notify(true);
}

LinkSocket::~LinkSocket() {
    m_socket->Notify(false);
    m_socket->Destroy();
}

std::optional<LinkStatus> LinkSocket::CheckLink(const Layout& layout) {
    const LinkMachine::Clock::time_point now = LinkMachine::Clock::now();
    if (m_machine.IsConnected()) {
        // What waits goes out on the output notifications; a tick makes sure it is never stuck.
        Flush();
        if (InputWaiting()) {
            m_machine.Heard(now);
        }
    }
    return Apply(m_machine.Tick(LanMode(layout), now), layout);
}

bool LinkSocket::InputWaiting() const {
    int count = 0;
    return ::ioctl(m_socket->GetSocket(), FIONREAD, &count) == 0 && count > 0;
}

std::optional<LinkStatus> LinkSocket::Relink(const Layout& layout) {
    m_socket->Close();
    ClearOutbox();
    return Apply(m_machine.Relink(LanMode(layout), LinkMachine::Clock::now()), layout);
}

std::optional<LinkStatus> LinkSocket::Apply(const LinkMachine::Actions& actions,
                                            const Layout& layout) {
    if (actions.startAttempt) {
        StartAttempt(layout);
    }
    if (actions.sendStateRequest) {
        RequestStates();
    }
    return actions.status;
}

void LinkSocket::StartAttempt(const Layout& layout) {
    const auto& ip = layout.Form.Destination_IP;
    wxIPV4address address;
    address.Hostname(wxString::Format("%d.%d.%d.%d", ip[0], ip[1], ip[2], ip[3]));
    address.Service(kPort);
    const LinkMachine::Connection attempt = m_machine.Current();
    m_socket->SetClientData(reinterpret_cast<void*>(attempt));
    ClearOutbox();
    // Connect without waiting (closing any attempt under way): the outcome arrives as a
    // connection or lost notification.
    if (m_socket->Connect(address, false)) {
        m_machine.OnConnected(attempt);
    } else if (!m_socket->IsOk()) {
        // No attempt could be started at all (an address that does not resolve): try again
        // on the next tick.
        m_machine.OnLost(attempt);
    }
}

bool LinkSocket::SendPress(int taster) {
    if (!m_machine.IsConnected()) {
        return false;
    }
    m_outbox.Press(taster, m_writer);
    Flush();
    return true;
}

bool LinkSocket::SendRelease(int taster) {
    if (!m_machine.IsConnected()) {
        return false;
    }
    m_outbox.Release(taster, m_writer);
    Flush();
    return true;
}

void LinkSocket::RequestStates() {
    if (m_machine.IsConnected()) {
        m_outbox.StateRequest(m_writer);
        Flush();
    }
}

std::size_t LinkSocket::Write(const std::uint8_t* bytes, std::size_t size) {
    // No-wait: a controller that does not read takes what fits, the panel never waits for it.
    m_socket->Write(bytes, static_cast<wxUint32>(size));
    return m_socket->LastWriteCount();
}

void LinkSocket::Flush() {
    m_outbox.Flush(m_writer);
    // Only while bytes wait: the socket can take more after nearly every write.
    const bool wanted = m_outbox.Waiting() > 0;
    if (wanted != m_wantsOutput) {
        m_wantsOutput = wanted;
        m_socket->SetNotify(kNotify | (wanted ? wxSOCKET_OUTPUT_FLAG : 0));
    }
}

void LinkSocket::ClearOutbox() {
    m_outbox.Clear();
    Flush();  // nothing to write: gives up the output notifications
}

int LinkSocket::OnSocketEvent(const wxSocketEvent& event, LampBitmap& lamps) {
    const auto tag = reinterpret_cast<LinkMachine::Connection>(event.GetClientData());
    switch (event.GetSocketEvent()) {
        case wxSOCKET_CONNECTION:
            m_machine.OnConnected(tag);
            return 0;
        case wxSOCKET_LOST:
            if (m_machine.IsCurrent(tag)) {
                ClearOutbox();
            }
            m_machine.OnLost(tag);
            return 0;
        case wxSOCKET_OUTPUT:
            if (m_machine.IsCurrent(tag) && m_machine.IsConnected()) {
                Flush();
            }
            return 0;
        case wxSOCKET_INPUT:
            // A late notification of a connection closed since: what the socket holds now
            // belongs to the one under way, and its own notification brings it.
            return m_machine.IsCurrent(tag) ? ReadInput(lamps) : 0;
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
        const bool cutShort = count == sizeof buffer;
        applied += m_machine.Receive(buffer, count, cutShort, LinkMachine::Clock::now(), lamps);
        if (!cutShort) {
            break;
        }
    }
    // A read dropped as out of step may have been a change of the lamps: ask for them again.
    if (m_machine.StateRequestDue(LinkMachine::Clock::now())) {
        RequestStates();
    }
    return applied;
}
