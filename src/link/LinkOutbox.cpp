#include "link/LinkOutbox.h"

#include <algorithm>

#include "link/LinkMessages.h"

bool LinkOutbox::Press(int taster, const Writer& write) {
    if (!m_waiting.empty()) {
        return false;
    }
    const ButtonMessage press = PressMessage(taster);
    Message message{{press.begin(), press.end()}, write(press.data(), press.size())};
    if (message.sent == 0) {
        return false;
    }
    if (m_held.size() == kMostHeld) {
        m_held.erase(m_held.begin());
    }
    m_held.push_back(taster);
    if (message.sent < message.bytes.size()) {
        m_waiting.push_back(std::move(message));
    }
    return true;
}

bool LinkOutbox::Release(int taster, const Writer& write) {
    const auto held = std::find(m_held.begin(), m_held.end(), taster);
    if (held == m_held.end()) {
        return false;
    }
    m_held.erase(held);
    const ButtonMessage release = ReleaseMessage(taster);
    Queue({release.begin(), release.end()}, write);
    return true;
}

void LinkOutbox::StateRequest(const Writer& write) {
    const auto request = ::StateRequest();
    const std::vector<std::uint8_t> bytes(request.begin(), request.end());
    const bool waits = std::any_of(m_waiting.begin(), m_waiting.end(), [&bytes](const Message& m) {
        return m.sent == 0 && m.bytes == bytes;
    });
    if (!waits) {
        Queue(bytes, write);
    }
}

void LinkOutbox::Queue(std::vector<std::uint8_t> bytes, const Writer& write) {
    m_waiting.push_back(Message{std::move(bytes), 0});
    Flush(write);
}

void LinkOutbox::Flush(const Writer& write) {
    while (!m_waiting.empty()) {
        Message& front = m_waiting.front();
        const std::size_t left = front.bytes.size() - front.sent;
        const std::size_t taken = std::min(write(front.bytes.data() + front.sent, left), left);
        front.sent += taken;
        if (taken < left) {
            return;
        }
        m_waiting.pop_front();
    }
}

void LinkOutbox::Clear() {
    m_waiting.clear();
    m_held.clear();
}

std::size_t LinkOutbox::Waiting() const {
    std::size_t bytes = 0;
    for (const Message& message : m_waiting) {
        bytes += message.bytes.size() - message.sent;
    }
    return bytes;
}
