#pragma once

#include <ctime>
#include <string>
#include <unordered_map>

#include <wx/bitmap.h>

/// Decoded pictures by path. A page flip asks for three pictures per button, mostly the same
/// few files: each file is decoded once and reused while its modification time and size stay
/// the same, so an edited picture is read again.
class ImageCache {
  public:
    /// The picture at `path`, or an invalid bitmap when the file is missing or unreadable.
    wxBitmap Get(const std::string& path);

    void Clear() { m_entries.clear(); }
    std::size_t Size() const { return m_entries.size(); }

  private:
    struct Entry {
        std::time_t seconds = 0;
        long nanoseconds = 0;
        long long size = -1;
        wxBitmap bitmap;
    };

    /// Bounds the memory a layout naming very many different pictures can take.
    static constexpr std::size_t kMaxEntries = 512;

    std::unordered_map<std::string, Entry> m_entries;
};
