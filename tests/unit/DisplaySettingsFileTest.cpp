// The display values read from a real layout folder: at start, again when a new layout file is
// put there, and what happens with no file or a file cut short.
#include "DisplaySettingsFile.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "model/LayoutFormat.h"

namespace {

namespace fs = std::filesystem;

class DisplaySettingsFileTest : public testing::Test {
  protected:
    void SetUp() override {
        m_file = std::make_unique<DisplaySettingsFile>(
            m_folder, [this](const std::string& line) { m_lines.push_back(line); });
    }

    /// A layout file with these display values, put in place as the panel stores one (a new
    /// file renamed over the old); `cut` bytes left off its end.
    void Put(int bright, int brightDim, int dimMinutes, int offMinutes, std::size_t cut = 0) {
        auto layout = std::make_unique<Layout>();
        layout->ResetLayout();
        layout->Form.Display_Bright = bright;
        layout->Form.Display_Bright_Dim = brightDim;
        layout->Form.Display_Off_Dim = dimMinutes;
        layout->Form.Display_Off = offMinutes;
        const std::string bytes = LayoutFormat::FormatLayout(*layout);
        const std::string temporary = m_folder + "/new.tmp";
        std::ofstream(temporary, std::ios::binary) << bytes.substr(0, bytes.size() - cut);
        fs::rename(temporary, m_folder + "/tvxdef.ini");
    }

    TempFolder m_temp{"tvx-display-settings"};
    const std::string m_folder = m_temp.Path();
    std::vector<std::string> m_lines;
    std::unique_ptr<DisplaySettingsFile> m_file;
};

TEST_F(DisplaySettingsFileTest, ReadAtStartAndAgainWhenANewFileHasStoodStill) {
    Put(200, 40, 1, 2);
    EXPECT_EQ(m_file->Load(), DisplaySettings(200, 40, 1, 2));
    EXPECT_EQ(m_file->Look(), std::nullopt);

    Put(200, 40, 3, 5);
    EXPECT_EQ(m_file->Look(), std::nullopt) << "not yet: it may still be written";
    EXPECT_EQ(m_file->Look(), DisplaySettings(200, 40, 3, 5));
    EXPECT_EQ(m_file->Look(), std::nullopt) << "that file is known now";
    EXPECT_TRUE(m_lines.empty());
}

TEST_F(DisplaySettingsFileTest, NoFileLeavesTheDisplayAloneUntilOneArrives) {
    EXPECT_EQ(m_file->Load(), DisplaySettings());
    ASSERT_EQ(m_lines.size(), 1u);
    EXPECT_EQ(m_lines[0],
              "no " + m_folder + "/tvxdef.ini yet: the display is left alone until there is one");
    Put(100, 20, 1, 0);
    m_file->Look();
    EXPECT_EQ(m_file->Look(), DisplaySettings(100, 20, 1, 0));
}

TEST_F(DisplaySettingsFileTest, AFileCutShortKeepsTheSettings) {
    Put(200, 40, 1, 2);
    m_file->Load();
    Put(90, 10, 1, 2, 4);
    m_file->Look();
    EXPECT_EQ(m_file->Look(), std::nullopt);
    ASSERT_EQ(m_lines.size(), 1u);
    EXPECT_EQ(m_lines[0], "cannot use the new " + m_folder +
                              "/tvxdef.ini: no \"EndOfFile\" line at the end of " + m_folder +
                              "/tvxdef.ini; the settings stay as they were");
    EXPECT_EQ(m_file->Look(), std::nullopt) << "told once";
    EXPECT_EQ(m_lines.size(), 1u);

    // Written whole afterwards: taken.
    Put(90, 10, 1, 2);
    m_file->Look();
    EXPECT_EQ(m_file->Look(), DisplaySettings(90, 10, 1, 2));
}

TEST_F(DisplaySettingsFileTest, AnUnreadableFileAtStart) {
    fs::create_directory(m_folder + "/tvxdef.ini");
    EXPECT_EQ(m_file->Load(), DisplaySettings());
    ASSERT_EQ(m_lines.size(), 1u);
    EXPECT_EQ(m_lines[0].rfind("cannot read " + m_folder + "/tvxdef.ini: ", 0), 0u) << m_lines[0];
}

}  // namespace
