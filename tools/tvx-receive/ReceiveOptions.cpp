#include "ReceiveOptions.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "CommandLine.h"

namespace {

/// A whole decimal number without sign, at most `limit`.
bool ParseCount(const std::string& text, std::uint64_t limit, std::uint64_t& value) {
    if (text.empty()) {
        return false;
    }
    value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (value > (limit - digit) / 10) {
            return false;
        }
        value = value * 10 + digit;
    }
    return true;
}

/// Seconds, fractions allowed, above 0 and at most a day.
bool ParseSeconds(const std::string& text, std::chrono::milliseconds& value) {
    if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos) {
        return false;
    }
    char* end = nullptr;
    const double seconds = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !(seconds > 0.0) || seconds > 86400.0) {
        return false;
    }
    value = std::chrono::milliseconds(std::max<long long>(1, std::llround(seconds * 1000.0)));
    return true;
}

}  // namespace

ReceiveOptionsResult ParseReceiveOptions(const std::vector<std::string>& args) {
    ReceiveOptionsResult result;
    ReceiveOptions& options = result.options;
    const auto take = [&options](const std::string& name, const std::string& value) {
        std::uint64_t count = 0;
        bool good = true;
        if (name == "--listen") {
            good = ParseListenAddress(value, options.address, options.port);
        } else if (name == "--into") {
            good = !value.empty();
            options.into = value;
        } else if (name == "--timeout") {
            good = ParseSeconds(value, options.timeout);
        } else if (name == "--answer-greeting") {
            good = value.size() == 1;
            options.answerGreeting = good ? value[0] : '>';
        } else if (name == "--close-after") {
            good = ParseCount(value, UINT64_MAX, count);
            options.closeAfter = count;
        } else {
            good = ParseCount(value, 3600 * 1000, count);
            options.slow = std::chrono::milliseconds(count);
        }
        return good ? std::string() : "bad " + name + " value: " + value;
    };
    result.error = ReadCommandLine(
        args, {"--listen", "--into", "--timeout", "--answer-greeting", "--close-after", "--slow"},
        options.help, take);
    return result;
}

const char* ReceiveUsage() {
    return "usage: tvx-receive [--listen ADDR:PORT] [--into DIR] [--timeout S]\n"
           "                   [--answer-greeting C] [--close-after N] [--slow MS] [--help]\n"
           "\n"
           "The receiving side of a panel's layout and picture transfer: a TCP server that\n"
           "takes one file per connection, one client after another, and stores it in a folder.\n"
           "\n"
           "  --listen ADDR:PORT  IPv4 address and port to listen on (default 127.0.0.1:4001;\n"
           "                      port 0 lets the system choose, the first line tells which)\n"
           "  --into DIR          folder the files go to (default: the working folder)\n"
           "  --timeout S         drop a client that sends nothing for S seconds (default 10)\n"
           "\n"
           "Misbehaving on purpose, to try the sending panel:\n"
           "  --answer-greeting C answer the greeting with the character C instead of '>'\n"
           "  --close-after N     close the connection after N bytes received\n"
           "  --slow MS           wait MS milliseconds before every acknowledgement\n"
           "\n"
           "Standard output gets 'listening on ADDR:PORT' first, then one line per file:\n"
           "'received NAME SIZE bytes', or 'refused NAME: REASON' when it was not stored\n"
           "(NAME is '-' before the name arrived; bytes outside printable ASCII show as \\xNN).\n"
           "A file is written under a temporary name in the folder and renamed when complete,\n"
           "so a refused or broken-off transfer leaves nothing behind. Names with a path\n"
           "separator, '..', a leading dot or a control character are refused.\n"
           "SIGINT and SIGTERM end the receiver.\n";
}
