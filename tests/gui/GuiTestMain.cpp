// The GUI test program: a real application object and event loop under Xvfb. An assert or a
// logged error fails the running test instead of opening a modal box that would hang the run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/log.h>

#include "TestResources.h"

namespace {

class TestApp : public wxApp {
  public:
    bool OnInit() override {
        wxInitAllImageHandlers();
        return true;
    }
};

void FailOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond,
                  const wxString& msg) {
    ADD_FAILURE() << "wx assert at " << file << ":" << line << " in " << func << ": " << cond << " "
                  << msg;
}

/// Errors and warnings fail the test; everything else is dropped.
class FailingLog : public wxLog {
  protected:
    void DoLogRecord(wxLogLevel level, const wxString& msg, const wxLogRecordInfo&) override {
        if (level <= wxLOG_Warning) {
            ADD_FAILURE() << "logged: " << msg;
        }
    }
};

/// Under CTest the window tests share a few X screens, which a fixture starts, and CTest's
/// resource allocation gives each test one that no other test uses meanwhile: TVX_SCREENS names
/// the files that hold their displays ("FOLDER/NAME" for FOLDER/NAME-K.display), the resource
/// NAME the screen K this test has. False when the screen given cannot be read.
bool UseSharedScreen() {
    const char* screens = std::getenv("TVX_SCREENS");
    if (screens == nullptr) {
        return true;
    }
    std::string type = std::filesystem::path(screens).filename().string();
    std::replace(type.begin(), type.end(), '-', '_');
    const std::optional<std::string> id = GivenResource(type);
    if (!id) {
        std::fprintf(stderr, "no test screen allocated (resource %s): run through ctest\n",
                     type.c_str());
        return false;
    }
    const std::string file = std::string(screens) + "-" + *id + ".display";
    std::string display;
    std::ifstream(file) >> display;
    if (display.empty()) {
        std::fprintf(stderr, "no display in %s: is the test screen running?\n", file.c_str());
        return false;
    }
    return ::setenv("DISPLAY", display.c_str(), 1) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // Listing the tests needs no screen.
    if (GTEST_FLAG_GET(list_tests)) {
        return RUN_ALL_TESTS();
    }
    if (!YieldToTheTimedTests() || !UseSharedScreen()) {
        return 1;
    }
    // No desktop settings service under Xvfb: GTK keeps its settings in memory.
    ::setenv("GSETTINGS_BACKEND", "memory", 0);
    wxApp::SetInstance(new TestApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
        std::fprintf(stderr, "cannot start the toolkit (no display?)\n");
        return 1;
    }
    wxSetAssertHandler(FailOnAssert);
    delete wxLog::SetActiveTarget(new FailingLog);
    int result = 0;
    {
        wxGUIEventLoop loop;
        wxEventLoopActivator active(&loop);
        result = RUN_ALL_TESTS();
    }
    wxTheApp->OnExit();
    wxEntryCleanup();
    return result;
}
