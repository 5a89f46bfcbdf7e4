#pragma once

#include <sys/types.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

using Clock = std::chrono::steady_clock;

/// How long a test waits for anything a tool should do at once.
constexpr std::chrono::milliseconds kTimeout{5000};

/// Milliseconds left until `deadline`, 0 once it has passed: a timeout for poll().
int RemainingMs(Clock::time_point deadline);

/// Lines of one output pipe of a child, collected by a thread so that the child never blocks on a
/// full pipe while a test is busy elsewhere.
class LineReader {
  public:
    explicit LineReader(int fd);
    ~LineReader();

    /// The next line, or nothing when none comes in time or the pipe has ended.
    std::optional<std::string> Next(std::chrono::milliseconds timeout = kTimeout);
    /// Skips lines up to and including `wanted`; false when it does not come in time.
    bool SkipTo(const std::string& wanted, std::chrono::milliseconds timeout = kTimeout);

  private:
    void Collect();

    int m_fd;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::string> m_lines;
    bool m_ended = false;
    std::thread m_thread;
};

/// Where a child runs and what it finds in its environment besides the test's own.
struct ChildSetting {
    std::string folder;                    ///< working folder; empty: the test's own
    std::vector<std::string> environment;  ///< "NAME=VALUE" to set, "NAME" to remove
    /// The child leads a process group of its own, and what it starts in turn is ended with it
    /// (a session script and the programs it runs).
    bool ownGroup = false;
    /// Standard error is named in JOURNAL_STREAM as the service manager names the journal's
    /// stream: the child writes its lines as it does into the journal.
    bool journalStream = false;
};

/// A tool from the build folder as a child process with pipes on its standard input, output and
/// error; killed when it goes unless it has ended (with its group, when it leads one).
class ChildProcess {
  public:
    ChildProcess(const std::string& path, std::vector<std::string> args,
                 const ChildSetting& setting = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    LineReader& Out() { return *m_out; }
    LineReader& Err() { return *m_err; }
    /// Learns the port from the first line, "listening on 127.x.y.z:PORT"; a failure when that
    /// line does not come.
    void ReadListeningPort();
    std::uint16_t Port() const { return m_port; }

    /// Writes `text` to the standard input of the child.
    bool Write(const std::string& text);
    void CloseInput();
    /// The exit status once the child has ended, or nothing if it is still running in time.
    std::optional<int> WaitExit(std::chrono::milliseconds timeout = kTimeout);
    void Signal(int signal);
    pid_t Pid() const { return m_pid; }

  private:
    pid_t m_pid = -1;
    bool m_ownGroup = false;
    int m_input = -1;
    std::uint16_t m_port = 0;
    std::optional<int> m_status;
    std::unique_ptr<LineReader> m_out;
    std::unique_ptr<LineReader> m_err;
};

/// What a tool left once it ended: its exit code and its lines.
struct FinishedRun {
    int exitCode = -1;  ///< -1: it did not end by itself in time
    std::vector<std::string> out;
    std::vector<std::string> err;
};

/// Runs a tool to its end, collecting its lines. `timeout` bounds the wait for each line and for
/// the end: a tool that writes for longer without a pause may take longer in all.
FinishedRun RunToEnd(const std::string& path, const std::vector<std::string>& args,
                     const ChildSetting& setting = {},
                     std::chrono::milliseconds timeout = kTimeout);
