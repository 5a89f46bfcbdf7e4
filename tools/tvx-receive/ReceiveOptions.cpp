#include "ReceiveOptions.h"

#include <cstdint>

#include "OptionValues.h"

namespace {

/// Far beyond what a panel needs, and within what a process may open.
constexpr std::uint64_t kMostConnections = 10000;
/// An hour between acknowledgements: far beyond any wait of a sender.
constexpr std::uint64_t kMostSlowMilliseconds = 3600 * 1000;

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

}  // namespace

CommandLineTable ReceiveCommandLine(ReceiveOptions& options) {
    const auto optionalCount = [](std::optional<std::uint64_t>& value, const char* want) {
        return [&value, want](const std::string& text) {
            std::uint64_t count = 0;
            if (!ParseCount(text, UINT64_MAX, count)) {
                return want;
            }
            value = count;
            return "";
        };
    };
    CommandLineTable table;
    table.program = "tvx-receive";
    table.about =
        "The receiving side of a panel's layout and picture transfer: a TCP server that\n"
        "takes one file per connection, from several clients at once, and stores it in a\n"
        "folder.\n";
    table.options = {
        {"--listen", "ADDR:PORT",
         "IPv4 address and port to listen on (default 127.0.0.1:4001;\n"
         "port 0 lets the system choose, the first line tells which;\n"
         "0.0.0.0:4001 takes files from the network)",
         TakeListenAddress(options.address, options.port)},
        {"--into", "DIR", "folder the files go to (default: the working folder)",
         [&options](const std::string& value) {
             options.into = value;
             return value.empty() ? "an empty name" : "";
         }},
        {"--allow", "ADDR[/BITS]",
         "take files from this IPv4 address, or from the network of its\n"
         "first BITS bits (e.g. 192.168.1.0/24); repeatable. Without\n"
         "it only the panel itself (127.0.0.0/8) may send; with it only\n"
         "the addresses given (add 127.0.0.0/8 to keep the panel itself).\n"
         "Bits past BITS are cleared, with a line saying so; /0 is\n"
         "taken only as 0.0.0.0/0 (every address)",
         [&options](const std::string& value) {
             const RangeReading reading = ParseAddressRange(value);
             if (!reading.range) {
                 return reading.problem;
             }
             options.allow.push_back(*reading.range);
             if (!reading.note.empty()) {
                 options.notes.push_back("--allow " + reading.note);
             }
             return std::string();
         },
         true},
        {"--timeout", "S", "drop a client that sends nothing for S seconds (default 10)",
         TakeSeconds(options.timeout)},
        {"--deadline", "S",
         "drop a transfer not done S seconds after it connected\n"
         "(default 60)",
         TakeSeconds(options.deadline)},
        {"--max-connections", "N",
         "serve at most N clients at once (default 64); more wait\n"
         "in the listening queue until a place comes free. While\n"
         "one waits, a client silent for 2 s gives up its place",
         [&options](const std::string& value) {
             return ParseCount(value, kMostConnections, options.maxConnections) &&
                            options.maxConnections > 0
                        ? ""
                        : "want a number from 1 to 10000";
         }},
        {"--answer-greeting", "C", "answer the greeting with the character C instead of '>'",
         [&options](const std::string& value) {
             if (value.size() != 1) {
                 return "want one character";
             }
             options.answerGreeting = value[0];
             return "";
         },
         false, "Misbehaving on purpose, to try the sending panel:"},
        {"--close-after", "N", "close the connection after N bytes received",
         optionalCount(options.closeAfter, "want a number of bytes")},
        {"--slow", "MS", "wait MS milliseconds before every acknowledgement",
         [&options](const std::string& value) {
             std::uint64_t count = 0;
             if (!ParseCount(value, kMostSlowMilliseconds, count)) {
                 return "want milliseconds, at most an hour";
             }
             options.slow = std::chrono::milliseconds(count);
             return "";
         }},
        {"--assume-free", "N", "take the folder's free space to be N bytes",
         optionalCount(options.assumeFree, "want a number of bytes")},
    };
    table.more =
        "Standard output gets 'listening on ADDR:PORT' first, then one line per file:\n"
        "'received NAME SIZE bytes', or 'refused NAME: REASON' when it was not stored\n"
        "(NAME is '-' before the name arrived; bytes outside printable ASCII show as \\xNN).\n"
        "A client from an address that is not allowed is closed at once, with one\n"
        "'refused -: ADDR is not allowed to send (--allow)' line.\n"
        "Only tvxdef.ini and pictures (.png, .jpg, .jpeg, .bmp in any letter case) are\n"
        "stored. Names with a path separator, '..', a leading dot or a control character\n"
        "are refused, and so is a name that is something other than a file in the folder\n"
        "(a folder, a pipe, a symbolic link), before any of the contents is taken. A file\n"
        "that would leave less than 1 MiB free on the disk, counting what the transfers\n"
        "under way still bring, is refused at its length.\n"
        "A file the panel could not use is refused once it is complete, with '?' as the\n"
        "answer to its last step: a tvxdef.ini that does not end with its 'EndOfFile'\n"
        "line (cut off, or no layout at all), or a picture whose header the panel's\n"
        "picture reader does not know. The file of that name in the folder stays as it was.\n"
        "A file is written under a temporary name in the folder and renamed when complete,\n"
        "so a refused or broken-off transfer leaves nothing behind. Two clients sending one\n"
        "name at once each write their own temporary file: the one done last is kept.\n"
        "SIGINT and SIGTERM end the receiver.\n"
        "\n"
        "Exit code: 0 after SIGINT or SIGTERM, 1 when it cannot listen or use its folder,\n"
        "2 for a wrong command line.\n";
    return table;
}
