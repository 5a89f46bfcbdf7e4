// Sending a 1 MiB picture from the real panel to build/tvx-receive over the loopback network:
// the wall time from StartTransfer to the last block, and the processor time the panel's
// process spends meanwhile. The panel waits on its event loop as the transmit dialog does, so
// while it waits for the receiver it uses no processor time at all. The argument delays every
// answer of the receiver by so many milliseconds: 0 is a receiver that answers at once (the
// panel's own work per block is then what limits the speed), 1 is closer to a panel on a
// network that writes each block to its storage before it answers.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include <wx/evtloop.h>
#include <wx/image.h>
#include <wx/mstream.h>
#include <wx/timer.h>

#include "PanelFixture.h"
#include "Spread.h"
#include "link/TransferSocket.h"
#include "model/Layout.h"
#include "model/Paths.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kPictureSize = 1024 * 1024;
constexpr char kPictureName[] = "bench-picture.png";

double CpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

/// The folder the benchmark program lies in, where the receiver is built as well.
std::string ProgramFolder() {
    char path[4096];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) {
        return ".";
    }
    const std::string self(path, static_cast<std::size_t>(length));
    return self.substr(0, self.rfind('/'));
}

/// build/tvx-receive as a child process on port 4001 of an address of its own, storing into
/// a temporary folder.
class ReceiverProcess {
  public:
    explicit ReceiverProcess(int slowMs) {
        const auto pid = static_cast<unsigned>(::getpid());
        m_address = {127, 251, static_cast<int>((pid >> 8) & 0xFF),
                     1 + static_cast<int>(pid % 250)};
        m_folder = "/tmp/tvx-bench-receive-XXXXXX";
        if (::mkdtemp(m_folder.data()) == nullptr) {
            m_error = "cannot make a folder for the receiver";
            return;
        }
        const std::string program = ProgramFolder() + "/tvx-receive";
        if (::access(program.c_str(), X_OK) != 0) {
            m_error = "build tvx-receive first (" + program + ")";
            return;
        }
        const std::string listen =
            std::to_string(m_address[0]) + "." + std::to_string(m_address[1]) + "." +
            std::to_string(m_address[2]) + "." + std::to_string(m_address[3]) + ":4001";
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0) {
            m_error = "pipe";
            return;
        }
        std::vector<std::string> args = {
            program, "--listen", listen, "--into", m_folder, "--slow", std::to_string(slowMs)};
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        m_out = out[0];
        if (NextLine(5000).rfind("listening on ", 0) != 0) {
            m_error = "the receiver did not start listening";
        }
    }

    ~ReceiverProcess() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
        if (m_out >= 0) {
            ::close(m_out);
        }
        const std::string stored = m_folder + "/" + kPictureName;
        ::unlink(stored.c_str());
        ::rmdir(m_folder.c_str());
    }

    const std::string& Error() const { return m_error; }
    std::array<int, 4> Address() const { return m_address; }

    /// The next line of the receiver's output, empty when none comes in time.
    std::string NextLine(int timeoutMs) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            const auto newline = m_buffer.find('\n');
            if (newline != std::string::npos) {
                std::string line = m_buffer.substr(0, newline);
                m_buffer.erase(0, newline + 1);
                return line;
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            pollfd entry{m_out, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&entry, 1, static_cast<int>(left.count())) <= 0) {
                return {};
            }
            char chunk[512];
            const ssize_t got = ::read(m_out, chunk, sizeof chunk);
            if (got <= 0) {
                return {};
            }
            m_buffer.append(chunk, static_cast<std::size_t>(got));
        }
    }

  private:
    std::array<int, 4> m_address{};
    std::string m_folder;
    std::string m_error;
    pid_t m_pid = -1;
    int m_out = -1;
    std::string m_buffer;
};

void BM_TransferPicture1MiB(benchmark::State& state) {
    BenchPanel panel;
    if (!panel.Error().empty()) {
        state.SkipWithError(panel.Error().c_str());
        return;
    }
    ReceiverProcess receiver(static_cast<int>(state.range(0)));
    if (!receiver.Error().empty()) {
        state.SkipWithError(receiver.Error().c_str());
        return;
    }
    Layout& layout = panel.Document().Layout();
    layout.Form.Transmit_IP = receiver.Address();
    {
        // A picture the receiver takes (its header is read), made up to the size with bytes
        // after its end.
        wxMemoryOutputStream png;
        wxImage(8, 8).SaveFile(png, wxBITMAP_TYPE_PNG);
        std::string bytes(kPictureSize, '\0');
        png.CopyTo(bytes.data(), png.GetSize());
        for (std::size_t i = png.GetSize(); i < bytes.size(); ++i) {
            bytes[i] = static_cast<char>(i * 31 + i / 4093);
        }
        std::ofstream(PathInFolder(layout.Form.LayoutDirectory, TextFromNative(kPictureName)),
                      std::ios::binary)
            << bytes;
    }
    TransferSocket& transfer = *panel.Dialog().Link().Transfer();
    const std::string receivedLine =
        std::string("received ") + kPictureName + " " + std::to_string(kPictureSize) + " bytes";

    double wallTotal = 0;
    double cpuTotal = 0;
    for (auto _ : state) {
        panel.Settle();
        // The panel waits as the transmit dialog does: in an event loop that the end of the
        // transfer leaves, never in a loop of its own.
        wxGUIEventLoop wait;
        transfer.SetStateListener([&wait](int value) {
            if ((value == TransferSocket::kDone || value == TransferSocket::kFailed) &&
                wait.IsRunning()) {
                wait.ScheduleExit();
            }
        });
        wxTimer limit;
        limit.Bind(wxEVT_TIMER, [&wait](wxTimerEvent&) {
            if (wait.IsRunning()) {
                wait.ScheduleExit();
            }
        });
        limit.StartOnce(20000);

        const double cpuStart = CpuSeconds();
        const Clock::time_point start = Clock::now();
        transfer.StartTransfer(layout, TextFromNative(kPictureName));
        if (transfer.TransferState() == TransferProtocol::kGreetingSent) {
            wait.Run();
        }
        const double wall = std::chrono::duration<double>(Clock::now() - start).count();
        const double cpu = CpuSeconds() - cpuStart;
        limit.Stop();
        transfer.SetStateListener(nullptr);
        state.SetIterationTime(wall);
        if (transfer.TransferState() != TransferSocket::kDone ||
            receiver.NextLine(10000) != receivedLine) {
            state.SkipWithError("the picture did not arrive");
            break;
        }
        wallTotal += wall;
        cpuTotal += cpu;
    }
    const double n = static_cast<double>(state.iterations());
    if (n > 0 && wallTotal > 0) {
        state.counters["wall_ms"] = benchmark::Counter(wallTotal * 1000 / n);
        state.counters["cpu_ms"] = benchmark::Counter(cpuTotal * 1000 / n);
        state.counters["cpu_share"] = benchmark::Counter(cpuTotal / wallTotal);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(kPictureSize));
}
BENCHMARK(BM_TransferPicture1MiB)
    ->ArgName("receiver_delay_ms")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Apply(WithMinMax);

}  // namespace
