#include "SimCommands.h"

#include <sstream>

#include "model/PanelState.h"

namespace {

SimCommand Bad(const std::string& error) {
    SimCommand command;
    command.kind = SimCommand::Kind::Bad;
    command.error = error;
    return command;
}

bool ParseLamp(const std::string& text, int& lamp) {
    if (text.empty() || text.size() > 4) {
        return false;
    }
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + (c - '0');
    }
    if (value >= LampBitmap::kLamps) {
        return false;
    }
    lamp = value;
    return true;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

/// Appends the bytes of one group of hex digits; a group holds whole bytes.
bool AppendHex(const std::string& group, std::vector<std::uint8_t>& bytes) {
    if (group.size() % 2 != 0) {
        return false;
    }
    for (std::size_t i = 0; i < group.size(); i += 2) {
        const int high = HexDigit(group[i]);
        const int low = HexDigit(group[i + 1]);
        if (high < 0 || low < 0) {
            return false;
        }
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return true;
}

}  // namespace

SimCommand ParseSimCommand(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string word; in >> word;) {
        words.push_back(word);
    }
    SimCommand command;
    if (words.empty()) {
        return command;
    }
    const std::string& verb = words[0];
    if (verb == "on" || verb == "off") {
        if (words.size() != 2 || !ParseLamp(words[1], command.lamp)) {
            return Bad("usage: " + verb + " N, with N a lamp number 0 ... 1007");
        }
        command.kind = verb == "on" ? SimCommand::Kind::On : SimCommand::Kind::Off;
        return command;
    }
    if (verb == "all") {
        if (words.size() != 2 || words[1] != "off") {
            return Bad("usage: all off");
        }
        command.kind = SimCommand::Kind::AllOff;
        return command;
    }
    if (verb == "send") {
        for (std::size_t i = 1; i < words.size(); ++i) {
            if (!AppendHex(words[i], command.bytes)) {
                return Bad("send: '" + words[i] + "' is not whole bytes in hex");
            }
        }
        if (command.bytes.empty()) {
            return Bad("usage: send HEX... (e.g. send 78 31 31)");
        }
        command.kind = SimCommand::Kind::Send;
        return command;
    }
    if (verb == "drop" || verb == "quit") {
        if (words.size() != 1) {
            return Bad("usage: " + verb);
        }
        command.kind = verb == "drop" ? SimCommand::Kind::Drop : SimCommand::Kind::Quit;
        return command;
    }
    return Bad("unknown command '" + verb +
               "' (commands: on N, off N, all off, send HEX..., drop, quit)");
}
