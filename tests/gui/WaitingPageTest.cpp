// The page a panel that starts by itself shows while its folder holds no layout it can start on:
// what it says, and that it ends the moment the folder holds a layout and the pictures the panel
// cannot do without.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <wx/display.h>

#include "GuiTestSupport.h"
#include "ModalScript.h"
#include "app/WaitingPage.h"
#include "link/PanelAddress.h"
#include "model/LayoutFormat.h"
#include "model/Paths.h"
#include "model/StartOptions.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

/// A whole layout file whose start page is called `name`.
std::string LayoutNamed(const std::wstring& name) {
    auto layout = SmallLayout();
    layout->Page(0).PageName = name;
    return LayoutFormat::FormatLayout(*layout);
}

/// The commands the page shows for this machine.
std::vector<wxString> CommandsForThisPanel() {
    std::vector<wxString> commands;
    for (const std::string& address : ReachableAddresses(ListInterfaceAddresses())) {
        commands.push_back("tvx-send FOLDER " + address);
    }
    return commands.empty() ? std::vector<wxString>{"tvx-send FOLDER ADDRESS"} : commands;
}

std::vector<wxString> Commands(const WaitingPage& page) {
    std::vector<wxString> commands;
    for (const wxString& line : page.Lines()) {
        if (line.StartsWith("tvx-send ")) {
            commands.push_back(line);
        }
    }
    return commands;
}

TEST(WaitingPage, IsNotShownWhenTheFolderHoldsWhatThePanelStartsOn) {
    const std::string whole = LayoutNamed(L"Whole");
    struct Case {
        const char* what;
        std::function<void(const LayoutFolder&)> put;
        bool ready;
        wxString says;  ///< the first line when not ready
    };
    const Case cases[] = {
        {"a layout and the pictures", [&](const LayoutFolder& f) { f.Write("tvxdef.ini", whole); },
         true, ""},
        {"a cut-off layout and its whole backup",
         [&](const LayoutFolder& f) {
             f.Write("tvxdef.ini", whole.substr(0, 500));
             f.Write("tvxdef.ini.bak", whole);
         },
         true, ""},
        {"nothing", [](const LayoutFolder&) {}, false, "This panel has no layout in %s yet."},
        {"a cut-off layout", [&](const LayoutFolder& f) { f.Write("tvxdef.ini", "Tolvamix"); },
         false, "The layout in %s cannot be used:"},
        {"a layout without the menu picture",
         [&](const LayoutFolder& f) {
             f.Write("tvxdef.ini", whole);
             fs::remove(f.At("TvxMenu.png"));
         },
         false, "The layout has arrived in %s,"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakePrompter prompter;
        SetPrompter(&prompter);
        const LayoutFolder folder;
        c.put(folder);
        const File file;
        WaitingPage page(folder.WidePath(), file);
        EXPECT_EQ(page.Ready(), c.ready);
        if (c.ready) {
            continue;
        }
        EXPECT_EQ(page.GetTitle(), "Waiting for a layout");
        EXPECT_EQ(page.Lines().front(), wxString::Format(c.says, folder.Path()));
        EXPECT_EQ(Commands(page), CommandsForThisPanel());
        // A close request (a desktop's close keys) ends the program as "Quit" does.
        page.Close();
        EXPECT_EQ(prompter.exitCode, ExitCodes::kQuit);
    }
}

// Covering the screen, the page follows the folder as a receiver fills it: a folder made, a file
// that is cut off, a layout without its pictures, then the pictures; it ends within a few looks.
TEST(WaitingPage, EndsTheMomentALayoutAndItsPicturesHaveArrived) {
    FakePrompter prompter;
    SetPrompter(&prompter);
    const TempFolder temp("tvx-waiting");
    const std::string folder = temp.At("panel");
    const LayoutFolder pictures;
    const File file;
    WaitingPage page(TextFromNative(folder), file);
    ASSERT_FALSE(page.Ready());
    const auto says = [&page](const wxString& line) {
        return WaitFor([&] { return page.Lines().size() > 1 && page.Lines()[1] == line; });
    };
    Clock::time_point complete;
    ModalScript script;
    script.Then([&](wxDialog& shown) {
        EXPECT_EQ(&shown, &page);
        EXPECT_TRUE(WaitFor([&] {
            return wxRect(page.GetScreenPosition(), page.GetClientSize())
                .Contains(wxDisplay(0u).GetGeometry());
        })) << "not over the whole screen";
        fs::create_directory(folder);
        std::ofstream(folder + "/tvxdef.ini", std::ios::binary) << "Tolvamix :-)\r\n";
        EXPECT_TRUE(says("no \"EndOfFile\" line at the end of " + folder + "/tvxdef.ini"));
        std::ofstream(folder + "/tvxdef.ini", std::ios::binary) << LayoutNamed(L"Arrived");
        EXPECT_TRUE(says("but it cannot start without TvxMenu.png and defaultButton.png."));
        fs::copy_file(pictures.At("TvxMenu.png"), folder + "/TvxMenu.png");
        EXPECT_TRUE(says("but it cannot start without defaultButton.png."));
        EXPECT_TRUE(page.IsModal());
        fs::copy_file(pictures.At("defaultButton.png"), folder + "/defaultButton.png");
        complete = Clock::now();
    });
    EXPECT_EQ(page.ShowModal(), wxID_OK);
    EXPECT_TRUE(script.Done());
    EXPECT_LT(Clock::now() - complete, std::chrono::seconds(2));
    EXPECT_EQ(prompter.exitCode, -1);
    EXPECT_TRUE(prompter.messages.empty());
}

}  // namespace
