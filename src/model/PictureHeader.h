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
/// picture) and only as far as the header reaches. The receiver asks before it stores a
/// picture, the panel for the pictures it cannot start without.
std::optional<PictureHeader> ReadPictureHeader(const std::string& path);
