#pragma once

#include <string>

#include "model/Layout.h"

/// The red, green and blue fields of one background colour row, as typed.
struct ColourFields {
    std::wstring red;
    std::wstring green;
    std::wstring blue;
};

/// The fields of a row for a colour: its three components, zero-padded to three digits.
ColourFields ColourFieldsOf(Colour colour);

/// r + 256 g + 65536 b. The components are not limited to 0 ... 255: one above 255 carries into
/// the next, a negative one borrows from it. The sum is taken in a wider type and kept as a
/// 32-bit colour, so a negative sum wraps.
Colour ColourOfComponents(long long red, long long green, long long blue);

/// The colour a row's "Set" stores: each field read as the C library's wide-string-to-integer
/// conversion reads it (no digits give 0), then combined as above.
Colour ColourOfFields(const ColourFields& fields);
