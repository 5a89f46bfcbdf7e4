#include "link/LinkMachine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <optional>
#include <random>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Actions = LinkMachine::Actions;
using Connection = LinkMachine::Connection;

constexpr auto kTick = 100ms;

/// The link machine on a clock of the test's own, ticked as the link timer does.
class LinkRig {
  public:
    Actions Tick(bool lanMode = true) {
        now += kTick;
        return machine.Tick(lanMode, now);
    }

    /// Ticks until the machine has started an attempt and the attempt is up.
    void Connect() {
        Actions actions = Tick();
        ASSERT_TRUE(actions.startAttempt);
        machine.OnConnected(machine.Current());
        actions = Tick();
        ASSERT_TRUE(actions.sendStateRequest);
        ASSERT_EQ(actions.status, LinkStatus::Up);
    }

    /// A read of `size` bytes of lamp-state messages, made now.
    int Receive(std::size_t size, bool cutShort = false) {
        const std::vector<std::uint8_t> bytes(size, 0x01);
        return machine.Receive(bytes.data(), bytes.size(), cutShort, now, lamps);
    }

    LinkMachine machine;
    LinkMachine::Clock::time_point now{};
    LampBitmap lamps;
};

bool Quiet(const Actions& actions) {
    return !actions.startAttempt && !actions.sendStateRequest && !actions.status;
}

TEST(LinkMachine, DownUntilTheAttemptConnectsThenOneStateRequest) {
    LinkRig rig;
    EXPECT_FALSE(rig.machine.IsConnected());
    const Actions first = rig.Tick();
    EXPECT_TRUE(first.startAttempt);
    EXPECT_FALSE(first.sendStateRequest);
    EXPECT_EQ(first.status, LinkStatus::Down);
    const Connection attempt = rig.machine.Current();

    // A slow handshake is left to finish; the status line is shown on every tick meanwhile.
    for (int tick = 0; tick < 5; ++tick) {
        const Actions waiting = rig.Tick();
        EXPECT_FALSE(waiting.startAttempt) << "tick " << tick;
        EXPECT_EQ(waiting.status, LinkStatus::Down);
    }
    EXPECT_EQ(rig.machine.Current(), attempt);
    EXPECT_FALSE(rig.machine.IsConnected());

    rig.machine.OnConnected(attempt);
    EXPECT_TRUE(rig.machine.IsConnected());
    const Actions up = rig.Tick();
    EXPECT_TRUE(up.sendStateRequest);
    EXPECT_FALSE(up.startAttempt);
    EXPECT_EQ(up.status, LinkStatus::Up);
    for (int tick = 0; tick < 50; ++tick) {
        EXPECT_TRUE(Quiet(rig.Tick())) << "tick " << tick << " of the connection";
    }
}

TEST(LinkMachine, AnUnansweredAttemptIsReplacedAfterItsTimeout) {
    struct Case {
        const char* name;
        std::chrono::milliseconds after;
        bool replaced;
    };
    for (const Case& c :
         {Case{"1 ms before the timeout", LinkMachine::kAttemptTimeout - 1ms, false},
          Case{"at the timeout", LinkMachine::kAttemptTimeout, true},
          Case{"long after it", 10 * LinkMachine::kAttemptTimeout, true}}) {
        SCOPED_TRACE(c.name);
        LinkRig rig;
        ASSERT_TRUE(rig.Tick().startAttempt);
        const Connection attempt = rig.machine.Current();
        const Actions later = rig.machine.Tick(true, rig.now + c.after);
        EXPECT_EQ(later.startAttempt, c.replaced);
        EXPECT_EQ(later.status, LinkStatus::Down);
        EXPECT_EQ(rig.machine.IsCurrent(attempt), !c.replaced);
        // The outcome of a replaced attempt says nothing about the new one.
        rig.machine.OnConnected(attempt);
        EXPECT_EQ(rig.machine.IsConnected(), !c.replaced);
    }
}

// A minute of refused attempts, some 600 ticks: each refusal is followed by a new attempt on the
// next tick, the status line stays, and once the controller answers, the link is up on the tick
// after, however many attempts came before.
TEST(LinkMachine, RefusedAttemptsAreRetriedOnEveryTickUntilOneConnects) {
    for (const int refusals : {5, 600}) {
        SCOPED_TRACE(testing::Message() << refusals << " refusals");
        LinkRig rig;
        std::vector<Connection> attempts;
        for (int tick = 0; tick < refusals; ++tick) {
            const Actions actions = rig.Tick();
            ASSERT_TRUE(actions.startAttempt) << "tick " << tick;
            ASSERT_EQ(actions.status, LinkStatus::Down);
            ASSERT_FALSE(actions.sendStateRequest);
            attempts.push_back(rig.machine.Current());
            rig.machine.OnLost(rig.machine.Current());
        }
        for (std::size_t i = 1; i < attempts.size(); ++i) {
            EXPECT_NE(attempts[i], attempts[i - 1]) << "each attempt has a tag of its own";
        }
        ASSERT_TRUE(rig.Tick().startAttempt);
        rig.machine.OnConnected(rig.machine.Current());
        const Actions up = rig.Tick();
        EXPECT_TRUE(up.sendStateRequest);
        EXPECT_EQ(up.status, LinkStatus::Up);
        EXPECT_TRUE(Quiet(rig.Tick()));
    }
}

TEST(LinkMachine, ALostConnectionReconnectsAndAsksAgain) {
    LinkRig rig;
    rig.Connect();
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        rig.machine.OnLost(rig.machine.Current());
        EXPECT_FALSE(rig.machine.IsConnected());
        const Actions down = rig.Tick();
        EXPECT_TRUE(down.startAttempt);
        EXPECT_EQ(down.status, LinkStatus::Down);
        rig.machine.OnConnected(rig.machine.Current());
        const Actions up = rig.Tick();
        EXPECT_TRUE(up.sendStateRequest);
        EXPECT_EQ(up.status, LinkStatus::Up);
        EXPECT_TRUE(Quiet(rig.Tick()));
    }
}

// Notifications queued for a connection or attempt that has been closed or replaced since.
TEST(LinkMachine, LateNotificationsOfAnOldConnectionAreIgnored) {
    LinkRig rig;
    rig.Connect();
    const Connection old = rig.machine.Current();

    const Actions relinked = rig.machine.Relink(true, rig.now);
    EXPECT_TRUE(relinked.startAttempt);
    EXPECT_EQ(relinked.status, LinkStatus::Down);
    EXPECT_FALSE(rig.machine.IsCurrent(old));
    rig.machine.OnConnected(old);
    EXPECT_FALSE(rig.machine.IsConnected()) << "a late connection notification of the old link";
    EXPECT_FALSE(rig.Tick().startAttempt) << "the new attempt is left to finish";

    rig.machine.OnConnected(rig.machine.Current());
    rig.machine.OnLost(old);
    EXPECT_TRUE(rig.machine.IsConnected()) << "a late loss notification of the old link";
    const Actions up = rig.Tick();
    EXPECT_TRUE(up.sendStateRequest);
    EXPECT_EQ(up.status, LinkStatus::Up);
    for (int tick = 0; tick < 5; ++tick) {
        EXPECT_TRUE(Quiet(rig.Tick()));
    }
}

TEST(LinkMachine, OutsideLanModeTheLinkIsLeftAlone) {
    LinkRig rig;
    for (int tick = 0; tick < 30; ++tick) {
        EXPECT_TRUE(Quiet(rig.Tick(false)));
    }

    // Down in LAN mode, then out of it: no attempt, and the status line is left as it is.
    ASSERT_EQ(rig.Tick().status, LinkStatus::Down);
    const Actions relinked = rig.machine.Relink(false, rig.now);
    EXPECT_TRUE(Quiet(relinked));
    EXPECT_TRUE(Quiet(rig.Tick(false)));

    // Connected, then out of LAN mode: the connection is dropped, nothing shown.
    rig.Connect();
    EXPECT_TRUE(Quiet(rig.machine.Relink(false, rig.now)));
    EXPECT_FALSE(rig.machine.IsConnected());
    EXPECT_TRUE(Quiet(rig.Tick(false)));

    // Back in LAN mode: an attempt at once.
    const Actions back = rig.machine.Relink(true, rig.now);
    EXPECT_TRUE(back.startAttempt);
    EXPECT_EQ(back.status, LinkStatus::Down);
}

TEST(LinkMachine, AnAttemptThatConnectsAtOnceIsUpOnTheNextTick) {
    LinkRig rig;
    const Actions first = rig.Tick();
    ASSERT_TRUE(first.startAttempt);
    rig.machine.OnConnected(rig.machine.Current());
    EXPECT_EQ(first.status, LinkStatus::Down) << "the status line shows until the next tick";
    const Actions up = rig.Tick();
    EXPECT_TRUE(up.sendStateRequest);
    EXPECT_EQ(up.status, LinkStatus::Up);
}

// A read of 200 bytes is held in doubt: the controller either paused after it (out of step) or
// goes on sending. 54 more bytes make two whole messages of it, unless a tick came after the
// controller had been quiet for the quiet time and dropped what was held. Bytes waiting unread
// at the tick (the panel was busy) are no quiet.
TEST(LinkMachine, AReadInDoubtIsDroppedByATickAfterTheQuietTime) {
    struct Case {
        const char* name;
        std::optional<std::chrono::milliseconds> tickAfter;  ///< a tick between the two reads
        bool unread;                                         ///< bytes wait unread at the tick
        int applied;
    };
    const auto quiet = LinkMachine::kQuietTime;
    for (const Case& c :
         {Case{"no tick between", std::nullopt, false, 2}, Case{"a tick at once", 0ms, false, 2},
          Case{"a tick within the quiet time", quiet - 1ms, false, 2},
          Case{"a tick after the quiet time", quiet, false, 0},
          Case{"a tick after it with bytes unread", 4 * quiet, true, 2}}) {
        SCOPED_TRACE(c.name);
        LinkRig rig;
        rig.Connect();
        EXPECT_EQ(rig.Receive(200), 0);
        if (c.tickAfter) {
            rig.now += *c.tickAfter;
            if (c.unread) {
                rig.machine.Heard(rig.now);
            }
            rig.machine.Tick(true, rig.now);
        }
        EXPECT_EQ(rig.Receive(54), c.applied);
    }
}

// The lamp states shown are known only while the connection they came from is up: not from the
// start, not after a loss or a relink until the new connection's first whole message, which may
// even come before the tick that says the link is up.
TEST(LinkMachine, LampsAreKnownFromTheConnectionsFirstMessageUntilItEnds) {
    enum class Step { Connect, Part, Rest, Lose, Reconnect, Relink, Message };
    struct Expected {
        Step step;
        bool known;
    };
    LinkRig rig;
    EXPECT_FALSE(rig.machine.LampsKnown());
    for (const Expected& e : {
             Expected{Step::Connect, false},
             Expected{Step::Part, false},  // 100 bytes of a message
             Expected{Step::Rest, true},
             Expected{Step::Lose, false},
             Expected{Step::Reconnect, false},
             Expected{Step::Message, true},
             Expected{Step::Relink, false},
             Expected{Step::Reconnect, false},
             Expected{Step::Message, true},
         }) {
        SCOPED_TRACE(static_cast<int>(e.step));
        switch (e.step) {
            case Step::Connect:
                rig.Connect();
                break;
            case Step::Part:
                rig.Receive(100);
                break;
            case Step::Rest:
                rig.Receive(27);
                break;
            case Step::Lose:
                rig.machine.OnLost(rig.machine.Current());
                rig.Tick();
                break;
            case Step::Reconnect:
                rig.machine.OnConnected(rig.machine.Current());
                break;
            case Step::Relink:
                rig.machine.Relink(true, rig.now);
                break;
            case Step::Message:
                rig.Receive(127);
                break;
        }
        EXPECT_EQ(rig.machine.LampsKnown(), e.known);
    }
}

TEST(LinkMachine, PartOfAMessageIsNotGluedToTheNextConnection) {
    struct Case {
        const char* name;
        bool relinked;  ///< dropped by the panel rather than lost
    };
    for (const Case& c : {Case{"lost", false}, Case{"relinked", true}}) {
        SCOPED_TRACE(c.name);
        LinkRig rig;
        rig.Connect();
        EXPECT_EQ(rig.Receive(100), 0);
        if (c.relinked) {
            rig.machine.Relink(true, rig.now);
        } else {
            rig.machine.OnLost(rig.machine.Current());
            rig.Tick();
        }
        rig.machine.OnConnected(rig.machine.Current());
        rig.Tick();
        EXPECT_EQ(rig.Receive(27), 0);
        EXPECT_EQ(rig.Receive(100), 1);
    }
}

// A read dropped as out of step may have been a change of the lamps (a stray byte before the
// controller's message): the lamps are asked for again at once, so that they are right within
// one round trip; not more than once in the gap, and one held back goes with a later tick.
TEST(LinkMachine, ADroppedReadAsksForTheLampsAgain) {
    struct Case {
        const char* name;
        bool quietTick;  ///< the controller pauses: a tick drops what waits, not the next read
    };
    for (const Case& c :
         {Case{"dropped by the next read", false}, Case{"dropped by a tick", true}}) {
        SCOPED_TRACE(c.name);
        LinkRig rig;
        rig.Connect();
        // A stray byte, then the controller's message: 128 bytes held in doubt.
        EXPECT_EQ(rig.Receive(1), 0);
        rig.now += 100ms;
        EXPECT_EQ(rig.Receive(127), 0);
        EXPECT_FALSE(rig.machine.StateRequestDue(rig.now));
        if (c.quietTick) {
            rig.now += 10ms;
            EXPECT_TRUE(Quiet(rig.machine.Tick(true, rig.now))) << "the controller may go on";
            rig.now += LinkMachine::kQuietTime;
            EXPECT_TRUE(rig.machine.Tick(true, rig.now).sendStateRequest);
        } else {
            rig.now += 50ms;
            EXPECT_EQ(rig.Receive(1), 0);
            EXPECT_TRUE(rig.machine.StateRequestDue(rig.now));
        }
        EXPECT_FALSE(rig.machine.StateRequestDue(rig.now)) << "asked twice for one drop";

        // Another drop soon after: held back until the gap is over, then sent with a tick.
        rig.now += 10ms;
        EXPECT_EQ(rig.Receive(200), 0);
        rig.now += 30ms;
        EXPECT_EQ(rig.Receive(1), 0);
        EXPECT_FALSE(rig.machine.StateRequestDue(rig.now));
        EXPECT_TRUE(rig.machine.NeedsQuickTicks(true)) << "the held-back request waits for a tick";
        EXPECT_TRUE(rig.Tick().sendStateRequest);
        EXPECT_FALSE(rig.machine.NeedsQuickTicks(true));
        for (int tick = 0; tick < 5; ++tick) {
            EXPECT_TRUE(Quiet(rig.Tick())) << "tick " << tick;
        }
    }
}

TEST(LinkMachine, WholeMessagesAndANewConnectionAskForNothingMore) {
    LinkRig rig;
    rig.Connect();
    for (int i = 0; i < 20; ++i) {
        rig.now += 30ms;
        EXPECT_EQ(rig.Receive(127), 1);
        EXPECT_FALSE(rig.machine.StateRequestDue(rig.now));
    }
    // A drop owed when the connection is lost is not carried over to the next one, which asks
    // once, on its first tick.
    EXPECT_EQ(rig.Receive(130), 0);
    rig.now += 50ms;
    EXPECT_EQ(rig.Receive(1), 0);
    rig.machine.OnLost(rig.machine.Current());
    EXPECT_FALSE(rig.machine.StateRequestDue(rig.now));
    // A read the next connection drops before its first tick is covered by that tick's request.
    ASSERT_TRUE(rig.Tick().startAttempt);
    rig.machine.OnConnected(rig.machine.Current());
    EXPECT_EQ(rig.Receive(130), 0);
    rig.now += 50ms;
    EXPECT_EQ(rig.Receive(1), 0);
    EXPECT_FALSE(rig.machine.StateRequestDue(rig.now)) << "asked before the first tick";
    EXPECT_TRUE(rig.Tick().sendStateRequest);
    for (int tick = 0; tick < 5; ++tick) {
        EXPECT_TRUE(Quiet(rig.Tick())) << "tick " << tick;
    }
}

// A minute of a controller that accepts connections and closes them at random, refuses some
// attempts and leaves others unanswered, while the socket delivers notifications of connections
// replaced long ago. Every connection gets exactly one state request, on its first tick; the
// status line is down whenever the link is; a new attempt starts only when the last one failed or
// stayed unanswered for the attempt timeout; a late notification changes nothing.
TEST(LinkMachine, ReconnectStorm) {
    LinkRig rig;
    std::mt19937 random(5);
    struct Outcome {
        Connection tag;
        bool connected;
    };
    std::optional<Outcome> pending;
    bool attempting = false;  ///< an attempt is under way, started at attemptStarted
    LinkMachine::Clock::time_point attemptStarted;
    Connection unanswered = 0;  ///< an attempt the controller never answers
    std::vector<Connection> asked;
    int replaced = 0;
    int stale = 0;
    for (int tick = 0; tick < 600; ++tick) {
        SCOPED_TRACE(testing::Message() << "tick " << tick);
        const unsigned roll = random() % 8;
        if (pending && roll < 3) {
            // The outcome may belong to an attempt replaced since; then it must change nothing.
            const bool current = rig.machine.IsCurrent(pending->tag);
            const bool wasConnected = rig.machine.IsConnected();
            if (pending->connected) {
                rig.machine.OnConnected(pending->tag);
            } else {
                rig.machine.OnLost(pending->tag);
            }
            if (current) {
                attempting = false;
                EXPECT_EQ(rig.machine.IsConnected(), pending->connected);
            } else {
                EXPECT_EQ(rig.machine.IsConnected(), wasConnected);
            }
            pending.reset();
        } else if (!pending && roll < 5) {
            const Connection tag = rig.machine.Current();
            if (rig.machine.IsConnected()) {
                pending = Outcome{tag, false};
            } else if (attempting && tag != unanswered) {
                if (random() % 5 == 0) {
                    unanswered = tag;
                } else {
                    pending = Outcome{tag, random() % 3 != 0};
                }
            }
        } else if (roll == 7 && rig.machine.Current() > 1) {
            const Connection old = random() % (rig.machine.Current() - 1) + 1;
            const bool wasConnected = rig.machine.IsConnected();
            if (random() % 2 == 0) {
                rig.machine.OnConnected(old);
            } else {
                rig.machine.OnLost(old);
            }
            EXPECT_EQ(rig.machine.IsConnected(), wasConnected) << "a late notification";
            ++stale;
        }

        const bool connected = rig.machine.IsConnected();
        const Connection current = rig.machine.Current();
        const Actions actions = rig.Tick();
        if (connected) {
            const bool first = asked.empty() || asked.back() != current;
            EXPECT_FALSE(actions.startAttempt);
            EXPECT_EQ(actions.sendStateRequest, first);
            EXPECT_EQ(actions.status, first ? std::optional(LinkStatus::Up) : std::nullopt);
            if (first) {
                asked.push_back(current);
            }
            continue;
        }
        EXPECT_FALSE(actions.sendStateRequest);
        EXPECT_EQ(actions.status, LinkStatus::Down);
        const bool due = !attempting || rig.now - attemptStarted >= LinkMachine::kAttemptTimeout;
        EXPECT_EQ(actions.startAttempt, due);
        EXPECT_EQ(rig.machine.Current() != current, due);
        if (due) {
            replaced += attempting;
            attempting = true;
            attemptStarted = rig.now;
        }
    }
    std::sort(asked.begin(), asked.end());
    EXPECT_EQ(std::unique(asked.begin(), asked.end()), asked.end());
    // The storm went through every kind of step many times.
    EXPECT_GT(asked.size(), 20u);
    EXPECT_GT(replaced, 5);
    EXPECT_GT(stale, 40);
}

}  // namespace

// The link timer ticks quickly only while the link needs it: through the states of one
// connection, step by step.
TEST(LinkMachine, QuickTicksOnlyWhileTheLinkIsNotSteady) {
    LinkRig rig;
    const auto quick = [&rig] { return rig.machine.NeedsQuickTicks(true); };
    EXPECT_FALSE(rig.machine.NeedsQuickTicks(false)) << "outside LAN mode";
    EXPECT_TRUE(quick()) << "not yet connected";
    rig.Tick();
    EXPECT_TRUE(quick()) << "an attempt under way";
    rig.machine.OnConnected(rig.machine.Current());
    EXPECT_TRUE(quick()) << "connected, the lamp states not yet asked for";
    rig.Tick();
    EXPECT_FALSE(quick()) << "steady";
    EXPECT_FALSE(rig.machine.NeedsQuickTicks(false)) << "steady, outside LAN mode";
    rig.Receive(100);
    EXPECT_FALSE(quick()) << "the start of a message waits for its rest";
    rig.Receive(27);
    rig.Receive(200);
    EXPECT_TRUE(quick()) << "a read in doubt";
    rig.Tick();
    rig.Tick();
    EXPECT_FALSE(quick()) << "dropped after a quiet tick";
    rig.machine.OnLost(rig.machine.Current());
    EXPECT_TRUE(quick()) << "lost";
}
