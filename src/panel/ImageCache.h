#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include <wx/image.h>

#include "model/ByteLru.h"
#include "model/PictureHeader.h"

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
/// A picture is read without ever waiting (a pipe or a device put in its place gives no
/// picture) and decoded only when its header says it has no more pixels than the caller allows
/// and its file is no larger than kMostFileBytes: a giant picture (or a small file whose header
/// claims one) would take gigabytes and minutes. Such a file gives no picture and is reported
/// once (TakeRefusals). The decoded pictures kept stay within kBudgetBytes; the least recently
/// used go first.
class ImageCache {
  public:
    /// A decoded picture and its number, which is drawn from the bytes it was decoded from:
    /// equal numbers mean equal pixels, also for a picture given up for room and decoded again
    /// from the same bytes; 0 stands for "no picture".
    struct Picture {
        wxImage image;  ///< invalid while the picture is only sized (Decoding::Later)
        std::uint64_t serial = 0;
        int width = 0;  ///< as its header says
        int height = 0;
    };

    /// Whether a fetch decodes the picture: a button's pressed and on pictures are needed for
    /// their size and number when the page is loaded, their pixels only when such a look is
    /// drawn.
    enum class Decoding { Now, Later };

    /// A file that was not decoded because of its size.
    struct Refusal {
        std::string path;
        int width = 0;  ///< as its header says; 0 when the file itself was too large
        int height = 0;
        long long bytes = 0;
    };

    /// Memory the kept pictures may take, with their bookkeeping: the three pictures of every
    /// button of a full layout (11 pages of 100 buttons, each with pictures of its own) on a
    /// panel of up to 1280 x 800, so that a page shown again is not decoded again.
    static constexpr std::size_t kBudgetBytes = 128u << 20;
    /// A picture file larger than this is not read at all.
    static constexpr long long kMostFileBytes = kMostPictureFileBytes;

    /// The picture at `path` as the file is now, or an invalid image when the file is missing,
    /// no regular file, cannot be decoded or has more than `mostPixels` pixels. Decoding::Later
    /// reads the file and its header only (serial 0 for a file whose header is no picture's);
    /// a later fetch that decodes tells whether the rest is what the header says.
    Picture Fetch(const std::string& path, std::uint64_t mostPixels,
                  Decoding decoding = Decoding::Now);
    /// The picture numbered `serial` of `path` while it is still kept, without looking at the
    /// file; else an invalid image.
    wxImage Kept(const std::string& path, std::uint64_t serial);

    /// The files refused for their size since the last call, each file once.
    std::vector<Refusal> TakeRefusals();

    void Clear() { m_entries.Clear(); }
    /// Memory the pictures kept take now.
    std::size_t KeptBytes() const { return m_entries.Bytes(); }
    std::size_t Size() const { return m_entries.Size(); }

  private:
    struct Entry {
        std::time_t seconds = 0;
        long nanoseconds = 0;
        long long size = -1;
        std::uint64_t fingerprint = 0;  ///< of the bytes the picture was decoded from
        bool settled = false;           ///< the time alone tells a change
        bool refused = false;           ///< not decoded for its size
        bool decoded = false;           ///< the decoder has had its say (picture or none)
        Picture picture;
    };

    /// Keeps `entry` for `path` and gives its picture.
    Picture Keep(const std::string& path, Entry entry);

    /// The coarsest step of the file clocks a layout folder may live on.
    static constexpr int kFileClockStepSeconds = 2;

    ByteLru<std::string, Entry> m_entries{kBudgetBytes};
    std::vector<Refusal> m_refusals;
};
