#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "TempFolder.h"
#include "model/Journal.h"
#include "model/PanelJournal.h"

namespace {

/// A file that stands in for standard error: what a Journal wrote to it.
class JournalFile {
  public:
    JournalFile() : m_file(std::tmpfile()) {}
    ~JournalFile() { std::fclose(m_file); }
    JournalFile(const JournalFile&) = delete;
    JournalFile& operator=(const JournalFile&) = delete;

    int Fd() const { return fileno(m_file); }
    std::string Text() const {
        std::string text;
        char buffer[4096];
        ssize_t got = 0;
        off_t at = 0;
        while ((got = ::pread(Fd(), buffer, sizeof buffer, at)) > 0) {
            text.append(buffer, static_cast<std::size_t>(got));
            at += got;
        }
        return text;
    }
    /// "DEVICE:INODE" of the file, as the service manager names a journal stream.
    std::string StreamName() const {
        struct stat status {};
        ::fstat(Fd(), &status);
        return std::to_string(status.st_dev) + ":" + std::to_string(status.st_ino);
    }

  private:
    std::FILE* m_file;
};

}  // namespace

TEST(Journal, FormatsEachLineWithItsPriorityOrTimeStamp) {
    std::tm noon{};
    noon.tm_year = 2025 - 1900;
    noon.tm_mon = 2;
    noon.tm_mday = 1;
    noon.tm_hour = 14;
    noon.tm_min = 3;
    noon.tm_sec = 7;
    noon.tm_isdst = -1;
    const std::time_t now = std::mktime(&noon);
    using F = Journal::Form;
    using L = Journal::Level;
    const struct {
        F form;
        L level;
        std::string text;
        std::string written;
    } cases[] = {
        {F::Priority, L::Error, "store failed", "<3>store failed\n"},
        {F::Priority, L::Warning, "link down", "<4>link down\n"},
        {F::Priority, L::Info, "link up", "<6>link up\n"},
        // Every line of a longer text keeps its level in the journal.
        {F::Priority, L::Error, "cannot start:\nno layout\n", "<3>cannot start:\n<3>no layout\n"},
        {F::Priority, L::Info, "", "<6>\n"},
        {F::Stamped, L::Warning, "link down", "2025-03-01 14:03:07 link down\n"},
        {F::Stamped, L::Info, "a\n\nb",
         "2025-03-01 14:03:07 a\n2025-03-01 14:03:07 \n"
         "2025-03-01 14:03:07 b\n"},
        {F::Plain, L::Error, "tvx-sim: bad\n\nusage: x\n", "tvx-sim: bad\n\nusage: x\n"},
        // A name from a layout written elsewhere cannot forge a line or a priority.
        {F::Priority, L::Info, "picture x\r<3>y\x1b[2J", "<6>picture x?<3>y?[2J\n"},
        {F::Plain, L::Info,
         "K\xC3\xBC"
         "che\tmitte",
         "K\xC3\xBC"
         "che\tmitte\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Journal::Format(c.form, c.level, c.text, now), c.written);
    }
}

TEST(Journal, KnowsTheJournalStreamByDeviceAndInode) {
    const JournalFile file;
    const JournalFile other;
    EXPECT_TRUE(Journal::IsJournalStream(file.StreamName().c_str(), file.Fd()));
    EXPECT_FALSE(Journal::IsJournalStream(other.StreamName().c_str(), file.Fd()));
    for (const char* wrong : {"", "12", "12:", ":34", "a:b", "12:34x", "12:34:56"}) {
        EXPECT_FALSE(Journal::IsJournalStream(wrong, file.Fd())) << wrong;
    }
    EXPECT_FALSE(Journal::IsJournalStream(nullptr, file.Fd()));
    EXPECT_FALSE(Journal::IsJournalStream(file.StreamName().c_str(), -1));

    // Standard error of this process, named as the service manager names it.
    struct stat status {};
    ASSERT_EQ(::fstat(2, &status), 0);
    const char* const saved = std::getenv("JOURNAL_STREAM");
    const std::string savedValue = saved != nullptr ? saved : "";
    ::setenv("JOURNAL_STREAM",
             (std::to_string(status.st_dev) + ":" + std::to_string(status.st_ino)).c_str(), 1);
    EXPECT_EQ(Journal().LineForm(), Journal::Form::Priority);
    EXPECT_EQ(Journal(Journal::Form::Plain).LineForm(), Journal::Form::Priority);
    ::setenv("JOURNAL_STREAM", file.StreamName().c_str(), 1);
    EXPECT_EQ(Journal().LineForm(), Journal::Form::Stamped);
    EXPECT_EQ(Journal(Journal::Form::Plain).LineForm(), Journal::Form::Plain);
    if (saved != nullptr) {
        ::setenv("JOURNAL_STREAM", savedValue.c_str(), 1);
    } else {
        ::unsetenv("JOURNAL_STREAM");
    }
}

// As systemd-cat connects it: standard error a socket whose peer is the journal's stream socket.
TEST(Journal, KnowsTheJournalSocketByItsPath) {
    const TempFolder folder("tvx-journal");
    const std::string path = folder.At("stdout");
    const int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    ASSERT_EQ(::bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(server, 1), 0);
    const int client = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(::connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    int pair[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    const JournalFile file;

    EXPECT_TRUE(Journal::IsJournalSocket(client, path.c_str()));
    EXPECT_FALSE(Journal::IsJournalSocket(client, (path + "x").c_str()));
    EXPECT_FALSE(Journal::IsJournalSocket(client, path.substr(0, path.size() - 1).c_str()));
    EXPECT_FALSE(Journal::IsJournalSocket(client));
    EXPECT_FALSE(Journal::IsJournalSocket(pair[0], path.c_str()));
    EXPECT_FALSE(Journal::IsJournalSocket(file.Fd(), path.c_str()));
    EXPECT_FALSE(Journal::IsJournalSocket(-1, path.c_str()));
    for (const int fd : {server, client, pair[0], pair[1]}) {
        ::close(fd);
    }
}

TEST(PanelJournal, TellsEachPictureNotShownOnce) {
    const JournalFile file;
    PanelJournal journal(Journal(file.Fd(), Journal::Form::Priority));
    journal.PictureNotShown("giant.png", "9000 x 9000 pixels, at most 16 million are shown");
    journal.PictureNotShown("lamp.png");
    // Each page load finds them again; a refused picture is also one the page could not show.
    for (int load = 0; load < 3; ++load) {
        journal.PictureNotShown("giant.png");
        journal.PictureNotShown("lamp.png");
    }
    EXPECT_EQ(file.Text(),
              "<4>picture refused: giant.png (9000 x 9000 pixels, at most 16 million are shown)\n"
              "<4>picture missing: lamp.png, the default picture is shown\n");
}

TEST(PanelJournal, StoresAreNewsWarningsOrErrorsByTheirOutcome) {
    const struct {
        FileStatus status;
        std::string line;
    } cases[] = {
        {FileStatus::Ok, "<6>store: tvxdef.ini stored\n"},
        {FileStatus::StoredUnsynced,
         "<4>store: tvxdef.ini stored, may not survive a power cut: "
         "fsync: EIO\n"},
        {FileStatus::StoredWithoutBackup,
         "<4>store: tvxdef.ini stored, the version it replaced not kept: fsync: EIO\n"},
        {FileStatus::Failed, "<3>store failed: fsync: EIO\n"},
        {FileStatus::Missing, "<3>store failed: tvxdef.ini is not there\n"},
    };
    for (const auto& c : cases) {
        const JournalFile file;
        PanelJournal(Journal(file.Fd(), Journal::Form::Priority)).Stored(c.status, "fsync: EIO");
        EXPECT_EQ(file.Text(), c.line);
    }
}
