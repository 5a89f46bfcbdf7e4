#include "panel/ImageCache.h"

#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string_view>

#include <wx/image.h>
#include <wx/log.h>
#include <wx/mstream.h>

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

ImageCache::Picture ImageCache::Fetch(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        m_entries.erase(path);
        return Picture();
    }
    const auto found = m_entries.find(path);
    const bool sameFile = found != m_entries.end() &&
                          found->second.seconds == info.st_mtim.tv_sec &&
                          found->second.nanoseconds == info.st_mtim.tv_nsec &&
                          found->second.size == static_cast<long long>(info.st_size);
    if (sameFile && found->second.settled) {
        return found->second.picture;
    }

    // Judged before the bytes are read: when the time lies a whole step back already, any
    // write after the read gives the file a later time.
    const bool settled = LiesBack(info.st_mtim, kFileClockStepSeconds);
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) {
        m_entries.erase(path);
        return Picture();
    }
    const std::size_t fingerprint = std::hash<std::string_view>()(bytes);
    if (sameFile && found->second.fingerprint == fingerprint) {
        found->second.settled = settled;
        return found->second.picture;
    }

    wxImage image;
    {
        // A broken picture file is the layout's problem, not a reason for an error box.
        wxLogNull quiet;
        wxMemoryInputStream stream(bytes.data(), bytes.size());
        image.LoadFile(stream);
    }
    Entry entry;
    entry.seconds = info.st_mtim.tv_sec;
    entry.nanoseconds = info.st_mtim.tv_nsec;
    entry.size = static_cast<long long>(info.st_size);
    entry.fingerprint = fingerprint;
    entry.settled = settled;
    if (image.IsOk()) {
        entry.picture.bitmap = wxBitmap(image);
        entry.picture.serial = ++m_lastSerial;
    }
    if (m_entries.size() >= kMaxEntries) {
        m_entries.clear();
    }
    m_entries[path] = entry;
    return entry.picture;
}
