#include "OptionValues.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

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

ValueTaker TakeListenAddress(std::string& address, std::uint16_t& port) {
    return [&address, &port](const std::string& text) {
        return ParseListenAddress(text, address, port) ? "" : "want IPv4ADDR:PORT";
    };
}

ValueTaker TakeSeconds(std::chrono::milliseconds& value) {
    return [&value](const std::string& text) {
        return ParseSeconds(text, value) ? "" : "want seconds above 0, at most 86400";
    };
}

std::string FormatSeconds(std::chrono::milliseconds duration) {
    const auto ms = duration.count();
    std::string text = std::to_string(ms / 1000);
    if (ms % 1000 != 0) {
        char fraction[8];
        std::snprintf(fraction, sizeof fraction, ".%03d", static_cast<int>(ms % 1000));
        text += fraction;
        text.erase(text.find_last_not_of('0') + 1);
    }
    return text + " s";
}
