#pragma once

#include <optional>
#include <string>
#include <string_view>

/// The picture formats the panel shows, told apart by their files' first bytes.
enum class PictureType { Png, Jpeg, Bmp };

/// What a picture file's header says: its format and its size in pixels (both above 0).
struct PictureHeader {
    PictureType type = PictureType::Png;
    int width = 0;
    int height = 0;
};

/// A picture file larger than this is neither read nor stored.
constexpr long long kMostPictureFileBytes = 64LL << 20;

/// Reads the header of a PNG, JPEG or BMP file from its first bytes, without decoding anything:
/// the PNG's image header chunk (its check sum included), the JPEG's frame header after the
/// segments before it, the BMP's file and information headers. Nothing when the bytes begin no
/// such picture, or end before its header does.
std::optional<PictureHeader> PictureHeaderOf(std::string_view bytes);

/// The same from the file at `path` (native), read without waiting (a pipe or a device is no
/// picture) and only as far as the header reaches.
std::optional<PictureHeader> ReadPictureHeader(const std::string& path);

/// Whether `bytes` hold a whole picture, not only its header: a PNG's chunks each whole up to
/// its end chunk, the critical ones with a sound check sum; a BMP as long as its pixels need.
/// The decoder refuses a copy cut off anywhere, though its header is sound. A cut JPEG counts
/// as whole: its decoder fills what is missing with grey and shows it.
bool PictureIsWhole(std::string_view bytes);

/// The header of the file at `path` (native) when the file holds a whole picture of at most
/// kMostPictureFileBytes; the file is read to its end. The receiver asks before it takes a
/// picture in place of one the panel can show, the panel for the pictures it cannot start
/// without.
std::optional<PictureHeader> ReadWholePicture(const std::string& path);
