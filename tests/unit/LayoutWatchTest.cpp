// When a new layout file or new pictures in the layout folder are news for the running panel:
// the rule on given looks at the folder, and the looks themselves on a real folder.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "model/LayoutWatch.h"
#include "model/Paths.h"

namespace {

using Change = LayoutWatch::Change;

constexpr std::int64_t kFileTime = 1700000000;

FileIdentity Version(std::uint64_t inode, std::int64_t size = 100, std::int64_t nanoseconds = 0) {
    FileIdentity identity;
    identity.device = 8;
    identity.inode = inode;
    identity.size = size;
    identity.seconds = kFileTime;
    identity.nanoseconds = nanoseconds;
    return identity;
}

/// A look at a folder whose time moves in nanoseconds. Taken long after the folder last
/// changed, unless a clock is given.
FolderSnapshot Look(std::optional<FileIdentity> layout, std::int64_t folderTime = 0,
                    std::int64_t clock = kFileTime + 100) {
    return FolderSnapshot{layout, Version(2, 4096, folderTime), clock};
}

/// The changes a watch reports for a series of looks, one letter each: '-' none,
/// 'P' pictures, 'L' layout.
std::string Reports(LayoutWatch& watch, const std::vector<FolderSnapshot>& looks) {
    std::string reports;
    for (const FolderSnapshot& look : looks) {
        switch (watch.Check(look)) {
            case Change::None:
                reports += '-';
                break;
            case Change::Pictures:
                reports += 'P';
                break;
            case Change::Layout:
                reports += 'L';
                break;
        }
    }
    return reports;
}

TEST(LayoutWatch, ANewFileIsNewsOnceSettledAndUntilDealtWith) {
    const FolderSnapshot loaded = Look(Version(10));
    // Replaced by a rename: another inode, and the folder changed with it.
    const FolderSnapshot arrived = Look(Version(11), 1);
    LayoutWatch watch(loaded);
    EXPECT_EQ(Reports(watch, {loaded, loaded, arrived, arrived, arrived}), "---LL");
    watch.Dealt(arrived);
    EXPECT_EQ(Reports(watch, {arrived, arrived}), "--");
}

TEST(LayoutWatch, AFileStillBeingWrittenWaitsUntilItHasStoodStillForALook) {
    LayoutWatch watch(Look(Version(10)));
    // Written in place: the same inode, growing, then its time moves once more without
    // growing, then nothing moves.
    EXPECT_EQ(Reports(watch,
                      {
                          Look(Version(10, 0, 1), 1),
                          Look(Version(10, 4000, 2), 1),
                          Look(Version(10, 8000, 3), 1),
                          Look(Version(10, 8000, 4), 1),
                          Look(Version(10, 8000, 4), 1),
                      }),
              "----L");
}

TEST(LayoutWatch, EveryPartOfTheIdentityTellsAFileApart) {
    const FileIdentity loaded = Version(10, 100, 500);
    struct Case {
        const char* name;
        void (*change)(FileIdentity&);
    };
    const Case cases[] = {
        {"device", [](FileIdentity& f) { f.device += 1; }},
        {"inode", [](FileIdentity& f) { f.inode += 1; }},
        {"size", [](FileIdentity& f) { f.size += 1; }},
        {"seconds", [](FileIdentity& f) { f.seconds += 1; }},
        {"nanoseconds", [](FileIdentity& f) { f.nanoseconds += 1; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FileIdentity other = loaded;
        c.change(other);
        LayoutWatch watch(Look(loaded));
        EXPECT_EQ(Reports(watch, {Look(other), Look(other)}), "-L");
    }
}

TEST(LayoutWatch, ThePanelsOwnStoreIsNoNewsButAnotherProgramsFileAfterItIs) {
    LayoutWatch watch(Look(Version(10)));
    // The store puts its file in place by a rename: the folder changes with it. The page then
    // only has its pictures looked at again.
    const FolderSnapshot stored = Look(Version(11), 1);
    watch.Stored(stored.layout);
    EXPECT_EQ(Reports(watch, {stored, stored}), "-P");
    watch.Dealt(stored);
    EXPECT_EQ(Reports(watch, {stored}), "-");

    // Another program's file after the store is news.
    const FolderSnapshot received = Look(Version(12), 2);
    EXPECT_EQ(Reports(watch, {received, received}), "-L");

    // A file that arrived just before the store, and that the store replaced, is gone: the
    // store's own file is what the panel shows.
    LayoutWatch late(Look(Version(10)));
    EXPECT_EQ(Reports(late, {Look(Version(20), 1)}), "-");
    late.Stored(Version(21));
    EXPECT_EQ(Reports(late, {Look(Version(21), 2), Look(Version(21), 2)}), "-P");
}

TEST(LayoutWatch, AFileDeclinedOrFoundUnusableIsNotNewsAgainButTheNextOneIs) {
    LayoutWatch watch(Look(Version(10)));
    const FolderSnapshot declined = Look(Version(11), 1);
    EXPECT_EQ(Reports(watch, {declined, declined}), "-L");
    watch.Dealt(declined);
    EXPECT_EQ(Reports(watch, {declined, declined, declined}), "---");

    const FolderSnapshot next = Look(Version(12), 2);
    EXPECT_EQ(Reports(watch, {next, next}), "-L");
    watch.Dealt(next);
    // Even the very file declined before, brought back: it is not the one the panel runs on.
    EXPECT_EQ(Reports(watch, {Look(Version(11), 3), Look(Version(11), 3)}), "-L");
}

TEST(LayoutWatch, PicturesAloneAreNewsAndALayoutFileWinsOverThem) {
    LayoutWatch watch(Look(Version(10)));
    EXPECT_EQ(Reports(watch, {Look(Version(10), 1), Look(Version(10), 1)}), "-P");
    // Not dealt with yet, and now a layout file comes too.
    EXPECT_EQ(Reports(watch, {Look(Version(11), 2), Look(Version(11), 2)}), "-L");
    watch.Dealt(Look(Version(11), 2));
    EXPECT_EQ(Reports(watch, {Look(Version(11), 2)}), "-");
}

TEST(LayoutWatch, AVanishedFileIsNoNewsAndAFileWhereNoneWasIs) {
    LayoutWatch watch(Look(Version(10)));
    const FolderSnapshot gone = Look(std::nullopt, 1);
    EXPECT_EQ(Reports(watch, {gone, gone}), "-P");
    watch.Dealt(gone);
    EXPECT_EQ(Reports(watch, {gone}), "-");
    // The same file back (renamed away and back) is the one the panel runs on.
    EXPECT_EQ(Reports(watch, {Look(Version(10), 2), Look(Version(10), 2)}), "-P");

    LayoutWatch empty(Look(std::nullopt));
    EXPECT_EQ(Reports(empty, {Look(Version(30), 1), Look(Version(30), 1)}), "-L");
}

TEST(LayoutWatch, AFolderDealtWithWithinAStepOfACoarseClockIsLookedAtOnceMoreAfterIt) {
    // A memory card's clock: the folder's time stands at a whole step while files arrive.
    const auto onCard = [](std::uint64_t inode, std::int64_t clock) {
        FolderSnapshot look = Look(Version(inode), 0, clock);
        look.folder->seconds = kFileTime;
        look.layout->seconds = kFileTime;
        return look;
    };
    LayoutWatch watch(onCard(10, kFileTime + 100));
    // A layout arrives and is dealt with in the step its time names; a picture arriving in the
    // same step leaves the folder as it was.
    EXPECT_EQ(Reports(watch, {onCard(11, kFileTime), onCard(11, kFileTime + 1)}), "-L");
    watch.Dealt(onCard(11, kFileTime + 1));
    EXPECT_EQ(Reports(watch, {onCard(11, kFileTime + 1), onCard(11, kFileTime + 2)}), "--");
    EXPECT_EQ(Reports(watch, {onCard(11, kFileTime + 3), onCard(11, kFileTime + 3)}), "PP");
    watch.Dealt(onCard(11, kFileTime + 3));
    EXPECT_EQ(Reports(watch, {onCard(11, kFileTime + 4), onCard(11, kFileTime + 60)}), "--");

    // Dealt with a whole step after its time, the folder is taken as it is.
    LayoutWatch late(onCard(10, kFileTime + 100));
    EXPECT_EQ(Reports(late, {onCard(11, kFileTime + 3), onCard(11, kFileTime + 3)}), "-L");
    late.Dealt(onCard(11, kFileTime + 3));
    EXPECT_EQ(Reports(late, {onCard(11, kFileTime + 4), onCard(11, kFileTime + 60)}), "--");

    // The start counts as dealt with.
    LayoutWatch started(onCard(10, kFileTime + 1));
    EXPECT_EQ(Reports(started, {onCard(10, kFileTime + 2), onCard(10, kFileTime + 3)}), "-P");
}

/// A fresh folder with a layout file in it, removed afterwards.
class LayoutFolderLooks : public testing::Test {
  protected:
    void SetUp() override {
        m_layout.Form.LayoutDirectory = TextFromNative(m_folder);
        Write("tvxdef.ini", "first");
    }

    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(m_folder + "/" + name, std::ios::binary | std::ios::trunc) << bytes;
    }
    std::string Path(const std::string& name) const { return m_folder + "/" + name; }
    /// Sets the folder's time back, so that any change to it moves the time, however fine or
    /// coarse the file system's clock.
    void AgeFolder() const {
        const timespec times[2] = {{kFileTime, 0}, {kFileTime, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, m_folder.c_str(), times, 0), 0);
    }

    TempFolder m_temp{"tvx-watch"};
    const std::string m_folder = m_temp.Path();
    Layout m_layout;
};

TEST_F(LayoutFolderLooks, ALookTellsEveryWayAFileOrPictureArrives) {
    const FolderSnapshot first = LookAtLayoutFolder(m_layout);
    ASSERT_TRUE(first.layout.has_value());
    ASSERT_TRUE(first.folder.has_value());
    EXPECT_EQ(first.layout->size, 5);
    EXPECT_EQ(LookAtLayoutFolder(m_layout), first) << "nothing happened";

    // Written in place with another length: the same inode, another size.
    Write("tvxdef.ini", "second!");
    const FolderSnapshot inPlace = LookAtLayoutFolder(m_layout);
    EXPECT_EQ(inPlace.layout->inode, first.layout->inode);
    EXPECT_NE(inPlace.layout, first.layout);

    // Put in place by a rename with the very same bytes: another inode, and the folder changed.
    AgeFolder();
    const FolderSnapshot beforeRename = LookAtLayoutFolder(m_layout);
    Write("incoming", "second!");
    ASSERT_EQ(std::rename(Path("incoming").c_str(), Path("tvxdef.ini").c_str()), 0);
    const FolderSnapshot renamed = LookAtLayoutFolder(m_layout);
    EXPECT_NE(renamed.layout, inPlace.layout);
    EXPECT_NE(renamed.folder, beforeRename.folder);

    // A picture arriving changes the folder only.
    AgeFolder();
    const FolderSnapshot beforePicture = LookAtLayoutFolder(m_layout);
    Write("picture.png", "p");
    const FolderSnapshot picture = LookAtLayoutFolder(m_layout);
    EXPECT_EQ(picture.layout, renamed.layout);
    EXPECT_NE(picture.folder, beforePicture.folder);

    // Through a link the file it leads to counts; nothing there is no identity.
    ASSERT_EQ(std::rename(Path("tvxdef.ini").c_str(), Path("real.ini").c_str()), 0);
    EXPECT_FALSE(LookAtLayoutFolder(m_layout).layout.has_value());
    ASSERT_EQ(::symlink("real.ini", Path("tvxdef.ini").c_str()), 0);
    EXPECT_EQ(LookAtLayoutFolder(m_layout).layout, IdentityOf(Path("real.ini")));

    auto nowhere = std::make_unique<Layout>();
    nowhere->Form.LayoutDirectory = TextFromNative(m_folder + "/missing");
    EXPECT_EQ(LookAtLayoutFolder(*nowhere), FolderSnapshot{});
}

}  // namespace
