#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/LinkReport.h"

using namespace std::chrono_literals;

namespace {

const std::string kAddress = "192.168.1.50";

/// The lines as "<level>text", for comparing.
std::vector<std::string> Shown(const std::vector<LinkReport::Line>& lines) {
    std::vector<std::string> shown;
    for (const LinkReport::Line& line : lines) {
        shown.push_back("<" + std::to_string(static_cast<int>(line.level)) + ">" + line.text);
    }
    return shown;
}

using Lines = std::vector<std::string>;

}  // namespace

TEST(LinkReport, TellsALossAndTheReturnWithHowLongTheLinkWasDown) {
    LinkReport report;
    const auto start = LinkReport::Clock::now();
    // Down on every tick until the first connection, which comes quickly: no loss to tell.
    EXPECT_EQ(Shown(report.Down(kAddress, start)), Lines{});
    EXPECT_EQ(Shown(report.Down(kAddress, start + 100ms)), Lines{});
    EXPECT_EQ(Shown(report.Up(kAddress, start + 300ms)),
              Lines{"<6>link up: controller at 192.168.1.50"});
    EXPECT_EQ(Shown(report.Up(kAddress, start + 400ms)), Lines{});

    EXPECT_EQ(Shown(report.Down(kAddress, start + 10s)),
              Lines{"<4>link down: lost the controller at 192.168.1.50"});
    for (auto tick = start + 10s; tick < start + 22s; tick += 100ms) {
        EXPECT_EQ(Shown(report.Down(kAddress, tick)), Lines{});
    }
    EXPECT_EQ(Shown(report.Up(kAddress, start + 22s + 500ms)),
              Lines{"<6>link up: controller at 192.168.1.50, down for 12 s"});
}

TEST(LinkReport, AControllerThatDoesNotAnswerFromTheStartIsToldOnce) {
    LinkReport report;
    const auto start = LinkReport::Clock::now();
    Lines told;
    for (auto tick = start; tick < start + 3min; tick += 100ms) {
        for (const std::string& line : Shown(report.Down(kAddress, tick))) {
            told.push_back(line);
        }
    }
    EXPECT_EQ(told, Lines{"<4>link down: no answer from the controller at 192.168.1.50 for 5.0 s"});
    EXPECT_EQ(Shown(report.Up(kAddress, start + 3min + 5s)),
              Lines{"<6>link up: controller at 192.168.1.50, down for 3 min 5 s"});

    // Another address: its first connection is a first one again.
    report.Closed();
    EXPECT_EQ(Shown(report.Down("10.0.0.7", start + 4min)), Lines{});
    EXPECT_EQ(Shown(report.Up("10.0.0.7", start + 4min + 1s)),
              Lines{"<6>link up: controller at 10.0.0.7"});
}

// A controller that drops the link every few hundred milliseconds for ten minutes: a few lines a
// minute, and a summary at the end of each minute that says how often and how the link is now.
TEST(LinkReport, AFlappingControllerIsSummarisedOnceAMinute) {
    LinkReport report;
    const auto start = LinkReport::Clock::now();
    report.Down(kAddress, start);
    report.Up(kAddress, start + 100ms);
    std::vector<std::pair<LinkReport::Clock::duration, std::string>> told;
    const auto keep = [&](LinkReport::Clock::time_point at,
                          const std::vector<LinkReport::Line>& lines) {
        for (const std::string& line : Shown(lines)) {
            told.emplace_back(at - start, line);
        }
    };
    int losses = 0;
    for (auto tick = start + 1s; tick < start + 10min; tick += 100ms) {
        const long step = (tick - start) / 100ms;
        if (step % 7 == 0) {
            keep(tick, report.Down(kAddress, tick));
            ++losses;
        } else if (step % 7 == 3) {
            keep(tick, report.Up(kAddress, tick));
        } else {
            keep(tick, report.Tick(tick));
        }
    }
    ASSERT_GT(losses, 800);
    // A minute's allowance and its summary; any minute of the clock meets two allowances at most.
    EXPECT_LE(told.size(), 10u * (LinkReport::kMostLines + 1) + LinkReport::kMostLines);
    for (auto from = 0s; from < 10min; from += 10s) {
        int inMinute = 0;
        for (const auto& [at, line] : told) {
            inMinute += at >= from && at < from + 1min ? 1 : 0;
        }
        EXPECT_LE(inMinute, 2 * LinkReport::kMostLines + 1) << "from " << from.count() << " s";
    }
    // Each loss is told line by line or counted in a summary.
    int counted = 0;
    int summaries = 0;
    for (const auto& [at, line] : told) {
        const std::string lost = "<4>link to the controller at 192.168.1.50 lost ";
        if (line.rfind(lost, 0) == 0) {
            ++summaries;
            counted += std::stoi(line.substr(lost.size()));
            EXPECT_NE(line.find(" more times in the last 1 min 0 s; "), std::string::npos) << line;
        } else if (line.rfind("<4>link down: lost", 0) == 0) {
            ++counted;
        }
    }
    EXPECT_GE(summaries, 8);
    // The losses of the last minute, not yet over, are still to be summarised.
    EXPECT_GT(counted, losses - 100);
    EXPECT_LE(counted, losses);
}

TEST(LinkReport, DurationsReadAsPeopleSayThem) {
    const struct {
        std::chrono::milliseconds duration;
        std::string text;
    } cases[] = {
        {0ms, "0.0 s"},      {450ms, "0.4 s"},  {9999ms, "9.9 s"},
        {10s, "10 s"},       {59999ms, "59 s"}, {60s, "1 min 0 s"},
        {185s, "3 min 5 s"}, {-5ms, "0.0 s"},   {26h, "1560 min 0 s"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(JournalDuration(c.duration), c.text) << c.duration.count();
    }
}
