// The layout the panel starts on, from what lies in its folder: never a file cut off before its
// end, the whole backup in its place, and nothing written.
#include "model/StartLayout.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "LayoutSamples.h"
#include "TempFolder.h"
#include "model/LayoutFormat.h"
#include "model/Paths.h"

namespace {

/// A whole layout file whose start page is called `name`.
std::string LayoutNamed(const std::wstring& name) {
    auto layout = NewLayout();
    layout->Page(0).PageName = name;
    return LayoutFormat::FormatLayout(*layout);
}

TEST(StartLayout, AFileCutOffRunsOnItsWholeBackupAndNothingElseDoes) {
    const std::string file = LayoutNamed(L"File");
    const std::string cut = file.substr(0, file.size() / 2);
    const std::string backup = LayoutNamed(L"Backup");
    struct Case {
        const char* what;
        std::function<void(const TempFolder&)> put;
        FileStatus status;
        bool fromBackup;
        std::wstring startPage;  ///< of the layout loaded; empty: nothing loaded
    };
    const Case cases[] = {
        {"a whole file", [&](const TempFolder& f) { f.Write("tvxdef.ini", file); }, FileStatus::Ok,
         false, L"File"},
        {"a whole file and a backup",
         [&](const TempFolder& f) {
             f.Write("tvxdef.ini", file);
             f.Write("tvxdef.ini.bak", backup);
         },
         FileStatus::Ok, false, L"File"},
        {"no file, a backup", [&](const TempFolder& f) { f.Write("tvxdef.ini.bak", backup); },
         FileStatus::Missing, false, L""},
        {"cut off, a whole backup",
         [&](const TempFolder& f) {
             f.Write("tvxdef.ini", cut);
             f.Write("tvxdef.ini.bak", backup);
         },
         FileStatus::Incomplete, true, L"Backup"},
        {"cut off, the backup cut off too",
         [&](const TempFolder& f) {
             f.Write("tvxdef.ini", cut);
             f.Write("tvxdef.ini.bak", backup.substr(0, 100));
         },
         FileStatus::Incomplete, false, L""},
        {"cut off, no backup", [&](const TempFolder& f) { f.Write("tvxdef.ini", cut); },
         FileStatus::Incomplete, false, L""},
        {"cut off behind a link, the backup beside the file it leads to",
         [&](const TempFolder& f) {
             std::filesystem::create_directory(f.At("real"));
             f.Write("real/tvxdef.ini", cut);
             f.Write("real/tvxdef.ini.bak", backup);
             f.Write("tvxdef.ini.bak", LayoutNamed(L"Beside the link"));
             std::filesystem::create_symlink("real/tvxdef.ini", f.At("tvxdef.ini"));
         },
         FileStatus::Incomplete, true, L"Backup"},
        {"a folder in its place: no backup stands in for what cannot be read",
         [&](const TempFolder& f) {
             std::filesystem::create_directory(f.At("tvxdef.ini"));
             f.Write("tvxdef.ini.bak", backup);
         },
         FileStatus::Failed, false, L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const TempFolder folder("tvx-start");
        c.put(folder);
        const auto before = FilesIn(folder.Path());
        auto layout = NewLayout();
        layout->Form.LayoutDirectory = folder.WidePath();
        layout->Page(0).PageName = L"Not loaded";
        const StartLoad load = LoadStartLayout(File(), *layout);
        EXPECT_EQ(load.status, c.status);
        EXPECT_EQ(load.fromBackup, c.fromBackup);
        EXPECT_EQ(load.Loaded(), !c.startPage.empty());
        EXPECT_EQ(load.problem.empty(),
                  c.status == FileStatus::Ok || c.status == FileStatus::Missing)
            << load.problem;
        EXPECT_EQ(layout->Page(0).PageName, c.startPage.empty() ? L"Not loaded" : c.startPage);
        EXPECT_TRUE(FilesIn(folder.Path()) == before) << "the folder changed";
    }
}

TEST(StartLayout, TheMenuAndDefaultPicturesMustBePictures) {
    const TempFolder folder("tvx-start");
    const std::string demo = std::string(TVX_SOURCE_DIR) + "/demo/";
    EXPECT_EQ(MissingRequiredPictures(folder.WidePath()),
              (std::vector<std::wstring>{L"TvxMenu.png", L"defaultButton.png"}));
    std::filesystem::copy_file(demo + "TvxMenu.png", folder.At("TvxMenu.png"));
    folder.Write("defaultButton.png", "no picture");
    EXPECT_EQ(MissingRequiredPictures(folder.WidePath()),
              std::vector<std::wstring>{L"defaultButton.png"});
    // A copy cut off on its way: its header is sound, the panel could not show it.
    std::ifstream demoButton(demo + "defaultButton.png", std::ios::binary);
    const std::string whole(std::istreambuf_iterator<char>(demoButton), {});
    folder.Write("defaultButton.png", whole.substr(0, whole.size() / 2));
    EXPECT_EQ(MissingRequiredPictures(folder.WidePath()),
              std::vector<std::wstring>{L"defaultButton.png"});
    std::filesystem::copy_file(demo + "defaultButton.png", folder.At("defaultButton.png"),
                               std::filesystem::copy_options::overwrite_existing);
    EXPECT_TRUE(MissingRequiredPictures(folder.WidePath()).empty());
}

}  // namespace
