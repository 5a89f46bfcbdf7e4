#include <cstdio>

#include "BuildVersion.h"
#include "ReceiveOptions.h"
#include "ReceiveServer.h"
#include "ToolProcess.h"

int main(int argc, char** argv) {
    OccupyStandardDescriptors();
    ReceiveOptions options;
    const CommandLineTable commandLine = ReceiveCommandLine(options);
    if (const auto end = AnswerCommandLine(commandLine, argc, argv, kBuildVersion)) {
        return *end;
    }
    for (const std::string& note : options.notes) {
        ToolJournal().Warning(commandLine.program + ": " + note);
    }
    return Serve<ReceiveServer>(commandLine.program, options);
}
