#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "BuildVersion.h"
#include "DisplayOptions.h"
#include "DisplayService.h"
#include "ToolProcess.h"

int main(int argc, char** argv) {
    OccupyStandardDescriptors();
    DisplayOptions options;
    const CommandLineTable commandLine = DisplayCommandLine(options);
    if (const auto end = AnswerCommandLine(commandLine, argc, argv, kBuildVersion)) {
        return *end;
    }
    // A folder that is not there yet is waited for, as a layout that is not there yet: a new
    // panel gets both from a PC.
    struct stat info {};
    if (stat(options.folder.c_str(), &info) == 0 && !S_ISDIR(info.st_mode)) {
        return RefuseCommandLine(commandLine, "not a folder: " + options.folder);
    }
    const int stopFd = InstallStopSignals();
    if (stopFd < 0) {
        ToolJournal().Error(std::string("tvx-display: signals: ") + std::strerror(errno));
        return 1;
    }
    DisplayService service(options);
    std::string why;
    if (!service.Start(why)) {
        ToolJournal().Error("tvx-display: " + why);
        return 1;
    }
    service.Run(stopFd);
    return 0;
}
