#pragma once

/// True in a build with AddressSanitizer. Its shadow memory and its quarantine of freed blocks
/// make the resident memory of a process say nothing about the program's own: the tests that
/// bound memory check it in the plain build only.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif
