#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "model/Journal.h"

/// What the journal is told about the controller link: the link lost (a warning), and back
/// with how long it was down; a controller that does not answer from the start is told once it
/// has stayed silent for kFirstAnswerTime. A controller that comes and goes is summarised: at
/// most kMostLines such lines in a minute, then, once the minute is over, one line with how
/// often the link was lost meanwhile and how it is now. The clock is handed in.
class LinkReport {
  public:
    using Clock = std::chrono::steady_clock;

    static constexpr int kMostLines = 4;
    static constexpr std::chrono::seconds kMinute{60};
    /// A first connection (at the start, or to a new address) this slow is worth a line.
    static constexpr std::chrono::seconds kFirstAnswerTime{5};

    struct Line {
        Journal::Level level;
        std::string text;
    };

    /// The link is down at `now` (said again on every tick while it stays down).
    std::vector<Line> Down(const std::string& address, Clock::time_point now);
    /// The link is up at `now`.
    std::vector<Line> Up(const std::string& address, Clock::time_point now);
    /// The link timer's tick: the summary of a minute that is over, a first answer overdue.
    std::vector<Line> Tick(Clock::time_point now);
    /// The link is closed on purpose (another address or mode): the next connection is a
    /// first one.
    void Closed();

  private:
    enum class State { First, Up, Down };

    /// Adds a line of news within the minute's allowance, else counts it for the summary.
    void Tell(std::vector<Line>& lines, Line line, Clock::time_point now);

    State m_state = State::First;
    std::string m_address;
    Clock::time_point m_downSince;
    /// The link is down and the journal has been told so.
    bool m_downTold = false;
    /// The minute whose allowance is being used, since the first line of it.
    bool m_minuteOpen = false;
    Clock::time_point m_minuteStart;
    int m_linesThisMinute = 0;
    /// Losses of the link not told line by line this minute.
    int m_untoldLosses = 0;
};

/// "0.4 s", "12 s", "3 min 5 s": how long something took, for a line of the journal.
std::string JournalDuration(std::chrono::milliseconds duration);
