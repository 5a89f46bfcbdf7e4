// The kernel's backlight as tvx-display uses it, on folders made like /sys/class/backlight:
// the scale of the layout's levels, which folders are usable, and what is written.
#include "Backlight.h"
#include "TempFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

void Write(const fs::path& path, const std::string& text) {
    std::ofstream(path) << text;
}

/// A folder of the test's own, gone afterwards.
class BacklightTest : public testing::Test {
  protected:
    /// A backlight folder as the kernel makes one.
    fs::path MakeBacklight(const std::string& name, const std::string& maximum,
                           const std::string& brightness = "0\n") {
        const fs::path folder = m_folder / name;
        fs::create_directories(folder);
        Write(folder / "max_brightness", maximum);
        Write(folder / "brightness", brightness);
        return folder;
    }

    TempFolder m_temp{"tvx-backlight"};
    const fs::path m_folder = m_temp.Path();
};

TEST(BacklightScale, LevelsOfTheLayoutToTheBacklightsSteps) {
    struct Case {
        int level;
        long long maximum;
        long long expected;
    };
    const Case cases[] = {
        {0, 937, 0},
        {255, 937, 937},
        {128, 937, 470},
        {40, 1000, 157},
        {200, 1000, 784},
        {1, 1000, 4},
        {255, 120000, 120000},
        {128, 120000, 60235},
        // A backlight of few steps: a level above 0 stays lit.
        {1, 7, 1},
        {10, 7, 1},
        {128, 7, 4},
        {255, 7, 7},
        {1, 1, 1},
        {0, 1, 0},
        // Out of range levels are held to the scale.
        {-5, 100, 0},
        {300, 100, 100},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Backlight::Scale(c.level, c.maximum), c.expected)
            << "level " << c.level << " of max_brightness " << c.maximum;
    }
}

TEST_F(BacklightTest, OpensOnlyAFolderItCanUse) {
    std::string why;
    EXPECT_EQ(Backlight::Open((m_folder / "none").string(), why), nullptr);
    EXPECT_EQ(why, "no backlight folder " + (m_folder / "none").string());

    struct Case {
        const char* name;
        const char* maximum;  ///< nullptr: no max_brightness file
        bool brightnessIsAFolder;
        std::string why;  ///< after the folder's path; empty: usable
    };
    const Case cases[] = {
        {"good", "937\n", false, ""},
        {"no-maximum", nullptr, false, "/max_brightness: No such file or directory"},
        {"zero", "0\n", false, "/max_brightness is 0"},
        {"words", "bright\n", false, "/max_brightness holds no number"},
        {"unwritable", "100\n", true, "/brightness: Is a directory"},
    };
    for (const Case& c : cases) {
        const fs::path folder = MakeBacklight(c.name, c.maximum ? c.maximum : "");
        if (c.maximum == nullptr) {
            fs::remove(folder / "max_brightness");
        }
        if (c.brightnessIsAFolder) {
            fs::remove(folder / "brightness");
            fs::create_directory(folder / "brightness");
        }
        why.clear();
        const auto backlight = Backlight::Open(folder.string(), why);
        EXPECT_EQ(backlight != nullptr, c.why.empty()) << c.name;
        if (!c.why.empty()) {
            EXPECT_NE(why.find(folder.string() + c.why), std::string::npos) << why;
        }
    }
}

TEST_F(BacklightTest, TheFirstUsableByName) {
    std::string why;
    EXPECT_EQ(Backlight::FindIn((m_folder / "class").string(), why), nullptr);
    EXPECT_EQ(why, "none usable in " + (m_folder / "class").string());

    fs::create_directories(m_folder / "class");
    MakeBacklight("class/c_panel", "100\n");
    MakeBacklight("class/a_broken", "0\n");
    MakeBacklight("class/b_panel", "937\n");
    const auto backlight = Backlight::FindIn((m_folder / "class").string(), why);
    ASSERT_NE(backlight, nullptr);
    EXPECT_EQ(backlight->Name(),
              "backlight " + (m_folder / "class/b_panel").string() + " (max_brightness 937)");

    fs::remove_all(m_folder / "class/b_panel");
    fs::remove_all(m_folder / "class/c_panel");
    EXPECT_EQ(Backlight::FindIn((m_folder / "class").string(), why), nullptr);
    EXPECT_EQ(why, "none usable in " + (m_folder / "class").string() + " (" +
                       (m_folder / "class/a_broken").string() + "/max_brightness is 0)");
}

TEST_F(BacklightTest, WritesTheScaledLevelAndPutsBackWhatItFound) {
    const fs::path folder = MakeBacklight("panel", "1000\n", "321\n");
    std::string why;
    const auto backlight = Backlight::Open(folder.string(), why);
    ASSERT_NE(backlight, nullptr) << why;
    EXPECT_EQ(ReadFile(folder / "brightness"), "321\n") << "opening writes nothing";
    EXPECT_EQ(backlight->Save(), "");
    EXPECT_EQ(backlight->Set(40), "");
    EXPECT_EQ(ReadFile(folder / "brightness"), "157\n");
    EXPECT_EQ(backlight->Set(0), "");
    EXPECT_EQ(ReadFile(folder / "brightness"), "0\n");
    EXPECT_EQ(backlight->Restore(), "");
    EXPECT_EQ(ReadFile(folder / "brightness"), "321\n");

    // The brightness gone from under it: told, not thrown.
    fs::remove(folder / "brightness");
    fs::create_directory(folder / "brightness");
    EXPECT_NE(backlight->Set(200).find("brightness: Is a directory"), std::string::npos);
    EXPECT_NE(backlight->Save().find("brightness: Is a directory"), std::string::npos);
}

}  // namespace
