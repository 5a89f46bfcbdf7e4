#include "app/PanelLink.h"

#include "link/LinkSocket.h"
#include "link/TransferSocket.h"
#include "model/LinkMarks.h"
#include "model/PanelJournal.h"
#include "model/PanelRules.h"
#include "panel/EditBanner.h"
#include "panel/PageOperations.h"

namespace {

/// The link timer ticks quickly while the link is getting up and slowly while it is steady or
/// off. A panel that has nothing to do wakes up this seldom.
constexpr int kQuickTickMs = 100;
constexpr int kSlowTickMs = 300;

}  // namespace

PanelLink::PanelLink(PanelDocument& document, PageOperations& page, LinkMarks& marks,
                     PanelJournal& journal, Tick tick)
    : m_document(document),
      m_page(page),
      m_marks(marks),
      m_journal(journal),
      m_tick(std::move(tick)) {
    LinkTimer.Bind(wxEVT_TIMER, &PanelLink::OnLinkTimer, this);
    Bind(wxEVT_SOCKET, &PanelLink::OnLinkSocket, this, kLinkSocketId);
    Bind(wxEVT_SOCKET, &PanelLink::OnTransferSocket, this, kTransferSocketId);
}

PanelLink::~PanelLink() {
    LinkTimer.Stop();
    m_link.reset();
    m_transfer.reset();
}

void PanelLink::Open() {
    m_link = std::make_unique<LinkSocket>(*this, kLinkSocketId);
    m_transfer = std::make_unique<TransferSocket>(*this, kTransferSocketId);
}

void PanelLink::PaceLinkTimer() {
    const int period = m_link != nullptr && m_link->NeedsQuickTicks(m_document.Layout())
                           ? kQuickTickMs
                           : kSlowTickMs;
    if (!LinkTimer.IsRunning() || LinkTimer.GetInterval() != period) {
        LinkTimer.Start(period, wxTIMER_CONTINUOUS);
    }
}

void PanelLink::OnLinkTimer(wxTimerEvent&) {
    CheckLink();
    m_tick(LinkTimer.GetInterval());
    PaceLinkTimer();
}

void PanelLink::CheckLink() {
    if (m_link != nullptr) {
        ShowLinkStatus(m_link->CheckLink(m_document.Layout()));
    }
}

void PanelLink::Relink() {
    if (m_link != nullptr) {
        m_journal.LinkClosed();
        ShowLinkStatus(m_link->Relink(m_document.Layout()));
        PaceLinkTimer();
    }
}

void PanelLink::ShowLinkStatus(std::optional<LinkStatus> status) {
    // Said again on every tick while the link is down: only a change is drawn.
    PanelState& panel = m_document.State();
    bool changed = false;
    if (status) {
        m_linkDown = *status == LinkStatus::Down;
        m_journal.Link(!m_linkDown, JournalAddress(m_document.Layout().Form.Destination_IP),
                       LinkReport::Clock::now());
        const std::wstring text = m_linkDown ? kNoConnection : L"";
        changed = text != panel.StatusText;
        panel.StatusText = text;
    }
    changed |= FollowLink();
    changed |= m_marks.Tick(LinkMarks::Clock::now());
    if (changed) {
        m_page.DrawPage(panel.CurrentPage);
    }
}

bool PanelLink::FollowLink() {
    return m_marks.Follow(m_document.Layout().Form.Form_ConnectModus == 1, m_linkDown,
                          m_link != nullptr && m_link->LampsKnown());
}

void PanelLink::SendPress() {
    if (const auto taster = SelectedTaster(m_document.Layout(), m_document.State());
        taster && m_link != nullptr) {
        m_pressNotSent = !m_link->SendPress(*taster);
    }
}

void PanelLink::SendRelease() {
    const auto taster = SelectedTaster(m_document.Layout(), m_document.State());
    if (!taster || m_link == nullptr) {
        return;
    }
    // Dropped, not kept for later: a light switched when the link is back would surprise. The
    // button says so once its pressed look is gone.
    const bool sent = m_link->SendRelease(*taster);
    const bool notSent = !sent || m_pressNotSent;
    m_pressNotSent = false;
    const PanelState& panel = m_document.State();
    if (notSent && m_marks.NotSent(ButtonRef{panel.SelectedButton, panel.CurrentPage},
                                   LinkMarks::Clock::now())) {
        m_page.DrawButtons(panel.CurrentPage);
    }
}

void PanelLink::OnLinkSocket(wxSocketEvent& event) {
    if (m_link == nullptr) {
        return;
    }
    const int applied = m_link->OnSocketEvent(event, m_document.State().Lamps);
    // New lamp states and the marks they end are drawn together, in one redraw.
    if (FollowLink() || applied > 0) {
        m_page.DrawButtons(m_document.State().CurrentPage);
    }
    PaceLinkTimer();
}

void PanelLink::OnTransferSocket(wxSocketEvent& event) {
    if (m_transfer != nullptr) {
        m_transfer->OnSocketEvent(event);
    }
}
