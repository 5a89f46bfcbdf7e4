#include "model/LinkReport.h"

#include <cstdio>

std::string JournalDuration(std::chrono::milliseconds duration) {
    const long long ms = duration.count() < 0 ? 0 : duration.count();
    char text[48];
    if (ms < 10000) {
        std::snprintf(text, sizeof text, "%lld.%lld s", ms / 1000, ms % 1000 / 100);
    } else if (ms < 60000) {
        std::snprintf(text, sizeof text, "%lld s", ms / 1000);
    } else {
        std::snprintf(text, sizeof text, "%lld min %lld s", ms / 60000, ms % 60000 / 1000);
    }
    return text;
}

namespace {

std::chrono::milliseconds Since(LinkReport::Clock::time_point then,
                                LinkReport::Clock::time_point now) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(now - then);
}

}  // namespace

std::vector<LinkReport::Line> LinkReport::Down(const std::string& address, Clock::time_point now) {
    std::vector<Line> lines = Tick(now);
    if (m_state == State::Down ||
        (m_state == State::First && m_address == address && m_downSince != Clock::time_point())) {
        return lines;
    }
    m_address = address;
    m_downSince = now;
    m_downTold = false;
    if (m_state == State::Up) {
        m_state = State::Down;
        m_downTold = true;
        Tell(lines, {Journal::Level::Warning, "link down: lost the controller at " + address}, now);
    }
    return lines;
}

std::vector<LinkReport::Line> LinkReport::Up(const std::string& address, Clock::time_point now) {
    std::vector<Line> lines = Tick(now);
    if (m_state == State::Up) {
        return lines;
    }
    const std::string waited = JournalDuration(Since(m_downSince, now));
    if (m_state == State::First && !m_downTold) {
        Tell(lines, {Journal::Level::Info, "link up: controller at " + address}, now);
    } else {
        Tell(lines,
             {Journal::Level::Info, "link up: controller at " + address + ", down for " + waited},
             now);
    }
    m_state = State::Up;
    m_address = address;
    m_downTold = false;
    return lines;
}

std::vector<LinkReport::Line> LinkReport::Tick(Clock::time_point now) {
    std::vector<Line> lines;
    if (m_minuteOpen && now - m_minuteStart >= kMinute) {
        if (m_untoldLosses > 0) {
            const std::string how =
                m_state == State::Up ? "up now"
                                     : "down now, for " + JournalDuration(Since(m_downSince, now));
            lines.push_back({Journal::Level::Warning,
                             "link to the controller at " + m_address + " lost " +
                                 std::to_string(m_untoldLosses) + " more times in the last " +
                                 JournalDuration(Since(m_minuteStart, now)) + "; " + how});
        }
        m_minuteOpen = false;
        m_linesThisMinute = 0;
        m_untoldLosses = 0;
    }
    if (m_state == State::First && !m_downTold && m_downSince != Clock::time_point() &&
        now - m_downSince >= kFirstAnswerTime) {
        m_downTold = true;
        m_state = State::Down;
        Tell(lines,
             {Journal::Level::Warning, "link down: no answer from the controller at " + m_address +
                                           " for " + JournalDuration(Since(m_downSince, now))},
             now);
    }
    return lines;
}

void LinkReport::Closed() {
    m_state = State::First;
    m_downSince = Clock::time_point();
    m_downTold = false;
}

void LinkReport::Tell(std::vector<Line>& lines, Line line, Clock::time_point now) {
    if (!m_minuteOpen) {
        m_minuteOpen = true;
        m_minuteStart = now;
    }
    if (m_linesThisMinute < kMostLines) {
        ++m_linesThisMinute;
        lines.push_back(std::move(line));
    } else if (line.level == Journal::Level::Warning) {
        ++m_untoldLosses;
    }
}
