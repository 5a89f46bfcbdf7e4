#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <wx/socket.h>

#include "link/TransferProtocol.h"
#include "model/Layout.h"
#include "model/PictureFile.h"

/// Sends one file of the layout folder to another panel at Transmit_IP, port 4001: greeting,
/// name, 3-byte length, 1000-byte blocks, each step acknowledged by one '>' from the receiver.
/// After the last block the panel ends its side of the connection and waits for the receiver
/// to end its side (or answer '>'): only then is the file done. The socket's notifications go
/// to the window given at construction, which passes them back to OnSocketEvent.
class TransferSocket {
  public:
    static constexpr int kDone = 888;
    static constexpr int kFailed = 999;

    TransferSocket(wxEvtHandler& handler, int socketId);
    ~TransferSocket();
    TransferSocket(const TransferSocket&) = delete;
    TransferSocket& operator=(const TransferSocket&) = delete;

    /// Connects (waiting up to 2 seconds) and greets the receiver; the rest of the exchange
    /// runs on the socket's notifications. `fileName` is the bare name sent on the wire.
    void StartTransfer(const Layout& layout, const std::wstring& fileName);
    void OnSocketEvent(const wxSocketEvent& event);
    /// Breaks off a transfer under way.
    void Close();

    /// 1 greeting sent, 2 name sent, 3 full blocks, 4 last block due (or sent, and the
    /// receiver's word not yet in), 888 done, 999 failed.
    int TransferState() const { return m_protocol.State(); }

    /// True when the file of the last StartTransfer was refused because it is too large for
    /// the transfer (16 MiB or more): the state is then 999, the user has been told, nothing
    /// was sent, and a caller sending several files goes on with the next one. Set before the
    /// state listener hears of the 999.
    bool FileRefused() const { return m_protocol.Refused(); }

    /// Called whenever TransferState changes (the transmit dialog's wait ends on it).
    void SetStateListener(std::function<void(int)> listener);

    /// Called with what the user is to be told, at the moment it happens: the listener may
    /// show a message box, which runs the event loop. The path is empty for notices without one.
    using NoticeListener = std::function<void(TransferNotice, const std::wstring& path)>;
    void SetNoticeListener(NoticeListener listener);

  private:
    void OnInput();
    /// Carries out a step: queues what it sends (Flush writes it), or ends the connection on a
    /// problem or the receiver's word. False when the connection is over.
    bool Apply(const TransferProtocol::Step& step);
    void Report(TransferProtocol::Problem problem);
    void Tell(TransferNotice notice, const std::wstring& path = {}) const;
    /// The layout folder's files, with a missing one told as PictureMissing.
    LayoutFolderSource Source(const Layout& layout);
    /// Writes what waits in m_outgoing as far as the socket takes it without waiting; the rest
    /// goes out on the next output notification. Once all of a step is out, the protocol is
    /// told, and after the last block the sending side of the connection is ended.
    void Flush();
    /// The receiver ended the connection: its word after the last block, else a break-off.
    void OnLost();
    void WantOutputNotifications(bool wanted);
    void Disconnect();
    /// Tells the listener about `state`. The start of a transfer is always told, so that a
    /// second refusal in a row is heard as 1 then 999.
    void NotifyState(int state);

    wxSocketClient* m_socket;
    TransferProtocol m_protocol;
    const Layout* m_layout = nullptr;
    /// The file being sent, open from one step to the next.
    PictureFile m_pictureFile;
    std::wstring m_fileName;
    std::vector<std::uint8_t> m_outgoing;
    std::size_t m_outgoingHead = 0;
    /// The last block waits in m_outgoing: once it is out, the sending side is ended.
    bool m_finishWhenSent = false;
    /// Counts connections: notifications carry the number of theirs, so that one queued for
    /// an earlier connection is never taken for the current one.
    std::uintptr_t m_connection = 0;
    /// An input notification arrived while a step was still running (a message box on the
    /// screen runs the event loop); it is handled once that step is done.
    bool m_inStep = false;
    bool m_inputDeferred = false;
    int m_reportedState = 0;
    std::function<void(int)> m_listener;
    NoticeListener m_noticeListener;
};
