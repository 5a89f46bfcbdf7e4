// The transfer sender against any acknowledgement stream, any file size and the faults a file
// can have. The input is one or more transfers; each starts with a head (what the file is
// like, its name) followed by events: 0x00 says the last step's bytes are all out, 0x01 that
// the receiver ended the connection, any other byte comes from the receiver. Whatever comes,
// the sender may only move along the transitions of its state machine, must never send a byte
// of the file it did not read, must take no answer that came before the bytes it answers went
// out, must send exactly the length it announced and have the receiver's word when it is done,
// and must send nothing once it has closed or finished.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "link/TransferProtocol.h"

namespace {

using Protocol = TransferProtocol;

[[noreturn]] void Fault(const char* what) {
    std::fprintf(stderr, "fuzz-transfer: %s\n", what);
    std::abort();
}

void Expect(bool condition, const char* what) {
    if (!condition) {
        Fault(what);
    }
}

/// The byte of the file at `offset`: any file's contents would do, as long as a byte sent can
/// be told apart from a byte sent at another place.
std::uint8_t ContentAt(std::uint64_t offset) {
    return static_cast<std::uint8_t>(offset * 131 + (offset >> 8) + (offset >> 16));
}

/// What the file to send is like, read from the head of a transfer.
struct FileShape {
    std::uint64_t contents = 0;                ///< bytes the file really holds
    std::optional<std::uint64_t> sizeBefore;   ///< what the size before connecting says
    std::optional<std::uint64_t> length;       ///< what the length after opening says
    std::optional<std::uint64_t> readFailsAt;  ///< a read reaching past this offset fails
    bool openFails = false;
    bool again = false;  ///< after this transfer ends, the next head follows in the input
    std::wstring name;
};

/// The file as the sender reads it, counting what it handed out.
class FuzzSource : public TransferSource {
  public:
    explicit FuzzSource(const FileShape& shape) : m_shape(shape) {}

    std::optional<std::uint64_t> SizeOf(const std::wstring&) override { return m_shape.sizeBefore; }
    bool Open(const std::wstring& name) override {
        Expect(name == m_shape.name, "opened another file than the one to send");
        ++opens;
        delivered = 0;
        return !m_shape.openFails;
    }
    std::optional<std::uint64_t> Length() override {
        Expect(opens > 0, "asked the length of a file it never opened");
        return m_shape.length;
    }
    bool Read(std::uint8_t* data, std::size_t count) override {
        Expect(opens > 0, "read a file it never opened");
        const std::uint64_t end = delivered + count;
        if (end > m_shape.contents || (m_shape.readFailsAt && end > *m_shape.readFailsAt)) {
            // A failed read hands out garbage: sending any of it is a fault the check sees.
            for (std::size_t i = 0; i < count; ++i) {
                data[i] = static_cast<std::uint8_t>(~ContentAt(delivered + i));
            }
            return false;
        }
        for (std::size_t i = 0; i < count; ++i) {
            data[i] = ContentAt(delivered + i);
        }
        delivered = end;
        return true;
    }

    int opens = 0;
    std::uint64_t delivered = 0;  ///< bytes of the file read successfully

  private:
    const FileShape& m_shape;
};

class Input {
  public:
    Input(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    bool Empty() const { return m_at >= m_size; }
    std::uint8_t Byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    std::uint64_t Bytes3() {
        const std::uint64_t a = Byte();
        const std::uint64_t b = Byte();
        return a << 16 | b << 8 | Byte();
    }

  private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

/// Head of a transfer: flags, the size (24 bits, one flag adds 2^24 to reach the sizes that
/// the 3-byte length cannot carry), one more 24-bit number for the flagged faults, the name.
FileShape ReadShape(Input& in) {
    FileShape shape;
    const std::uint8_t flags = in.Byte();
    const std::uint64_t size = in.Bytes3() + ((flags & 0x40) ? Protocol::kLengthLimit : 0);
    const std::uint64_t other = in.Bytes3();
    shape.contents = size;
    shape.sizeBefore = size;
    shape.length = size;
    shape.openFails = flags & 0x01;
    if (flags & 0x02) {
        shape.length.reset();
    }
    if (flags & 0x04) {
        shape.readFailsAt = other;
    }
    if (flags & 0x08) {
        shape.length = other + ((flags & 0x80) ? Protocol::kLengthLimit : 0);  // grown or shrunk
    }
    if (flags & 0x10) {
        shape.sizeBefore = (flags & 0x80) ? std::nullopt : std::optional<std::uint64_t>(other);
    }
    shape.again = flags & 0x20;
    // Name characters: bytes below 0xF0 are themselves, the others start a two-byte character
    // beyond ISO-8859-1.
    const std::size_t length = in.Byte() % 24;
    for (std::size_t i = 0; i < length && !in.Empty(); ++i) {
        const std::uint8_t c = in.Byte();
        shape.name += c < 0xF0 ? static_cast<wchar_t>(c) : static_cast<wchar_t>(c << 8 | in.Byte());
    }
    return shape;
}

/// The name as the receiver must get it: one byte per character, '?' for one beyond
/// ISO-8859-1.
std::vector<std::uint8_t> ExpectedName(const std::wstring& name) {
    std::vector<std::uint8_t> bytes;
    for (const wchar_t c : name) {
        const auto code = static_cast<std::uint32_t>(c);
        bytes.push_back(code <= 0xFF ? static_cast<std::uint8_t>(code) : '?');
    }
    return bytes;
}

bool Closed(int state) {
    return state == Protocol::kDone || state == Protocol::kFailed;
}

/// The transitions of the sender on one byte from the receiver.
bool Allowed(int from, int to) {
    switch (from) {
        case Protocol::kGreetingSent:
            return to == Protocol::kNameSent || to == Protocol::kFailed;
        case Protocol::kNameSent:
        case Protocol::kSendingBlocks:
            return to == Protocol::kSendingBlocks || to == Protocol::kLastBlockDue ||
                   to == Protocol::kFailed;
        case Protocol::kLastBlockDue:
            return to == Protocol::kLastBlockDue || to == Protocol::kDone ||
                   to == Protocol::kFailed;
        default:
            return to == from;  // before the first transfer, done and failed stay put
    }
}

/// Runs one transfer from its greeting until the input ends or, when another transfer
/// follows, until this one has ended.
void RunTransfer(Protocol& protocol, const FileShape& shape, Input& in) {
    FuzzSource source(shape);
    protocol.Begin(shape.name);
    Expect(protocol.State() == Protocol::kGreetingSent, "a new transfer does not start at 1");

    const Protocol::Step greeting = protocol.Greeting(source);
    const bool tooLargeBefore = shape.sizeBefore && *shape.sizeBefore >= Protocol::kLengthLimit;
    if (tooLargeBefore) {
        Expect(greeting.send.empty() && protocol.State() == Protocol::kFailed &&
                   protocol.Refused() && greeting.problem == Protocol::Problem::TooLarge,
               "a file too large was not refused before the greeting");
    } else {
        Expect(greeting.send == std::vector<std::uint8_t>{'T', 'V', 'X'} && !greeting.close &&
                   greeting.problem == Protocol::Problem::None &&
                   protocol.State() == Protocol::kGreetingSent,
               "the greeting is not TVX");
    }
    Expect(source.opens == 0, "opened the file before the greeting was answered");

    std::uint64_t wireTotal = greeting.send.size();
    bool closed = greeting.close;
    bool finished = false;  ///< the last block has been handed out
    bool stepOut = false;   ///< every byte of the last step is out
    std::optional<std::uint64_t> announced;
    std::uint64_t contentSent = 0;
    int acks = 0;

    while (!in.Empty() && !(shape.again && Closed(protocol.State()))) {
        const std::uint8_t byte = in.Byte();
        const int before = protocol.State();
        if (byte == 0x00) {
            protocol.StepSent();
            stepOut = true;
            continue;
        }
        if (byte == 0x01) {
            const bool done = protocol.OnEnd();
            Expect(done == (before == Protocol::kLastBlockDue && finished && stepOut),
                   "the receiver's end taken for its word before the whole last block was out, "
                   "or not after");
            Expect(protocol.State() == (done ? Protocol::kDone : before),
                   "the receiver's end moved the state otherwise");
            Expect(!done || contentSent == *announced, "done before the whole length was sent");
            continue;
        }
        const std::uint64_t readBefore = source.delivered;
        const Protocol::Step step = protocol.OnAck(byte, source);
        const int after = protocol.State();
        const bool active = before >= Protocol::kGreetingSent && before <= Protocol::kLastBlockDue;
        if (active && byte == Protocol::kAck && !stepOut) {
            Expect(after == Protocol::kFailed && step.problem == Protocol::Problem::EarlyAck,
                   "took an answer that came before the bytes it answers went out");
        }
        if (active && after != Protocol::kFailed) {
            stepOut = false;
        }
        Expect(!finished || step.send.empty(), "sent bytes after the last block");

        Expect(Allowed(before, after), "a transition outside the state machine");
        Expect(!closed || step.send.empty(), "sent bytes after closing");
        Expect(after != Protocol::kFailed || step.send.empty(), "sent bytes in a failing step");
        Expect(
            (step.problem != Protocol::Problem::None) == (after == Protocol::kFailed && step.close),
            "a problem without a failure, or a failure without its problem");
        Expect(!protocol.Refused() || tooLargeBefore ||
                   (shape.length && *shape.length >= Protocol::kLengthLimit),
               "refused a file that is not too large");
        if (before >= Protocol::kGreetingSent && before <= Protocol::kLastBlockDue &&
            byte != Protocol::kAck) {
            Expect(after == Protocol::kFailed && step.problem == Protocol::Problem::WrongAck,
                   "a wrong acknowledgement did not fail the transfer");
        }
        if (before == Protocol::kGreetingSent && after == Protocol::kNameSent) {
            Expect(step.send == ExpectedName(shape.name),
                   "the name on the wire is not the name to send");
        }
        if (before == Protocol::kNameSent && after != Protocol::kFailed) {
            Expect(shape.length && *shape.length < Protocol::kLengthLimit,
                   "announced a length it could not tell or carry");
            announced = *shape.length;
            Expect(
                step.send == std::vector<std::uint8_t>{static_cast<std::uint8_t>(*announced >> 16),
                                                       static_cast<std::uint8_t>(*announced >> 8),
                                                       static_cast<std::uint8_t>(*announced)},
                "the length on the wire is not the file's length");
            Expect((after == Protocol::kSendingBlocks) == (*announced >= Protocol::kBlockSize),
                   "full blocks announced for less than a block, or none for more");
        }
        if ((before == Protocol::kSendingBlocks || before == Protocol::kLastBlockDue) &&
            !finished) {
            if (after != Protocol::kFailed) {
                Expect(step.send.size() == (before == Protocol::kSendingBlocks
                                                ? Protocol::kBlockSize
                                                : *announced - contentSent),
                       "a block of the wrong size");
                for (std::size_t i = 0; i < step.send.size(); ++i) {
                    Expect(step.send[i] == ContentAt(contentSent + i),
                           "sent a byte that is not the file's byte at its place");
                }
                contentSent += step.send.size();
            }
            // Every byte of the file that went out was read, and nothing read was held back.
            Expect(contentSent == source.delivered, "sent bytes it did not read");
        } else {
            Expect(source.delivered == readBefore, "read the file outside a block step");
        }
        if (announced && after != Protocol::kFailed) {
            Expect(protocol.Remaining() == *announced - contentSent,
                   "the bytes left do not match what was sent");
            Expect(
                after != Protocol::kSendingBlocks || protocol.Remaining() >= Protocol::kBlockSize,
                "a full block due with less than a block left");
        }
        if (after == Protocol::kDone && before != Protocol::kDone) {
            Expect(finished && step.close && step.send.empty(),
                   "done without the receiver's word after the last block");
        }
        if (step.finish) {
            Expect(!finished && after == Protocol::kLastBlockDue,
                   "finished twice, or outside the last block");
            Expect(contentSent == *announced, "finished before the whole length was sent");
            Expect(acks + 1 == static_cast<int>(3 + *announced / Protocol::kBlockSize),
                   "finished after another number of acknowledgements than the file needs");
            finished = true;
        }
        if (active && after != Protocol::kFailed) {
            ++acks;
        }
        wireTotal += step.send.size();
        closed = closed || step.close;
    }
    // Nothing went out but greeting, name, length and the file's bytes.
    const std::uint64_t expected =
        tooLargeBefore ? 0
        : acks == 0    ? 3
                       : 3 + ExpectedName(shape.name).size() + (announced ? 3 + contentSent : 0);
    Expect(wireTotal == expected, "sent more than greeting, name, length and file");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    Protocol protocol;
    {
        const FileShape none;
        FuzzSource source(none);
        const Protocol::Step idle = protocol.OnAck(Protocol::kAck, source);
        Expect(idle.send.empty() && !idle.close && protocol.State() == 0 && source.opens == 0,
               "acted on an acknowledgement before the first transfer");
    }
    while (!in.Empty()) {
        const FileShape shape = ReadShape(in);
        RunTransfer(protocol, shape, in);
    }
    return 0;
}
