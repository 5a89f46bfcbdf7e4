#include "SimOptions.h"
#include "SimServer.h"
#include "ToolProcess.h"

int main(int argc, char** argv) {
    return RunTool<SimServer>("tvx-sim", argc, argv, ParseSimOptions, SimUsage());
}
