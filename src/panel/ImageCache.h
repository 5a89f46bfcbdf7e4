#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <unordered_map>

#include <wx/bitmap.h>

/// Decoded pictures by path. A page flip asks for three pictures per button, mostly the same
/// few files: each file is decoded once and reused while its modification time and size stay
/// the same, so an edited picture is read again.
class ImageCache {
  public:
    /// A decoded picture and the number of that decoding. Numbers are never given twice, so
    /// equal numbers mean equal pixels; 0 stands for "no picture".
    struct Picture {
        wxBitmap bitmap;
        std::uint64_t serial = 0;
    };

    /// The picture at `path`, or an invalid bitmap when the file is missing or unreadable.
    wxBitmap Get(const std::string& path) { return Fetch(path).bitmap; }
    Picture Fetch(const std::string& path);

    void Clear() { m_entries.clear(); }
    std::size_t Size() const { return m_entries.size(); }

  private:
    struct Entry {
        std::time_t seconds = 0;
        long nanoseconds = 0;
        long long size = -1;
        Picture picture;
    };

    /// Bounds the memory a layout naming very many different pictures can take.
    static constexpr std::size_t kMaxEntries = 512;

    std::unordered_map<std::string, Entry> m_entries;
    std::uint64_t m_lastSerial = 0;
};
