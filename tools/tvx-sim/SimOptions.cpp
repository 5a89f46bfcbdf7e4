#include "SimOptions.h"

#include "OptionValues.h"

namespace {

bool ParseMode(const std::string& text, SimMode& mode) {
    if (text == "toggle") {
        mode = SimMode::Toggle;
    } else if (text == "follow") {
        mode = SimMode::Follow;
    } else if (text == "none") {
        mode = SimMode::None;
    } else {
        return false;
    }
    return true;
}

}  // namespace

CommandLineTable SimCommandLine(SimOptions& options) {
    CommandLineTable table;
    table.program = "tvx-sim";
    table.about =
        "A controller for trying the panel without a bus: a TCP server that serves one\n"
        "panel at a time, keeps 1008 lamps and answers the panel's messages.\n";
    table.options = {
        {"--listen", "ADDR:PORT",
         "IPv4 address and port to listen on (default 127.0.0.1:4001;\n"
         "port 0 lets the system choose, the first line tells which)",
         TakeListenAddress(options.address, options.port)},
        {"--mode", "MODE",
         "toggle: a press toggles its lamp and sends the state (default)\n"
         "follow: a lamp is on while its button is held\n"
         "none:   presses and releases change nothing",
         [&options](const std::string& value) {
             return ParseMode(value, options.mode) ? "" : "want toggle, follow or none";
         }},
    };
    table.more =
        "Standard output gets one line per event: 'listening on ADDR:PORT',\n"
        "'client connected', 'client disconnected', 'press N', 'release N',\n"
        "'state request', 'garbage N bytes'.\n"
        "\n"
        "Commands on standard input, one per line:\n"
        "  on N | off N   switch lamp N (0 ... 1007) and send the state\n"
        "  all off        switch every lamp off and send the state\n"
        "  send HEX...    send raw bytes, e.g. 'send 78 31 31' or 'send 7831'\n"
        "  drop           close the connection to the panel\n"
        "  quit           end the simulator (so do SIGINT and SIGTERM; end of input does not)\n"
        "\n"
        "A new panel connection replaces the one before. A panel that stops reading is\n"
        "disconnected once 256 KiB of data wait for it.\n"
        "\n"
        "Exit code: 0 after quit, SIGINT or SIGTERM, 1 when it cannot listen, 2 for a\n"
        "wrong command line.\n";
    return table;
}
