#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "LayoutSamples.h"
#include "TempFolder.h"
#include "model/Layout.h"
#include "model/LayoutFormat.h"

using namespace std::string_literals;

namespace {

/// Lines written with "\n" become the file's CR LF lines.
std::string Crlf(const std::string& lines) {
    std::string out;
    for (char c : lines) {
        if (c == '\n') {
            out += '\r';
        }
        out += c;
    }
    return out;
}

std::unique_ptr<Layout> Parsed(const std::string& bytes) {
    auto layout = NewLayout();
    LayoutFormat::ParseLayout(bytes, *layout);
    return layout;
}

// --- The bytes of the file ----------------------------------------------------------------

TEST(LayoutFormat, WritesTheExampleFileByteForByte) {
    auto layout = NewLayout();
    layout->Form.SizeX = 800;
    layout->Form.SizeY = 480;
    layout->Form.Form_Scalefactor = 1.0;
    layout->Form.Form_FullScreen = 1;
    layout->Form.Form_ConnectModus = 1;
    layout->Page(0).Button_Last = 1;
    ButtonRecord& button = layout->Button(0, 0);
    button.PosX = 50;
    button.Text_On = L"Hall\nlight";
    button.Font_Style = 1;
    button.Led = 17;
    button.Taster = 42;

    std::string expected = Crlf(R"(Tolvamix :-)
Form_Password:
Destination_IP:000 000 000 000
Transmit_IP:000 000 000 000
Form_GridX_GridY:020 020
Form_SizeX_SizeY:0800 0480
Form_PageStart:000
Form_Scalefactor:0100
Form_FullScreen:001
Form_ConnectModus:001
Form_Orientation:000
Display_Off:000
Display_Off_Dim:000
Display_Bright:000
Display_Bright_Dim:000
Page:000 ---------------------------------------------------------------
Page_Button_Last:000 001
Page_PageName:000 newPage
Page_PageImage:000 
Page_BackColor1_BackColor2:000 0016777215 0016777215
Button:000 --------------
Page_Button_PosX_PosY:000 000 0050 0000
Page_Button_Text_On:000 000 Hall\alight
Page_Button_Text_Off:000 000 Text_000
Page_Button_Font_Style:000 000 001
Page_Button_Font_HorizAlign:000 000 000
Page_Button_Font_Size:000 000 012
Page_Button_Font_Family:000 000 <default>
Page_Button_Font_Color:000 000 0000000000
Page_Button_Led:000 000 017
Page_Button_Taster:000 000 042
Page_Button_Image_File_Off:000 000 
Page_Button_Image_File_Press:000 000 
Page_Button_Image_File_On:000 000 
Page_Button_Pageflip:000 000 999
Page_Button_Inaktiv:000 000 000
)");
    for (const char* p : {"001", "002", "003", "004", "005", "006", "007", "008", "009", "010"}) {
        expected += Crlf("Page:"s + p +
                         " ---------------------------------------------------------------\n"
                         "Page_Button_Last:" +
                         p + " 000\nPage_PageName:" + p + " newPage\nPage_PageImage:" + p +
                         " \nPage_BackColor1_BackColor2:" + p + " 0016777215 0016777215\n");
    }
    expected += "EndOfFile\r\n";

    EXPECT_EQ(LayoutFormat::FormatLayout(*layout), expected);
}

/// FNV-1a over the bytes: a fingerprint of a file too large to keep beside the test.
std::uint64_t Fingerprint(const std::string& bytes) {
    std::uint64_t hash = 0xcbf29ce484222325u;
    for (const char c : bytes) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3u;
    }
    return hash;
}

TEST(LayoutFormat, WritesTheFullestLayoutByteForByte) {
    // Every field of every page and of every button on it, as this writer has always written
    // them: a store that changes one byte of any line changes the length or the fingerprint.
    const std::string bytes = LayoutFormat::FormatLayout(*EverythingFilled());
    EXPECT_EQ(bytes.size(), 590654u);
    EXPECT_EQ(Fingerprint(bytes), 0xa083f72bca3fa241u);
}

TEST(LayoutFormat, EveryFieldSurvivesAStoreAndALoad) {
    auto original = EverythingFilled();
    auto loaded = Parsed(LayoutFormat::FormatLayout(*original));
    ExpectSameTables(*loaded, *original);
    EXPECT_EQ(LayoutFormat::FormatLayout(*loaded), LayoutFormat::FormatLayout(*original));
}

TEST(LayoutFormat, ScalefactorHundredthsWriteBackUnchanged) {
    auto layout = NewLayout();
    for (int n = 0; n <= 9999; ++n) {
        char line[40];
        std::snprintf(line, sizeof line, "Form_Scalefactor:%.4d\r\n", n);
        LayoutFormat::ParseLayout(line, *layout);
        ASSERT_EQ(layout->Form.Form_Scalefactor, n / 100.0);
        ASSERT_NE(LayoutFormat::FormatLayout(*layout).find(line), std::string::npos) << line;
    }
    const struct {
        double factor;
        const char* line;
    } cases[] = {
        {1.257, "Form_Scalefactor:0125\r\n"},       {0.29, "Form_Scalefactor:0029\r\n"},
        {-1.257, "Form_Scalefactor:-0125\r\n"},     {0.0099, "Form_Scalefactor:0000\r\n"},
        {1e300, "Form_Scalefactor:2147483647\r\n"}, {-1e300, "Form_Scalefactor:-2147483648\r\n"},
        {std::nan(""), "Form_Scalefactor:0000\r\n"}};
    for (const auto& c : cases) {
        layout->Form.Form_Scalefactor = c.factor;
        EXPECT_NE(LayoutFormat::FormatLayout(*layout).find(c.line), std::string::npos) << c.line;
    }
}

TEST(LayoutFormat, WritesAQuestionMarkForCharactersBeyondIso8859_1) {
    auto layout = NewLayout();
    layout->Page(0).PageName = L"\u00E9t\u00E9 \u20AC\U0001F600";
    layout->Page(0).Button_Last = 1;
    layout->Button(0, 0).Text_On = L"\u0141\u00F3d\u017A";
    const std::string bytes = LayoutFormat::FormatLayout(*layout);
    EXPECT_NE(bytes.find("Page_PageName:000 \xE9t\xE9 ??\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("Page_Button_Text_On:000 000 ?\xF3"
                         "d?\r\n"),
              std::string::npos);
}

TEST(LayoutFormat, EscapesLineBreaksOfButtonTextsOnly) {
    const struct {
        std::wstring plain;
        std::wstring escaped;
    } cases[] = {
        {L"A\r\nB", L"A\\d\\aB"},     {L"\r\r\r", L"\\d\\d\\d"}, {L"\n\n", L"\\a\\a"}, {L"", L""},
        {L"no breaks", L"no breaks"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LayoutFormat::EscapeText(c.plain), c.escaped);
        EXPECT_EQ(LayoutFormat::UnescapeText(c.escaped), c.plain);
    }
    // A backslash has no escape of its own, so some texts do not come back.
    const struct {
        std::wstring escaped;
        std::wstring plain;
    } lossy[] = {
        {L"C:\\data", L"C:\rata"}, {L"\\\\d", L"\\\r"}, {L"\\", L"\\"},    {L"x\\", L"x\\"},
        {L"\\a\\d", L"\n\r"},      {L"\\x", L"\\x"},    {L"\\dd", L"\rd"}, {L"\\d\\", L"\r\\"},
    };
    for (const auto& c : lossy) {
        EXPECT_EQ(LayoutFormat::UnescapeText(c.escaped), c.plain)
            << testing::PrintToString(c.escaped);
    }
}

// --- The reader's ways ---------------------------------------------------------------------

TEST(LayoutReader, ReadsTheFileAsTheOldReaderDid) {
    const struct {
        const char* name;
        std::string bytes;
        std::function<void(const Layout&)> check;
    } cases[] = {
        {"a key inside a page name is read too", "Page_PageName:000 Page_PageImage:001 x\r\n",
         [](const Layout& l) {
             EXPECT_EQ(l.Page(0).PageName, L"Page_PageImage:001 x");
             EXPECT_EQ(l.Page(1).PageImage, L"x");
             EXPECT_EQ(l.Page(0).PageImage, L"");
         }},
        {"LF-only line ends give no line at all", "Form_PageStart:007\nForm_GridX_GridY:005 005\n",
         [](const Layout& l) {
             EXPECT_EQ(l.Form.Form_PageStart, 0);
             EXPECT_EQ(l.Form.GridX, 20);
         }},
        {"a last line without CR is lost", "Form_PageStart:007\r\nForm_FullScreen:001",
         [](const Layout& l) {
             EXPECT_EQ(l.Form.Form_PageStart, 7);
             EXPECT_EQ(l.Form.Form_FullScreen, 0);
         }},
        {"three-digit fields take three characters",
         "Page_Button_Taster:000 000 1234\r\nPage_Button_Led:000 001 17\r\n",
         [](const Layout& l) {
             EXPECT_EQ(l.Button(0, 0).Taster, 123);
             EXPECT_EQ(l.Button(0, 1).Led, 17);
         }},
        {"a negative position loses its last digit and shifts the next field",
         "Page_Button_PosX_PosY:000 000 -0050 0007\r\n",
         [](const Layout& l) {
             EXPECT_EQ(l.Button(0, 0).PosX, -5);
             EXPECT_EQ(l.Button(0, 0).PosY, 0);
         }},
        {"Form_Orientation is never read", "Form_Orientation:005\r\n",
         [](const Layout& l) { EXPECT_EQ(l.Form.Form_Orientation, 0); }},
        {"zero bytes are dropped",
         "Form_Page\0Start:0\0\0"
         "07\r\n"s,
         [](const Layout& l) { EXPECT_EQ(l.Form.Form_PageStart, 7); }},
        {"the byte after CR is dropped unseen",
         "Form_PageStart:007\rForm_GridX_GridY:005 006\r\rXDisplay_Off:009\r\0Display_Bright:004\r\n"s,
         [](const Layout& l) {
             EXPECT_EQ(l.Form.Form_PageStart, 7);
             EXPECT_EQ(l.Form.GridX, 20);          // its F was eaten
             EXPECT_EQ(l.Form.Display_Off, 9);     // the CR after a CR was eaten, ended nothing
             EXPECT_EQ(l.Form.Display_Bright, 4);  // the zero after the CR was the eaten byte
         }},
        {"a later line overwrites an earlier one", "Form_PageStart:001\r\nForm_PageStart:002\r\n",
         [](const Layout& l) { EXPECT_EQ(l.Form.Form_PageStart, 2); }},
        {"fields are shortened at the line end, the CR included",
         "Page_Button_Last:003 5\r\nPage_Button_Last:004\r\nForm_Password:\r\n"
         "Page_PageName:005\r\nForm_SizeX_SizeY:0640 \r\n",
         [](const Layout& l) {
             EXPECT_EQ(l.Page(3).Button_Last, 5);
             EXPECT_EQ(l.Page(4).Button_Last, 0);
             EXPECT_EQ(l.Form.Form_Password, L"");
             EXPECT_EQ(l.Page(5).PageName, L"");
             EXPECT_EQ(l.Form.SizeX, 640);
             EXPECT_EQ(l.Form.SizeY, 0);
         }},
        {"only the first occurrence of a key counts, even when it reads nothing",
         "Form_Password:x Form_PageStart:Form_PageStart:005\r\nDisplay_Off_Dim:007\r\n"
         "Page_Button_Text_On:000 000 a:b:Page_Button_Led:000 000 005\r\n",
         [](const Layout& l) {
             EXPECT_EQ(l.Form.Form_Password, L"x Form_PageStart:Form_PageStart:005");
             EXPECT_EQ(l.Form.Form_PageStart, 0);
             EXPECT_EQ(l.Form.Display_Off, 0);
             EXPECT_EQ(l.Form.Display_Off_Dim, 7);
             EXPECT_EQ(l.Button(0, 0).Text_On, L"a:b:Page_Button_Led:000 000 005");
             EXPECT_EQ(l.Button(0, 0).Led, 5);
         }},
        {"keys are found anywhere in a line, and several in one line",
         "xx Form_FullScreen:001 Form_ConnectModus:001 Form_FullScreen:000\r\n",
         [](const Layout& l) {
             EXPECT_EQ(l.Form.Form_FullScreen, 1);  // its first occurrence counts
             EXPECT_EQ(l.Form.Form_ConnectModus, 1);
         }},
        {"texts are ISO-8859-1 and keep everything to the CR",
         "Form_Password:\xE9t\xE9 \t\\d \r\nPage_Button_Text_On:002 003 a\\db\\a\xFF\r\n",
         [](const Layout& l) {
             EXPECT_EQ(l.Form.Form_Password, L"\u00E9t\u00E9 \t\\d ");
             EXPECT_EQ(l.Button(2, 3).Text_On, L"a\rb\n\u00FF");
         }},
        {"colours are unsigned with the top byte kept",
         "Page_BackColor1_BackColor2:007 4278190335 0016777215\r\n"
         "Page_Button_Font_Color:001 002 4294967295\r\n",
         [](const Layout& l) {
             EXPECT_EQ(l.Page(7).BackColor1, 0xFF0000FFu);
             EXPECT_EQ(l.Page(7).BackColor2, 0xFFFFFFu);
             EXPECT_EQ(l.Button(1, 2).Font_Color, 0xFFFFFFFFu);
         }},
        {"the start page is kept as read", "Form_PageStart:-07\r\nDestination_IP:300 -01 1 2\r\n",
         [](const Layout& l) {
             EXPECT_EQ(l.Form.Form_PageStart, -7);
             EXPECT_EQ(l.Form.Destination_IP, (std::array<int, 4>{300, -1, 1, 0}));
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.check(*Parsed(c.bytes));
    }
}

TEST(LayoutReader, WritesABackslashDTextBackAsALineBreak) {
    auto layout = NewLayout();
    layout->Page(0).Button_Last = 1;
    layout->Button(0, 0).Text_Off = L"C:\\data";
    EXPECT_EQ(Parsed(LayoutFormat::FormatLayout(*layout))->Button(0, 0).Text_Off, L"C:\rata");
}

TEST(LayoutReader, HeaderOnlyAndEmptyFilesLoadAsTheResetLayout) {
    auto reset = NewLayout();
    for (const std::string& bytes :
         {"Tolvamix :-)\r\n"s, ""s, "\r"s, "\r\n\r\n"s, "EndOfFile\r\n"s}) {
        SCOPED_TRACE(testing::PrintToString(bytes));
        ExpectSameTables(*Parsed(bytes), *reset);
    }
}

TEST(LayoutReader, SkipsLinesThatNameNoSlot) {
    const std::string lines[] = {
        "Page_PageName:102 x\r\n",
        "Page_PageName:-01 x\r\n",
        "Page_PageImage:999 x\r\n",
        "Page_Button_Last:102 005\r\n",
        "Page_BackColor1_BackColor2:-1  0000000001 0000000001\r\n",
        "Page_Button_Led:000 102 001\r\n",
        "Page_Button_Led:000 -01 001\r\n",
        "Page_Button_Text_On:102 000 x\r\n",
        "Page_Button_PosX_PosY:500 500 0001 0001\r\n",
        "Page_Button_Font_Family:-99 -99 x\r\n",
    };
    auto reset = NewLayout();
    for (const std::string& line : lines) {
        SCOPED_TRACE(line);
        ExpectSameTables(*Parsed(line), *reset);
    }
}

TEST(LayoutReader, LoadsTheLastSlotsAndKeepsUnwrittenOnesOutOfTheNextStore) {
    auto layout = Parsed(
        "Page_PageName:101 far\r\nPage_Button_Led:101 101 042\r\nPage_Button_Led:000 050 007\r\n");
    EXPECT_EQ(layout->Page(101).PageName, L"far");
    EXPECT_EQ(layout->Button(101, 101).Led, 42);
    EXPECT_EQ(layout->Button(0, 50).Led, 7);
    const std::string bytes = LayoutFormat::FormatLayout(*layout);
    EXPECT_EQ(bytes.find("far"), std::string::npos);
    EXPECT_EQ(bytes.find("Page_Button_Led:000 050"), std::string::npos);
}

TEST(LayoutReader, LimitsButtonLastToTheSlotsOfAPage) {
    const struct {
        const char* value;
        int expected;
    } cases[] = {{"000", 0},   {"101", 101}, {"102", 102}, {"103", 102},
                 {"999", 102}, {"-05", 0},   {"-1", 0}};
    for (const auto& c : cases) {
        auto layout = Parsed("Page_Button_Last:002 "s + c.value + "\r\n");
        EXPECT_EQ(layout->Page(2).Button_Last, c.expected) << c.value;
    }
    auto full = Parsed("Page_Button_Last:010 999\r\n");
    const std::string bytes = LayoutFormat::FormatLayout(*full);
    EXPECT_NE(bytes.find("Page_Button_Inaktiv:010 101 000\r\n"), std::string::npos);
    EXPECT_EQ(bytes.find("Button:102 "), std::string::npos);
}

TEST(LayoutReader, ReadsAFileOfAnyLength) {
    std::string bytes;
    for (int i = 0; i < 60000; ++i) {
        bytes += "filler line\r\n";
    }
    bytes += "Form_PageStart:009\r\n";
    EXPECT_EQ(Parsed(bytes)->Form.Form_PageStart, 9);
}

/// Mangled layout files and plain noise: the reader must neither crash nor leave a page
/// with more buttons than it has slots, and what it read must still be writable.
TEST(LayoutReader, SurvivesMutatedAndRandomInput) {
    std::mt19937 random(20240601);
    auto pick = [&random](std::size_t n) {
        return static_cast<std::size_t>(
            std::uniform_int_distribution<std::size_t>(0, n - 1)(random));
    };
    const std::vector<std::string> fragments = {
        "Page_Button_Last:",
        "Page_Button_Led:",
        "Page_PageName:",
        "Page_Button_Text_On:",
        "Page_BackColor1_BackColor2:",
        "Page_Button_PosX_PosY:",
        "Form_Password:",
        "Destination_IP:",
        "Form_Scalefactor:",
        "-",
        "999",
        "-99",
        "102",
        "101",
        " ",
        "\\",
        "\\d",
        "\\a",
        "\r",
        "\n",
        "\r\n",
        std::string(1, '\0'),
        "\xFF",
        "9999999999",
    };

    auto base = NewLayout();
    base->Page(0).Button_Last = 3;
    base->Page(1).Button_Last = 2;
    const std::string sample = LayoutFormat::FormatLayout(*base);

    auto layout = NewLayout();
    for (int round = 0; round < 4000; ++round) {
        std::string bytes;
        if (round % 2 == 0) {
            bytes = sample;
            const int edits = 1 + static_cast<int>(pick(20));
            for (int e = 0; e < edits; ++e) {
                const std::size_t at = pick(bytes.size() + 1);
                switch (pick(4)) {
                    case 0:
                        if (at < bytes.size()) {
                            bytes[at] = static_cast<char>(pick(256));
                        }
                        break;
                    case 1:
                        bytes.insert(at, fragments[pick(fragments.size())]);
                        break;
                    case 2:
                        bytes.erase(at, pick(40));
                        break;
                    default:
                        bytes.insert(at, bytes.substr(pick(bytes.size()), pick(200)));
                }
            }
        } else {
            const std::size_t pieces = pick(200);
            for (std::size_t i = 0; i < pieces; ++i) {
                if (pick(3) == 0) {
                    bytes += static_cast<char>(pick(256));
                } else {
                    bytes += fragments[pick(fragments.size())];
                }
            }
        }
        if (round % 500 == 0) {
            layout->ResetLayout();
        }
        LayoutFormat::ParseLayout(bytes, *layout);
        if (round % 20 == 0) {
            // The same lines, split one byte at a time and written back with CR LF, load the
            // same: the reader's fast line splitting drops exactly the bytes it should.
            std::string lines;
            for (std::size_t i = 0; i < bytes.size(); ++i) {
                if (bytes[i] != '\0') {
                    lines += bytes[i];
                }
                if (bytes[i] == '\r') {
                    lines += '\n';
                    ++i;
                }
            }
            if (const std::size_t last = lines.rfind('\r'); last != std::string::npos) {
                lines.resize(last + 2);
            } else {
                lines.clear();
            }
            ASSERT_EQ(LayoutFormat::FormatLayout(*Parsed(lines)),
                      LayoutFormat::FormatLayout(*Parsed(bytes)))
                << "round " << round;
        }
        for (int p = 0; p < kPageSlots; ++p) {
            ASSERT_GE(layout->Page(p).Button_Last, 0) << "round " << round;
            ASSERT_LE(layout->Page(p).Button_Last, kButtonSlots) << "round " << round;
        }
        LayoutFormat::FormatLayout(*layout);
    }
}

// --- The table -----------------------------------------------------------------------------

std::string SourceFile(const std::string& name) {
    return ReadFile(std::string(TVX_SOURCE_DIR) + "/" + name);
}

/// The reader cuts each field where the writer puts it: after the page and button numbers of
/// the line, one blank after the field before; a text runs to the end of the line, so it is
/// the last field.
template <class Record>
void ExpectFieldsWhereTheWriterPutsThem(const std::vector<LineFormat<Record>>& lines,
                                        std::size_t numbers) {
    for (const LineFormat<Record>& line : lines) {
        SCOPED_TRACE(std::string(line.key));
        ASSERT_FALSE(line.fields.empty());
        EXPECT_EQ(line.key.back(), ':');
        std::size_t position = numbers;
        for (std::size_t i = 0; i < line.fields.size(); ++i) {
            const FieldFormat<Record>& field = line.fields[i];
            EXPECT_EQ(field.position, position) << "field " << i;
            EXPECT_TRUE(field.width > 0 || i + 1 == line.fields.size()) << "field " << i;
            position += field.width + 1;
        }
    }
}

TEST(LayoutFormat, EveryFieldStandsWhereTheWriterPutsIt) {
    ExpectFieldsWhereTheWriterPutsThem(LayoutFormat::FormLines(), 0);
    ExpectFieldsWhereTheWriterPutsThem(LayoutFormat::PageLines(), 4);
    ExpectFieldsWhereTheWriterPutsThem(LayoutFormat::ButtonLines(), 8);
}

TEST(LayoutFormat, ReadsEveryKeyItWritesButTheOrientation) {
    std::vector<std::string_view> written;
    for (const auto& line : LayoutFormat::FormLines()) {
        if (line.key != "Form_Orientation:") {
            written.push_back(line.key);
        }
    }
    for (const auto& line : LayoutFormat::PageLines()) {
        written.push_back(line.key);
    }
    for (const auto& line : LayoutFormat::ButtonLines()) {
        written.push_back(line.key);
    }
    EXPECT_EQ(LayoutFormat::ReadKeys(), written);
}

// The fuzzer's dictionary cannot be made from the table; this keeps it from falling behind.
TEST(LayoutFormat, TheFuzzDictionaryHoldsEveryKey) {
    const std::string dictionary = SourceFile("fuzz/layout.dict");
    ASSERT_FALSE(dictionary.empty());
    for (const std::string_view key : LayoutFormat::ReadKeys()) {
        EXPECT_NE(dictionary.find("\"" + std::string(key) + "\""), std::string::npos) << key;
    }
}

// The demo layout is written by a script of its own: it must be exactly what a store of the
// layout it holds writes.
TEST(LayoutFormat, TheDemoLayoutIsWhatAStoreWrites) {
    const std::string demo = SourceFile("demo/tvxdef.ini");
    ASSERT_FALSE(demo.empty());
    auto layout = std::make_unique<Layout>();
    LayoutFormat::ParseLayout(demo, *layout);
    EXPECT_TRUE(LayoutFormat::FormatLayout(*layout) == demo);
}

}  // namespace
