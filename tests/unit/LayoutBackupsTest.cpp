// The versions a store keeps: the last five distinct ones, newest first, each a whole file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "model/LayoutBackups.h"

namespace {

/// What a place of the versions holds in a case: the bytes of a file, nothing, or a folder.
const std::string kFree = "<free>";
const std::string kFolder = "<folder>";

TEST(LayoutBackups, TheReplacedVersionGoesFirstAndTheOthersMoveBackAsFarAsNeeded) {
    struct Case {
        const char* name;
        std::vector<std::string> before;  ///< .bak, .bak.1, ... (missing ones at the end: free)
        std::vector<std::string> after;
        bool kept;
    };
    const Case cases[] = {
        {"no versions yet", {}, {"R"}, true},
        {"one", {"A"}, {"R", "A"}, true},
        {"five: the oldest is dropped", {"A", "B", "C", "D", "E"}, {"R", "A", "B", "C", "D"}, true},
        {"the same as the newest: nothing moves", {"R", "A"}, {"R", "A"}, true},
        {"the same further back: it moves to the front",
         {"A", "B", "R", "D", "E"},
         {"R", "A", "B", "D", "E"},
         true},
        {"the same as the oldest", {"A", "B", "C", "D", "R"}, {"R", "A", "B", "C", "D"}, true},
        {"a gap is filled, the versions behind it stay",
         {"A", kFree, "C", "D"},
         {"R", "A", "C", "D"},
         true},
        {"the newest missing", {kFree, "B"}, {"R", "B"}, true},
        {"a folder in the way: nothing moves", {"A", kFolder, "C"}, {"A", kFolder, "C"}, false},
        {"a folder behind a free place is never reached",
         {"A", kFree, kFolder},
         {"R", "A", kFolder},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TempFolder folder("tvx-backups");
        const LayoutBackups backups(folder.At("tvxdef.ini"));
        for (std::size_t place = 0; place < c.before.size(); ++place) {
            const std::string path = backups.PathOf(static_cast<int>(place));
            if (c.before[place] == kFolder) {
                std::filesystem::create_directory(path);
            } else if (c.before[place] != kFree) {
                folder.Write(path.substr(folder.Path().size() + 1), c.before[place]);
            }
        }
        std::string error;
        EXPECT_EQ(backups.Keep("R", 0604, &error), c.kept) << error;
        EXPECT_EQ(error.empty(), c.kept) << error;
        for (int place = 0; place < LayoutBackups::kKept; ++place) {
            const std::string path = backups.PathOf(place);
            const std::string expected =
                static_cast<std::size_t>(place) < c.after.size() ? c.after[place] : kFree;
            const std::string found = std::filesystem::is_directory(path) ? kFolder
                                      : std::filesystem::exists(path)     ? ReadFile(path)
                                                                          : kFree;
            EXPECT_EQ(found, expected) << path;
        }
        for (const std::string& name : folder.Names()) {
            EXPECT_EQ(name.rfind("tvxdef.ini.bak", 0), 0u) << "nothing else is left: " << name;
        }
    }
}

TEST(LayoutBackups, TheNewestGetsThePermissionsOfTheFileItWas) {
    const TempFolder folder("tvx-backups");
    const LayoutBackups backups(folder.At("tvxdef.ini"));
    EXPECT_EQ(backups.PathOf(0), folder.At("tvxdef.ini.bak"));
    EXPECT_EQ(backups.PathOf(4), folder.At("tvxdef.ini.bak.4"));
    ASSERT_TRUE(backups.Keep("R", 0640, nullptr));
    struct stat info {};
    ASSERT_EQ(::stat(backups.PathOf(0).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

}  // namespace
