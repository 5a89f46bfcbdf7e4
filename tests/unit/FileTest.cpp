#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "FileDoubles.h"
#include "model/File.h"
#include "model/Layout.h"
#include "model/LayoutFormat.h"
#include "model/Paths.h"

using namespace std::string_literals;

namespace {

std::unique_ptr<Layout> NewLayout() {
    return std::make_unique<Layout>();
}

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

/// Whether two records hold the same value in every field the file has.
template <class Record>
bool SameFields(const std::vector<LineFormat<Record>>& lines, const Record& a, const Record& b) {
    for (const LineFormat<Record>& line : lines) {
        for (const FieldFormat<Record>& field : line.fields) {
            if ((field.number && a.*field.number != b.*field.number) ||
                (field.factor && a.*field.factor != b.*field.factor) ||
                (field.address && a.*field.address != b.*field.address) ||
                (field.colour && a.*field.colour != b.*field.colour) ||
                (field.text && a.*field.text != b.*field.text)) {
                return false;
            }
        }
    }
    return true;
}

/// Every field of every slot, pages and buttons beyond the ones in use included.
void ExpectSameTables(const Layout& a, const Layout& b) {
    EXPECT_TRUE(SameFields(LayoutFormat::FormLines(), a.Form, b.Form));
    for (int p = 0; p < kPageSlots; ++p) {
        EXPECT_TRUE(SameFields(LayoutFormat::PageLines(), a.Page(p), b.Page(p))) << "page " << p;
        for (int s = 0; s < kButtonSlots; ++s) {
            EXPECT_TRUE(SameFields(LayoutFormat::ButtonLines(), a.Button(p, s), b.Button(p, s)))
                << "page " << p << " button " << s;
        }
    }
}

/// A layout with every field of every page in use and of every button on it set to a value
/// that the file can carry, texts with line breaks and ISO-8859-1 letters included.
std::unique_ptr<Layout> EverythingFilled() {
    auto layout = NewLayout();
    FormSettings& form = layout->Form;
    form.Form_Password = L"g\u00E9heim 1";
    form.Destination_IP = {192, 168, 1, 250};
    form.Transmit_IP = {10, 0, 0, 7};
    form.GridX = 8;
    form.GridY = 999;
    form.SizeX = 1920;
    form.SizeY = 9999;
    form.Form_PageStart = 3;
    form.Form_Scalefactor = 0.29;
    form.Form_FullScreen = 1;
    form.Form_ConnectModus = 1;
    form.Display_Off = 30;
    form.Display_Off_Dim = 31;
    form.Display_Bright = 100;
    form.Display_Bright_Dim = 5;
    for (int p = 0; p <= layout->LastPage; ++p) {
        PageRecord& page = layout->Page(p);
        page.Button_Last = p == 4 ? 0 : kButtonSlots - p;
        page.PageName = L"Etage " + std::to_wstring(p) + L" \u00FF";
        page.PageImage = p % 2 ? L"" : L"back" + std::to_wstring(p) + L".png";
        page.BackColor1 = 0xFF000000u + static_cast<Colour>(p);
        page.BackColor2 = 0xFFFFFFFFu - static_cast<Colour>(p);
        for (int b = 0; b < page.Button_Last; ++b) {
            ButtonRecord& button = layout->Button(p, b);
            const int n = p * kButtonSlots + b;
            button.PosX = n % 10000;
            button.PosY = (n * 7) % 10000;
            button.Text_On = L"Licht\r\n" + std::to_wstring(n) + L"\n\u00E4n";
            button.Text_Off = n % 3 ? L"" : L"\r\r\raus";
            button.Font_Style = n % 8;
            button.Font_HorizAlign = n % 3;
            button.Font_Size = 6 + n % 90;
            button.Font_Family = n % 2 ? L"DejaVu Sans" : L"<default>";
            button.Font_Color = static_cast<Colour>(n) * 2654435761u;
            button.Led = n % 1000;
            button.Taster = (n * 3) % 1000;
            button.Image_File_Off = L"off" + std::to_wstring(n) + L".png";
            button.Image_File_Press = n % 5 ? L"" : L"press.png";
            button.Image_File_On = L"on \u00DF.jpg";
            button.Pageflip = n % 11 ? 999 : n % 11;
            button.Inaktiv = n % 2;
        }
    }
    return layout;
}

// --- The bytes of the file ----------------------------------------------------------------

TEST(FileFormat, WritesTheExampleFileByteForByte) {
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

TEST(FileFormat, WritesTheFullestLayoutByteForByte) {
    // Every field of every page and of every button on it, as this writer has always written
    // them: a store that changes one byte of any line changes the length or the fingerprint.
    const std::string bytes = LayoutFormat::FormatLayout(*EverythingFilled());
    EXPECT_EQ(bytes.size(), 590654u);
    EXPECT_EQ(Fingerprint(bytes), 0xa083f72bca3fa241u);
}

TEST(FileFormat, EveryFieldSurvivesAStoreAndALoad) {
    auto original = EverythingFilled();
    auto loaded = Parsed(LayoutFormat::FormatLayout(*original));
    ExpectSameTables(*loaded, *original);
    EXPECT_EQ(LayoutFormat::FormatLayout(*loaded), LayoutFormat::FormatLayout(*original));
}

TEST(FileFormat, ScalefactorHundredthsWriteBackUnchanged) {
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

TEST(FileFormat, WritesAQuestionMarkForCharactersBeyondIso8859_1) {
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

TEST(FileFormat, EscapesLineBreaksOfButtonTextsOnly) {
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

TEST(FileReader, ReadsTheFileAsTheOldReaderDid) {
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

TEST(FileReader, WritesABackslashDTextBackAsALineBreak) {
    auto layout = NewLayout();
    layout->Page(0).Button_Last = 1;
    layout->Button(0, 0).Text_Off = L"C:\\data";
    EXPECT_EQ(Parsed(LayoutFormat::FormatLayout(*layout))->Button(0, 0).Text_Off, L"C:\rata");
}

TEST(FileReader, HeaderOnlyAndEmptyFilesLoadAsTheResetLayout) {
    auto reset = NewLayout();
    for (const std::string& bytes :
         {"Tolvamix :-)\r\n"s, ""s, "\r"s, "\r\n\r\n"s, "EndOfFile\r\n"s}) {
        SCOPED_TRACE(testing::PrintToString(bytes));
        ExpectSameTables(*Parsed(bytes), *reset);
    }
}

TEST(FileReader, SkipsLinesThatNameNoSlot) {
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

TEST(FileReader, LoadsTheLastSlotsAndKeepsUnwrittenOnesOutOfTheNextStore) {
    auto layout = Parsed(
        "Page_PageName:101 far\r\nPage_Button_Led:101 101 042\r\nPage_Button_Led:000 050 007\r\n");
    EXPECT_EQ(layout->Page(101).PageName, L"far");
    EXPECT_EQ(layout->Button(101, 101).Led, 42);
    EXPECT_EQ(layout->Button(0, 50).Led, 7);
    const std::string bytes = LayoutFormat::FormatLayout(*layout);
    EXPECT_EQ(bytes.find("far"), std::string::npos);
    EXPECT_EQ(bytes.find("Page_Button_Led:000 050"), std::string::npos);
}

TEST(FileReader, LimitsButtonLastToTheSlotsOfAPage) {
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

TEST(FileReader, ReadsAFileOfAnyLength) {
    std::string bytes;
    for (int i = 0; i < 60000; ++i) {
        bytes += "filler line\r\n";
    }
    bytes += "Form_PageStart:009\r\n";
    EXPECT_EQ(Parsed(bytes)->Form.Form_PageStart, 9);
}

/// Mangled layout files and plain noise: the reader must neither crash nor leave a page
/// with more buttons than it has slots, and what it read must still be writable.
TEST(FileReader, SurvivesMutatedAndRandomInput) {
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

// --- Load and store on disk ---------------------------------------------------------------

/// A fresh folder for each test, removed afterwards.
class FileOnDisk : public testing::Test {
  protected:
    void SetUp() override {
        m_folder = testing::TempDir() + "tvx-file-XXXXXX";
        ASSERT_NE(::mkdtemp(m_folder.data()), nullptr);
        m_layout = NewLayout();
        m_layout->Form.LayoutDirectory = TextFromNative(m_folder);
        m_path = m_folder + "/tvxdef.ini";
    }
    void TearDown() override {
        ::chmod(m_folder.c_str(), 0700);
        std::filesystem::remove_all(m_folder);
    }

    void Write(const std::string& bytes) const { std::ofstream(m_path, std::ios::binary) << bytes; }
    std::string Read() const {
        std::ifstream in(m_path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_folder)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    mode_t Mode() const {
        struct stat info {};
        ::stat(m_path.c_str(), &info);
        return info.st_mode & 07777;
    }

    std::string m_folder;
    std::string m_path;
    std::unique_ptr<Layout> m_layout;
    File m_file;
};

TEST_F(FileOnDisk, LoadReportsAMissingFile) {
    EXPECT_EQ(m_file.LoadLayout(*m_layout), FileStatus::Missing);
}

/// What lstat says an entry is, without following a link: its type and, for a link, where it
/// points.
std::string Kind(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        return "nothing";
    }
    if (S_ISLNK(info.st_mode)) {
        return "link to " + std::filesystem::read_symlink(path).string();
    }
    return S_ISREG(info.st_mode) ? "file" : S_ISDIR(info.st_mode) ? "folder" : "other";
}

TEST_F(FileOnDisk, ALayoutFileThatIsThereButCannotBeUsedIsNotCalledMissing) {
    const std::string old = "Tolvamix :-)\r\nForm_PageStart:004\r\n";
    struct Case {
        const char* name;
        std::function<void()> make;
        int readError;  ///< a read that fails with this, 0 for a real read
        std::string reason;
    };
    const Case cases[] = {
        {"a folder", [&] { std::filesystem::create_directory(m_path); }, 0,
         m_path + " is a folder"},
        {"a pipe", [&] { ::mkfifo(m_path.c_str(), 0600); }, 0, m_path + " is not a regular file"},
        {"a link that leads nowhere", [&] { ::symlink("gone.ini", m_path.c_str()); }, 0,
         "the link " + m_path + " leads to " + m_folder + "/gone.ini, which does not exist"},
        {"a link to itself", [&] { ::symlink("tvxdef.ini", m_path.c_str()); }, 0,
         "cannot follow the links of " + m_path + ": " + std::strerror(ELOOP)},
        {"a file without read permission", [&] { Write(old); }, EACCES,
         "cannot read " + m_path + ": " + std::strerror(EACCES)},
        {"a file on a failing disk", [&] { Write(old); }, EIO,
         "cannot read " + m_path + ": " + std::strerror(EIO)},
    };
    const std::string reset = LayoutFormat::FormatLayout(*m_layout);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(m_path);
        c.make();
        const std::string kind = Kind(m_path);

        std::string error;
        const FileStatus status = c.readError != 0
                                      ? FileFailingToRead(c.readError).LoadLayout(*m_layout, &error)
                                      : m_file.LoadLayout(*m_layout, &error);
        EXPECT_EQ(status, FileStatus::Failed);
        EXPECT_EQ(error, c.reason);
        EXPECT_EQ(LayoutFormat::FormatLayout(*m_layout), reset) << "nothing was loaded";

        if (c.readError == 0) {
            // The store refuses it for the same reason and leaves it as it is.
            error.clear();
            EXPECT_EQ(m_file.StoreLayout(*m_layout, &error), FileStatus::Failed);
            EXPECT_EQ(error, c.reason);
            EXPECT_EQ(Kind(m_path), kind);
            EXPECT_EQ(Entries(), std::vector<std::string>{"tvxdef.ini"});
        }
    }
}

TEST_F(FileOnDisk, ACompleteLoadTakesOnlyAWholeFileAndElseLeavesTheLayoutAsItWas) {
    const std::string whole = LayoutFormat::FormatLayout(*EverythingFilled());
    const std::string tail = "\r\nEndOfFile\r\n";
    ASSERT_EQ(whole.compare(whole.size() - tail.size(), tail.size(), tail), 0);
    const std::string cut = "no \"EndOfFile\" line at the end of " + m_path;
    struct Case {
        const char* name;
        std::string bytes;
        std::string reason;  ///< empty: the file loads
    };
    const Case cases[] = {
        {"a stored file", whole, ""},
        {"without the LF after the last CR", whole.substr(0, whole.size() - 1), ""},
        {"cut off in its last line", whole.substr(0, whole.size() - 4), cut},
        {"cut off before its last line", whole.substr(0, whole.size() / 2), cut},
        {"with a line after the end", whole + "Form_PageStart:004\r\n", cut},
        {"with the end line not on a line of its own",
         whole.substr(0, whole.size() - 11) + "x" + whole.substr(whole.size() - 11), cut},
        {"with LF line ends", "Tolvamix :-)\nEndOfFile\n", cut},
        {"empty", "", cut},
        {"garbage", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), cut},
        {"only the end line", "EndOfFile\r\n", ""},
        {"larger than a layout file can be",
         std::string(static_cast<std::size_t>(File::kMostLayoutBytes) - tail.size() + 1, 'x') +
             tail,
         "larger than a layout file can be (16 MiB): " + m_path},
    };
    const std::string before = LayoutFormat::FormatLayout(*m_layout);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Write(c.bytes);
        auto layout = NewLayout();
        layout->Form.LayoutDirectory = m_layout->Form.LayoutDirectory;
        std::string error;
        const FileStatus status = m_file.LoadCompleteLayout(*layout, &error);
        if (c.reason.empty()) {
            EXPECT_EQ(status, FileStatus::Ok);
            // The same reading as at the start.
            auto started = NewLayout();
            started->Form.LayoutDirectory = m_layout->Form.LayoutDirectory;
            ASSERT_EQ(m_file.LoadLayout(*started), FileStatus::Ok);
            ExpectSameTables(*layout, *started);
        } else {
            EXPECT_EQ(status, FileStatus::Failed);
            EXPECT_EQ(error, c.reason);
            EXPECT_EQ(LayoutFormat::FormatLayout(*layout), before) << "nothing was loaded";
        }
    }

    // What the start refuses, this refuses too; a missing file is still only missing.
    std::filesystem::remove(m_path);
    EXPECT_EQ(m_file.LoadCompleteLayout(*m_layout), FileStatus::Missing);
    std::filesystem::create_directory(m_path);
    std::string error;
    EXPECT_EQ(m_file.LoadCompleteLayout(*m_layout, &error), FileStatus::Failed);
    EXPECT_EQ(error, m_path + " is a folder");
    std::filesystem::remove(m_path);
    Write(whole);
    EXPECT_EQ(FileFailingToRead(EIO).LoadCompleteLayout(*m_layout, &error), FileStatus::Failed);
    EXPECT_EQ(error, "cannot read " + m_path + ": " + std::strerror(EIO));
    EXPECT_EQ(LayoutFormat::FormatLayout(*m_layout), before);
}

TEST_F(FileOnDisk, StoreNeverCreatesTheFile) {
    std::string error;
    EXPECT_EQ(m_file.StoreLayout(*m_layout, &error), FileStatus::Missing);
    EXPECT_TRUE(Entries().empty());
}

TEST_F(FileOnDisk, StoreReplacesTheFileAndKeepsItsPermissions) {
    Write("Tolvamix :-)\r\n");
    ::chmod(m_path.c_str(), 0640);
    auto filled = EverythingFilled();
    filled->Form.LayoutDirectory = m_layout->Form.LayoutDirectory;

    std::string error;
    ASSERT_EQ(m_file.StoreLayout(*filled, &error), FileStatus::Ok) << error;
    EXPECT_EQ(Read(), LayoutFormat::FormatLayout(*filled));
    EXPECT_EQ(Mode(), 0640u);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"tvxdef.ini", "tvxdef.ini.bak"}));

    ASSERT_EQ(m_file.LoadLayout(*m_layout), FileStatus::Ok);
    ExpectSameTables(*m_layout, *filled);
}

// Every store keeps the file it replaces, one generation, with the same permissions: a mistaken
// store is undone by putting the backup back.
TEST_F(FileOnDisk, EveryStoreKeepsTheVersionItReplaces) {
    const std::string first = "Tolvamix :-)\r\nForm_PageStart:004\r\n";
    Write(first);
    ::chmod(m_path.c_str(), 0640);
    const std::string backup = m_path + ".bak";
    const auto contents = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    ASSERT_EQ(m_file.StoreLayout(*m_layout), FileStatus::Ok);
    EXPECT_EQ(contents(backup), first);
    struct stat info {};
    ::stat(backup.c_str(), &info);
    EXPECT_EQ(info.st_mode & 07777, 0640u);

    const std::string second = Read();
    m_layout->Page(0).PageName = L"changed";
    ASSERT_EQ(m_file.StoreLayout(*m_layout), FileStatus::Ok);
    EXPECT_EQ(contents(backup), second) << "one generation: the version just replaced";
    EXPECT_EQ(Entries(), (std::vector<std::string>{"tvxdef.ini", "tvxdef.ini.bak"}));

    // A backup that cannot be written (its name taken by a folder) leaves the store done, with
    // the reason.
    std::filesystem::remove(backup);
    std::filesystem::create_directory(backup);
    std::filesystem::create_directory(backup + "/inside");
    std::string error;
    m_layout->Page(0).PageName = L"again";
    EXPECT_EQ(m_file.StoreLayout(*m_layout, &error), FileStatus::StoredWithoutBackup);
    EXPECT_NE(error.find("cannot replace " + backup), std::string::npos) << error;
    EXPECT_NE(Read().find("again"), std::string::npos);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"tvxdef.ini", "tvxdef.ini.bak"}));
}

TEST_F(FileOnDisk, StoreThroughSymbolicLinksReplacesTheFileTheyLeadToAndKeepsTheLinks) {
    // The panel's folder holds the link; the file may lie beside it or in a shared folder.
    const std::string panel = m_folder + "/panel";
    const std::string shared = m_folder + "/shared";
    m_layout->Form.LayoutDirectory = TextFromNative(panel);
    const std::string link = panel + "/tvxdef.ini";
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, std::string>> links;  ///< link, its target text
        std::string file;                                        ///< where they lead
    };
    const Case cases[] = {
        {"beside it", {{link, "real.ini"}}, panel + "/real.ini"},
        {"into another folder", {{link, shared + "/real.ini"}}, shared + "/real.ini"},
        {"relative, into another folder", {{link, "../shared/real.ini"}}, shared + "/real.ini"},
        {"a chain",
         {{link, "hop.ini"},
          {panel + "/hop.ini", shared + "/hop.ini"},
          {shared + "/hop.ini", "real.ini"}},
         shared + "/real.ini"},
    };
    auto filled = EverythingFilled();
    filled->Form.LayoutDirectory = m_layout->Form.LayoutDirectory;
    const auto names = [](const std::string& folder) {
        std::vector<std::string> found;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            found.push_back(entry.path().filename().string());
        }
        std::sort(found.begin(), found.end());
        return found;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const std::string& folder : {panel, shared}) {
            std::filesystem::remove_all(folder);
            std::filesystem::create_directory(folder);
        }
        std::ofstream(c.file, std::ios::binary) << "Tolvamix :-)\r\n";
        ::chmod(c.file.c_str(), 0640);
        for (const auto& [name, target] : c.links) {
            ASSERT_EQ(::symlink(target.c_str(), name.c_str()), 0);
        }
        const std::vector<std::string> before[] = {names(panel), names(shared)};

        std::string error;
        ASSERT_EQ(m_file.StoreLayout(*filled, &error), FileStatus::Ok) << error;
        std::ifstream in(c.file, std::ios::binary);
        EXPECT_TRUE(std::string(std::istreambuf_iterator<char>(in), {}) ==
                    LayoutFormat::FormatLayout(*filled))
            << "the file the links lead to holds the new layout";
        struct stat info {};
        ::stat(c.file.c_str(), &info);
        EXPECT_EQ(info.st_mode & 07777, 0640u);
        for (const auto& [name, target] : c.links) {
            EXPECT_EQ(Kind(name), "link to " + target);
        }
        // No temporary file is left on either side; the backup lies beside the real file.
        std::vector<std::string> withBackup = before[c.file.rfind(panel, 0) == 0 ? 0 : 1];
        withBackup.push_back("real.ini.bak");
        std::sort(withBackup.begin(), withBackup.end());
        EXPECT_EQ(names(c.file.rfind(panel, 0) == 0 ? panel : shared), withBackup);
        EXPECT_EQ(names(c.file.rfind(panel, 0) == 0 ? shared : panel),
                  before[c.file.rfind(panel, 0) == 0 ? 1 : 0]);

        auto loaded = NewLayout();
        loaded->Form.LayoutDirectory = m_layout->Form.LayoutDirectory;
        ASSERT_EQ(m_file.LoadLayout(*loaded), FileStatus::Ok);
        ExpectSameTables(*loaded, *filled);
    }
}

TEST_F(FileOnDisk, AFolderThatCannotBeSyncedLeavesTheStoreDoneWithAWarning) {
    Write("Tolvamix :-)\r\n");
    auto filled = EverythingFilled();
    filled->Form.LayoutDirectory = m_layout->Form.LayoutDirectory;
    std::string error;
    EXPECT_EQ(FileFailingToSyncTheFolder().StoreLayout(*filled, &error),
              FileStatus::StoredUnsynced);
    EXPECT_EQ(error, "cannot sync the folder " + m_folder + ": " + std::strerror(EIO));
    EXPECT_EQ(Read(), LayoutFormat::FormatLayout(*filled));
    EXPECT_EQ(Entries(), (std::vector<std::string>{"tvxdef.ini", "tvxdef.ini.bak"}));
}

/// Fails the step that would put the new file in place, as a crash just before it would.
class FileFailingToReplace : public File {
  protected:
    bool ReplaceFile(const std::string&, const std::string&) const override { return false; }
};

TEST_F(FileOnDisk, AnInterruptedStoreLeavesTheOldFileAsItWas) {
    const std::string old = "Tolvamix :-)\r\nForm_PageStart:004\r\n";
    Write(old);
    m_layout->Page(0).Button_Last = 50;

    std::string error;
    EXPECT_EQ(FileFailingToReplace().StoreLayout(*m_layout, &error), FileStatus::Failed);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(Read(), old);
    // The backup taken before is the old file too; no temporary is left.
    EXPECT_EQ(Entries(), (std::vector<std::string>{"tvxdef.ini", "tvxdef.ini.bak"}));
}

TEST_F(FileOnDisk, AFullDiskFailsTheStoreAndLeavesTheOldFile) {
    const std::string old = "Tolvamix :-)\r\n";
    Write(old);
    // A file size limit makes writes fail the way a full disk does, even for root.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 1000;
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    m_layout->Page(0).Button_Last = 102;
    std::string error;
    const FileStatus status = m_file.StoreLayout(*m_layout, &error);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    EXPECT_EQ(status, FileStatus::Failed);
    EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
    EXPECT_EQ(Read(), old);
    EXPECT_EQ(Entries(), std::vector<std::string>{"tvxdef.ini"});
}

TEST_F(FileOnDisk, AReadOnlyFolderOrFileFailsTheStore) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "permissions do not bind root";
    }
    const std::string old = "Tolvamix :-)\r\n";
    Write(old);
    ::chmod(m_folder.c_str(), 0500);
    std::string error;
    EXPECT_EQ(m_file.StoreLayout(*m_layout, &error), FileStatus::Failed);
    EXPECT_FALSE(error.empty());
    ::chmod(m_folder.c_str(), 0700);

    ::chmod(m_path.c_str(), 0444);
    EXPECT_EQ(m_file.StoreLayout(*m_layout, &error), FileStatus::Failed);
    EXPECT_EQ(Read(), old);
    EXPECT_EQ(Entries(), std::vector<std::string>{"tvxdef.ini"});
}

TEST_F(FileOnDisk, RemovesOnlyOurStaleTemporaries) {
    Write("Tolvamix :-)\r\n");
    for (const char* name :
         {".tvxdef.ini.a1B2c3", ".tvxdef.ini.XXXXXX", ".tvxdef.ini.bak", ".tvxdef.ini.abc-12",
          ".tvxdef.ini.abcdefg", "tvxdef.ini.a1B2c3", "notes.txt"}) {
        std::ofstream(m_folder + "/" + name) << "x";
    }
    File::RemoveStaleTemporaries(m_layout->Form.LayoutDirectory);
    EXPECT_EQ(Entries(), (std::vector<std::string>{".tvxdef.ini.abc-12", ".tvxdef.ini.abcdefg",
                                                   ".tvxdef.ini.bak", "notes.txt", "tvxdef.ini",
                                                   "tvxdef.ini.a1B2c3"}));
    File::RemoveStaleTemporaries(L"/no/such/folder");
}

}  // namespace
