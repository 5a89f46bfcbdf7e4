// The reading of number fields against the C library. Any bytes make a wide text (a byte is a
// character; 0xFE and 0xFF start one of two or four bytes, so characters beyond ISO-8859-1,
// beyond Unicode and negative ones come too). ReadWideInt must equal wcstol limited to the
// range of int, ReadWideUnsigned32 wcstoul as it works with a 32-bit unsigned long, and the
// ISO-8859-1 readings the wide ones on the same characters.
#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <cwctype>
#include <string>
#include <string_view>

#include "model/NumberReading.h"

namespace {

[[noreturn]] void Fault(const char* what, const std::wstring& text) {
    std::fprintf(stderr, "fuzz-numbers: %s for:", what);
    for (const wchar_t c : text) {
        std::fprintf(stderr, " %08x", static_cast<unsigned>(c));
    }
    std::fprintf(stderr, "\n");
    std::abort();
}

/// wcstol saturated to int. The C library stops at a zero character; so does the reading.
int ReferenceInt(const std::wstring& text) {
    errno = 0;
    const long value = std::wcstol(text.c_str(), nullptr, 10);
    if (value > INT_MAX) {
        return INT_MAX;
    }
    if (value < INT_MIN) {
        return INT_MIN;
    }
    return static_cast<int>(value);
}

/// wcstoul where unsigned long has 32 bits, as on the system the file format comes from: a
/// magnitude beyond 32 bits gives the largest value whatever the sign, a negative one in range
/// wraps. Taken from wcstoull, which tells both the sign and the magnitude.
unsigned long ReferenceUnsigned32(const std::wstring& text) {
    const wchar_t* start = text.c_str();
    while (std::iswspace(static_cast<wint_t>(*start))) {
        ++start;
    }
    const bool negative = *start == L'-';
    errno = 0;
    const unsigned long long raw = std::wcstoull(text.c_str(), nullptr, 10);
    if (errno == ERANGE) {
        return UINT32_MAX;
    }
    const unsigned long long magnitude = negative ? 0ULL - raw : raw;
    if (magnitude > UINT32_MAX) {
        return UINT32_MAX;
    }
    return negative ? static_cast<std::uint32_t>(0U - static_cast<std::uint32_t>(magnitude))
                    : static_cast<std::uint32_t>(magnitude);
}

std::wstring WideText(const std::uint8_t* data, std::size_t size) {
    std::wstring text;
    for (std::size_t i = 0; i < size; ++i) {
        std::uint32_t c = data[i];
        const std::size_t extra = c == 0xFE ? 2 : c == 0xFF ? 4 : 0;
        if (extra > 0 && i + extra < size) {
            c = 0;
            for (std::size_t k = 1; k <= extra; ++k) {
                c = c << 8 | data[i + k];
            }
            i += extra;
        }
        text += static_cast<wchar_t>(c);
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring text = WideText(data, size);
    const int value = ReadWideInt(text);
    if (value != ReferenceInt(text)) {
        Fault("ReadWideInt differs from wcstol", text);
    }
    if (ReadWideUnsigned32(text) != ReferenceUnsigned32(text)) {
        Fault("ReadWideUnsigned32 differs from wcstoul", text);
    }

    // The file's fields are bytes: the same characters read one byte each.
    std::string bytes;
    std::wstring widened;
    for (const wchar_t c : text) {
        if (static_cast<std::uint32_t>(c) <= 0xFF) {
            bytes += static_cast<char>(c);
            widened += c;
        }
    }
    if (ReadLatin1Int(bytes) != ReadWideInt(widened)) {
        Fault("ReadLatin1Int differs from ReadWideInt", widened);
    }
    if (ReadLatin1Unsigned32(bytes) != ReadWideUnsigned32(widened)) {
        Fault("ReadLatin1Unsigned32 differs from ReadWideUnsigned32", widened);
    }
    return 0;
}
