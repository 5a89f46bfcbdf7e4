#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "DisplayOptions.h"
#include "DisplayService.h"
#include "ToolProcess.h"

namespace {

int BadCommandLine(const std::string& error) {
    std::fprintf(stderr, "tvx-display: %s\n\n%s", error.c_str(), DisplayUsage());
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    OccupyStandardDescriptors();
    const DisplayOptionsResult parsed =
        ParseDisplayOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        return BadCommandLine(parsed.error);
    }
    const DisplayOptions& options = parsed.options;
    if (options.help) {
        std::fputs(DisplayUsage(), stdout);
        return 0;
    }
    // A folder that is not there yet is waited for, as a layout that is not there yet: a new
    // panel gets both from a PC.
    struct stat info {};
    if (stat(options.folder.c_str(), &info) == 0 && !S_ISDIR(info.st_mode)) {
        return BadCommandLine("not a folder: " + options.folder);
    }
    const int stopFd = InstallStopSignals();
    if (stopFd < 0) {
        std::fprintf(stderr, "tvx-display: signals: %s\n", std::strerror(errno));
        return 1;
    }
    DisplayService service(options);
    std::string why;
    if (!service.Start(why)) {
        std::fprintf(stderr, "tvx-display: %s\n", why.c_str());
        return 1;
    }
    service.Run(stopFd);
    return 0;
}
