#include "BuildVersion.h"
#include "SimOptions.h"
#include "SimServer.h"
#include "ToolProcess.h"

int main(int argc, char** argv) {
    OccupyStandardDescriptors();
    SimOptions options;
    const CommandLineTable commandLine = SimCommandLine(options);
    if (const auto end = AnswerCommandLine(commandLine, argc, argv, kBuildVersion)) {
        return *end;
    }
    return Serve<SimServer>(commandLine.program, options);
}
