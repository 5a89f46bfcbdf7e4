#include "IncomingFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

TEST(IncomingFile, StoresOnlyTheLayoutFileAndPictures) {
    const std::string notStored = "neither tvxdef.ini nor a picture (.png, .jpg, .jpeg, .bmp)";
    struct Case {
        std::string wire;
        std::string problem;
    };
    const Case cases[] = {
        {"tvxdef.ini", ""},
        {"a.png", ""},
        {"a.PNG", ""},
        {"b.jpg", ""},
        {"b.JpG", ""},
        {"c.jpeg", ""},
        {"c.JPEG", ""},
        {"d.bmp", ""},
        {"d.Bmp", ""},
        {"K\xFC"
         "che.png",
         ""},
        {"two words.png", ""},
        {"TVXDEF.INI", notStored},
        {"tvxdef.ini.png", ""},
        {"tvxdef.ini~", notStored},
        {"other.ini", notStored},
        {"a.gif", notStored},
        {"run.sh", notStored},
        {"a.png.sh", notStored},
        {"png", notStored},
        {"apng", notStored},
        {"a.pn", notStored},
        {".png", "name starts with a dot"},
        {"../a.png", "path separator in the name"},
        {"a/b.png", "path separator in the name"},
        {"a\\b.png", "path separator in the name"},
        {"a\n.png", "control character in the name"},
        {"", "empty name"},
    };
    for (const Case& c : cases) {
        const NameCheck check = CheckWireName(c.wire);
        EXPECT_EQ(check.problem, c.problem) << c.wire;
        EXPECT_EQ(check.name.empty(), !c.problem.empty()) << c.wire;
    }
    EXPECT_EQ(CheckWireName("K\xFC"
                            "che.png")
                  .name,
              "K\xC3\xBC"
              "che.png");
}

TEST(IncomingFile, AFileMustLeaveTheMarginFree) {
    const std::uint64_t margin = kSpaceMargin;
    struct Case {
        std::uint64_t length;
        std::uint64_t free;
        bool fits;
    };
    const Case cases[] = {
        {0, margin, true},
        {0, margin - 1, false},
        {0, 0, false},
        {1, margin, false},
        {1000, margin + 1000, true},
        {1001, margin + 1000, false},
        {(1 << 24) - 1, UINT64_MAX, true},
        {UINT64_MAX, UINT64_MAX, false},
    };
    for (const Case& c : cases) {
        const std::string problem = CheckSpace(c.length, c.free);
        EXPECT_EQ(problem.empty(), c.fits) << c.length << " in " << c.free << ": " << problem;
    }
    EXPECT_EQ(CheckSpace(1501, margin + 1500),
              "no room, 1501 bytes with 1050076 free and 1048576 to keep free");
}

}  // namespace
