#include "link/TransferProtocol.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Problem = TransferProtocol::Problem;

/// File bytes held in memory, with faults to order.
class MemorySource : public TransferSource {
  public:
    explicit MemorySource(Bytes contents) : m_contents(std::move(contents)) {}

    std::optional<std::uint64_t> SizeOf(const std::wstring&) override {
        return sizeBeforeOpen ? *sizeBeforeOpen : m_contents.size();
    }
    bool Open(const std::wstring& name) override {
        opened.push_back(name);
        m_position = 0;
        return !openFails;
    }
    std::optional<std::uint64_t> Length() override {
        if (lengthUnknown) {
            return std::nullopt;
        }
        return lengthOverride ? *lengthOverride : m_contents.size();
    }
    bool Read(std::uint8_t* data, std::size_t count) override {
        ++reads;
        if (readFailsAt && m_position + count > *readFailsAt) {
            return false;
        }
        if (m_position + count > m_contents.size()) {
            return false;
        }
        std::copy_n(m_contents.begin() + static_cast<std::ptrdiff_t>(m_position), count, data);
        m_position += count;
        return true;
    }

    std::optional<std::uint64_t> sizeBeforeOpen;
    std::optional<std::uint64_t> lengthOverride;
    std::optional<std::size_t> readFailsAt;
    bool openFails = false;
    bool lengthUnknown = false;
    std::vector<std::wstring> opened;
    int reads = 0;

  private:
    Bytes m_contents;
    std::size_t m_position = 0;
};

Bytes Pattern(std::size_t size) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
    }
    return bytes;
}

Bytes Append(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes FromText(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

TransferProtocol::Step Start(TransferProtocol& protocol, const std::wstring& name,
                             TransferSource& source) {
    protocol.Begin(name);
    return protocol.Greeting(source);
}

/// A receiver that answers every step with '>' once all of it is out, until the sender fails
/// or has sent its last block; then it ends the connection, its word that it has the file.
struct Exchange {
    Bytes wire;
    int acks = 0;
    bool closed = false;    ///< the sender failed and closed
    bool finished = false;  ///< the sender sent its last block and ended its side
    Problem problem = Problem::None;
};

Exchange RunAcked(TransferProtocol& protocol, TransferSource& source, const std::wstring& name) {
    Exchange result;
    TransferProtocol::Step step = Start(protocol, name, source);
    for (int guard = 0; guard < 100000; ++guard) {
        result.wire.insert(result.wire.end(), step.send.begin(), step.send.end());
        result.problem = step.problem;
        if (step.close) {
            result.closed = true;
            break;
        }
        protocol.StepSent();
        if (step.finish) {
            result.finished = true;
            EXPECT_TRUE(protocol.OnEnd());
            break;
        }
        ++result.acks;
        step = protocol.OnAck('>', source);
    }
    return result;
}

TEST(TransferProtocol, SendsEveryFileByteForByteWithOneAckPerStep) {
    struct Case {
        std::size_t size;
        Bytes length;
        int acks;
    };
    const Case cases[] = {
        {0, {0x00, 0x00, 0x00}, 3},
        {999, {0x00, 0x03, 0xE7}, 3},
        {1000, {0x00, 0x03, 0xE8}, 4},
        {2500, {0x00, 0x09, 0xC4}, 5},
        {0xFFFFFF, {0xFF, 0xFF, 0xFF}, 3 + 16777},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        const Bytes contents = Pattern(c.size);
        MemorySource source(contents);
        TransferProtocol protocol;
        const Exchange exchange = RunAcked(protocol, source, L"tvxdef.ini");
        const Bytes expected = Append(Append(FromText("TVXtvxdef.ini"), c.length), contents);
        EXPECT_TRUE(exchange.wire == expected);
        EXPECT_EQ(exchange.acks, c.acks);
        EXPECT_TRUE(exchange.finished);
        EXPECT_EQ(exchange.problem, Problem::None);
        EXPECT_EQ(protocol.State(), TransferProtocol::kDone);
        EXPECT_EQ(protocol.Remaining(), 0u);
    }
}

TEST(TransferProtocol, WalksTheStatesOfA2500ByteFile) {
    MemorySource source(Pattern(2500));
    TransferProtocol protocol;
    EXPECT_EQ(protocol.State(), 0);
    std::vector<int> states;
    std::vector<std::size_t> sizes;
    bool finished = Start(protocol, L"tvxdef.ini", source).finish;
    states.push_back(protocol.State());
    while (!finished && states.size() < 10) {
        protocol.StepSent();
        const TransferProtocol::Step step = protocol.OnAck('>', source);
        sizes.push_back(step.send.size());
        finished = step.finish;
        states.push_back(protocol.State());
    }
    EXPECT_EQ(states, (std::vector<int>{1, 2, 3, 3, 4, 4}));
    EXPECT_EQ(sizes, (std::vector<std::size_t>{10, 3, 1000, 1000, 500}));
    // The last block is out: the receiver's end of the connection is its word.
    protocol.StepSent();
    EXPECT_TRUE(protocol.OnEnd());
    EXPECT_EQ(protocol.State(), TransferProtocol::kDone);
}

// What the receiver does after the last block decides whether the file is done: its end of the
// connection or a '>' is its word; anything else, or its end before the whole block was out, is
// not.
TEST(TransferProtocol, TheFileIsDoneOnlyOnTheReceiversWordAfterTheWholeLastBlock) {
    enum class After { End, Ack, Refusal, Nothing };
    struct Case {
        const char* name;
        bool blockOut;  ///< every byte of the last block was handed to the connection
        After after;
        int state;
        Problem problem;
    };
    const Case cases[] = {
        {"its end", true, After::End, TransferProtocol::kDone, Problem::None},
        {"an answer", true, After::Ack, TransferProtocol::kDone, Problem::None},
        {"a refusal", true, After::Refusal, TransferProtocol::kFailed, Problem::WrongAck},
        {"no word", true, After::Nothing, TransferProtocol::kLastBlockDue, Problem::None},
        {"its end with the block still going out", false, After::End,
         TransferProtocol::kLastBlockDue, Problem::None},
        {"an answer with the block still going out", false, After::Ack, TransferProtocol::kFailed,
         Problem::EarlyAck},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemorySource source(Pattern(1500));
        TransferProtocol protocol;
        TransferProtocol::Step step = Start(protocol, L"x.png", source);
        while (!step.finish && !step.close) {
            protocol.StepSent();
            step = protocol.OnAck('>', source);
        }
        ASSERT_EQ(step.problem, Problem::None);
        if (c.blockOut) {
            protocol.StepSent();
        }
        Problem problem = Problem::None;
        switch (c.after) {
            case After::End:
                EXPECT_EQ(protocol.OnEnd(), c.state == TransferProtocol::kDone);
                break;
            case After::Ack:
            case After::Refusal: {
                const auto word = protocol.OnAck(c.after == After::Ack ? '>' : '?', source);
                EXPECT_TRUE(word.close);
                EXPECT_TRUE(word.send.empty());
                problem = word.problem;
                break;
            }
            case After::Nothing:
                break;
        }
        EXPECT_EQ(protocol.State(), c.state);
        EXPECT_EQ(problem, c.problem);
    }
}

// In every step, an answer other than '>' fails the transfer, and so does a '>' that comes
// before all of its step is out: a receiver that answers ahead of time (every '>' at once, or
// one step early) never gets a file counted as sent. Further input repeats the error.
TEST(TransferProtocol, AWrongOrEarlyAnswerFailsInEveryStep) {
    for (const bool early : {false, true}) {
        for (int goodAcks = 0; goodAcks < 5; ++goodAcks) {
            SCOPED_TRACE(testing::Message()
                         << (early ? "early" : "wrong") << " after " << goodAcks);
            MemorySource source(Pattern(2500));
            TransferProtocol protocol;
            Start(protocol, L"tvxdef.ini", source);
            for (int i = 0; i < goodAcks; ++i) {
                protocol.StepSent();
                ASSERT_EQ(protocol.OnAck('>', source).problem, Problem::None);
            }
            if (!early) {
                protocol.StepSent();
            }
            const auto step = protocol.OnAck(early ? '>' : '?', source);
            EXPECT_EQ(step.problem, early ? Problem::EarlyAck : Problem::WrongAck);
            EXPECT_TRUE(step.close);
            EXPECT_TRUE(step.send.empty());
            EXPECT_EQ(protocol.State(), TransferProtocol::kFailed);
            EXPECT_FALSE(protocol.Refused());
            EXPECT_FALSE(protocol.OnEnd());

            const auto again = protocol.OnAck('>', source);
            EXPECT_EQ(again.problem, Problem::WrongAck);
            EXPECT_TRUE(again.send.empty());
        }
    }
}

TEST(TransferProtocol, AQuestionMarkToTheGreetingOpensNothing) {
    MemorySource source(Pattern(10));
    TransferProtocol protocol;
    Start(protocol, L"tvxdef.ini", source);
    EXPECT_EQ(protocol.OnAck('?', source).problem, Problem::WrongAck);
    EXPECT_TRUE(source.opened.empty());
}

TEST(TransferProtocol, IgnoresInputBeforeTheFirstTransferAndAfterTheLast) {
    MemorySource source(Pattern(10));
    TransferProtocol protocol;
    const auto before = protocol.OnAck('?', source);
    EXPECT_TRUE(before.send.empty());
    EXPECT_FALSE(before.close);
    EXPECT_EQ(protocol.State(), 0);

    RunAcked(protocol, source, L"abcde");
    const auto after = protocol.OnAck('?', source);
    EXPECT_TRUE(after.send.empty());
    EXPECT_EQ(after.problem, Problem::None);
    EXPECT_EQ(protocol.State(), TransferProtocol::kDone);
}

TEST(TransferProtocol, TheRequestedNameGoesOnTheWireAndOneByteACharacter) {
    struct Case {
        std::wstring name;
        std::string wire;
    };
    const Case cases[] = {
        {L"a.jp", "a.jp"},
        {L"K\u00fcche.png",
         "K\xFC"
         "che.png"},
        {L"\u20ac.png", "?.png"},
        {L"\U0001F600x.png", "?x.png"},
    };
    for (const Case& c : cases) {
        MemorySource source(Pattern(5));
        TransferProtocol protocol;
        const Exchange exchange = RunAcked(protocol, source, c.name);
        const Bytes expected = Append(Append(FromText("TVX" + c.wire), {0, 0, 5}), Pattern(5));
        EXPECT_TRUE(exchange.wire == expected) << c.wire;
        ASSERT_EQ(source.opened.size(), 1u);
        EXPECT_EQ(source.opened[0], c.name);
    }
}

TEST(TransferProtocol, RefusesA16MiBFileBeforeSendingAnything) {
    MemorySource source(Bytes{});
    source.sizeBeforeOpen = TransferProtocol::kLengthLimit;
    TransferProtocol protocol;
    const auto step = Start(protocol, L"huge.png", source);
    EXPECT_EQ(step.problem, Problem::TooLarge);
    EXPECT_TRUE(step.send.empty());
    EXPECT_EQ(protocol.State(), TransferProtocol::kFailed);
    EXPECT_TRUE(protocol.Refused());
    // Input after a refusal is nobody's error.
    EXPECT_EQ(protocol.OnAck('>', source).problem, Problem::None);

    // The next file starts clean.
    MemorySource small(Pattern(3));
    EXPECT_EQ(RunAcked(protocol, small, L"small.png").problem, Problem::None);
    EXPECT_FALSE(protocol.Refused());
}

TEST(TransferProtocol, RefusesAFileThatGrewPast16MiBBeforeItsLengthIsSent) {
    MemorySource source(Pattern(10));
    source.lengthOverride = TransferProtocol::kLengthLimit + 5;
    TransferProtocol protocol;
    const Exchange exchange = RunAcked(protocol, source, L"grown.png");
    EXPECT_EQ(exchange.problem, Problem::TooLarge);
    EXPECT_TRUE(exchange.wire == FromText("TVXgrown.png"));
    EXPECT_TRUE(protocol.Refused());
    EXPECT_EQ(source.reads, 0);
}

TEST(TransferProtocol, NeverSendsBytesItDidNotRead) {
    struct Case {
        const char* what;
        bool openFails;
        bool lengthUnknown;
        std::optional<std::size_t> readFailsAt;
        std::size_t sentAfterGreeting;  ///< name, length and blocks that went out before
    };
    const Case cases[] = {
        {"nothing could be opened", true, false, std::nullopt, 0},
        {"no length", false, true, std::nullopt, 5},
        {"the first block", false, false, 10, 5 + 3},
        {"the second block", false, false, 1500, 5 + 3 + 1000},
        {"the last block", false, false, 2400, 5 + 3 + 2000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MemorySource source(Pattern(2500));
        source.openFails = c.openFails;
        source.lengthUnknown = c.lengthUnknown;
        source.readFailsAt = c.readFailsAt;
        TransferProtocol protocol;
        const Exchange exchange = RunAcked(protocol, source, L"x.png");
        EXPECT_EQ(exchange.problem, Problem::ReadError);
        EXPECT_TRUE(exchange.closed);
        EXPECT_EQ(protocol.State(), TransferProtocol::kFailed);
        EXPECT_FALSE(protocol.Refused());
        EXPECT_EQ(exchange.wire.size(), 3 + c.sentAfterGreeting);
    }
}

}  // namespace
