// Damaged and hostile inputs on the real panel program: a layout larger than the display, giant
// pictures, a huge layout file. None may hide the panel, freeze it or take the memory of a small
// panel PC.
#include <sys/resource.h>
#include <unistd.h>
#include <zlib.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "PanelOnScreen.h"
#include "Sanitizer.h"
#include "TempFolder.h"
#include "model/Paths.h"

namespace {

using namespace std::chrono_literals;

const std::string kPanelPath = std::string(TVX_BINARY_DIR) + "/tolvamix";

/// The display of the test screen.
constexpr int kDisplayWidth = 1280;
constexpr int kDisplayHeight = 1024;

/// Resident memory of a process (its peak with "VmHWM"), in MiB; -1 when unknown.
long MemoryMiB(pid_t pid, const std::string& field = "VmRSS") {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field + ":", 0) == 0) {
            return std::stol(line.substr(field.size() + 1)) / 1024;
        }
    }
    return -1;
}

/// A valid PNG of `side` x `side` pixels of one grey: of 20000 x 20000 1.2 MB on disk and
/// 1.2 GB decoded.
void WriteSolidPng(const std::string& path, unsigned side, char grey) {
    const auto chunk = [](std::ofstream& out, const char* type, const std::string& data) {
        const auto be32 = [&out](unsigned long value) {
            const char bytes[] = {char(value >> 24), char(value >> 16), char(value >> 8),
                                  char(value)};
            out.write(bytes, 4);
        };
        be32(data.size());
        out.write(type, 4);
        out << data;
        unsigned long crc = crc32(0, reinterpret_cast<const Bytef*>(type), 4);
        crc = crc32(crc, reinterpret_cast<const Bytef*>(data.data()), data.size());
        be32(crc);
    };
    std::string header = {
        0, 0, char(side >> 8), char(side & 0xFF), 0, 0, char(side >> 8), char(side & 0xFF), 8, 2, 0,
        0, 0};
    std::string row(1 + 3 * side, grey);
    row[0] = 0;  // no filter
    z_stream stream{};
    deflateInit(&stream, Z_BEST_SPEED);
    std::string compressed;
    std::vector<unsigned char> buffer(1 << 16);
    for (unsigned y = 0; y < side; ++y) {
        stream.next_in = reinterpret_cast<Bytef*>(row.data());
        stream.avail_in = static_cast<uInt>(row.size());
        const int flush = y + 1 == side ? Z_FINISH : Z_NO_FLUSH;
        do {
            stream.next_out = buffer.data();
            stream.avail_out = static_cast<uInt>(buffer.size());
            deflate(&stream, flush);
            compressed.append(reinterpret_cast<char*>(buffer.data()),
                              buffer.size() - stream.avail_out);
        } while (stream.avail_out == 0);
    }
    deflateEnd(&stream);
    std::ofstream out(path, std::ios::binary);
    out << "\x89PNG\r\n\x1A\n";
    chunk(out, "IHDR", header);
    chunk(out, "IDAT", compressed);
    chunk(out, "IEND", "");
}

bool OnTheDisplay(const ScreenWindow& window) {
    return window.x >= 0 && window.y >= 0 && window.x + window.width <= kDisplayWidth &&
           window.y + window.height <= kDisplayHeight && window.width > 0 && window.height > 0;
}

std::string Where(const ScreenWindow& window) {
    return std::to_string(window.width) + " x " + std::to_string(window.height) + " at (" +
           std::to_string(window.x) + ", " + std::to_string(window.y) + ")";
}

}  // namespace

// A layout made on a larger panel: the page is fitted to the display and the whole of it, the
// menu corner first, is on the display, framed or frameless, with or without a window manager.
TEST(HostileInput, ALayoutLargerThanTheDisplayIsFittedOntoIt) {
    struct Case {
        int sizeX, sizeY;
    };
    for (const int frameless : {0, 1}) {
        for (const Case c : {Case{1920, 1080}, Case{4000, 300}, Case{9999, 9999}}) {
            SCOPED_TRACE(std::to_string(c.sizeX) + " x " + std::to_string(c.sizeY) +
                         (frameless ? ", frameless" : ", framed"));
            PanelOnScreen panel([&](Layout& layout) {
                layout.Form.SizeX = c.sizeX;
                layout.Form.SizeY = c.sizeY;
                layout.Form.Form_FullScreen = frameless;
            });
            ASSERT_TRUE(panel.Started());
            EXPECT_TRUE(WaitUntil([&] { return OnTheDisplay(panel.Window()); }, 10s))
                << "the page is " << Where(panel.Window());
            const ScreenWindow window = panel.Window();
            // As wide as the display allows; a page that is not as high stays centred.
            EXPECT_GE(window.width, kDisplayWidth - 10);
            if (c.sizeY < kDisplayHeight) {
                EXPECT_EQ(window.height, c.sizeY);
                EXPECT_NEAR(window.y + window.height / 2, kDisplayHeight / 2, 20);
            }
            // The menu corner answers.
            panel.OpenMenu();
        }
    }
}

// Giant pictures (a valid 20000 x 20000 PNG, a 286-byte JPEG claiming that size) as the page
// picture and as button pictures: each is named once in a message and not decoded, the page
// comes up at once with the default pictures, memory stays small and the panel answers.
TEST(HostileInput, GiantPicturesAreRefusedAndThePanelAnswers) {
    const auto started = std::chrono::steady_clock::now();
    PanelOnScreen panel(
        [](Layout& layout) {
            const std::string folder = NativeName(layout.Form.LayoutDirectory);
            WriteSolidPng(folder + "/giant.png", 20000, '\x60');
            WriteLyingJpeg(folder + "/lying.jpg");
            layout.Page(0).PageImage = L"giant.png";
            layout.Button(0, 1).Image_File_Off = L"lying.jpg";
            layout.Button(0, 2).Image_File_Off = L"giant.png";
            layout.Button(0, 3).Image_File_On = L"giant.png";
        },
        PanelOnScreen::Start::BehindMessages);
    for (int box = 0; box < 2; ++box) {
        const ScreenWindow message = panel.WaitMessageBoxOnTop();
        ASSERT_NE(message.id, 0u) << "message " << box;
        ClickMessageButton(message);
    }
    ASSERT_TRUE(panel.WaitForStartPage());
    ASSERT_TRUE(panel.WaitPanelOnTop());
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    EXPECT_LT(seconds, 15.0);
    RecordProperty("seconds_to_page", std::to_string(seconds));
    if (!kAddressSanitizer) {
        const long peak = MemoryMiB(panel.Pid(), "VmHWM");
        RecordProperty("peak_resident_mib", std::to_string(peak));
        EXPECT_LT(peak, 300) << "MiB";
    }
    // Answers a touch, and no further message: each file was named once.
    panel.OpenMenu();
    std::this_thread::sleep_for(500ms);
    EXPECT_NE(PanelOnScreen::Top().title, "") << TheScreen().Describe();
}

// Six buttons with different pictures of 4096 x 4096, the largest an 800 x 480 panel shows (a
// few hundred KB each on disk, 48 MiB each decoded), and the controller link down: the panel
// keeps its memory small and answers a touch.
TEST(HostileInput, TheLargestPicturesAllowedKeepThePanelSmall) {
    PanelOnScreen panel([](Layout& layout) {
        const std::string folder = NativeName(layout.Form.LayoutDirectory);
        for (int i = 0; i < 6; ++i) {
            const std::string name = "large" + std::to_string(i) + ".png";
            WriteSolidPng(folder + "/" + name, 4096, static_cast<char>(0x30 + 0x10 * i));
            layout.Button(0, i).Image_File_Off = TextFromNative(name);
        }
        layout.Form.Form_ConnectModus = 1;
        layout.Form.Destination_IP = LoopbackAddress(false);
    });
    ASSERT_TRUE(panel.Started());
    std::this_thread::sleep_for(1s);
    if (!kAddressSanitizer) {
        const long resident = MemoryMiB(panel.Pid());
        RecordProperty("resident_mib", std::to_string(resident));
        EXPECT_LT(resident, 320) << "MiB";
    }
    panel.OpenMenu();
}

// A layout file of 1 GB (the demo with a sparse tail) on a small panel PC (1 GiB of address
// space): the message that it cannot be read, at once, and the end with code 1.
TEST(HostileInput, AHugeLayoutFileIsRefusedWithAMessage) {
    const TempFolder temp("tvx-huge");
    const std::string& folder = temp.Path();
    std::filesystem::copy(std::string(TVX_SOURCE_DIR) + "/demo", folder);
    std::filesystem::resize_file(folder + "/tvxdef.ini", 1ull << 30);

    std::vector<std::string> args{folder};
    std::string program = kPanelPath;
    if (!kAddressSanitizer) {
        // The sanitizers reserve far more address space than the limit.
        args = {"--as=" + std::to_string(1ull << 30), kPanelPath, folder};
        program = "/usr/bin/prlimit";
    }
    const auto started = std::chrono::steady_clock::now();
    ChildProcess child(program, args, ChildSetting{testing::TempDir(), TheScreen().Environment()});
    ScreenWindow box;
    ASSERT_TRUE(WaitUntil(
        [&box] {
            const ScreenWindow top = PanelOnScreen::Top();
            box = top;
            return top.id != 0 && top.title.empty();
        },
        20s))
        << TheScreen().Describe();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    RecordProperty("seconds_to_message", std::to_string(seconds));
    EXPECT_LT(seconds, 10.0);
    std::this_thread::sleep_for(200ms);
    ClickMessageButton(box);
    const auto status = child.WaitExit(10s);
    ASSERT_TRUE(status.has_value());
    // A start that failed.
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 1) << *status;
}
