#pragma once

#include <optional>
#include <string>

/// A picture's size as its file's header gives it.
struct PictureSize {
    int width = 0;
    int height = 0;
};

/// Reads the header of the picture file at `path` (native) without decoding the picture: the
/// size it gives, or nothing when the file is no picture the panel's picture reader knows.
/// The panel asks before it decodes a picture, the receiver before it stores one.
std::optional<PictureSize> ReadPictureHeader(const std::string& path);
/// The same from the bytes of a whole picture file: the panel reads a picture without waiting
/// and asks this of what it read.
std::optional<PictureSize> PictureHeaderOf(const std::string& bytes);
