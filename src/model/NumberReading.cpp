#include "model/NumberReading.h"

#include <climits>
#include <cstdint>
#include <type_traits>

namespace {

/// The magnitude of the digits stops growing here: above every value the readings return, so
/// that "too large" stays visible and no amount of digits can overflow.
constexpr std::uint64_t kSaturated = std::uint64_t{1} << 33;

/// White space as the C locale classifies it.
bool IsBlank(unsigned long c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

struct Reading {
    bool negative = false;
    std::uint64_t magnitude = 0;
};

template <typename Char>
Reading Read(const Char* text, std::size_t length) {
    // Through the unsigned type, so that ISO-8859-1 bytes above 127 are not taken as negative.
    using Unit = std::make_unsigned_t<Char>;
    auto at = [text](std::size_t i) {
        return static_cast<unsigned long>(static_cast<Unit>(text[i]));
    };

    Reading reading;
    std::size_t i = 0;
    while (i < length && IsBlank(at(i))) {
        ++i;
    }
    if (i < length && (at(i) == '+' || at(i) == '-')) {
        reading.negative = at(i) == '-';
        ++i;
    }
    for (; i < length && at(i) >= '0' && at(i) <= '9'; ++i) {
        reading.magnitude = reading.magnitude * 10 + (at(i) - '0');
        if (reading.magnitude > kSaturated) {
            reading.magnitude = kSaturated;
        }
    }
    return reading;
}

int ToInt(const Reading& reading) {
    if (reading.negative) {
        const auto most = static_cast<std::uint64_t>(INT_MAX) + 1;
        return reading.magnitude >= most ? INT_MIN : -static_cast<int>(reading.magnitude);
    }
    return reading.magnitude > INT_MAX ? INT_MAX : static_cast<int>(reading.magnitude);
}

/// Out of range either way gives the largest value, as the C conversion does; a negative
/// number in range wraps.
unsigned long ToUnsigned32(const Reading& reading) {
    if (reading.magnitude > UINT32_MAX) {
        return UINT32_MAX;
    }
    const auto value = static_cast<std::uint32_t>(reading.magnitude);
    return reading.negative ? static_cast<std::uint32_t>(0u - value) : value;
}

}  // namespace

int ReadWideInt(const std::wstring& text) {
    return ToInt(Read(text.data(), text.size()));
}

unsigned long ReadWideUnsigned32(const std::wstring& text) {
    return ToUnsigned32(Read(text.data(), text.size()));
}

int ReadLatin1Int(std::string_view text) {
    return ToInt(Read(text.data(), text.size()));
}

unsigned long ReadLatin1Unsigned32(std::string_view text) {
    return ToUnsigned32(Read(text.data(), text.size()));
}
