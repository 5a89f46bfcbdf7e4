#include "SendPlan.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "model/Layout.h"
#include "model/Paths.h"

namespace {

/// A layout folder of its own with the given files, and a layout without buttons or pictures.
class SendPlanTest : public testing::Test {
  protected:
    void SetUp() override {
        m_layout->ResetLayout();
        m_layout->Form.LayoutDirectory = TextFromNative(m_folder);
        for (int page = 0; page < kPageSlots; ++page) {
            m_layout->Page(page).Button_Last = 0;
        }
    }

    void Put(const std::string& name) { std::ofstream(m_folder + "/" + name) << name; }
    std::string Path(const std::string& name) const { return m_folder + "/" + name; }

    TempFolder m_temp{"tvx-plan"};
    const std::string m_folder = m_temp.Path();
    std::unique_ptr<Layout> m_layout = std::make_unique<Layout>();
};

struct Expected {
    std::wstring name;
    std::string path;  ///< in the folder; empty: none
    StandIn standIn;
};

TEST_F(SendPlanTest, TheLayoutFileThenThePicturesAsThePanelFindsThem) {
    for (const char* name :
         {"tvxdef.ini", "defaultButton.png", "TvxMenu.png", "back.png", "off.png", "a.jp"}) {
        Put(name);
    }
    m_layout->Page(0).PageImage = L"back.png";
    m_layout->Page(2).PageImage = L"a.jp";  // a name too short for a picture of its own
    m_layout->Page(3).PageImage = L"back.png";
    m_layout->Page(0).Button_Last = 2;
    m_layout->Button(0, 0).Image_File_Off = L"off.png";
    m_layout->Button(0, 0).Image_File_On = L"gone.png";
    m_layout->Button(0, 1).Image_File_Press = L"off.png";
    m_layout->Button(0, 1).Image_File_Off = L"TvxMenu.png";
    m_layout->Button(0, 1).Image_File_On = L"Off.png";
    // A name from a layout written elsewhere that leads out of the folder is never read.
    m_layout->Page(4).PageImage = L"../../../../../etc/hostname";

    const Expected expected[] = {
        {L"tvxdef.ini", "tvxdef.ini", StandIn::None},
        {L"back.png", "back.png", StandIn::None},
        {L"a.jp", "defaultButton.png", StandIn::ShortName},
        {L"back.png", "back.png", StandIn::None},
        {L"../../../../../etc/hostname", "", StandIn::Outside},
        {L"off.png", "off.png", StandIn::None},
        {L"gone.png", "defaultButton.png", StandIn::Missing},
        {L"TvxMenu.png", "TvxMenu.png", StandIn::None},
        {L"Off.png", "defaultButton.png", StandIn::Missing},
        // A new panel needs it to start; the menu picture went with the button pictures.
        {L"defaultButton.png", "defaultButton.png", StandIn::None},
    };
    const std::vector<PlannedFile> plan = MakeSendPlan(*m_layout);
    ASSERT_EQ(plan.size(), std::size(expected));
    for (std::size_t i = 0; i < plan.size(); ++i) {
        EXPECT_EQ(plan[i].name, expected[i].name) << i;
        EXPECT_EQ(plan[i].path, expected[i].path.empty() ? "" : Path(expected[i].path)) << i;
        EXPECT_EQ(plan[i].standIn, expected[i].standIn) << i;
    }
}

TEST_F(SendPlanTest, WithoutTheDefaultPictureAMissingOneHasNothingToSend) {
    Put("tvxdef.ini");
    Put("here.png");
    m_layout->Page(0).Button_Last = 1;
    m_layout->Button(0, 0).Image_File_Off = L"here.png";
    m_layout->Button(0, 0).Image_File_On = L"gone.png";

    const std::vector<PlannedFile> plan = MakeSendPlan(*m_layout);
    ASSERT_EQ(plan.size(), 3u);
    EXPECT_EQ(plan[1].path, Path("here.png"));
    EXPECT_EQ(plan[2].name, L"gone.png");
    EXPECT_EQ(plan[2].path, "");
    EXPECT_EQ(plan[2].standIn, StandIn::Missing);
}

}  // namespace
