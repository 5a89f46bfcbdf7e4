// What the real panel tells the journal: its standard error, named in JOURNAL_STREAM as the
// service manager names the journal's stream, read line by line with the priorities.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <thread>

#include "PanelOnScreen.h"
#include "model/LayoutFormat.h"
#include "model/LinkReport.h"
#include "model/Paths.h"

using namespace std::chrono_literals;

namespace {

/// Waits for the next line of the panel that starts with `start`; the lines passed on the way
/// are kept in `seen` for a failure message.
std::string NextLine(PanelOnScreen& panel, const std::string& start, std::string& seen,
                     std::chrono::milliseconds timeout = 15s) {
    const auto deadline = Clock::now() + timeout;
    while (const auto line =
               panel.JournalLines().Next(std::chrono::milliseconds(RemainingMs(deadline)))) {
        seen += *line + "\n";
        if (line->rfind(start, 0) == 0) {
            return *line;
        }
    }
    ADD_FAILURE() << "no line \"" << start << "...\"; the panel said:\n" << seen;
    return std::string();
}

/// Puts a layout into the panel's folder as another program does: whole beside it, renamed.
void PutLayout(const PanelOnScreen& panel, const std::string& bytes) {
    const std::string path = panel.Folder() + "/tvxdef.ini";
    std::ofstream(path + ".new", std::ios::binary) << bytes;
    std::filesystem::rename(path + ".new", path);
}

}  // namespace

// A controller lost and back, a store, layouts that arrived (one taken, one cut off), pictures
// refused and missing, and "Quit": one line each, with its priority.
TEST(Journal, ThePanelTellsWhatHappensOnTheWall) {
    if (TheScreen().HasWindowManager()) {
        GTEST_SKIP() << "the lines do not depend on a window manager";
    }
    auto controller = std::make_unique<ControllerOnLoopback>();
    ASSERT_TRUE(controller->Listening());
    const std::array<int, 4> address = controller->Address();
    const std::string where = AddressText(address);
    PanelOnScreen panel(
        [&address](Layout& layout) {
            WriteLyingJpeg(NativeName(layout.Form.LayoutDirectory) + "/lying.jpg");
            layout.Button(0, 1).Image_File_Off = L"lying.jpg";
            layout.Button(0, 2).Image_File_Off = L"not-there.png";
            layout.Form.Form_ConnectModus = 1;
            layout.Form.Destination_IP = address;
        },
        PanelOnScreen::Start::BehindMessages);
    ClickMessageButton(panel.WaitMessageBoxOnTop());
    ASSERT_TRUE(panel.WaitForStartPage());
    std::string seen;

    EXPECT_TRUE(std::regex_match(NextLine(panel, "<6>start: ", seen),
                                 std::regex("<6>start: tolvamix 1\\.[^,]+, folder " +
                                            panel.Folder() + ", display 1280 x 1024")))
        << seen;
    EXPECT_EQ(NextLine(panel, "<4>picture refused: ", seen),
              "<4>picture refused: lying.jpg (20000 x 20000 pixels, at most 16 million are shown)");
    EXPECT_EQ(NextLine(panel, "<4>picture missing: ", seen),
              "<4>picture missing: not-there.png, the default picture is shown");
    EXPECT_EQ(NextLine(panel, "<6>link ", seen), "<6>link up: controller at " + where);

    // The controller goes (ended by its process id), and comes back at its address.
    controller.reset();
    EXPECT_EQ(NextLine(panel, "<4>link ", seen), "<4>link down: lost the controller at " + where);
    std::this_thread::sleep_for(1s);
    controller = std::make_unique<ControllerOnLoopback>(address);
    EXPECT_TRUE(std::regex_match(
        NextLine(panel, "<6>link ", seen),
        std::regex("<6>link up: controller at " + where + ", down for [0-9]\\.[0-9] s")))
        << seen;

    TheScreen().Click(panel.OpenMenu(), kMenuX, kMenuStoreY);
    EXPECT_EQ(NextLine(panel, "<6>store", seen), "<6>store: tvxdef.ini stored");
    TheScreen().Click(panel.WaitOnTop("Main Menü"), kMenuX, kMenuCloseY);
    ASSERT_TRUE(panel.WaitPanelOnTop());

    Layout arrived = panel.StartLayout();
    arrived.Form.Form_ConnectModus = 1;
    arrived.Form.Destination_IP = address;
    arrived.Page(0).PageName = L"Angekommen";
    const std::string bytes = LayoutFormat::FormatLayout(arrived);
    PutLayout(panel, bytes);
    EXPECT_EQ(NextLine(panel, "<6>new layout", seen), "<6>new layout: taken");
    PutLayout(panel, bytes.substr(0, bytes.size() / 2));
    EXPECT_EQ(NextLine(panel, "<4>new layout", seen)
                  .rfind("<4>new layout: cannot be used, the panel keeps its layout: ", 0),
              0u)
        << seen;
    ClickMessageButton(panel.WaitMessageBoxOnTop());
    ASSERT_TRUE(panel.WaitPanelOnTop());

    TheScreen().Click(panel.OpenMenu(), kMenuQuitX, kMenuQuitY);
    EXPECT_EQ(NextLine(panel, "<6>end", seen), "<6>end: Quit (exit code 0)");
    const auto status = panel.WaitExit();
    ASSERT_TRUE(status && WIFEXITED(*status));
    EXPECT_EQ(WEXITSTATUS(*status), 0);
    // The toolkit is started once, by the application: it has nothing to warn about at start.
    EXPECT_EQ(seen.find("Gtk-WARNING"), std::string::npos) << seen;
    // Each picture was told once, though the pages were loaded again.
    for (const std::string& line : {std::string("<4>picture refused: lying.jpg"),
                                    std::string("<4>picture missing: not-there.png")}) {
        std::size_t count = 0;
        for (std::size_t at = seen.find(line); at != std::string::npos;
             at = seen.find(line, at + 1)) {
            ++count;
        }
        EXPECT_EQ(count, 1u) << line << "\n" << seen;
    }
}

// A controller that drops the link every few hundred milliseconds: the panel reconnects each
// time, and tells the journal a few lines, not one for each loss.
TEST(Journal, AFlappingControllerGivesAFewLines) {
    if (TheScreen().HasWindowManager()) {
        GTEST_SKIP() << "the lines do not depend on a window manager";
    }
    ControllerOnLoopback controller;
    ASSERT_TRUE(controller.Listening());
    const std::array<int, 4> address = controller.Address();
    PanelOnScreen panel([&address](Layout& layout) {
        layout.Form.Form_ConnectModus = 1;
        layout.Form.Destination_IP = address;
    });
    ASSERT_TRUE(panel.Started());
    LineReader& sim = controller.Process().Out();
    int drops = 0;
    const auto end = Clock::now() + 8s;
    while (Clock::now() < end) {
        if (!sim.SkipTo("client connected", 5s)) {
            break;
        }
        std::this_thread::sleep_for(200ms);
        controller.Process().Write("drop\n");
        ++drops;
    }
    EXPECT_GE(drops, 10);
    std::this_thread::sleep_for(500ms);
    int linkLines = 0;
    std::string seen;
    while (const auto line = panel.JournalLines().Next(100ms)) {
        seen += *line + "\n";
        linkLines += line->find(">link ") != std::string::npos ? 1 : 0;
    }
    EXPECT_GT(linkLines, 0) << seen;
    EXPECT_LE(linkLines, LinkReport::kMostLines) << seen;
}
