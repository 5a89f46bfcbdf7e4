#include "panel/ImageCache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <functional>
#include <optional>
#include <string_view>

#include <wx/log.h>
#include <wx/mstream.h>

#include "model/PictureHeader.h"

namespace {

/// An open picture file, closed when it goes.
class OpenFile {
  public:
    /// Opens without waiting: a pipe put in the picture's place must not hang the panel in
    /// open(). What was opened is examined through the descriptor, so nothing can be put in
    /// its place between the look and the read.
    explicit OpenFile(const std::string& path)
        : m_fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {
        if (m_fd >= 0 && (::fstat(m_fd, &m_info) != 0 || !S_ISREG(m_info.st_mode))) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~OpenFile() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    /// Whether a regular file is open.
    bool IsRegular() const { return m_fd >= 0; }
    const struct stat& Info() const { return m_info; }

    /// Reads the whole file, up to `most` bytes; false on a read error or when there are more.
    bool ReadAll(std::string& bytes, long long most) const {
        bytes.clear();
        char chunk[65536];
        for (;;) {
            const ssize_t got = ::read(m_fd, chunk, sizeof chunk);
            if (got > 0) {
                bytes.append(chunk, static_cast<std::size_t>(got));
                if (static_cast<long long>(bytes.size()) > most) {
                    return false;
                }
            } else if (got == 0) {
                return true;
            } else if (errno != EINTR) {
                return false;
            }
        }
    }

  private:
    int m_fd;
    struct stat m_info {};
};

/// Whether a file time lies at least `step` seconds before now.
bool LiesBack(const timespec& time, int step) {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const auto then = std::chrono::seconds(time.tv_sec) + std::chrono::nanoseconds(time.tv_nsec);
    return now - then >= std::chrono::seconds(step);
}

/// Memory a decoded picture takes: three bytes a pixel, a fourth with transparency.
std::size_t BytesOf(const wxImage& image) {
    if (!image.IsOk()) {
        return 0;
    }
    const auto pixels =
        static_cast<std::size_t>(image.GetWidth()) * static_cast<std::size_t>(image.GetHeight());
    return pixels * (image.HasAlpha() ? 4 : 3);
}

/// The decoder of a format: the header has told it, so no decoder guesses.
wxBitmapType DecoderOf(PictureType type) {
    switch (type) {
        case PictureType::Jpeg:
            return wxBITMAP_TYPE_JPEG;
        case PictureType::Bmp:
            return wxBITMAP_TYPE_BMP;
        case PictureType::Png:
            break;
    }
    return wxBITMAP_TYPE_PNG;
}

/// A picture's number from the fingerprint of its bytes; never 0, which means "no picture".
std::uint64_t SerialOf(std::uint64_t fingerprint) {
    return fingerprint != 0 ? fingerprint : 1;
}

/// What an entry's bookkeeping takes besides its pixels: so many refused or broken files are
/// kept within the budget too.
constexpr std::size_t kEntryBytes = 256;

}  // namespace

ImageCache::Picture ImageCache::Fetch(const std::string& path, std::uint64_t mostPixels,
                                      Decoding decoding) {
    const OpenFile file(path);
    if (!file.IsRegular()) {
        m_entries.Forget(path);
        return Picture();
    }
    const struct stat& info = file.Info();
    Entry* const found = m_entries.Find(path);
    const bool sameFile = found != nullptr && found->seconds == info.st_mtim.tv_sec &&
                          found->nanoseconds == info.st_mtim.tv_nsec &&
                          found->size == static_cast<long long>(info.st_size);
    // A picture only sized so far is decoded when it is wanted.
    const bool enough = found != nullptr && (found->decoded || decoding == Decoding::Later);
    if (sameFile && (found->settled || found->refused) && enough) {
        return found->picture;
    }

    Entry entry;
    entry.seconds = info.st_mtim.tv_sec;
    entry.nanoseconds = info.st_mtim.tv_nsec;
    entry.size = static_cast<long long>(info.st_size);
    const bool reported = found != nullptr && found->refused;
    Refusal refusal{path, 0, 0, entry.size};
    const auto refuse = [&] {
        entry.refused = true;
        entry.decoded = true;
        if (!reported) {
            m_refusals.push_back(refusal);
        }
        return Keep(path, entry);
    };
    if (entry.size > kMostFileBytes) {
        return refuse();
    }

    // Judged before the bytes are read: when the time lies a whole step back already, any
    // write after the read gives the file a later time.
    const bool settled = LiesBack(info.st_mtim, kFileClockStepSeconds);
    std::string bytes;
    if (!file.ReadAll(bytes, kMostFileBytes)) {
        m_entries.Forget(path);
        return Picture();
    }
    const std::uint64_t fingerprint = std::hash<std::string_view>()(bytes);
    if (sameFile && found->fingerprint == fingerprint && enough) {
        found->settled = settled;
        return found->picture;
    }
    entry.fingerprint = fingerprint;
    entry.settled = settled;

    // The header tells the size without decoding; bytes whose header cannot be read are no
    // picture (and are not given to a decoder that might take them for one).
    const std::optional<PictureHeader> header = PictureHeaderOf(bytes);
    if (!header) {
        entry.decoded = true;
        return Keep(path, entry);
    }
    refusal.width = header->width;
    refusal.height = header->height;
    if (static_cast<std::uint64_t>(std::max(header->width, 0)) *
            static_cast<std::uint64_t>(std::max(header->height, 0)) >
        mostPixels) {
        return refuse();
    }
    if (decoding == Decoding::Later) {
        entry.picture.serial = SerialOf(fingerprint);
        entry.picture.width = header->width;
        entry.picture.height = header->height;
        return Keep(path, entry);
    }

    entry.decoded = true;
    wxImage image;
    {
        // A broken picture file is the layout's problem, not a reason for an error box.
        wxLogNull quiet;
        wxMemoryInputStream stream(bytes.data(), bytes.size());
        image.LoadFile(stream, DecoderOf(header->type));
    }
    // A file that is not what its header says is no picture.
    if (image.IsOk() && image.GetWidth() == header->width && image.GetHeight() == header->height) {
        entry.picture.image = image;
        entry.picture.serial = SerialOf(fingerprint);
        entry.picture.width = header->width;
        entry.picture.height = header->height;
    }
    return Keep(path, entry);
}

wxImage ImageCache::Kept(const std::string& path, std::uint64_t serial) {
    const Entry* found = m_entries.Find(path);
    if (found == nullptr || serial == 0 || found->picture.serial != serial) {
        return wxImage();
    }
    return found->picture.image;
}

std::vector<ImageCache::Refusal> ImageCache::TakeRefusals() {
    std::vector<Refusal> taken;
    taken.swap(m_refusals);
    return taken;
}

ImageCache::Picture ImageCache::Keep(const std::string& path, Entry entry) {
    // A picture larger than the whole budget is given to the caller but not kept.
    const Picture picture = entry.picture;
    const std::size_t bytes = BytesOf(picture.image) + kEntryBytes + path.size();
    m_entries.Keep(path, std::move(entry), bytes);
    return picture;
}
