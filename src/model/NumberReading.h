#pragma once

#include <string>
#include <string_view>

/// Reads a number the way the C library's wide-string-to-integer conversion does: leading
/// white space, one optional sign, then decimal digits up to the first other character.
/// No digit gives 0. A value beyond the range of int is limited to INT_MIN / INT_MAX.
int ReadWideInt(const std::wstring& text);

/// The same reading as an unsigned 32-bit value (for ten-digit colour fields); a negative
/// number wraps as the C conversion to unsigned does.
unsigned long ReadWideUnsigned32(const std::wstring& text);

/// The same two readings over ISO-8859-1 bytes (one character per byte), as the layout file
/// holds them; saves widening every field first.
int ReadLatin1Int(std::string_view text);
unsigned long ReadLatin1Unsigned32(std::string_view text);
