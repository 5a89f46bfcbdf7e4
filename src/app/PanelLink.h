#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <wx/event.h>
#include <wx/socket.h>
#include <wx/timer.h>

#include "link/LinkMachine.h"
#include "model/PanelDocument.h"
#include "panel/ControllerLink.h"

class LinkMarks;
class LinkSocket;
class PageOperations;
class PanelJournal;
class TransferSocket;

/// Socket event identifiers of the controller link and of the transfer.
constexpr int kLinkSocketId = 3001;
constexpr int kTransferSocketId = 3003;

/// The controller link on the page: keeps the link connected (LAN mode only) on the link
/// timer's ticks, sends the selected button's press and release, takes the lamp states the
/// controller sends into the document, and shows what the link reports: the status line and the
/// banner while it is down, the marks of lamps not known, the cue of a press that went nowhere.
/// The socket notifications of the link and of the transfer come to this handler.
class PanelLink final : public wxEvtHandler, public ControllerLink {
  public:
    /// What the link timer does besides the link, given the milliseconds since its last tick.
    using Tick = std::function<void(int elapsedMs)>;

    PanelLink(PanelDocument& document, PageOperations& page, LinkMarks& marks,
              PanelJournal& journal, Tick tick);
    ~PanelLink() override;
    PanelLink(const PanelLink&) = delete;
    PanelLink& operator=(const PanelLink&) = delete;

    /// Makes the link's and the transfer's sockets; the link connects on the next check.
    void Open();
    /// One check of the link: connects, or notices a link lost.
    void CheckLink();
    /// Brings the link's marks up to date with the link; true when the page changed.
    bool FollowLink();
    /// Quick ticks while the link needs them, slow ones otherwise.
    void PaceLinkTimer();

    void SendPress() override;
    void SendRelease() override;
    /// Drops the connection and checks at once, so that a changed address or mode takes effect.
    void Relink() override;
    TransferSocket* Transfer() const override { return m_transfer.get(); }
    LinkSocket* Socket() const { return m_link.get(); }

  private:
    void OnLinkTimer(wxTimerEvent& event);
    void OnLinkSocket(wxSocketEvent& event);
    void OnTransferSocket(wxSocketEvent& event);
    /// Puts what the link reports on the page; draws the page only when something of it
    /// changed.
    void ShowLinkStatus(std::optional<LinkStatus> status);

    PanelDocument& m_document;
    PageOperations& m_page;
    LinkMarks& m_marks;
    PanelJournal& m_journal;
    Tick m_tick;
    wxTimer LinkTimer;
    std::unique_ptr<LinkSocket> m_link;
    std::unique_ptr<TransferSocket> m_transfer;
    /// The link timer reports the link down.
    bool m_linkDown = false;
    /// A press of the touch under way went nowhere: its release shows the cue.
    bool m_pressNotSent = false;
};
