// The decoded pictures a panel keeps: within a memory budget, the least recently used given up
// first, a changed file decoded again, and nothing in a picture's place can make the panel wait.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>

#include "GuiTestSupport.h"
#include "TempFolder.h"
#include "panel/ImageCache.h"

namespace {

constexpr std::uint64_t kAnyPixels = 8192ull * 8192ull;

TEST(ImageCache, KeptPicturesStayWithinTheBudgetTheLeastRecentlyUsedGoFirst) {
    LayoutFolder folder;
    // Three bytes a pixel when decoded, sized so that the budget holds three.
    const int side = static_cast<int>(std::sqrt(ImageCache::kBudgetBytes / 3.5 / 3));
    const std::size_t each = static_cast<std::size_t>(side) * side * 3;
    ASSERT_LT(3 * each, ImageCache::kBudgetBytes);
    ASSERT_GT(4 * each, ImageCache::kBudgetBytes);
    int shade = 0;
    for (const char* name : {"a.png", "b.png", "c.png", "d.png", "e.png"}) {
        shade += 40;
        folder.WritePicture(name, side, side, wxColour(0, static_cast<unsigned char>(shade), 0));
    }
    const auto path = [&folder](const char* name) { return folder.Path() + "/" + name; };

    ImageCache cache;
    const auto a = cache.Fetch(path("a.png"), kAnyPixels);
    const auto b = cache.Fetch(path("b.png"), kAnyPixels);
    cache.Fetch(path("c.png"), kAnyPixels);
    ASSERT_TRUE(a.image.IsOk());
    ASSERT_FALSE(a.image.HasAlpha());
    EXPECT_GE(cache.KeptBytes(), 3 * each);
    EXPECT_LT(cache.KeptBytes(), 3 * each + 4096) << "pixels and a little bookkeeping";
    // "a" used again: "b" is now the least recently used and goes for "d".
    EXPECT_EQ(cache.Fetch(path("a.png"), kAnyPixels).serial, a.serial);
    cache.Fetch(path("d.png"), kAnyPixels);
    EXPECT_LE(cache.KeptBytes(), ImageCache::kBudgetBytes);
    EXPECT_TRUE(cache.Kept(path("a.png"), a.serial).IsOk()) << "kept";
    EXPECT_FALSE(cache.Kept(path("b.png"), b.serial).IsOk()) << "given up";
    // Decoded again from the same bytes: the same number, so what was made of it still counts.
    EXPECT_EQ(cache.Fetch(path("b.png"), kAnyPixels).serial, b.serial);
    EXPECT_TRUE(cache.Kept(path("b.png"), b.serial).IsOk());
    for (const char* name : {"e.png", "a.png", "b.png", "c.png", "d.png"}) {
        EXPECT_TRUE(cache.Fetch(path(name), kAnyPixels).image.IsOk()) << name;
        EXPECT_LE(cache.KeptBytes(), ImageCache::kBudgetBytes) << name;
    }
}

TEST(ImageCache, APictureOverTheCallersLimitIsRefusedOnceAndAFixedFileIsShown) {
    LayoutFolder folder;
    folder.WritePicture("plan.png", 300, 200, *wxGREEN);
    const std::string path = folder.Path() + "/plan.png";
    ImageCache cache;
    EXPECT_FALSE(cache.Fetch(path, 300 * 200 - 1).image.IsOk());
    EXPECT_FALSE(cache.Fetch(path, 300 * 200 - 1).image.IsOk());
    const auto refused = cache.TakeRefusals();
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(refused[0].path, path);
    EXPECT_EQ(refused[0].width, 300);
    EXPECT_EQ(refused[0].height, 200);
    EXPECT_TRUE(cache.TakeRefusals().empty());
    EXPECT_LT(cache.KeptBytes(), 1024u) << "no pixels kept";

    // The file replaced by a smaller picture (another size, so the change shows at once).
    folder.WritePicture("plan.png", 100, 50, *wxGREEN);
    EXPECT_TRUE(cache.Fetch(path, 300 * 200 - 1).image.IsOk());
    EXPECT_TRUE(cache.TakeRefusals().empty());
}

// Another program swaps a picture between a file and a pipe as fast as it can while the panel
// reads it again and again: every read is over at once, with the picture or without one.
TEST(ImageCache, APictureSwappedForAPipeNeverHoldsThePanelUp) {
    using Clock = std::chrono::steady_clock;
    LayoutFolder folder;
    folder.WritePicture("source.png", 100, 50, *wxGREEN);
    const std::string picture = folder.Read("source.png");
    const std::string path = folder.At("swapped.png");
    // One pipe for the whole run, linked into the picture's place: a read waiting in its open()
    // can always be let go through it.
    const std::string pipe = folder.At("the.pipe");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);

    std::atomic<bool> done{false};
    std::atomic<int> reads{0};
    std::atomic<bool> held{false};
    std::thread swapper([&] {
        int seen = -1;
        Clock::time_point progress = Clock::now();
        for (bool toPipe = true; !done; toPipe = !toPipe) {
            if (toPipe) {
                ::unlink(folder.At("next").c_str());
                ::link(pipe.c_str(), folder.At("next").c_str());
            } else {
                folder.Write("next", picture);
            }
            std::rename(folder.At("next").c_str(), path.c_str());
            if (reads != seen) {
                seen = reads;
                progress = Clock::now();
            } else if (Clock::now() - progress > std::chrono::seconds(2)) {
                held = true;
                const int writer = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
                if (writer >= 0) {
                    ::close(writer);
                }
            }
        }
    });
    ImageCache cache;
    int pictures = 0;
    const Clock::time_point end = Clock::now() + std::chrono::seconds(2);
    while (Clock::now() < end && !held) {
        pictures += cache.Fetch(path, kAnyPixels).image.IsOk() ? 1 : 0;
        ++reads;
    }
    done = true;
    swapper.join();
    EXPECT_FALSE(held) << "a read waited on the pipe";
    EXPECT_GT(pictures, 0) << "the picture itself is still read";
}

}  // namespace

// The header tells the format, whatever the name says; a file that is not what its header says
// is no picture.
TEST(ImageCache, APictureIsDecodedAsItsHeaderSaysAndIsNoneWhenItIsNotThat) {
    LayoutFolder folder;
    const auto copy = [&folder](const std::string& seed, const std::string& name) {
        folder.Write(name, ReadFile(TVX_SOURCE_DIR "/fuzz/seeds/pictures/" + seed));
    };
    copy("small.jpg", "photo.png");
    copy("small.bmp", "plain.png");
    copy("small.png", "small.png");
    const std::string png = ReadFile(folder.At("small.png"));
    // The header whole, the rest of the file another picture's or cut off.
    folder.Write("header-of-a-png.png", png.substr(0, 33) + ReadFile(folder.At("photo.png")));
    folder.Write("cut.png", png.substr(0, png.size() / 2));

    struct Case {
        const char* name;
        int width;  ///< 0: no picture
        int height;
    };
    ImageCache cache;
    for (const Case& c : {Case{"photo.png", 5, 4}, Case{"plain.png", 7, 3}, Case{"small.png", 3, 2},
                          Case{"header-of-a-png.png", 0, 0}, Case{"cut.png", 0, 0}}) {
        const wxImage image = cache.Fetch(folder.At(c.name), kAnyPixels).image;
        EXPECT_EQ(image.IsOk(), c.width > 0) << c.name;
        if (image.IsOk()) {
            EXPECT_EQ(image.GetSize(), wxSize(c.width, c.height)) << c.name;
        }
    }
}
