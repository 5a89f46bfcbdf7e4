// Measures programs from outside, as a user meets them on the X display named by DISPLAY.
//
//   tvx-bench-probe start RUNS [--cgroup DIR] -- PROGRAM ARGS... [-- PROGRAM ARGS...]
//     Starts each program RUNS times, in turn, and times each start up to the moment its first
//     page is on the screen: the pixels that the program shows once it has settled (learnt from
//     one start before the measured ones), read back from the X server. Also the processor time
//     the program had used by then, and its resident and anonymous memory 1.5 s later.
//   tvx-bench-probe idle SECONDS [--cgroup DIR] -- PROGRAM ARGS...
//     Starts the program, lets it settle for 5 s, then counts its processor time and its
//     wake-ups (context switches of all its threads) over SECONDS.
//
// Prints one line per figure: "NAME median min max" (start: one set per program, the first
// program's figures named "panel-...", the second's "bare-..."). With --cgroup the program runs
// in that control group (its cgroup.procs file), for example one with a processor quota.
// Programs are ended by their process id (SIGTERM, then SIGKILL).
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "tvx-bench-probe: %s\n", what.c_str());
    std::exit(1);
}

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void Pause(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

/// The thread ids of a process.
std::vector<std::string> Tasks(pid_t pid) {
    std::vector<std::string> tasks;
    const std::string folder = "/proc/" + std::to_string(pid) + "/task";
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            if (entry->d_name[0] != '.') {
                tasks.push_back(folder + "/" + entry->d_name);
            }
        }
        ::closedir(dir);
    }
    return tasks;
}

/// Processor time of all threads of a process so far, in milliseconds.
double ProcessorMs(pid_t pid) {
    double ns = 0;
    for (const std::string& task : Tasks(pid)) {
        std::ifstream in(task + "/schedstat");
        double onCpu = 0;
        if (in >> onCpu) {
            ns += onCpu;
        }
    }
    return ns / 1e6;
}

/// A field of /proc/PID[/task/TID]/status, the number after its name.
long StatusField(const std::string& statusFile, const std::string& name) {
    std::ifstream in(statusFile);
    std::string line;
    while (std::getline(in, line)) {
        if (line.compare(0, name.size() + 1, name + ":") == 0) {
            return std::strtol(line.c_str() + name.size() + 1, nullptr, 10);
        }
    }
    return 0;
}

/// Context switches of all threads so far: each is a wake-up of the thread that switched.
long Switches(pid_t pid) {
    long switches = 0;
    for (const std::string& task : Tasks(pid)) {
        switches += StatusField(task + "/status", "voluntary_ctxt_switches") +
                    StatusField(task + "/status", "nonvoluntary_ctxt_switches");
    }
    return switches;
}

pid_t Start(const std::vector<std::string>& command, const std::string& cgroup) {
    const pid_t pid = ::fork();
    if (pid < 0) {
        Fail("cannot fork");
    }
    if (pid == 0) {
        if (!cgroup.empty()) {
            std::ofstream procs(cgroup + "/cgroup.procs");
            procs << 0 << std::flush;
            if (!procs) {
                std::fprintf(stderr, "tvx-bench-probe: cannot join %s\n", cgroup.c_str());
                ::_exit(127);
            }
        }
        const int quiet = ::open("/dev/null", O_WRONLY);
        ::dup2(quiet, STDOUT_FILENO);
        std::vector<char*> argv;
        for (const std::string& arg : command) {
            argv.push_back(const_cast<char*>(arg.c_str()));
        }
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        std::fprintf(stderr, "tvx-bench-probe: cannot run %s\n", argv[0]);
        ::_exit(127);
    }
    return pid;
}

void End(pid_t pid) {
    ::kill(pid, SIGTERM);
    for (int i = 0; i < 200; ++i) {
        if (::waitpid(pid, nullptr, WNOHANG) == pid) {
            return;
        }
        Pause(10);
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

bool Alive(pid_t pid) {
    return ::waitpid(pid, nullptr, WNOHANG) == 0;
}

/// Points of the screen and their pixels.
struct Look {
    std::vector<XPoint> points;
    std::vector<unsigned long> pixels;
};

class Screen {
  public:
    Screen() : m_display(XOpenDisplay(nullptr)) {
        if (m_display == nullptr) {
            Fail("cannot open the display");
        }
        m_root = DefaultRootWindow(m_display);
        m_width = DisplayWidth(m_display, DefaultScreen(m_display));
        m_height = DisplayHeight(m_display, DefaultScreen(m_display));
    }
    ~Screen() { XCloseDisplay(m_display); }

    /// The whole screen on a grid of `step` pixels.
    Look Grid(int step) {
        Look look;
        XImage* image = XGetImage(m_display, m_root, 0, 0, static_cast<unsigned>(m_width),
                                  static_cast<unsigned>(m_height), AllPlanes, ZPixmap);
        if (image == nullptr) {
            Fail("cannot read the screen");
        }
        for (int y = step / 2; y < m_height; y += step) {
            for (int x = step / 2; x < m_width; x += step) {
                look.points.push_back(XPoint{static_cast<short>(x), static_cast<short>(y)});
                look.pixels.push_back(XGetPixel(image, x, y));
            }
        }
        XDestroyImage(image);
        return look;
    }

    /// Whether every point shows its pixel now.
    bool Shows(const Look& look) {
        for (std::size_t i = 0; i < look.points.size(); ++i) {
            XImage* image = XGetImage(m_display, m_root, look.points[i].x, look.points[i].y, 1, 1,
                                      AllPlanes, ZPixmap);
            const bool same = image != nullptr && XGetPixel(image, 0, 0) == look.pixels[i];
            if (image != nullptr) {
                XDestroyImage(image);
            }
            if (!same) {
                return false;
            }
        }
        return true;
    }

  private:
    Display* m_display;
    Window m_root;
    int m_width = 0;
    int m_height = 0;
};

/// What the program shows once it has settled, at points where that differs from the empty
/// screen: a few dozen, spread over all of them.
Look LearnFirstPage(Screen& screen, const std::vector<std::string>& command,
                    const std::string& cgroup) {
    constexpr int kStep = 16;
    const Look empty = screen.Grid(kStep);
    const pid_t pid = Start(command, cgroup);
    Look last = screen.Grid(kStep);
    int stableFor = 0;
    for (int waited = 0; stableFor < 1500 && waited < 30000; waited += 100) {
        Pause(100);
        const Look now = screen.Grid(kStep);
        stableFor = now.pixels == last.pixels && now.pixels != empty.pixels ? stableFor + 100 : 0;
        last = now;
    }
    End(pid);
    if (stableFor < 1500) {
        Fail("the program's screen did not settle: " + command[0]);
    }
    Look differing;
    for (std::size_t i = 0; i < last.points.size(); ++i) {
        if (last.pixels[i] != empty.pixels[i]) {
            differing.points.push_back(last.points[i]);
            differing.pixels.push_back(last.pixels[i]);
        }
    }
    Look chosen;
    const std::size_t every = std::max<std::size_t>(1, differing.points.size() / 40);
    for (std::size_t i = 0; i < differing.points.size(); i += every) {
        chosen.points.push_back(differing.points[i]);
        chosen.pixels.push_back(differing.pixels[i]);
    }
    return chosen;
}

struct StartFigures {
    double firstPageMs = 0;
    double processorMs = 0;
    double residentMiB = 0;
    double anonymousMiB = 0;
};

StartFigures MeasureStart(Screen& screen, const std::vector<std::string>& command,
                          const std::string& cgroup, const Look& firstPage) {
    Pause(300);
    StartFigures figures;
    const Clock::time_point start = Clock::now();
    const pid_t pid = Start(command, cgroup);
    while (!screen.Shows(firstPage)) {
        if (!Alive(pid) || MsSince(start) > 60000) {
            Fail("no first page from " + command[0]);
        }
        Pause(2);
    }
    figures.firstPageMs = MsSince(start);
    figures.processorMs = ProcessorMs(pid);
    Pause(1500);
    const std::string status = "/proc/" + std::to_string(pid) + "/status";
    figures.residentMiB = StatusField(status, "VmRSS") / 1024.0;
    figures.anonymousMiB = StatusField(status, "RssAnon") / 1024.0;
    End(pid);
    return figures;
}

void Print(const std::string& name, std::vector<double> values) {
    std::sort(values.begin(), values.end());
    std::printf("%s %.2f %.2f %.2f\n", name.c_str(), values[values.size() / 2], values.front(),
                values.back());
}

void RunStarts(int runs, const std::vector<std::vector<std::string>>& programs,
               const std::string& cgroup) {
    Screen screen;
    std::vector<Look> firstPages;
    for (const auto& command : programs) {
        firstPages.push_back(LearnFirstPage(screen, command, cgroup));
    }
    std::vector<std::vector<StartFigures>> figures(programs.size());
    for (int run = 0; run < runs; ++run) {
        for (std::size_t p = 0; p < programs.size(); ++p) {
            figures[p].push_back(MeasureStart(screen, programs[p], cgroup, firstPages[p]));
        }
    }
    const char* names[] = {"panel", "bare"};
    for (std::size_t p = 0; p < programs.size() && p < 2; ++p) {
        const auto column = [&](double StartFigures::*field) {
            std::vector<double> values;
            for (const StartFigures& f : figures[p]) {
                values.push_back(f.*field);
            }
            return values;
        };
        const std::string name = names[p];
        Print(name + "-first-page-ms", column(&StartFigures::firstPageMs));
        Print(name + "-processor-ms", column(&StartFigures::processorMs));
        Print(name + "-resident-mib", column(&StartFigures::residentMiB));
        Print(name + "-anonymous-mib", column(&StartFigures::anonymousMiB));
    }
}

void RunIdle(int seconds, const std::vector<std::string>& command, const std::string& cgroup) {
    const pid_t pid = Start(command, cgroup);
    Pause(5000);
    if (!Alive(pid)) {
        Fail("the program ended: " + command[0]);
    }
    const double cpu = ProcessorMs(pid);
    const long switches = Switches(pid);
    // In steps of a second, so that a program that ends is noticed.
    std::vector<double> perSecond;
    long before = switches;
    for (int s = 0; s < seconds; ++s) {
        Pause(1000);
        const long now = Switches(pid);
        perSecond.push_back(static_cast<double>(now - before));
        before = now;
    }
    const double cpuShare = (ProcessorMs(pid) - cpu) / (seconds * 1000.0) * 100.0;
    const std::string status = "/proc/" + std::to_string(pid) + "/status";
    const double resident = StatusField(status, "VmRSS") / 1024.0;
    const double anonymous = StatusField(status, "RssAnon") / 1024.0;
    if (!Alive(pid)) {
        Fail("the program ended: " + command[0]);
    }
    End(pid);
    std::printf("idle-processor-percent %.3f %.3f %.3f\n", cpuShare, cpuShare, cpuShare);
    Print("idle-wakeups-per-second", perSecond);
    std::printf("idle-resident-mib %.1f %.1f %.1f\n", resident, resident, resident);
    std::printf("idle-anonymous-mib %.1f %.1f %.1f\n", anonymous, anonymous, anonymous);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() < 4 || (args[0] != "start" && args[0] != "idle")) {
        Fail("usage: tvx-bench-probe start RUNS|idle SECONDS [--cgroup DIR] -- PROGRAM ARGS...");
    }
    const int count = std::atoi(args[1].c_str());
    std::size_t at = 2;
    std::string cgroup;
    if (args[at] == "--cgroup" && at + 1 < args.size()) {
        cgroup = args[at + 1];
        at += 2;
    }
    std::vector<std::vector<std::string>> programs;
    for (; at < args.size(); ++at) {
        if (args[at] == "--") {
            programs.emplace_back();
        } else if (!programs.empty()) {
            programs.back().push_back(args[at]);
        }
    }
    if (count <= 0 || programs.empty() || programs.front().empty()) {
        Fail("nothing to run");
    }
    if (args[0] == "start") {
        RunStarts(count, programs, cgroup);
    } else {
        RunIdle(count, programs.front(), cgroup);
    }
    return 0;
}
