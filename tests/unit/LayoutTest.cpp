#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "TempFolder.h"
#include "model/Layout.h"
#include "model/NumberReading.h"
#include "model/Paths.h"

namespace {

TEST(ResetLayout, GivesDefaultsToPagesInUseAndButtonsUpToLastButton) {
    auto layout = std::make_unique<Layout>();
    EXPECT_EQ(layout->LastPage, 10);
    EXPECT_EQ(layout->LastButton, 90);
    EXPECT_EQ(layout->Form.GridX, 20);
    EXPECT_EQ(layout->Form.GridY, 20);
    EXPECT_EQ(layout->Form.SizeX, 0);
    EXPECT_EQ(layout->Form.Form_Scalefactor, 0.0);

    const PageRecord& page = layout->Page(5);
    EXPECT_EQ(page.PageName, L"newPage");
    EXPECT_EQ(page.Button_Last, 0);
    EXPECT_EQ(page.BackColor1, 0xFFFFFFu);
    EXPECT_EQ(page.BackColor2, 0xFFFFFFu);

    const ButtonRecord& button = layout->Button(5, 7);
    EXPECT_EQ(button.Text_On, L"Text_007");
    EXPECT_EQ(button.Text_Off, L"Text_007");
    EXPECT_EQ(button.Font_Size, 12);
    EXPECT_EQ(button.Font_Family, L"<default>");
    EXPECT_EQ(button.Pageflip, 999);
    EXPECT_EQ(layout->Button(10, 90).Text_On, L"Text_090");
}

TEST(ResetLayout, LeavesSlotsBeyondTheDefaultsEmpty) {
    auto layout = std::make_unique<Layout>();
    for (const auto& [page, button] :
         {std::pair{0, 91}, std::pair{10, 101}, std::pair{11, 0}, std::pair{101, 101}}) {
        SCOPED_TRACE(testing::Message() << "page " << page << " button " << button);
        const ButtonRecord& b = layout->Button(page, button);
        EXPECT_EQ(b.Text_On, L"");
        EXPECT_EQ(b.Text_Off, L"");
        EXPECT_EQ(b.Font_Size, 0);
        EXPECT_EQ(b.Font_Family, L"");
        EXPECT_EQ(b.Pageflip, 0);
    }
    EXPECT_EQ(layout->Page(11).PageName, L"");
    EXPECT_EQ(layout->Page(11).BackColor1, 0u);
}

TEST(ResetLayout, UndoesEditsButKeepsTheFolder) {
    auto layout = std::make_unique<Layout>();
    layout->Form.LayoutDirectory = L"/panel";
    layout->Form.SizeX = 800;
    layout->Page(3).Button_Last = 40;
    layout->Button(3, 4).Text_On = L"changed";
    layout->Button(20, 95).Led = 7;

    layout->ResetLayout();
    EXPECT_EQ(layout->Form.LayoutDirectory, L"/panel");
    EXPECT_EQ(layout->Form.SizeX, 0);
    EXPECT_EQ(layout->Page(3).Button_Last, 0);
    EXPECT_EQ(layout->Button(3, 4).Text_On, L"Text_004");
    EXPECT_EQ(layout->Button(20, 95).Led, 0);
}

TEST(Layout, RefusesSlotsOutsideTheTables) {
    auto layout = std::make_unique<Layout>();
    EXPECT_THROW(layout->Page(102), std::out_of_range);
    EXPECT_THROW(layout->Page(-1), std::out_of_range);
    EXPECT_THROW(layout->Button(0, 102), std::out_of_range);
    EXPECT_THROW(layout->Button(-1, 0), std::out_of_range);
    EXPECT_NO_THROW(layout->Button(101, 101));
}

TEST(NumberReading, ReadsLikeTheWideStringConversion) {
    const struct {
        const wchar_t* text;
        int expected;
    } cases[] = {
        {L"007", 7},
        {L"120", 120},
        {L"  -12x", -12},
        {L"+5", 5},
        {L"\t\r\n\v\f 9", 9},
        {L"-005", -5},
        {L"12 34", 12},
        {L"", 0},
        {L"abc", 0},
        {L"- 5", 0},
        {L"+-5", 0},
        {L"\u00A05", 0},  // no-break space is not white space to the C locale
        {L"\uFF15", 0},   // a full-width digit is no digit
        {L"2147483647", INT_MAX},
        {L"2147483648", INT_MAX},
        {L"99999999999999999999999", INT_MAX},
        {L"-2147483648", INT_MIN},
        {L"-99999999999999999999999", INT_MIN},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "text " << testing::PrintToString(std::wstring(c.text)));
        EXPECT_EQ(ReadWideInt(c.text), c.expected);
        std::string bytes;
        for (const wchar_t* p = c.text; *p != 0; ++p) {
            bytes += *p <= 0xFF ? static_cast<char>(*p) : '?';
        }
        EXPECT_EQ(ReadLatin1Int(bytes), c.expected);
    }
    EXPECT_EQ(ReadLatin1Int("\xA0"
                            "5"),
              0);
    EXPECT_EQ(ReadLatin1Int("\xB9"), 0);  // superscript one
}

TEST(NumberReading, ReadsColoursAsUnsigned32Bits) {
    const struct {
        const wchar_t* text;
        unsigned long expected;
    } cases[] = {
        {L"0016777215", 0xFFFFFFul},
        {L"4278190335", 0xFF0000FFul},
        {L"4294967295", 0xFFFFFFFFul},
        {L"4294967296", 0xFFFFFFFFul},
        {L"9999999999", 0xFFFFFFFFul},
        {L"-000000001", 0xFFFFFFFFul},
        {L"-2", 0xFFFFFFFEul},
        {L"-99999999999", 0xFFFFFFFFul},
        {L" x", 0ul},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "text " << testing::PrintToString(std::wstring(c.text)));
        EXPECT_EQ(ReadWideUnsigned32(c.text), c.expected);
        EXPECT_EQ(ReadLatin1Unsigned32(NativeName(c.text)), c.expected);
    }
}

TEST(Paths, ConvertsTextToUtf8AndBack) {
    const std::wstring text = L"B\u00FChne \u20AC \U0001F600 /x";
    const std::string utf8 = "B\xC3\xBChne \xE2\x82\xAC \xF0\x9F\x98\x80 /x";
    EXPECT_EQ(NativeName(text), utf8);
    EXPECT_EQ(TextFromNative(utf8), text);
    EXPECT_EQ(NativeName(std::wstring(1, static_cast<wchar_t>(0xD800))), "\xEF\xBF\xBD");
    EXPECT_EQ(NativeName(std::wstring(1, static_cast<wchar_t>(0x110000))), "\xEF\xBF\xBD");
}

TEST(Paths, KeepsTheBytesOfANameThatIsNotUtf8) {
    // Each byte outside a well-formed character stands as U+100000 + byte, as the toolkit's
    // choosers give such names, and comes back as that byte.
    const auto b = [](unsigned byte) { return static_cast<wchar_t>(0x100000 + byte); };
    const struct {
        std::string bytes;
        std::wstring expected;
    } cases[] = {
        {"\xFF\xFE-latin", {b(0xFF), b(0xFE), L'-', L'l', L'a', L't', L'i', L'n'}},
        {"a\xC3", {L'a', b(0xC3)}},                                  // cut short at the end
        {"\xC3(", {b(0xC3), L'('}},                                  // continuation missing
        {"\xC0\xAF", {b(0xC0), b(0xAF)}},                            // overlong slash
        {"\xED\xA0\x80", {b(0xED), b(0xA0), b(0x80)}},               // surrogate
        {"\xF4\x90\x80\x80", {b(0xF4), b(0x90), b(0x80), b(0x80)}},  // beyond U+10FFFF
        {"\x80z", {b(0x80), L'z'}},
        // Well-formed, but the character that stands for byte 0x80: kept as its four bytes.
        {"\xF4\x80\x82\x80", {b(0xF4), b(0x80), b(0x82), b(0x80)}},
        {"B\xC3\xBChne", L"B\u00FChne"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.bytes));
        EXPECT_EQ(TextFromNative(c.bytes), c.expected);
        EXPECT_EQ(NativeName(TextFromNative(c.bytes)), c.bytes);
    }
    // The overlong form of '/' is no separator.
    EXPECT_TRUE(IsBareFileName(TextFromNative("\xC0\xAF")));
}

// A name from a layout written elsewhere never reaches a file outside the layout folder.
TEST(Paths, OnlyBareNamesNameAFileOfTheFolder) {
    for (const wchar_t* bare : {L"a.png", L"..png", L"a..b.png", L"pics\\lamp.png", L" .png"}) {
        EXPECT_TRUE(IsBareFileName(bare)) << testing::PrintToString(std::wstring(bare));
    }
    for (const std::wstring& outside :
         {std::wstring(L"../../../../../etc/hostname"), std::wstring(L"/etc/hostname"),
          std::wstring(L"pics/lamp.png"), std::wstring(L".."), std::wstring(L"."),
          std::wstring(L""), std::wstring(L"a.png/"), std::wstring(L"a\0/../x", 8)}) {
        SCOPED_TRACE(testing::PrintToString(outside));
        EXPECT_FALSE(IsBareFileName(outside));
        EXPECT_EQ(PathInFolder(L"/panel/layout", outside), "");
    }
}

TEST(Paths, JoinsFolderAndNameAndFindsRegularFilesOnly) {
    EXPECT_EQ(PathInFolder(L"/panel/layout", L"tvxdef.ini"), "/panel/layout/tvxdef.ini");
    EXPECT_EQ(PathInFolder(L"/panel/layout/", L"tvxdef.ini"), "/panel/layout/tvxdef.ini");
    EXPECT_EQ(PathInFolder(L"/", L"a.png"), "/a.png");
    EXPECT_EQ(PathInFolder(L"", L"a.png"), "a.png");
    EXPECT_EQ(PathInFolder(L"/B\u00FChne", L"\u00E4.png"), "/B\xC3\xBChne/\xC3\xA4.png");

    const TempFolder temp("tvx-paths");
    const std::string& folder = temp.Path();
    const std::string file = folder + "/file";
    std::FILE* out = std::fopen(file.c_str(), "w");
    ASSERT_NE(out, nullptr);
    std::fclose(out);
    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(FileExists(folder));
    EXPECT_FALSE(FileExists(folder + "/missing"));
}

}  // namespace
