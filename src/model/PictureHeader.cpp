#include "model/PictureHeader.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "model/PictureFile.h"

namespace {

/// How far a look at the first bytes got.
enum class Scan {
    Known,      ///< the header is whole and sound
    NoPicture,  ///< the bytes begin no picture of a known format, or a broken one
    NeedsMore,  ///< the bytes end before the header does
};

struct Scanned {
    Scan scan = Scan::NoPicture;
    PictureHeader header;
};

Scanned Found(PictureType type, long long width, long long height) {
    if (width <= 0 || height <= 0 || width > INT_MAX || height > INT_MAX) {
        return Scanned{};
    }
    return Scanned{Scan::Known,
                   PictureHeader{type, static_cast<int>(width), static_cast<int>(height)}};
}

std::uint32_t Byte(std::string_view bytes, std::size_t at) {
    return static_cast<unsigned char>(bytes[at]);
}

std::uint32_t BigEndian16(std::string_view bytes, std::size_t at) {
    return Byte(bytes, at) << 8 | Byte(bytes, at + 1);
}

std::uint32_t BigEndian32(std::string_view bytes, std::size_t at) {
    return BigEndian16(bytes, at) << 16 | BigEndian16(bytes, at + 2);
}

std::uint32_t LittleEndian16(std::string_view bytes, std::size_t at) {
    return Byte(bytes, at) | Byte(bytes, at + 1) << 8;
}

std::uint32_t LittleEndian32(std::string_view bytes, std::size_t at) {
    return LittleEndian16(bytes, at) | LittleEndian16(bytes, at + 2) << 16;
}

/// The check sum of PNG chunks (CRC-32, reflected, polynomial 0xEDB88320).
std::uint32_t Crc32(std::string_view bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= static_cast<unsigned char>(c);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return crc ^ 0xFFFFFFFFu;
}

/// The signature, then the image header chunk: length 13, "IHDR", width and height (1 to
/// 2^31 - 1), a bit depth the colour type allows, compression and filter 0, interlace 0 or 1,
/// and the chunk's check sum.
Scanned ScanPng(std::string_view bytes) {
    constexpr std::size_t kEnd = 8 + 4 + 4 + 13 + 4;
    if (bytes.size() < kEnd) {
        return Scanned{Scan::NeedsMore, {}};
    }
    if (BigEndian32(bytes, 8) != 13 || bytes.substr(12, 4) != "IHDR" ||
        BigEndian32(bytes, 29) != Crc32(bytes.substr(12, 4 + 13))) {
        return Scanned{};
    }
    const std::uint32_t width = BigEndian32(bytes, 16);
    const std::uint32_t height = BigEndian32(bytes, 20);
    const std::uint32_t depth = Byte(bytes, 24);
    const std::uint32_t colour = Byte(bytes, 25);
    const auto depthIn = [depth](std::initializer_list<std::uint32_t> allowed) {
        return std::find(allowed.begin(), allowed.end(), depth) != allowed.end();
    };
    const bool depthFits = colour == 0                                 ? depthIn({1, 2, 4, 8, 16})
                           : colour == 3                               ? depthIn({1, 2, 4, 8})
                           : colour == 2 || colour == 4 || colour == 6 ? depthIn({8, 16})
                                                                       : false;
    if (!depthFits || Byte(bytes, 26) != 0 || Byte(bytes, 27) != 0 || Byte(bytes, 28) > 1) {
        return Scanned{};
    }
    return Found(PictureType::Png, width, height);
}

/// Whether `marker` starts a frame header (SOF0 to SOF15 but DHT, JPG and DAC).
bool IsFrameMarker(std::uint32_t marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

/// The start of image, then segment after segment (each a marker after fill bytes, and for all
/// but the standalone markers a length) up to the first frame header, which gives the size and
/// at least one component. A scan or the end of the image before it, or anything but a marker
/// where one belongs, is no picture.
Scanned ScanJpeg(std::string_view bytes) {
    std::size_t at = 2;
    for (;;) {
        if (at >= bytes.size()) {
            return Scanned{Scan::NeedsMore, {}};
        }
        if (Byte(bytes, at) != 0xFF) {
            return Scanned{};
        }
        while (at < bytes.size() && Byte(bytes, at) == 0xFF) {
            ++at;
        }
        if (at >= bytes.size()) {
            return Scanned{Scan::NeedsMore, {}};
        }
        const std::uint32_t marker = Byte(bytes, at++);
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            continue;
        }
        if (marker == 0x00 || marker == 0xD8 || marker == 0xD9 || marker == 0xDA) {
            return Scanned{};
        }
        if (at + 2 > bytes.size()) {
            return Scanned{Scan::NeedsMore, {}};
        }
        const std::uint32_t length = BigEndian16(bytes, at);
        if (length < 2) {
            return Scanned{};
        }
        if (IsFrameMarker(marker)) {
            // Length, precision, height, width, number of components.
            if (length < 8) {
                return Scanned{};
            }
            if (at + 8 > bytes.size()) {
                return Scanned{Scan::NeedsMore, {}};
            }
            if (Byte(bytes, at + 7) == 0) {
                return Scanned{};
            }
            return Found(PictureType::Jpeg, BigEndian16(bytes, at + 5), BigEndian16(bytes, at + 3));
        }
        at += length;
    }
}

/// The file header ("BM"), then an information header of a size the format knows: the core
/// header's 16-bit width and height, or the others' 32-bit ones (a negative height stands for
/// rows from the top down); one plane, and a bit count of 1, 4, 8, 16, 24 or 32.
Scanned ScanBmp(std::string_view bytes) {
    constexpr std::size_t kInfoAt = 14;
    if (bytes.size() < kInfoAt + 4) {
        return Scanned{Scan::NeedsMore, {}};
    }
    const std::uint32_t infoSize = LittleEndian32(bytes, kInfoAt);
    const bool core = infoSize == 12;
    if (!core && infoSize != 40 && infoSize != 52 && infoSize != 56 && infoSize != 64 &&
        infoSize != 108 && infoSize != 124) {
        return Scanned{};
    }
    const std::size_t planesAt = kInfoAt + (core ? 8 : 12);
    if (bytes.size() < planesAt + 4) {
        return Scanned{Scan::NeedsMore, {}};
    }
    const std::uint32_t bits = LittleEndian16(bytes, planesAt + 2);
    if (LittleEndian16(bytes, planesAt) != 1 ||
        (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)) {
        return Scanned{};
    }
    if (core) {
        return Found(PictureType::Bmp, LittleEndian16(bytes, 18), LittleEndian16(bytes, 20));
    }
    const auto width = static_cast<std::int32_t>(LittleEndian32(bytes, 18));
    const auto height = static_cast<std::int32_t>(LittleEndian32(bytes, 22));
    const long long rows = height < 0 ? -static_cast<long long>(height) : height;
    return Found(PictureType::Bmp, width, rows);
}

Scanned ScanHeader(std::string_view bytes) {
    constexpr std::string_view kPngSignature("\x89PNG\r\n\x1a\n", 8);
    constexpr std::string_view kJpegStart("\xFF\xD8", 2);
    constexpr std::string_view kBmpStart("BM", 2);
    for (const std::string_view start : {kPngSignature, kJpegStart, kBmpStart}) {
        const std::size_t compared = std::min(bytes.size(), start.size());
        if (bytes.substr(0, compared) != start.substr(0, compared)) {
            continue;
        }
        if (compared < start.size()) {
            return Scanned{Scan::NeedsMore, {}};
        }
        return start == kPngSignature ? ScanPng(bytes)
               : start == kJpegStart  ? ScanJpeg(bytes)
                                      : ScanBmp(bytes);
    }
    return Scanned{};
}

/// Chunk after chunk from the signature on, each within the bytes and a critical one (its
/// type's first letter upper case) with a sound check sum, up to the end chunk. The decoder
/// refuses a file cut anywhere before that end, or one whose critical chunk is damaged; about an
/// ancillary chunk's check sum it only warns. Whatever follows the end chunk is left unread.
bool PngIsWhole(std::string_view bytes) {
    for (std::size_t at = 8;;) {
        if (bytes.size() - at < 12) {
            return false;
        }
        const std::uint32_t length = BigEndian32(bytes, at);
        if (length > bytes.size() - at - 12) {
            return false;
        }
        const std::string_view chunk = bytes.substr(at + 4, 4 + std::size_t{length});
        const bool critical = chunk[0] >= 'A' && chunk[0] <= 'Z';
        if (critical && BigEndian32(bytes, at + 8 + length) != Crc32(chunk)) {
            return false;
        }
        if (chunk.substr(0, 4) == "IEND") {
            return true;
        }
        at += 12 + std::size_t{length};
    }
}

/// As long as its pixels need from where the file header says they begin: uncompressed rows
/// (or rows with bit fields) of width x bits rounded up to whole 4-byte words, compressed ones
/// as many bytes as the information header says they take. The decoder refuses a shorter file.
bool BmpIsWhole(std::string_view bytes, const PictureHeader& header) {
    const std::uint64_t offset = LittleEndian32(bytes, 10);
    const bool core = LittleEndian32(bytes, 14) == 12;
    const std::uint64_t bits = LittleEndian16(bytes, core ? 24 : 28);
    if (!core && bytes.size() < 38) {
        return false;
    }
    const std::uint32_t compression = core ? 0 : LittleEndian32(bytes, 30);
    if (offset > bytes.size()) {
        return false;
    }
    const std::uint64_t room = bytes.size() - offset;
    if (compression != 0 && compression != 3 && compression != 6) {
        return LittleEndian32(bytes, 34) <= room;
    }
    const std::uint64_t rowBytes = (static_cast<std::uint64_t>(header.width) * bits + 31) / 32 * 4;
    return rowBytes <= room / static_cast<std::uint64_t>(header.height);
}

}  // namespace

std::optional<PictureHeader> PictureHeaderOf(std::string_view bytes) {
    const Scanned scanned = ScanHeader(bytes);
    if (scanned.scan != Scan::Known) {
        return std::nullopt;
    }
    return scanned.header;
}

std::optional<PictureHeader> ReadPictureHeader(const std::string& path) {
    PictureFile file;
    if (!file.Open(path)) {
        return std::nullopt;
    }
    const std::optional<std::uint64_t> length = file.Length();
    if (!length) {
        return std::nullopt;
    }
    const std::uint64_t most =
        std::min<std::uint64_t>(*length, static_cast<std::uint64_t>(kMostPictureFileBytes));
    // Most headers lie in the first few hundred bytes; a JPEG's frame header may follow long
    // segments (a camera's thumbnail), so reading goes on in steps while the scan needs more.
    std::string bytes;
    for (std::uint64_t step = 4096; bytes.size() < most; step *= 4) {
        const std::size_t more = static_cast<std::size_t>(std::min(step, most - bytes.size()));
        const std::size_t had = bytes.size();
        bytes.resize(had + more);
        if (!file.Read(reinterpret_cast<std::uint8_t*>(bytes.data() + had), more)) {
            return std::nullopt;
        }
        const Scanned scanned = ScanHeader(bytes);
        if (scanned.scan == Scan::Known) {
            return scanned.header;
        }
        if (scanned.scan == Scan::NoPicture) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

bool PictureIsWhole(std::string_view bytes) {
    const Scanned scanned = ScanHeader(bytes);
    if (scanned.scan != Scan::Known) {
        return false;
    }
    switch (scanned.header.type) {
        case PictureType::Png:
            return PngIsWhole(bytes);
        case PictureType::Bmp:
            return BmpIsWhole(bytes, scanned.header);
        case PictureType::Jpeg:
            return true;
    }
    return false;
}

std::optional<PictureHeader> ReadWholePicture(const std::string& path) {
    PictureFile file;
    if (!file.Open(path)) {
        return std::nullopt;
    }
    const std::optional<std::uint64_t> length = file.Length();
    if (!length || *length == 0 || *length > static_cast<std::uint64_t>(kMostPictureFileBytes)) {
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(*length), '\0');
    if (!file.Read(reinterpret_cast<std::uint8_t*>(bytes.data()), bytes.size()) ||
        !PictureIsWhole(bytes)) {
        return std::nullopt;
    }
    return PictureHeaderOf(bytes);
}
