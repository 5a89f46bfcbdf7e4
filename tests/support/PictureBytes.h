// Bytes of files for the tests: patterns that differ by seed, and pictures the picture reader
// knows.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

/// `size` bytes that differ from one seed to another.
inline std::string Pattern(std::size_t size, unsigned seed = 1) {
    std::string bytes(size, '\0');
    std::uint32_t x = seed;
    for (char& byte : bytes) {
        x = x * 1664525u + 1013904223u;
        byte = static_cast<char>(x >> 24);
    }
    return bytes;
}

/// The smallest picture the tests send: one red pixel as a PNG file.
inline const std::string kPixel(
    "\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\0\x01\0\0\0\x01\x08\x02\0\0\0\x90wS\xDE\0\0\0\x0C"
    "IDATx\xDA\x63\xF8\xCF\xC0\0\0\x03\x01\x01\0\xF7\x03\x41\x43\0\0\0\0IEND\xAE\x42\x60\x82",
    69);

/// A picture file of `size` bytes (at least kPixel's 69) that differs from one seed to another:
/// kPixel, then Pattern bytes after its end, where no picture reader looks.
inline std::string Picture(std::size_t size, unsigned seed = 1) {
    EXPECT_GE(size, kPixel.size());
    return kPixel + Pattern(size - std::min(size, kPixel.size()), seed);
}
