// A store killed at any moment leaves the layout file as it was or as the store meant it to be,
// and its backups whole: build/tvx-store-writer stores two layouts by turns and is killed again
// and again.

#include <dirent.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "ChildProcess.h"
#include "TempFolder.h"
#include "model/File.h"
#include "model/LayoutFormat.h"
#include "model/Paths.h"
#include "store-writer/StoreLayouts.h"

namespace {

const std::string kWriterPath = std::string(TVX_BINARY_DIR) + "/tvx-store-writer";
constexpr int kKills = 200;
/// A kill comes this long at most after the writer's first store: several stores' worth.
constexpr int kLongestDelayUs = 30000;

TEST(StoreSafety, AKilledStoreLeavesTheOldOrTheNewFile) {
    const TempFolder folder("tvx-store");
    const std::wstring wide = TextFromNative(folder.Path());
    const std::string a = LayoutFormat::FormatLayout(*StoreSafetyLayout(0, wide));
    const std::string b = LayoutFormat::FormatLayout(*StoreSafetyLayout(1, wide));
    ASSERT_LT(a.size(), b.size());
    ASSERT_NE(a, b.substr(0, a.size())) << "B must not begin with A";
    folder.Write("tvxdef.ini", a);

    std::mt19937 random(20240607);
    std::uniform_int_distribution<int> delayUs(0, kLongestDelayUs);
    int foundA = 0;
    int foundB = 0;
    int leftTemporary = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        SCOPED_TRACE(testing::Message() << "kill " << kill);
        {
            ChildProcess writer(kWriterPath, {folder.Path()});
            ASSERT_EQ(writer.Out().Next(), std::optional<std::string>("ready"))
                << writer.Err().Next(std::chrono::milliseconds(0)).value_or("");
            std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
            writer.Signal(SIGKILL);
            const std::optional<int> status = writer.WaitExit();
            ASSERT_TRUE(status.has_value());
            ASSERT_TRUE(WIFSIGNALED(*status)) << "the writer ended before it was killed";
        }

        const std::string found = folder.Read("tvxdef.ini");
        ASSERT_TRUE(found == a || found == b)
            << "the layout file is neither A nor B: " << found.size() << " bytes";
        ++(found == a ? foundA : foundB);

        // The backups, once there, are complete versions too: the two the writer stores by
        // turns, each kept once. Anything else is a temporary a store left half-way; the
        // start-up clean-up takes it away and nothing else.
        std::vector<std::string> names = folder.Names();
        std::vector<std::string> kept;
        for (const std::string& name : names) {
            if (name == "tvxdef.ini" || name == "tvxdef.ini.bak" || name == "tvxdef.ini.bak.1") {
                kept.push_back(name);
            } else {
                EXPECT_EQ(name.rfind(".tvxdef.ini.", 0), 0u) << name;
            }
        }
        if (kept.size() == 3) {
            EXPECT_NE(folder.Read("tvxdef.ini.bak"), folder.Read("tvxdef.ini.bak.1"));
        }
        for (std::size_t i = 1; i < kept.size(); ++i) {
            const std::string backup = folder.Read(kept[i]);
            EXPECT_TRUE(backup == a || backup == b)
                << kept[i] << " is neither A nor B: " << backup.size() << " bytes";
        }
        leftTemporary += names.size() > kept.size() ? 1 : 0;
        File::RemoveStaleTemporaries(wide);
        names = folder.Names();
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, kept);
        ASSERT_EQ(folder.Read("tvxdef.ini"), found);
    }
    std::printf("[          ] %d kills: %d left A, %d left B, %d left a temporary file behind\n",
                kKills, foundA, foundB, leftTemporary);
    testing::Test::RecordProperty("kills_leaving_a_temporary", std::to_string(leftTemporary));
    // Kills that never fell inside a store, or only ever in one phase, would prove nothing.
    EXPECT_GT(foundA, 0);
    EXPECT_GT(foundB, 0);
    EXPECT_GT(leftTemporary, 0);
}

}  // namespace
