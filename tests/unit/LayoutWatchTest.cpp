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

/// A look at a folder that is there, with the layout file and the picture "p.png" of the page
/// as given, taken long after they last changed unless a clock is given.
FolderSnapshot Look(std::optional<FileIdentity> layout,
                    std::optional<FileIdentity> picture = Version(50),
                    std::int64_t clock = kFileTime + 100) {
    return FolderSnapshot{layout, true, PictureLook{{"/f/p.png", picture}}, clock};
}

/// A look at a folder that is not there.
FolderSnapshot Gone() {
    return FolderSnapshot{std::nullopt, false, PictureLook{{"/f/p.png", std::nullopt}},
                          kFileTime + 100};
}

/// The changes a watch reports for a series of looks, one letter each: '-' none,
/// 'P' pictures, 'L' layout, 'G' folder gone.
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
            case Change::FolderGone:
                reports += 'G';
                break;
        }
    }
    return reports;
}

TEST(LayoutWatch, ANewFileIsNewsOnceSettledAndUntilDealtWith) {
    const FolderSnapshot loaded = Look(Version(10));
    // Replaced by a rename: another inode.
    const FolderSnapshot arrived = Look(Version(11));
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
                          Look(Version(10, 0, 1)),
                          Look(Version(10, 4000, 2)),
                          Look(Version(10, 8000, 3)),
                          Look(Version(10, 8000, 4)),
                          Look(Version(10, 8000, 4)),
                      }),
              "----L");
    // A picture the same way.
    watch.Dealt(Look(Version(10, 8000, 4)));
    EXPECT_EQ(Reports(watch,
                      {
                          Look(Version(10, 8000, 4), Version(50, 10, 1)),
                          Look(Version(10, 8000, 4), Version(50, 20, 2)),
                          Look(Version(10, 8000, 4), Version(50, 20, 2)),
                      }),
              "--P");
}

// Another program busy in the folder (files coming and going all the time) or with pictures
// the page shows: the layout file is news as soon as it has stood still itself.
TEST(LayoutWatch, TheLayoutFileSettlesByItselfWhateverElseMoves) {
    LayoutWatch watch(Look(Version(10)));
    EXPECT_EQ(Reports(watch,
                      {
                          Look(Version(11), Version(50, 1)),
                          Look(Version(11), Version(50, 2)),
                          Look(Version(11), Version(50, 3)),
                      }),
              "-LL");
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
        LayoutWatch layout(Look(loaded));
        EXPECT_EQ(Reports(layout, {Look(other), Look(other)}), "-L");
        LayoutWatch picture(Look(Version(10), loaded));
        EXPECT_EQ(Reports(picture, {Look(Version(10), other), Look(Version(10), other)}), "-P");
    }
}

TEST(LayoutWatch, ThePanelsOwnStoreIsNoNewsButAnotherProgramsFileAfterItIs) {
    LayoutWatch watch(Look(Version(10)));
    const FolderSnapshot stored = Look(Version(11));
    watch.Stored(stored.layout);
    EXPECT_EQ(Reports(watch, {stored, stored}), "--");

    // Another program's file after the store is news.
    const FolderSnapshot received = Look(Version(12));
    EXPECT_EQ(Reports(watch, {received, received}), "-L");

    // A file that arrived just before the store, and that the store replaced, is gone: the
    // store's own file is what the panel shows.
    LayoutWatch late(Look(Version(10)));
    EXPECT_EQ(Reports(late, {Look(Version(20))}), "-");
    late.Stored(Version(21));
    EXPECT_EQ(Reports(late, {Look(Version(21)), Look(Version(21))}), "--");
}

TEST(LayoutWatch, AFileDeclinedOrFoundUnusableIsNotNewsAgainButTheNextOneIs) {
    LayoutWatch watch(Look(Version(10)));
    const FolderSnapshot declined = Look(Version(11));
    EXPECT_EQ(Reports(watch, {declined, declined}), "-L");
    watch.Dealt(declined);
    EXPECT_EQ(Reports(watch, {declined, declined, declined}), "---");

    const FolderSnapshot next = Look(Version(12));
    EXPECT_EQ(Reports(watch, {next, next}), "-L");
    watch.Dealt(next);
    // Even the very file declined before, brought back: it is not the one the panel runs on.
    EXPECT_EQ(Reports(watch, {Look(Version(11)), Look(Version(11))}), "-L");
}

TEST(LayoutWatch, APictureOfThePageIsNewsAndALayoutFileWinsOverIt) {
    const struct {
        const char* name;
        std::optional<FileIdentity> before;
        std::optional<FileIdentity> after;
    } cases[] = {
        {"copied over in place", Version(50, 100), Version(50, 120)},
        {"renamed into place", Version(50), Version(51)},
        {"arrived where the page had none", std::nullopt, Version(50)},
        {"gone", Version(50), std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LayoutWatch watch(Look(Version(10), c.before));
        EXPECT_EQ(Reports(watch, {Look(Version(10), c.after), Look(Version(10), c.after)}), "-P");
        // Not dealt with yet, and now a layout file comes too: it wins once it has stood still.
        EXPECT_EQ(Reports(watch, {Look(Version(11), c.after), Look(Version(11), c.after)}), "PL");
        watch.Dealt(Look(Version(11), c.after));
        EXPECT_EQ(Reports(watch, {Look(Version(11), c.after)}), "-");
    }
}

// Pictures dealt with while a new layout file is still moving: the file is news once it has
// stood still.
TEST(LayoutWatch, ALayoutFileStillMovingIsNotDealtWithAlongWithThePictures) {
    LayoutWatch watch(Look(Version(10)));
    EXPECT_EQ(Reports(watch, {Look(Version(10), Version(51)), Look(Version(11), Version(51))}),
              "-P");
    watch.Dealt(Look(Version(11), Version(51)));
    EXPECT_EQ(Reports(watch, {Look(Version(11), Version(51))}), "L");
}

TEST(LayoutWatch, APageShownAnewIsNoNewsButAChangeAfterItIs) {
    LayoutWatch watch(Look(Version(10)));
    // A page flip: other pictures, taken as they were when the page was loaded.
    const PictureLook other{{"/f/q.png", Version(60)}};
    watch.Shown(other, kFileTime + 100);
    const FolderSnapshot flipped{Version(10), true, other, kFileTime + 100};
    EXPECT_EQ(Reports(watch, {flipped, flipped}), "--");
    const FolderSnapshot changed{Version(10), true, {{"/f/q.png", Version(61)}}, kFileTime + 100};
    EXPECT_EQ(Reports(watch, {changed, changed}), "-P");
}

TEST(LayoutWatch, AVanishedLayoutFileIsNoNewsAndAFileWhereNoneWasIs) {
    LayoutWatch watch(Look(Version(10)));
    EXPECT_EQ(Reports(watch, {Look(std::nullopt), Look(std::nullopt)}), "--");
    // The same file back (renamed away and back) is the one the panel runs on.
    EXPECT_EQ(Reports(watch, {Look(Version(10)), Look(Version(10))}), "--");

    LayoutWatch empty(Look(std::nullopt));
    EXPECT_EQ(Reports(empty, {Look(Version(30)), Look(Version(30))}), "-L");
}

TEST(LayoutWatch, AFolderGoneIsNewsOnceAndAFolderPutBackBringsItsLayout) {
    LayoutWatch watch(Look(Version(10)));
    // Gone for one look only (put back in one move): nothing.
    EXPECT_EQ(Reports(watch, {Gone(), Look(Version(10)), Look(Version(10))}), "---");
    // Gone: once its absence has stood still, and nothing else is news while it is gone.
    EXPECT_EQ(Reports(watch, {Gone(), Gone(), Gone()}), "-GG");
    watch.Dealt(Gone());
    EXPECT_EQ(Reports(watch, {Gone(), Gone()}), "--");
    // Copied back: its layout file is another file.
    EXPECT_EQ(Reports(watch, {Look(Version(12)), Look(Version(12))}), "-L");
    watch.Dealt(Look(Version(12)));
    // Gone again, news again.
    EXPECT_EQ(Reports(watch, {Gone(), Gone()}), "-G");
}

TEST(LayoutWatch, PicturesDealtWithWithinAStepOfACoarseClockAreLookedAtOnceMoreAfterIt) {
    // A memory card's clock: a picture's time stands at a whole step while it is written again.
    const auto onCard = [](std::int64_t size, std::int64_t clock) {
        FolderSnapshot look = Look(Version(10), Version(50, size), clock);
        look.pictures.begin()->second->seconds = kFileTime;
        return look;
    };
    LayoutWatch watch(onCard(100, kFileTime + 100));
    // A picture arrives and is dealt with in the step its time names; written again in the same
    // step with the same size, it looks as it did.
    EXPECT_EQ(Reports(watch, {onCard(120, kFileTime), onCard(120, kFileTime + 1)}), "-P");
    watch.Dealt(onCard(120, kFileTime + 1));
    EXPECT_EQ(Reports(watch, {onCard(120, kFileTime + 1), onCard(120, kFileTime + 2)}), "--");
    EXPECT_EQ(Reports(watch, {onCard(120, kFileTime + 3), onCard(120, kFileTime + 3)}), "PP");
    watch.Dealt(onCard(120, kFileTime + 3));
    EXPECT_EQ(Reports(watch, {onCard(120, kFileTime + 4), onCard(120, kFileTime + 60)}), "--");

    // Dealt with a whole step after its time, the picture is taken as it is.
    LayoutWatch late(onCard(100, kFileTime + 100));
    EXPECT_EQ(Reports(late, {onCard(120, kFileTime + 3), onCard(120, kFileTime + 3)}), "-P");
    late.Dealt(onCard(120, kFileTime + 3));
    EXPECT_EQ(Reports(late, {onCard(120, kFileTime + 4), onCard(120, kFileTime + 60)}), "--");

    // A page shown counts as dealt with.
    LayoutWatch shown(onCard(100, kFileTime + 100));
    shown.Shown(onCard(100, kFileTime + 1).pictures, kFileTime + 1);
    EXPECT_EQ(Reports(shown, {onCard(100, kFileTime + 2), onCard(100, kFileTime + 3)}), "-P");
}

/// A fresh folder with a layout file in it, removed afterwards. The layout's page 0 shows the
/// picture "shown.png".
class LayoutFolderLooks : public testing::Test {
  protected:
    void SetUp() override {
        m_layout.Form.LayoutDirectory = TextFromNative(m_folder);
        m_layout.Page(0).Button_Last = 1;
        m_layout.Button(0, 0).Image_File_Off = L"shown.png";
        Write("tvxdef.ini", "first");
    }

    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(m_folder + "/" + name, std::ios::binary | std::ios::trunc) << bytes;
    }
    std::string Path(const std::string& name) const { return m_folder + "/" + name; }
    FolderSnapshot Now() const { return LookAtLayoutFolder(m_layout, 0); }

    TempFolder m_temp{"tvx-watch"};
    const std::string m_folder = m_temp.Path();
    Layout m_layout;
};

TEST_F(LayoutFolderLooks, ALookTellsEveryWayAFileOrPictureArrives) {
    const FolderSnapshot first = Now();
    ASSERT_TRUE(first.layout.has_value());
    EXPECT_TRUE(first.folder);
    EXPECT_EQ(first.layout->size, 5);
    ASSERT_EQ(first.pictures.count(Path("shown.png")), 1u);
    EXPECT_FALSE(first.pictures.at(Path("shown.png")).has_value());
    EXPECT_EQ(first.pictures.count(Path("TvxMenu.png")), 1u);
    EXPECT_EQ(Now(), first) << "nothing happened";

    // Written in place with another length: the same inode, another size.
    Write("tvxdef.ini", "second!");
    const FolderSnapshot inPlace = Now();
    EXPECT_EQ(inPlace.layout->inode, first.layout->inode);
    EXPECT_NE(inPlace.layout, first.layout);

    // Put in place by a rename with the very same bytes: another inode.
    Write("incoming", "second!");
    ASSERT_EQ(std::rename(Path("incoming").c_str(), Path("tvxdef.ini").c_str()), 0);
    const FolderSnapshot renamed = Now();
    EXPECT_NE(renamed.layout, inPlace.layout);

    // The page's picture arriving, then copied over in place; a file the page does not show
    // changes nothing of the look.
    Write("shown.png", "p");
    const FolderSnapshot arrived = Now();
    EXPECT_EQ(arrived.layout, renamed.layout);
    EXPECT_TRUE(arrived.pictures.at(Path("shown.png")).has_value());
    Write("shown.png", "pp");
    EXPECT_NE(Now().pictures, arrived.pictures);
    const FolderSnapshot copied = Now();
    Write("other.png", "o");
    EXPECT_EQ(Now(), copied);

    // Through a link the file it leads to counts; nothing there is no identity.
    ASSERT_EQ(std::rename(Path("tvxdef.ini").c_str(), Path("real.ini").c_str()), 0);
    EXPECT_FALSE(Now().layout.has_value());
    ASSERT_EQ(::symlink("real.ini", Path("tvxdef.ini").c_str()), 0);
    EXPECT_EQ(Now().layout, IdentityOf(Path("real.ini")));

    auto nowhere = std::make_unique<Layout>();
    nowhere->Form.LayoutDirectory = TextFromNative(m_folder + "/missing");
    const FolderSnapshot none = LookAtLayoutFolder(*nowhere);
    EXPECT_FALSE(none.folder);
    EXPECT_FALSE(none.layout.has_value());
    // The pictures a panel cannot start without are looked at even without a page.
    EXPECT_EQ(none.pictures.size(), 2u);
    for (const auto& [path, identity] : none.pictures) {
        EXPECT_FALSE(identity.has_value()) << path;
    }
}

// Another program creating and removing a file between every two looks does not keep a new
// layout file from being news on the look after it arrived.
TEST_F(LayoutFolderLooks, ABusyFolderDoesNotHoldUpANewLayout) {
    LayoutWatch watch(Now());
    std::string reports;
    for (int look = 0; look < 4; ++look) {
        if (look == 1) {
            Write("incoming", "second!");
            ASSERT_EQ(std::rename(Path("incoming").c_str(), Path("tvxdef.ini").c_str()), 0);
        }
        if (look % 2 == 0) {
            Write("busy.tmp", "x");
        } else {
            std::remove(Path("busy.tmp").c_str());
        }
        reports += watch.Check(Now()) == Change::Layout ? 'L' : '-';
    }
    EXPECT_EQ(reports, "--LL");
}

TEST_F(LayoutFolderLooks, AFolderRemovedIsSeenGone) {
    LayoutWatch watch(Now());
    std::filesystem::remove_all(m_folder);
    EXPECT_FALSE(Now().folder);
    EXPECT_EQ(watch.Check(Now()), Change::None);
    EXPECT_EQ(watch.Check(Now()), Change::FolderGone);
}

}  // namespace
