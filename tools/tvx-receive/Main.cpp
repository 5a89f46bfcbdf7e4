#include "ReceiveOptions.h"
#include "ReceiveServer.h"
#include "ToolProcess.h"

int main(int argc, char** argv) {
    return RunTool<ReceiveServer>("tvx-receive", argc, argv, ParseReceiveOptions, ReceiveUsage());
}
