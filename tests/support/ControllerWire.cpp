#include "ControllerWire.h"

#include <gtest/gtest.h>

#include <algorithm>

std::vector<std::string> ControllerMessages(const std::vector<std::uint8_t>& wire) {
    std::vector<std::string> messages;
    for (std::size_t at = 0; at < wire.size();) {
        const std::size_t left = wire.size() - at;
        const bool x1 = left >= 3 && wire[at] == 0x78 && wire[at + 1] == 0x31;
        if (x1 && wire[at + 2] == 0x33) {
            messages.push_back("S");
            at += 3;
        } else if (x1 && (wire[at + 2] == 0x31 || wire[at + 2] == 0x32) && left >= 5) {
            messages.push_back((wire[at + 2] == 0x31 ? "P" : "R") +
                               std::to_string(wire[at + 3] << 8 | wire[at + 4]));
            at += 5;
        } else {
            messages.push_back("?");
            ++at;
        }
    }
    return messages;
}

std::vector<std::string> ButtonsHeld(const std::vector<std::string>& messages) {
    std::vector<std::string> held;
    for (const std::string& message : messages) {
        if (message == "?") {
            ADD_FAILURE() << "a message cut or glued";
        } else if (message[0] == 'P') {
            held.push_back(message.substr(1));
        } else if (message[0] == 'R') {
            const auto press = std::find(held.begin(), held.end(), message.substr(1));
            if (press == held.end()) {
                ADD_FAILURE() << "a release without its press: " << message;
            } else {
                held.erase(press);
            }
        }
    }
    return held;
}
