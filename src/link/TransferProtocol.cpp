#include "link/TransferProtocol.h"

#include "model/Paths.h"
#include "model/PictureFile.h"

std::optional<std::uint64_t> LayoutFolderSource::SizeOf(const std::wstring& name) {
    return RegularFileSize(FindPicture(m_layout.Form.LayoutDirectory, name).path);
}

bool LayoutFolderSource::Open(const std::wstring& name) {
    const FoundPicture found = FindPicture(m_layout.Form.LayoutDirectory, name);
    if (!found.missing.empty() && m_onMissing) {
        m_onMissing(TextFromNative(found.missing));
    }
    // A failed open leaves the file closed: the transfer then sends nothing it has not read.
    return m_file.Open(found.path);
}

std::optional<std::uint64_t> LayoutFolderSource::Length() {
    return m_file.Length();
}

bool LayoutFolderSource::Read(std::uint8_t* data, std::size_t count) {
    return m_file.Read(data, count);
}

std::string TransferProtocol::WireName(const std::wstring& name) {
    std::string bytes;
    bytes.reserve(name.size());
    for (const wchar_t c : name) {
        const auto code = static_cast<std::uint32_t>(c);
        bytes += code <= 0xFF ? static_cast<char>(code) : '?';
    }
    return bytes;
}

void TransferProtocol::Begin(const std::wstring& name) {
    m_state = kGreetingSent;
    m_refused = false;
    m_stepSent = false;
    m_lastBlockOut = false;
    m_remaining = 0;
    m_name = name;
}

TransferProtocol::Step TransferProtocol::Greeting(TransferSource& source) {
    // Checked before connecting, so that nothing at all goes out for a file that cannot be
    // described; the length taken after opening is checked again in case the file grew.
    if (const auto size = source.SizeOf(m_name); size && *size >= kLengthLimit) {
        return Fail(Problem::TooLarge);
    }
    return Step{{'T', 'V', 'X'}, false, false, Problem::None};
}

TransferProtocol::Step TransferProtocol::OnAck(std::uint8_t byte, TransferSource& source) {
    switch (m_state) {
        case kGreetingSent:
        case kNameSent:
        case kSendingBlocks:
        case kLastBlockDue:
            break;
        case kFailed:
            // Input after a refusal is no fault of the receiver; after any other failure it
            // repeats the error.
            return m_refused ? Step{} : Fail(Problem::WrongAck);
        default:
            return Step{};
    }
    if (byte != kAck) {
        return Fail(Problem::WrongAck);
    }
    if (!m_stepSent) {
        return Fail(Problem::EarlyAck);
    }
    if (m_lastBlockOut) {
        m_state = kDone;
        return Step{{}, true, false, Problem::None};
    }
    m_stepSent = false;
    switch (m_state) {
        case kGreetingSent: {
            if (!source.Open(m_name)) {
                return Fail(Problem::ReadError);
            }
            const std::string wire = WireName(m_name);
            m_state = kNameSent;
            return Step{{wire.begin(), wire.end()}, false, false, Problem::None};
        }
        case kNameSent: {
            const auto length = source.Length();
            if (!length) {
                return Fail(Problem::ReadError);
            }
            if (*length >= kLengthLimit) {
                return Fail(Problem::TooLarge);
            }
            m_remaining = *length;
            m_state = m_remaining >= kBlockSize ? kSendingBlocks : kLastBlockDue;
            return Step{{static_cast<std::uint8_t>(m_remaining >> 16),
                         static_cast<std::uint8_t>(m_remaining >> 8),
                         static_cast<std::uint8_t>(m_remaining)},
                        false,
                        false,
                        Problem::None};
        }
        case kSendingBlocks: {
            Step step = SendBlock(kBlockSize, source);
            if (step.problem == Problem::None) {
                m_state = m_remaining >= kBlockSize ? kSendingBlocks : kLastBlockDue;
            }
            return step;
        }
        default: {
            Step step = SendBlock(static_cast<std::size_t>(m_remaining), source);
            if (step.problem == Problem::None) {
                step.finish = true;
                m_lastBlockOut = true;
            }
            return step;
        }
    }
}

bool TransferProtocol::OnEnd() {
    if (m_state != kLastBlockDue || !m_lastBlockOut || !m_stepSent) {
        return false;
    }
    m_state = kDone;
    return true;
}

TransferProtocol::Step TransferProtocol::SendBlock(std::size_t size, TransferSource& source) {
    Step step;
    step.send.resize(size);
    if (size > 0 && !source.Read(step.send.data(), size)) {
        return Fail(Problem::ReadError);
    }
    m_remaining -= size;
    return step;
}

TransferProtocol::Step TransferProtocol::Fail(Problem problem) {
    m_state = kFailed;
    m_refused = problem == Problem::TooLarge;
    Step step;
    step.close = true;
    step.problem = problem;
    return step;
}
