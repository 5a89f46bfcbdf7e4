#pragma once

// build/tvx-receive as the tests of the receiver and of the sender run it.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "PictureBytes.h"
#include "TempFolder.h"

inline const std::string kReceivePath = std::string(TVX_BINARY_DIR) + "/tvx-receive";

/// build/tvx-receive as a child process, listening on a port the system chooses at a loopback
/// address, storing into a fresh folder of its own.
class Receiver {
  public:
    explicit Receiver(std::vector<std::string> args = {},
                      const std::string& address = "127.0.0.1") {
        m_into = m_folder.At("into");
        std::filesystem::create_directory(m_into);
        args.insert(args.begin(), {"--listen", address + ":0", "--into", m_into});
        m_process = std::make_unique<ChildProcess>(kReceivePath, args);
        m_process->ReadListeningPort();
    }

    ~Receiver() { m_process.reset(); }

    std::uint16_t Port() const { return m_process->Port(); }
    std::optional<std::string> Line(std::chrono::milliseconds timeout = kTimeout) {
        return m_process->Out().Next(timeout);
    }
    std::optional<std::string> ErrorLine(std::chrono::milliseconds timeout = kTimeout) {
        return m_process->Err().Next(timeout);
    }
    void Signal(int signal) { m_process->Signal(signal); }
    std::optional<int> WaitExit() { return m_process->WaitExit(); }
    pid_t Pid() const { return m_process->Pid(); }

    /// The target folder.
    const std::string& Into() const { return m_into; }
    /// Names in the target folder, temporaries included, and everything beside it.
    std::vector<std::string> Stored() const { return NamesIn(m_into); }
    std::vector<std::string> BesideTheFolder() const { return m_folder.Names(); }
    std::string Contents(const std::string& name) const { return ReadFile(m_into + "/" + name); }

  private:
    TempFolder m_folder{"tvx-receive"};
    std::string m_into;
    std::unique_ptr<ChildProcess> m_process;
};

/// A layout file of `size` bytes (at least 11) that the panel can use: Pattern bytes, which
/// hold no key of the layout, then its "EndOfFile" line.
inline std::string LayoutBytes(std::size_t size, unsigned seed = 1) {
    const std::string end = size >= 13 ? "\r\nEndOfFile\r\n" : "EndOfFile\r\n";
    EXPECT_GE(size, end.size());
    std::string bytes = Pattern(size - std::min(size, end.size()), seed);
    // Every key ends in a colon.
    std::replace(bytes.begin(), bytes.end(), ':', ';');
    return bytes + end;
}
