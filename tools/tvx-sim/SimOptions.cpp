#include "SimOptions.h"

#include <arpa/inet.h>

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

bool ParseListenAddress(const std::string& text, std::string& address, std::uint16_t& port) {
    const auto colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == text.size()) {
        return false;
    }
    const std::string host = text.substr(0, colon);
    in_addr parsed{};
    if (inet_pton(AF_INET, host.c_str(), &parsed) != 1) {
        return false;
    }
    unsigned long value = 0;
    for (std::size_t i = colon + 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + static_cast<unsigned long>(c - '0');
        if (value > 65535) {
            return false;
        }
    }
    address = host;
    port = static_cast<std::uint16_t>(value);
    return true;
}

SimOptionsResult ParseSimOptions(const std::vector<std::string>& args) {
    SimOptionsResult result;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string name = arg;
        std::string value;
        bool hasValue = false;
        const auto equals = arg.find('=');
        if (arg.rfind("--", 0) == 0 && equals != std::string::npos) {
            name = arg.substr(0, equals);
            value = arg.substr(equals + 1);
            hasValue = true;
        }
        if (name == "--help" || name == "-h") {
            result.options.help = true;
            continue;
        }
        if (name != "--listen" && name != "--mode") {
            result.error = "unknown option: " + arg;
            return result;
        }
        if (!hasValue) {
            if (i + 1 >= args.size()) {
                result.error = "missing value for " + name;
                return result;
            }
            value = args[++i];
        }
        if (name == "--listen" &&
            !ParseListenAddress(value, result.options.address, result.options.port)) {
            result.error = "bad --listen value (want IPv4ADDR:PORT): " + value;
            return result;
        }
        if (name == "--mode" && !ParseMode(value, result.options.mode)) {
            result.error = "bad --mode value (want toggle, follow or none): " + value;
            return result;
        }
    }
    return result;
}

const char* SimUsage() {
    return "usage: tvx-sim [--listen ADDR:PORT] [--mode toggle|follow|none] [--help]\n"
           "\n"
           "A controller for trying the panel without a bus: a TCP server that serves one\n"
           "panel at a time, keeps 1008 lamps and answers the panel's messages.\n"
           "\n"
           "  --listen ADDR:PORT  IPv4 address and port to listen on (default 127.0.0.1:4001;\n"
           "                      port 0 lets the system choose, the first line tells which)\n"
           "  --mode MODE         toggle: a press toggles its lamp and sends the state (default)\n"
           "                      follow: a lamp is on while its button is held\n"
           "                      none:   presses and releases change nothing\n"
           "\n"
           "Standard output gets one line per event: 'listening on ADDR:PORT', 'client "
           "connected',\n"
           "'client disconnected', 'press N', 'release N', 'state request', 'garbage N bytes'.\n"
           "\n"
           "Commands on standard input, one per line:\n"
           "  on N | off N   switch lamp N (0 ... 1007) and send the state\n"
           "  all off        switch every lamp off and send the state\n"
           "  send HEX...    send raw bytes, e.g. 'send 78 31 31' or 'send 7831'\n"
           "  drop           close the connection to the panel\n"
           "  quit           end the simulator (so do SIGINT and SIGTERM; end of input does not)\n"
           "\n"
           "A new panel connection replaces the one before. A panel that stops reading is\n"
           "disconnected once 256 KiB of data wait for it.\n";
}
