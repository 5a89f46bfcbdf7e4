#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "FileDoubles.h"
#include "LayoutSamples.h"
#include "TempFolder.h"
#include "model/File.h"
#include "model/Layout.h"
#include "model/LayoutBackups.h"
#include "model/LayoutFormat.h"
#include "model/Paths.h"

namespace {

// --- Load and store on disk ---------------------------------------------------------------

/// A fresh folder for each test, removed afterwards.
class FileOnDisk : public testing::Test {
  protected:
    void SetUp() override {
        m_layout = NewLayout();
        m_layout->Form.LayoutDirectory = TextFromNative(m_folder);
        m_path = m_folder + "/tvxdef.ini";
    }
    void Write(const std::string& bytes) const { std::ofstream(m_path, std::ios::binary) << bytes; }
    std::string Read() const { return ReadFile(m_path); }
    mode_t Mode() const {
        struct stat info {};
        ::stat(m_path.c_str(), &info);
        return info.st_mode & 07777;
    }

    TempFolder m_temp{"tvx-file"};
    const std::string m_folder = m_temp.Path();
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
            EXPECT_EQ(m_temp.Names(), std::vector<std::string>{"tvxdef.ini"});
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
            EXPECT_EQ(status, c.reason == cut ? FileStatus::Incomplete : FileStatus::Failed);
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
    EXPECT_TRUE(m_temp.Names().empty());
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
    EXPECT_EQ(m_temp.Names(), (std::vector<std::string>{"tvxdef.ini", "tvxdef.ini.bak"}));

    ASSERT_EQ(m_file.LoadLayout(*m_layout), FileStatus::Ok);
    ExpectSameTables(*m_layout, *filled);
}

// Every store keeps the file it replaces with the same permissions, the last five distinct
// versions: a mistaken store is undone by putting a backup back. A store of the bytes the file
// holds writes nothing, so pressing "Store" twice keeps the version before the edit.
TEST_F(FileOnDisk, StoresKeepTheLastFiveDistinctVersions) {
    const std::string first = "Tolvamix :-)\r\nForm_PageStart:004\r\n";
    Write(first);
    ::chmod(m_path.c_str(), 0640);
    const LayoutBackups backups(m_path);
    auto store = [&](const wchar_t* name) {
        m_layout->Page(0).PageName = name;
        std::string error;
        EXPECT_EQ(m_file.StoreLayout(*m_layout, &error), FileStatus::Ok) << error;
        return Read();
    };
    const std::string a = store(L"a");
    EXPECT_EQ(ReadFile(backups.PathOf(0)), first);
    struct stat info {};
    ::stat(backups.PathOf(0).c_str(), &info);
    EXPECT_EQ(info.st_mode & 07777, 0640u);

    // The same layout again: the file and its backups stay as they are, to the inode.
    struct stat before {};
    ::stat(m_path.c_str(), &before);
    EXPECT_EQ(store(L"a"), a);
    struct stat after {};
    ::stat(m_path.c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(ReadFile(backups.PathOf(0)), first) << "the version before the edit";
    EXPECT_EQ(m_temp.Names(), (std::vector<std::string>{"tvxdef.ini", "tvxdef.ini.bak"}));

    const std::string b = store(L"b");
    const std::string c = store(L"c");
    const std::string d = store(L"d");
    const std::string e = store(L"e");
    store(L"f");
    EXPECT_EQ(m_temp.Names(), (std::vector<std::string>{"tvxdef.ini", "tvxdef.ini.bak",
                                                        "tvxdef.ini.bak.1", "tvxdef.ini.bak.2",
                                                        "tvxdef.ini.bak.3", "tvxdef.ini.bak.4"}));
    const std::string kept[] = {e, d, c, b, a};
    for (int generation = 0; generation < LayoutBackups::kKept; ++generation) {
        EXPECT_TRUE(ReadFile(backups.PathOf(generation)) == kept[generation])
            << "generation " << generation << "; the first version is dropped";
    }

    // A backup that cannot be written (its name taken by a folder) leaves the store done, with
    // the reason.
    for (int generation = 0; generation < LayoutBackups::kKept; ++generation) {
        std::filesystem::remove(backups.PathOf(generation));
    }
    std::filesystem::create_directory(backups.PathOf(0));
    std::filesystem::create_directory(backups.PathOf(0) + "/inside");
    std::string error;
    m_layout->Page(0).PageName = L"again";
    EXPECT_EQ(m_file.StoreLayout(*m_layout, &error), FileStatus::StoredWithoutBackup);
    EXPECT_NE(error.find("cannot replace " + backups.PathOf(0)), std::string::npos) << error;
    EXPECT_NE(Read().find("again"), std::string::npos);
    EXPECT_EQ(m_temp.Names(), (std::vector<std::string>{"tvxdef.ini", "tvxdef.ini.bak"}));
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
        const std::vector<std::string> before[] = {NamesIn(panel), NamesIn(shared)};

        std::string error;
        ASSERT_EQ(m_file.StoreLayout(*filled, &error), FileStatus::Ok) << error;
        EXPECT_TRUE(ReadFile(c.file) == LayoutFormat::FormatLayout(*filled))
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
        EXPECT_EQ(NamesIn(c.file.rfind(panel, 0) == 0 ? panel : shared), withBackup);
        EXPECT_EQ(NamesIn(c.file.rfind(panel, 0) == 0 ? shared : panel),
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
    EXPECT_EQ(m_temp.Names(), (std::vector<std::string>{"tvxdef.ini", "tvxdef.ini.bak"}));
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
    EXPECT_EQ(m_temp.Names(), (std::vector<std::string>{"tvxdef.ini", "tvxdef.ini.bak"}));
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
    EXPECT_EQ(m_temp.Names(), std::vector<std::string>{"tvxdef.ini"});
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
    EXPECT_EQ(m_temp.Names(), std::vector<std::string>{"tvxdef.ini"});
}

TEST_F(FileOnDisk, RemovesOnlyOurStaleTemporaries) {
    Write("Tolvamix :-)\r\n");
    for (const char* name :
         {".tvxdef.ini.a1B2c3", ".tvxdef.ini.XXXXXX", ".tvxdef.ini.bak", ".tvxdef.ini.abc-12",
          ".tvxdef.ini.abcdefg", "tvxdef.ini.a1B2c3", "notes.txt"}) {
        std::ofstream(m_folder + "/" + name) << "x";
    }
    File::RemoveStaleTemporaries(m_layout->Form.LayoutDirectory);
    EXPECT_EQ(m_temp.Names(), (std::vector<std::string>{".tvxdef.ini.abc-12", ".tvxdef.ini.abcdefg",
                                                        ".tvxdef.ini.bak", "notes.txt",
                                                        "tvxdef.ini", "tvxdef.ini.a1B2c3"}));
    File::RemoveStaleTemporaries(L"/no/such/folder");
}

}  // namespace
