#include "model/Paths.h"

#include <sys/stat.h>

namespace {

constexpr char32_t kReplacement = 0xFFFD;
/// A byte of a name that is not UTF-8 stands as this character + the byte; only bytes from 0x80
/// on can be such a byte.
constexpr char32_t kByteCharacters = 0x100000;

bool IsScalarValue(char32_t c) {
    return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
}

bool StandsForAByte(char32_t c) {
    return c >= kByteCharacters + 0x80 && c <= kByteCharacters + 0xFF;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (StandsForAByte(c)) {
        out += static_cast<char>(c - kByteCharacters);
        return;
    }
    if (!IsScalarValue(c)) {
        c = kReplacement;
    }
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

/// Decodes one character at `i` and moves `i` past it. A byte that does not start a
/// well-formed sequence (stray continuation, overlong form, surrogate, beyond U+10FFFF,
/// cut short) becomes the character that stands for it, and decoding goes on with the next
/// byte. So does the first byte of a well-formed character that itself stands for a byte: it
/// would come back as one byte.
char32_t NextUtf8(const std::string& in, std::size_t& i) {
    const auto lead = static_cast<unsigned char>(in[i]);
    const char32_t byte = kByteCharacters + lead;
    int extra = 0;
    char32_t c = 0;
    char32_t least = 0;
    if (lead < 0x80) {
        ++i;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        c = lead & 0x1F;
        least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        c = lead & 0x0F;
        least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        c = lead & 0x07;
        least = 0x10000;
    } else {
        ++i;
        return byte;
    }
    if (in.size() - i <= static_cast<std::size_t>(extra)) {
        ++i;
        return byte;
    }
    for (int k = 1; k <= extra; ++k) {
        const auto next = static_cast<unsigned char>(in[i + static_cast<std::size_t>(k)]);
        if ((next & 0xC0) != 0x80) {
            ++i;
            return byte;
        }
        c = (c << 6) | (next & 0x3F);
    }
    if (c < least || !IsScalarValue(c) || StandsForAByte(c)) {
        ++i;
        return byte;
    }
    i += static_cast<std::size_t>(extra) + 1;
    return c;
}

}  // namespace

std::string NativeName(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        AppendUtf8(out, static_cast<char32_t>(c));
    }
    return out;
}

std::wstring TextFromNative(const std::string& name) {
    std::wstring out;
    out.reserve(name.size());
    for (std::size_t i = 0; i < name.size();) {
        out += static_cast<wchar_t>(NextUtf8(name, i));
    }
    return out;
}

bool IsBareFileName(const std::wstring& name) {
    return !name.empty() && name != L"." && name != L".." &&
           name.find_first_of(std::wstring(L"/\0", 2)) == std::wstring::npos;
}

std::string PathInFolder(const std::wstring& directory, const std::wstring& name) {
    if (!IsBareFileName(name)) {
        return std::string();
    }
    // No folder means the working folder; a folder given with its separator gets no second.
    std::string path = NativeName(directory);
    if (path.empty()) {
        return NativeName(name);
    }
    if (path.back() != '/') {
        path += '/';
    }
    return path + NativeName(name);
}

bool FileExists(const std::string& path) {
    return RegularFileSize(path).has_value();
}

std::optional<std::uint64_t> RegularFileSize(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(info.st_size);
}
