#include "SimDecoder.h"

namespace {

constexpr std::uint8_t kX = 0x78;
constexpr std::uint8_t kOne = 0x31;
constexpr std::uint8_t kPress = 0x31;
constexpr std::uint8_t kRelease = 0x32;
constexpr std::uint8_t kRequest = 0x33;

/// True when the bytes from `at` are a message or the start of one the rest may complete.
bool MayStartMessage(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    const std::size_t left = bytes.size() - at;
    if (bytes[at] != kX) {
        return false;
    }
    if (left >= 2 && bytes[at + 1] != kOne) {
        return false;
    }
    if (left >= 3) {
        const std::uint8_t kind = bytes[at + 2];
        return kind == kPress || kind == kRelease || kind == kRequest;
    }
    return true;
}

void AddGarbage(std::vector<SimEvent>& events, std::size_t count) {
    if (count > 0) {
        events.push_back({SimEvent::Kind::Garbage, static_cast<int>(count)});
    }
}

}  // namespace

std::vector<SimEvent> SimDecoder::Feed(const std::uint8_t* data, std::size_t size) {
    std::vector<SimEvent> events;
    if (data == nullptr || size == 0) {
        return events;
    }
    std::vector<std::uint8_t> bytes;
    bytes.reserve(m_pending.size() + size);
    bytes.insert(bytes.end(), m_pending.begin(), m_pending.end());
    bytes.insert(bytes.end(), data, data + size);
    m_pending.clear();

    std::size_t at = 0;
    std::size_t garbage = 0;
    while (at < bytes.size()) {
        if (!MayStartMessage(bytes, at)) {
            ++garbage;
            ++at;
            continue;
        }
        const std::size_t left = bytes.size() - at;
        if (left < 3) {
            break;
        }
        const std::uint8_t kind = bytes[at + 2];
        if (kind == kRequest) {
            AddGarbage(events, garbage);
            garbage = 0;
            events.push_back({SimEvent::Kind::StateRequest, 0});
            at += 3;
            continue;
        }
        if (left < 5) {
            break;
        }
        AddGarbage(events, garbage);
        garbage = 0;
        const int value = bytes[at + 3] * 256 + bytes[at + 4];
        events.push_back({kind == kPress ? SimEvent::Kind::Press : SimEvent::Kind::Release, value});
        at += 5;
    }
    AddGarbage(events, garbage);
    m_pending.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.end());
    return events;
}

std::vector<SimEvent> SimDecoder::Finish() {
    std::vector<SimEvent> events;
    AddGarbage(events, m_pending.size());
    m_pending.clear();
    return events;
}
