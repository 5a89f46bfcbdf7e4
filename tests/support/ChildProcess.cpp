#include "ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>

using namespace std::chrono_literals;

int RemainingMs(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

LineReader::LineReader(int fd) : m_fd(fd), m_thread([this] { Collect(); }) {}

LineReader::~LineReader() {
    m_thread.join();
    close(m_fd);
}

std::optional<std::string> LineReader::Next(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait_for(lock, timeout, [this] { return !m_lines.empty() || m_ended; });
    if (m_lines.empty()) {
        return std::nullopt;
    }
    std::string line = m_lines.front();
    m_lines.pop_front();
    return line;
}

bool LineReader::SkipTo(const std::string& wanted, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (const auto line = Next(std::chrono::milliseconds(RemainingMs(deadline)))) {
        if (*line == wanted) {
            return true;
        }
    }
    return false;
}

void LineReader::Collect() {
    std::string partial;
    char buffer[4096];
    for (;;) {
        const ssize_t got = read(m_fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        for (ssize_t i = 0; i < got; ++i) {
            if (buffer[i] == '\n') {
                m_lines.push_back(partial);
                partial.clear();
            } else {
                partial.push_back(buffer[i]);
            }
        }
        m_changed.notify_all();
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_ended = true;
    m_changed.notify_all();
}

namespace {

/// The test's environment with the setting's changes, as "NAME=VALUE" strings.
std::vector<std::string> EnvironmentWith(const std::vector<std::string>& changes) {
    std::vector<std::string> result;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        result.emplace_back(*entry);
    }
    for (const std::string& change : changes) {
        const std::string name = change.substr(0, change.find('='));
        result.erase(std::remove_if(result.begin(), result.end(),
                                    [&name](const std::string& entry) {
                                        return entry.compare(0, name.size() + 1, name + "=") == 0;
                                    }),
                     result.end());
        if (change.find('=') != std::string::npos) {
            result.push_back(change);
        }
    }
    return result;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (std::string& text : strings) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

ChildProcess::ChildProcess(const std::string& path, std::vector<std::string> args,
                           const ChildSetting& setting) {
    int in[2], out[2], err[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
        ADD_FAILURE() << "pipe";
        return;
    }
    args.insert(args.begin(), path);
    // Built before the fork: the child of a process with threads may only exec.
    const std::vector<char*> argv = Pointers(args);
    std::vector<std::string> changes = setting.environment;
    struct stat errStatus {};
    if (setting.journalStream && fstat(err[1], &errStatus) == 0) {
        changes.push_back("JOURNAL_STREAM=" + std::to_string(errStatus.st_dev) + ":" +
                          std::to_string(errStatus.st_ino));
    }
    std::vector<std::string> environment = EnvironmentWith(changes);
    const std::vector<char*> envp = Pointers(environment);
    m_ownGroup = setting.ownGroup;
    m_pid = fork();
    if (m_pid == 0) {
        if (setting.ownGroup) {
            setpgid(0, 0);
        }
        dup2(in[0], STDIN_FILENO);
        dup2(out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        if (!setting.folder.empty() && chdir(setting.folder.c_str()) != 0) {
            _exit(126);
        }
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    if (setting.ownGroup) {
        setpgid(m_pid, m_pid);  // either side may come first
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    m_input = in[1];
    m_out = std::make_unique<LineReader>(out[0]);
    m_err = std::make_unique<LineReader>(err[0]);
}

ChildProcess::~ChildProcess() {
    CloseInput();
    if (m_pid > 0 && !m_status) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
    // What the child started and left running; the group keeps its number while one lives.
    if (m_pid > 0 && m_ownGroup) {
        kill(-m_pid, SIGKILL);
    }
    // The readers end once the child is gone and its pipes are closed.
    m_out.reset();
    m_err.reset();
}

void ChildProcess::ReadListeningPort() {
    const auto line = Out().Next();
    const std::string prefix = "listening on 127.";
    const auto colon = line ? line->rfind(':') : std::string::npos;
    if (!line || line->rfind(prefix, 0) != 0 || colon == std::string::npos) {
        ADD_FAILURE() << "no listening line, got: " << line.value_or("(nothing)");
        return;
    }
    m_port = static_cast<std::uint16_t>(std::stoi(line->substr(colon + 1)));
}

bool ChildProcess::Write(const std::string& text) {
    return write(m_input, text.data(), text.size()) == static_cast<ssize_t>(text.size());
}

void ChildProcess::CloseInput() {
    if (m_input >= 0) {
        close(m_input);
        m_input = -1;
    }
}

std::optional<int> ChildProcess::WaitExit(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (!m_status) {
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_status = status;
            break;
        }
        if (Clock::now() >= deadline) {
            break;
        }
        std::this_thread::sleep_for(10ms);
    }
    return m_status;
}

FinishedRun RunToEnd(const std::string& path, const std::vector<std::string>& args,
                     const ChildSetting& setting, std::chrono::milliseconds timeout) {
    ChildProcess child(path, args, setting);
    FinishedRun run;
    // The lines end with the process.
    while (const auto line = child.Out().Next(timeout)) {
        run.out.push_back(*line);
    }
    while (const auto line = child.Err().Next(timeout)) {
        run.err.push_back(*line);
    }
    const auto status = child.WaitExit(timeout);
    if (status && WIFEXITED(*status)) {
        run.exitCode = WEXITSTATUS(*status);
    }
    return run;
}

void ChildProcess::Signal(int signal) {
    kill(m_pid, signal);
}
