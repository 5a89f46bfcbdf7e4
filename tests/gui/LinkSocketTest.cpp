// The controller link's socket driver on its own, its notifications delivered by the test: what
// a notification that arrives late, for a connection or attempt already closed or replaced, may
// do to the link. The controllers are real TCP servers on the loopback network.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

#include <wx/event.h>
#include <wx/socket.h>

#include "GuiTestSupport.h"
#include "link/LinkSocket.h"
#include "model/Layout.h"
#include "model/PanelState.h"

namespace {

const FakeController::Bytes kStateRequest{0x78, 0x31, 0x33};

/// Stands in for the panel window: takes the link socket's notifications and hands each to the
/// link, keeping a copy, so that a test can deliver an old one again later.
class LinkRig : public wxEvtHandler {
  public:
    explicit LinkRig(const std::array<int, 4>& controller) : link(*this, 3001) {
        layout->Form.Form_ConnectModus = 1;
        layout->Form.Destination_IP = controller;
        Bind(wxEVT_SOCKET, &LinkRig::OnSocket, this);
    }

    /// The link timer's tick, then the notifications it brought.
    void Tick() {
        Note(link.CheckLink(*layout));
        Pump(20);
    }

    /// The main settings' "OK".
    void Relink() { Note(link.Relink(*layout)); }

    /// Ticks until the link is connected.
    bool Connect() {
        return WaitFor([this] {
            Tick();
            return link.IsConnected();
        });
    }

    /// The last notification of a kind that came in, as the socket queued it.
    wxSocketEvent Last(wxSocketNotify kind) const {
        for (auto event = seen.rbegin(); event != seen.rend(); ++event) {
            if (event->GetSocketEvent() == kind) {
                return *event;
            }
        }
        ADD_FAILURE() << "no such notification came";
        return wxSocketEvent();
    }

    /// A notification delivered again, perhaps as another kind.
    void Deliver(wxSocketEvent event, wxSocketNotify kind) {
        event.m_event = kind;
        link.OnSocketEvent(event, panel.Lamps);
    }

    std::unique_ptr<Layout> layout = std::make_unique<Layout>();
    PanelState panel;
    LinkSocket link;
    std::vector<wxSocketEvent> seen;
    /// What the link told the user last.
    std::optional<LinkStatus> status;

  private:
    void Note(std::optional<LinkStatus> reported) {
        if (reported) {
            status = reported;
        }
    }

    void OnSocket(wxSocketEvent& event) {
        seen.push_back(event);
        link.OnSocketEvent(event, panel.Lamps);
    }
};

// The main settings' "OK" closes the link and connects to the new address. Late notifications of
// the old connection must not make the new attempt count as connected (its state request would
// go nowhere) nor drop the new connection once it is up.
TEST(LinkSocket, LateNotificationsOfAnOldConnectionAreIgnored) {
    FakeController first;
    FakeController second;
    second.Stop();
    LinkRig rig(first.Address());
    ASSERT_TRUE(rig.Connect());
    rig.Tick();
    ASSERT_TRUE(WaitFor([&first] {
        first.Poll();
        return first.Received() == kStateRequest;
    }));
    const wxSocketEvent old = rig.Last(wxSOCKET_CONNECTION);

    rig.layout->Form.Destination_IP = second.Address();
    rig.Relink();
    rig.Deliver(old, wxSOCKET_CONNECTION);
    EXPECT_FALSE(rig.link.IsConnected()) << "a late connection notification of the old link";
    rig.Deliver(old, wxSOCKET_INPUT);
    EXPECT_FALSE(rig.link.IsConnected());
    rig.Tick();
    EXPECT_EQ(rig.status, LinkStatus::Down);

    ASSERT_TRUE(second.Listen());
    ASSERT_TRUE(rig.Connect());
    rig.Deliver(old, wxSOCKET_LOST);
    EXPECT_TRUE(rig.link.IsConnected()) << "a late loss notification of the old link";
    for (int tick = 0; tick < 5; ++tick) {
        rig.Tick();
    }
    second.Poll();
    EXPECT_EQ(second.Connections(), 1);
    EXPECT_EQ(second.Received(), kStateRequest);
    EXPECT_EQ(rig.status, LinkStatus::Up);
}

// An attempt that stays unanswered is replaced by a new one; a late outcome of the replaced one
// says nothing about the new one.
TEST(LinkSocket, LateOutcomeOfAReplacedAttemptIsIgnored) {
    FakeController controller;
    LinkRig rig(controller.Address());
    ASSERT_TRUE(rig.Connect());
    const wxSocketEvent attempt = rig.Last(wxSOCKET_CONNECTION);
    controller.Stop();
    rig.Relink();
    rig.Tick();  // a new attempt, refused
    rig.Deliver(attempt, wxSOCKET_CONNECTION);
    EXPECT_FALSE(rig.link.IsConnected());
    ASSERT_TRUE(controller.Listen());
    ASSERT_TRUE(rig.Connect());
    rig.Tick();
    controller.Poll();
    EXPECT_EQ(controller.Received(), kStateRequest);
}

}  // namespace
