#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <unordered_map>

#include <wx/bitmap.h>

/// Decoded pictures by path. A page flip asks for three pictures per button, mostly the same
/// few files: each file is decoded once and reused while it stays as it was, so an edited
/// picture is read again.
///
/// A file's modification time and size tell whether it changed, except shortly after it was
/// written: a file system whose clock counts in coarse steps (two seconds on a memory card)
/// gives a file written again within one step the time it already had. A picture read that
/// soon is therefore checked against its bytes on every use until its time lies a whole step
/// back; from then on a change also changes the time.
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
        std::size_t fingerprint = 0;  ///< of the bytes the picture was decoded from
        bool settled = false;         ///< the time alone tells a change
        Picture picture;
    };

    /// The coarsest step of the file clocks a layout folder may live on.
    static constexpr int kFileClockStepSeconds = 2;
    /// Bounds the memory a layout naming very many different pictures can take.
    static constexpr std::size_t kMaxEntries = 512;

    std::unordered_map<std::string, Entry> m_entries;
    std::uint64_t m_lastSerial = 0;
};
