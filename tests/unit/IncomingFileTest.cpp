#include "IncomingFile.h"
#include "TempFolder.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
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
        std::uint64_t promised = 0;  ///< still to come for transfers under way
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
        {500, margin + 1500, true, 1000},
        {501, margin + 1500, false, 1000},
        {0, margin + 1500, true, 1500},
        {0, margin + 1500, false, 1501},
        {0, UINT64_MAX, false, UINT64_MAX},
        {0, UINT64_MAX, true, UINT64_MAX - margin},
        {0, UINT64_MAX, false, UINT64_MAX - margin + 1},
    };
    for (const Case& c : cases) {
        const std::string problem = CheckSpace(c.length, c.free, c.promised);
        EXPECT_EQ(problem.empty(), c.fits)
            << c.length << " in " << c.free << " less " << c.promised << ": " << problem;
    }
    EXPECT_EQ(CheckSpace(1501, margin + 1500),
              "no room, 1501 bytes with 1050076 free and 1048576 to keep free");
    EXPECT_EQ(CheckSpace(501, margin + 1500, 1000),
              "no room, 501 bytes with 1050076 free, 1000 of them promised to transfers under way, "
              "and 1048576 to keep free");
}

TEST(IncomingFile, ANameTakenByAnythingButAFileIsInTheWay) {
    const TempFolder temp("tvx-target");
    const std::string& folder = temp.Path();
    const std::filesystem::path in(folder);
    std::ofstream(in / "file.png") << "x";
    std::filesystem::create_directory(in / "folder.png");
    ASSERT_EQ(mkfifo((in / "pipe.png").c_str(), 0600), 0);
    std::filesystem::create_symlink("file.png", in / "to-file.png");
    std::filesystem::create_symlink("folder.png", in / "to-folder.png");
    std::filesystem::create_symlink("nowhere.png", in / "dangling.png");
    const int local = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = (in / "socket.png").string();
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(bind(local, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(local);

    const std::pair<std::string, std::string> cases[] = {
        {"new.png", ""},
        {"file.png", ""},
        {"folder.png", "already there as a folder"},
        {"pipe.png", "already there as a pipe"},
        {"socket.png", "already there as a socket"},
        {"to-file.png", "already there as a symbolic link"},
        {"to-folder.png", "already there as a symbolic link"},
        {"dangling.png", "already there as a symbolic link"},
    };
    for (const auto& [name, problem] : cases) {
        EXPECT_EQ(CheckTarget(folder, name), problem) << name;
    }
}

}  // namespace
