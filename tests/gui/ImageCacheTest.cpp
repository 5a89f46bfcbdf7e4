// The decoded pictures a panel keeps: within a memory budget, the least recently used given up
// first, and a changed file decoded again.
#include <gtest/gtest.h>

#include "GuiTestSupport.h"
#include "panel/ImageCache.h"

namespace {

constexpr std::uint64_t kAnyPixels = 8192ull * 8192ull;

TEST(ImageCache, KeptPicturesStayWithinTheBudgetTheLeastRecentlyUsedGoFirst) {
    LayoutFolder folder;
    // 36 MB each when decoded: the budget holds three.
    const int side = 3000;
    const std::size_t each = std::size_t{side} * side * 4;
    ASSERT_LT(3 * each, ImageCache::kBudgetBytes);
    ASSERT_GT(4 * each, ImageCache::kBudgetBytes);
    for (const char* name : {"a.png", "b.png", "c.png", "d.png", "e.png"}) {
        folder.WritePicture(name, side, side, *wxGREEN);
    }
    const auto path = [&folder](const char* name) { return folder.Path() + "/" + name; };

    ImageCache cache;
    const auto a = cache.Fetch(path("a.png"), kAnyPixels);
    const auto b = cache.Fetch(path("b.png"), kAnyPixels);
    cache.Fetch(path("c.png"), kAnyPixels);
    ASSERT_TRUE(a.bitmap.IsOk());
    EXPECT_EQ(cache.KeptBytes(), 3 * each);
    // "a" used again: "b" is now the least recently used and goes for "d".
    EXPECT_EQ(cache.Fetch(path("a.png"), kAnyPixels).serial, a.serial);
    cache.Fetch(path("d.png"), kAnyPixels);
    EXPECT_LE(cache.KeptBytes(), ImageCache::kBudgetBytes);
    EXPECT_EQ(cache.Fetch(path("a.png"), kAnyPixels).serial, a.serial) << "kept";
    EXPECT_NE(cache.Fetch(path("b.png"), kAnyPixels).serial, b.serial) << "decoded again";
    for (const char* name : {"e.png", "a.png", "b.png", "c.png", "d.png"}) {
        EXPECT_TRUE(cache.Fetch(path(name), kAnyPixels).bitmap.IsOk()) << name;
        EXPECT_LE(cache.KeptBytes(), ImageCache::kBudgetBytes) << name;
    }
}

TEST(ImageCache, APictureOverTheCallersLimitIsRefusedOnceAndAFixedFileIsShown) {
    LayoutFolder folder;
    folder.WritePicture("plan.png", 300, 200, *wxGREEN);
    const std::string path = folder.Path() + "/plan.png";
    ImageCache cache;
    EXPECT_FALSE(cache.Fetch(path, 300 * 200 - 1).bitmap.IsOk());
    EXPECT_FALSE(cache.Fetch(path, 300 * 200 - 1).bitmap.IsOk());
    const auto refused = cache.TakeRefusals();
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(refused[0].path, path);
    EXPECT_EQ(refused[0].width, 300);
    EXPECT_EQ(refused[0].height, 200);
    EXPECT_TRUE(cache.TakeRefusals().empty());
    EXPECT_EQ(cache.KeptBytes(), 0u);

    // The file replaced by a smaller picture (another size, so the change shows at once).
    folder.WritePicture("plan.png", 100, 50, *wxGREEN);
    EXPECT_TRUE(cache.Fetch(path, 300 * 200 - 1).bitmap.IsOk());
    EXPECT_TRUE(cache.TakeRefusals().empty());
}

}  // namespace
