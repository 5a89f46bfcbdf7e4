#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <unordered_map>
#include <vector>

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
///
/// A picture is decoded only when its header says it has no more pixels than the caller allows
/// and its file is no larger than kMostFileBytes: a giant picture (or a small file whose header
/// claims one) would take gigabytes and minutes. Such a file gives no picture and is reported
/// once (TakeRefusals). The decoded pictures kept stay within a memory budget; the least
/// recently used go first.
class ImageCache {
  public:
    /// A decoded picture and the number of that decoding. Numbers are never given twice, so
    /// equal numbers mean equal pixels; 0 stands for "no picture".
    struct Picture {
        wxBitmap bitmap;
        std::uint64_t serial = 0;
    };

    /// A file that was not decoded because of its size.
    struct Refusal {
        std::string path;
        int width = 0;  ///< as its header says; 0 when the file itself was too large
        int height = 0;
        long long bytes = 0;
    };

    /// Memory the kept pictures may take (four bytes a pixel).
    static constexpr std::size_t kBudgetBytes = 128u << 20;
    /// A picture file larger than this is not read at all.
    static constexpr long long kMostFileBytes = 64LL << 20;

    /// The picture at `path`, or an invalid bitmap when the file is missing, cannot be decoded
    /// or has more than `mostPixels` pixels.
    Picture Fetch(const std::string& path, std::uint64_t mostPixels);

    /// The files refused for their size since the last call, each file once.
    std::vector<Refusal> TakeRefusals();

    void Clear() {
        m_entries.clear();
        m_keptBytes = 0;
    }
    /// Memory the pictures kept take now.
    std::size_t KeptBytes() const { return m_keptBytes; }
    std::size_t Size() const { return m_entries.size(); }

  private:
    struct Entry {
        std::time_t seconds = 0;
        long nanoseconds = 0;
        long long size = -1;
        std::size_t fingerprint = 0;  ///< of the bytes the picture was decoded from
        bool settled = false;         ///< the time alone tells a change
        bool refused = false;         ///< not decoded for its size
        std::size_t bytes = 0;        ///< memory of the decoded picture
        std::uint64_t lastUse = 0;
        Picture picture;
    };

    /// Keeps `entry` for `path`, making room within the budget.
    Picture Keep(const std::string& path, Entry entry);
    void Forget(const std::string& path);

    /// The coarsest step of the file clocks a layout folder may live on.
    static constexpr int kFileClockStepSeconds = 2;
    /// Bounds the bookkeeping of a layout naming very many different pictures.
    static constexpr std::size_t kMaxEntries = 512;

    std::unordered_map<std::string, Entry> m_entries;
    std::vector<Refusal> m_refusals;
    std::size_t m_keptBytes = 0;
    std::uint64_t m_lastSerial = 0;
    std::uint64_t m_uses = 0;
};
