#pragma once

#include <ctime>
#include <string>

/// Where a program's lines go for whoever looks later at what it did. When standard error is
/// connected to the systemd journal (the service manager names that stream in JOURNAL_STREAM
/// as "DEVICE:INODE"; `systemd-cat` connects it to the journal's stream socket), each line starts
/// with the syslog priority the journal reads: "<3>" an error, "<4>" a warning, "<6>" news.
/// Otherwise the lines are plain, with the local time in front for a program that runs unattended.
/// Each line is one write, so lines of processes that share the stream do not mix. There is no log
/// file: the journal keeps and rotates the lines.
class Journal {
  public:
    enum class Level { Error = 3, Warning = 4, Info = 6 };
    enum class Form {
        Priority,  ///< "<6>text": the stream is the journal, which stamps the lines itself
        Stamped,   ///< "2025-03-01 14:03:07 text"
        Plain,     ///< "text", for a tool whose lines people and scripts read as they come
    };

    /// Lines on standard error: with priorities when it is the journal, else in `plain` form.
    explicit Journal(Form plain = Form::Stamped);
    /// Lines on `fd` in that form.
    Journal(int fd, Form form) : m_fd(fd), m_form(form) {}

    void Error(const std::string& text) const { Write(Level::Error, text); }
    void Warning(const std::string& text) const { Write(Level::Warning, text); }
    void Info(const std::string& text) const { Write(Level::Info, text); }
    /// Writes `text`, a line for each line of it, at `level`.
    void Write(Level level, const std::string& text) const;

    Form LineForm() const { return m_form; }

    /// `text` as written in `form` at `now`: every line of it ends in a line feed and carries
    /// the priority (or the time stamp) of its own, so that a text of several lines stays one
    /// entry's level in the journal. Control characters other than tabs become '?'.
    static std::string Format(Form form, Level level, const std::string& text, std::time_t now);
    /// Whether `journalStream`, the value of JOURNAL_STREAM (nullptr when it is not set), names
    /// the stream `fd` is open on.
    static bool IsJournalStream(const char* journalStream, int fd);
    /// Where the journal takes the streams of programs.
    static constexpr const char* kStreamSocket = "/run/systemd/journal/stdout";
    /// Whether `fd` is a socket connected to the journal's stream socket at `path`.
    static bool IsJournalSocket(int fd, const char* path = kStreamSocket);

  private:
    int m_fd = 2;
    Form m_form = Form::Stamped;
};
