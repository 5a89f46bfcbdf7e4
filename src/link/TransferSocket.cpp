#include "link/TransferSocket.h"

#include <sys/socket.h>

#include <algorithm>
#include <array>

#include <wx/string.h>

#include "model/Paths.h"
#include "model/PictureFile.h"

namespace {

/// What one write offers the socket: far more than a block, so a block goes out in one call.
constexpr std::size_t kWriteChunk = 64 * 1024;

bool ValidOctets(const std::array<int, 4>& ip) {
    return std::all_of(ip.begin(), ip.end(), [](int octet) { return octet >= 0 && octet <= 255; });
}

}  // namespace

TransferSocket::TransferSocket(wxEvtHandler& handler, int socketId)
    : m_socket(new wxSocketClient(wxSOCKET_NONE)) {
    m_socket->SetEventHandler(handler, socketId);
    WantOutputNotifications(false);
    // No-wait alone: reads and writes never block the panel. (Together with wait-all, the
    // toolkit refuses the combination.)
    m_socket->SetFlags(wxSOCKET_NOWAIT);
    m_socket->SetTimeout(TransferProtocol::kConnectSeconds);
    m_socket->Notify(true);
}

TransferSocket::~TransferSocket() {
    m_socket->Notify(false);
    m_socket->Destroy();
}

void TransferSocket::SetStateListener(std::function<void(int)> listener) {
    m_listener = std::move(listener);
}

void TransferSocket::SetNoticeListener(NoticeListener listener) {
    m_noticeListener = std::move(listener);
}

void TransferSocket::Tell(TransferNotice notice, const std::wstring& path) const {
    if (m_noticeListener) {
        m_noticeListener(notice, path);
    }
}

LayoutFolderSource TransferSocket::Source(const Layout& layout) {
    return LayoutFolderSource(layout, m_pictureFile, [this](const std::wstring& path) {
        Tell(TransferNotice::PictureMissing, path);
    });
}

void TransferSocket::StartTransfer(const Layout& layout, const std::wstring& fileName) {
    // A transfer still under way is broken off: two files in one stream would leave the
    // receiver with neither.
    if (m_socket->IsConnected()) {
        Disconnect();
    }
    ++m_connection;
    m_socket->SetClientData(reinterpret_cast<void*>(m_connection));
    m_layout = &layout;
    m_fileName = fileName;

    m_protocol.Begin(fileName);
    NotifyState(TransferProtocol::kGreetingSent);
    LayoutFolderSource source = Source(layout);
    const TransferProtocol::Step greeting = m_protocol.Greeting(source);
    if (greeting.problem != TransferProtocol::Problem::None) {
        Report(greeting.problem);
        NotifyState(TransferState());
        return;
    }

    const auto& ip = layout.Form.Transmit_IP;
    wxIPV4address address;
    // An octet out of range would be handed to the name lookup; it cannot be reached anyway.
    const bool addressOk =
        ValidOctets(ip) &&
        address.Hostname(wxString::Format("%d.%d.%d.%d", ip[0], ip[1], ip[2], ip[3])) &&
        address.Service(TransferProtocol::kPort);
    // Waits in the system (not in the event loop) for up to the socket's timeout.
    if (!addressOk || !m_socket->Connect(address, true)) {
        m_socket->Close();
        Tell(TransferNotice::CannotConnect);
        return;
    }
    Apply(greeting);
    Flush();
}

void TransferSocket::OnSocketEvent(const wxSocketEvent& event) {
    if (reinterpret_cast<std::uintptr_t>(event.GetClientData()) != m_connection ||
        !m_socket->IsOk()) {
        return;
    }
    switch (event.GetSocketEvent()) {
        case wxSOCKET_INPUT:
            OnInput();
            break;
        case wxSOCKET_OUTPUT:
            Flush();
            break;
        case wxSOCKET_LOST:
            OnLost();
            break;
        default:
            break;
    }
}

void TransferSocket::OnLost() {
    // After the whole last block, the receiver's end is its word that it has the file. Any
    // other end is not reported here: whoever waits for the file breaks off.
    m_protocol.OnEnd();
    Disconnect();
    NotifyState(TransferState());
}

void TransferSocket::OnInput() {
    if (m_inStep) {
        m_inputDeferred = true;
        return;
    }
    bool more = true;
    while (more && m_socket->IsConnected() && m_layout != nullptr) {
        m_inputDeferred = false;
        // Everything the receiver has sent so far: the next notification comes only after a
        // read. All of it arrived before the step it may answer goes out, so that step is sent
        // only after the last of these bytes was handed to the protocol.
        std::uint8_t bytes[64];
        m_socket->Read(bytes, sizeof bytes);
        const wxUint32 count = m_socket->LastReadCount();
        for (wxUint32 i = 0; i < count; ++i) {
            // The step may show a message box, which runs the event loop: Close() or a new
            // StartTransfer can happen meanwhile, and then this step's outcome is dropped.
            const std::uintptr_t connection = m_connection;
            TransferProtocol next = m_protocol;
            LayoutFolderSource source = Source(*m_layout);
            m_inStep = true;
            const TransferProtocol::Step step = next.OnAck(bytes[i], source);
            m_inStep = false;
            if (connection != m_connection) {
                return;
            }
            m_protocol = next;
            if (!Apply(step)) {
                return;
            }
        }
        more = m_inputDeferred || count == sizeof bytes;
    }
    Flush();
}

bool TransferSocket::Apply(const TransferProtocol::Step& step) {
    if (step.problem != TransferProtocol::Problem::None) {
        // Nothing more goes to a receiver that failed; what is still queued is dropped.
        Disconnect();
        Report(step.problem);
        NotifyState(TransferState());
        return false;
    }
    if (step.close) {
        // The receiver's word after the last block.
        Disconnect();
        NotifyState(TransferState());
        return false;
    }
    m_outgoing.insert(m_outgoing.end(), step.send.begin(), step.send.end());
    m_finishWhenSent = step.finish;
    NotifyState(TransferState());
    return true;
}

void TransferSocket::Flush() {
    while (m_outgoingHead < m_outgoing.size()) {
        const std::size_t size = std::min(m_outgoing.size() - m_outgoingHead, kWriteChunk);
        m_socket->Write(m_outgoing.data() + m_outgoingHead, static_cast<wxUint32>(size));
        const wxUint32 written = m_socket->LastWriteCount();
        m_outgoingHead += written;
        if (written > 0) {
            continue;
        }
        if (m_socket->LastError() == wxSOCKET_WOULDBLOCK) {
            WantOutputNotifications(true);  // they bring the rest
            return;
        }
        // A broken connection: what waits can never arrive, and the lost notification follows.
        Disconnect();
        return;
    }
    m_outgoing.clear();
    m_outgoingHead = 0;
    WantOutputNotifications(false);
    if (!m_socket->IsConnected()) {
        return;
    }
    m_protocol.StepSent();
    if (m_finishWhenSent) {
        m_finishWhenSent = false;
        // Only the sending side: the toolkit's ShutdownOutput() closes the socket as well, and
        // the receiver's word would never be heard.
        ::shutdown(m_socket->GetSocket(), SHUT_WR);
    }
}

void TransferSocket::WantOutputNotifications(bool wanted) {
    // Only while bytes wait: the socket can take more after nearly every write, and a
    // notification for that would be one more event per block for nothing.
    m_socket->SetNotify(wxSOCKET_INPUT_FLAG | wxSOCKET_LOST_FLAG |
                        (wanted ? wxSOCKET_OUTPUT_FLAG : 0));
}

void TransferSocket::Close() {
    Disconnect();
    // Notifications still queued for the connection are not taken for a later one.
    ++m_connection;
    m_socket->SetClientData(reinterpret_cast<void*>(m_connection));
}

void TransferSocket::Disconnect() {
    m_finishWhenSent = false;
    m_socket->Close();
    m_outgoing.clear();
    m_outgoingHead = 0;
}

void TransferSocket::Report(TransferProtocol::Problem problem) {
    switch (problem) {
        case TransferProtocol::Problem::None:
            return;
        case TransferProtocol::Problem::TooLarge:
            Tell(TransferNotice::TooLarge,
                 TextFromNative(FindPicture(m_layout->Form.LayoutDirectory, m_fileName).path));
            return;
        case TransferProtocol::Problem::WrongAck:
        case TransferProtocol::Problem::EarlyAck:
        case TransferProtocol::Problem::ReadError:
            Tell(TransferNotice::Failed);
            return;
    }
}

void TransferSocket::NotifyState(int state) {
    if (state == m_reportedState && state != TransferProtocol::kGreetingSent) {
        return;
    }
    m_reportedState = state;
    if (m_listener) {
        m_listener(state);
    }
}
