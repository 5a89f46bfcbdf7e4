#include "panel/ImageCache.h"

#include <sys/stat.h>

#include <wx/image.h>
#include <wx/log.h>

ImageCache::Picture ImageCache::Fetch(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        m_entries.erase(path);
        return Picture();
    }
    const auto found = m_entries.find(path);
    if (found != m_entries.end() && found->second.seconds == info.st_mtim.tv_sec &&
        found->second.nanoseconds == info.st_mtim.tv_nsec &&
        found->second.size == static_cast<long long>(info.st_size)) {
        return found->second.picture;
    }

    wxImage image;
    {
        // A broken picture file is the layout's problem, not a reason for an error box.
        wxLogNull quiet;
        image.LoadFile(wxString::FromUTF8(path.c_str()));
    }
    Entry entry;
    entry.seconds = info.st_mtim.tv_sec;
    entry.nanoseconds = info.st_mtim.tv_nsec;
    entry.size = static_cast<long long>(info.st_size);
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
