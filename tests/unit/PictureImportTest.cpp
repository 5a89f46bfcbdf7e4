// A picture chosen outside the layout folder is brought into it under its bare name, whole; one
// of the folder's own, or the same bytes under that name, is left as it is; a different file of
// that name waits for the user's word.
#include "model/PictureImport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "PictureBytes.h"
#include "TempFolder.h"
#include "model/PictureHeader.h"

namespace {

ino_t InodeOf(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

TEST(PictureImport, APictureFromElsewhereIsCopiedInAndTheFoldersOwnAreLeftAlone) {
    const std::string mine = Picture(3000, 1);
    const std::string theirs = Picture(3000, 2);
    struct Case {
        const char* what;
        std::function<void(const TempFolder& folder, const TempFolder& elsewhere)> make;
        std::string chosen;  ///< in "elsewhere", or "folder/NAME" for the layout folder's own
        bool replace;
        ImportOutcome outcome;
        std::string inFolder;  ///< pic.png in the layout folder afterwards; empty: not there
        bool untouched;        ///< what was at pic.png in the folder is there as it was
    };
    const auto write = [](const std::string& bytes) {
        return [bytes](const TempFolder&, const TempFolder& elsewhere) {
            elsewhere.Write("pic.png", bytes);
        };
    };
    const Case cases[] = {
        {"new to the folder", write(mine), "pic.png", false, ImportOutcome::Copied, mine, false},
        {"the folder's own, chosen there",
         [&](const TempFolder& folder, const TempFolder&) { folder.Write("pic.png", theirs); },
         "folder/pic.png", false, ImportOutcome::InFolder, theirs, true},
        {"the same bytes under that name",
         [&](const TempFolder& folder, const TempFolder& elsewhere) {
             folder.Write("pic.png", mine);
             elsewhere.Write("pic.png", mine);
         },
         "pic.png", false, ImportOutcome::InFolder, mine, true},
        {"another picture of that name: the user decides",
         [&](const TempFolder& folder, const TempFolder& elsewhere) {
             folder.Write("pic.png", theirs);
             elsewhere.Write("pic.png", mine);
         },
         "pic.png", false, ImportOutcome::NameTaken, theirs, true},
        {"another picture of that name, replaced",
         [&](const TempFolder& folder, const TempFolder& elsewhere) {
             folder.Write("pic.png", theirs);
             elsewhere.Write("pic.png", mine);
         },
         "pic.png", true, ImportOutcome::Copied, mine, false},
        {"no picture", write(Pattern(500)), "pic.png", false, ImportOutcome::Failed, "", false},
        {"a cut picture header", write(kPixel.substr(0, 20)), "pic.png", false,
         ImportOutcome::Failed, "", false},
        {"larger than a picture file may be",
         [](const TempFolder&, const TempFolder& elsewhere) {
             elsewhere.Write("pic.png", kPixel);
             ::truncate(elsewhere.At("pic.png").c_str(), kMostPictureFileBytes + 1);
         },
         "pic.png", false, ImportOutcome::Failed, "", false},
        {"gone meanwhile", [](const TempFolder&, const TempFolder&) {}, "pic.png", false,
         ImportOutcome::Failed, "", false},
        {"a folder of that name in the layout folder",
         [&](const TempFolder& folder, const TempFolder& elsewhere) {
             std::filesystem::create_directory(folder.At("pic.png"));
             elsewhere.Write("pic.png", mine);
         },
         "pic.png", true, ImportOutcome::Failed, "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const TempFolder folder("tvx-import");
        const TempFolder elsewhere("tvx-elsewhere");
        c.make(folder, elsewhere);
        const ino_t before = InodeOf(folder.At("pic.png"));
        const std::string chosen = c.chosen.rfind("folder/", 0) == 0 ? folder.At(c.chosen.substr(7))
                                                                     : elsewhere.At(c.chosen);
        std::string reason;
        EXPECT_EQ(ImportPicture(chosen, folder.Path(), c.replace, &reason), c.outcome);
        EXPECT_EQ(reason.empty(), c.outcome != ImportOutcome::Failed) << reason;
        if (!c.inFolder.empty()) {
            EXPECT_TRUE(folder.Read("pic.png") == c.inFolder);
        }
        if (before != 0) {
            EXPECT_EQ(InodeOf(folder.At("pic.png")) == before, c.untouched);
        }
        for (const std::string& name : folder.Names()) {
            EXPECT_EQ(name, "pic.png") << "nothing else is left in the folder";
        }
    }
}

}  // namespace
