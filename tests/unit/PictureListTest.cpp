#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "model/Layout.h"
#include "model/PictureList.h"

namespace {

using Names = std::vector<std::wstring>;

/// A layout with the reset values but no buttons in use and no pictures.
std::unique_ptr<Layout> EmptyLayout() {
    auto layout = std::make_unique<Layout>();
    for (int page = 0; page < kPageSlots; ++page) {
        layout->Page(page).Button_Last = 0;
    }
    return layout;
}

void SetImages(Layout& layout, int page, int button, const std::wstring& off,
               const std::wstring& press, const std::wstring& on) {
    ButtonRecord& record = layout.Button(page, button);
    record.Image_File_Off = off;
    record.Image_File_Press = press;
    record.Image_File_On = on;
}

TEST(PictureList, NothingToSendWithoutPictures) {
    auto layout = EmptyLayout();
    layout->Page(0).Button_Last = 5;
    EXPECT_EQ(PictureList(*layout), Names{});
}

TEST(PictureList, SharedBackgroundGoesOncePerPageAndSharedButtonPictureOnce) {
    auto layout = EmptyLayout();
    layout->Page(0).PageImage = L"back.png";
    layout->Page(3).PageImage = L"back.png";
    layout->Page(0).Button_Last = 20;
    for (int button = 0; button < 20; ++button) {
        SetImages(*layout, 0, button, L"", L"", L"lamp.png");
    }
    EXPECT_EQ(PictureList(*layout), (Names{L"back.png", L"back.png", L"lamp.png"}));
}

TEST(PictureList, PagesInPageOrderThenButtonPicturesInOrderFirstMet) {
    auto layout = EmptyLayout();
    layout->Page(7).PageImage = L"seven.jpg";
    layout->Page(2).PageImage = L"two.jpg";
    // A background under five characters is still named: the lookup stands in for it.
    layout->Page(10).PageImage = L"x.bm";
    layout->Page(1).Button_Last = 2;
    SetImages(*layout, 1, 0, L"p1b0off.png", L"p1b0press.png", L"p1b0on.png");
    SetImages(*layout, 1, 1, L"p1b0on.png", L"shared.png", L"p1b1on.png");
    layout->Page(0).Button_Last = 1;
    SetImages(*layout, 0, 0, L"shared.png", L"", L"p0b0on.png");
    // The button table is distinct only within itself: a background name is listed again.
    layout->Page(4).Button_Last = 1;
    SetImages(*layout, 4, 0, L"", L"two.jpg", L"");
    EXPECT_EQ(PictureList(*layout),
              (Names{L"two.jpg", L"seven.jpg", L"x.bm", L"shared.png", L"p0b0on.png",
                     L"p1b0off.png", L"p1b0press.png", L"p1b0on.png", L"p1b1on.png", L"two.jpg"}));
}

TEST(PictureList, ButtonPicturesNeedMoreThanFourCharactersAndCaseCounts) {
    const struct {
        std::wstring name;
        bool listed;
    } cases[] = {
        {L"", false},      {L"a", false},    {L"a.bm", false}, {L"a.bmp", true},
        {L"A.BMP", true},  {L"    ", false}, {L"     ", true}, {L"ä.png", true},
        {L"a.bmp ", true}, {L"../x", false}, {L"../xy", true},
    };
    for (const auto& c : cases) {
        auto layout = EmptyLayout();
        layout->Page(0).Button_Last = 1;
        SetImages(*layout, 0, 0, c.name, L"", L"");
        EXPECT_EQ(PictureList(*layout), c.listed ? Names{c.name} : Names{})
            << "\"" << std::string(c.name.begin(), c.name.end()) << "\"";
    }

    auto layout = EmptyLayout();
    layout->Page(0).Button_Last = 2;
    SetImages(*layout, 0, 0, L"Lamp.png", L"lamp.png", L"LAMP.png");
    SetImages(*layout, 0, 1, L"lamp.png", L"Lamp.png", L"lamp.PNG");
    EXPECT_EQ(PictureList(*layout), (Names{L"Lamp.png", L"lamp.png", L"LAMP.png", L"lamp.PNG"}));
}

TEST(PictureList, OnlyPagesAndButtonsInUseAreLookedAt) {
    auto layout = EmptyLayout();
    layout->LastPage = 2;
    layout->Page(3).PageImage = L"unused.png";
    layout->Page(2).PageImage = L"last.png";
    layout->Page(3).Button_Last = 1;
    SetImages(*layout, 3, 0, L"unusedpage.png", L"", L"");
    layout->Page(0).Button_Last = 2;
    SetImages(*layout, 0, 1, L"inuse.png", L"", L"");
    SetImages(*layout, 0, 2, L"beyondlast.png", L"", L"");
    EXPECT_EQ(PictureList(*layout), (Names{L"last.png", L"inuse.png"}));
}

TEST(PictureList, CountsOutsideTheTablesAreLimitedToThem) {
    const struct {
        int lastPage;
        int buttonLast;
        std::size_t expected;
    } cases[] = {
        {-1, 5, 0},                     // no page in use
        {0, -7, 1},                     // background only
        {0, 100000, 1 + kButtonSlots},  // every slot of the page
        {500, 1, 2 * kPageSlots},       // every page: its background and its one button
    };
    for (const auto& c : cases) {
        auto layout = EmptyLayout();
        layout->LastPage = c.lastPage;
        for (int page = 0; page < kPageSlots; ++page) {
            layout->Page(page).PageImage = L"p" + std::to_wstring(page) + L".png";
            layout->Page(page).Button_Last = c.buttonLast;
            for (int button = 0; button < kButtonSlots; ++button) {
                SetImages(*layout, page, button,
                          L"b" + std::to_wstring(page) + L"_" + std::to_wstring(button) + L".png",
                          L"", L"");
            }
        }
        EXPECT_EQ(PictureList(*layout).size(), c.expected)
            << c.lastPage << " pages, " << c.buttonLast << " buttons";
    }
}

TEST(PictureList, HasNoFixedCapacity) {
    auto layout = EmptyLayout();
    Names expected;
    for (int page = 0; page <= layout->LastPage; ++page) {
        layout->Page(page).Button_Last = kButtonSlots;
        for (int button = 0; button < kButtonSlots; ++button) {
            std::wstring names[3];
            for (int look = 0; look < 3; ++look) {
                names[look] = std::to_wstring(page) + L"-" + std::to_wstring(button) + L"-" +
                              std::to_wstring(look) + L".png";
                expected.push_back(names[look]);
            }
            SetImages(*layout, page, button, names[0], names[1], names[2]);
        }
    }
    ASSERT_GT(expected.size(), 3000u);
    EXPECT_EQ(PictureList(*layout), expected);
}

}  // namespace
