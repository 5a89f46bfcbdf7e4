#include "panel/ImageCache.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string_view>

#include <wx/image.h>
#include <wx/log.h>
#include <wx/mstream.h>

#include "model/PictureHeader.h"

namespace {

bool ReadWholeFile(const std::string& path, std::string& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    bytes.clear();
    char chunk[65536];
    std::size_t count = 0;
    while ((count = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        bytes.append(chunk, count);
    }
    const bool complete = std::ferror(file) == 0;
    std::fclose(file);
    return complete;
}

/// Whether a file time lies at least `step` seconds before now.
bool LiesBack(const timespec& time, int step) {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const auto then = std::chrono::seconds(time.tv_sec) + std::chrono::nanoseconds(time.tv_nsec);
    return now - then >= std::chrono::seconds(step);
}

}  // namespace

ImageCache::Picture ImageCache::Fetch(const std::string& path, std::uint64_t mostPixels) {
    ++m_uses;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        Forget(path);
        return Picture();
    }
    const auto found = m_entries.find(path);
    const bool sameFile = found != m_entries.end() &&
                          found->second.seconds == info.st_mtim.tv_sec &&
                          found->second.nanoseconds == info.st_mtim.tv_nsec &&
                          found->second.size == static_cast<long long>(info.st_size);
    if (sameFile && (found->second.settled || found->second.refused)) {
        found->second.lastUse = m_uses;
        return found->second.picture;
    }

    Entry entry;
    entry.seconds = info.st_mtim.tv_sec;
    entry.nanoseconds = info.st_mtim.tv_nsec;
    entry.size = static_cast<long long>(info.st_size);
    const bool reported = found != m_entries.end() && found->second.refused;
    Refusal refusal{path, 0, 0, entry.size};
    if (entry.size > kMostFileBytes) {
        entry.refused = true;
    } else {
        // The header tells the size without decoding; a file whose header cannot be read is
        // no picture (and is not given to a decoder that might take it for one).
        const std::optional<PictureSize> header = ReadPictureHeader(path);
        if (!header) {
            return Keep(path, entry);
        }
        refusal.width = header->width;
        refusal.height = header->height;
        entry.refused = static_cast<std::uint64_t>(std::max(refusal.width, 0)) *
                            static_cast<std::uint64_t>(std::max(refusal.height, 0)) >
                        mostPixels;
    }
    if (entry.refused) {
        if (!reported) {
            m_refusals.push_back(refusal);
        }
        return Keep(path, entry);
    }

    // Judged before the bytes are read: when the time lies a whole step back already, any
    // write after the read gives the file a later time.
    const bool settled = LiesBack(info.st_mtim, kFileClockStepSeconds);
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) {
        Forget(path);
        return Picture();
    }
    const std::size_t fingerprint = std::hash<std::string_view>()(bytes);
    if (sameFile && found->second.fingerprint == fingerprint) {
        found->second.settled = settled;
        found->second.lastUse = m_uses;
        return found->second.picture;
    }

    wxImage image;
    {
        // A broken picture file is the layout's problem, not a reason for an error box.
        wxLogNull quiet;
        wxMemoryInputStream stream(bytes.data(), bytes.size());
        image.LoadFile(stream);
    }
    entry.fingerprint = fingerprint;
    entry.settled = settled;
    if (image.IsOk() && static_cast<std::uint64_t>(image.GetWidth()) *
                                static_cast<std::uint64_t>(image.GetHeight()) <=
                            mostPixels) {
        entry.picture.bitmap = wxBitmap(image);
        entry.picture.serial = ++m_lastSerial;
        entry.bytes = static_cast<std::size_t>(image.GetWidth()) *
                      static_cast<std::size_t>(image.GetHeight()) * 4;
    }
    return Keep(path, entry);
}

std::vector<ImageCache::Refusal> ImageCache::TakeRefusals() {
    std::vector<Refusal> taken;
    taken.swap(m_refusals);
    return taken;
}

ImageCache::Picture ImageCache::Keep(const std::string& path, Entry entry) {
    Forget(path);
    entry.lastUse = m_uses;
    // The least recently used go first, until the new picture fits the budget (a single
    // picture larger than the budget is still kept while it is the only one).
    while (!m_entries.empty() &&
           (m_keptBytes + entry.bytes > kBudgetBytes || m_entries.size() >= kMaxEntries)) {
        auto oldest = m_entries.begin();
        for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
            if (it->second.lastUse < oldest->second.lastUse) {
                oldest = it;
            }
        }
        m_keptBytes -= oldest->second.bytes;
        m_entries.erase(oldest);
    }
    m_keptBytes += entry.bytes;
    return m_entries.emplace(path, std::move(entry)).first->second.picture;
}

void ImageCache::Forget(const std::string& path) {
    const auto found = m_entries.find(path);
    if (found != m_entries.end()) {
        m_keptBytes -= found->second.bytes;
        m_entries.erase(found);
    }
}
