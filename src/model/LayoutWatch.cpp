#include "model/LayoutWatch.h"

#include <sys/stat.h>

#include <ctime>

#include "model/File.h"
#include "model/Paths.h"

std::optional<FileIdentity> IdentityOf(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    FileIdentity identity;
    identity.device = static_cast<std::uint64_t>(info.st_dev);
    identity.inode = static_cast<std::uint64_t>(info.st_ino);
    identity.size = static_cast<std::int64_t>(info.st_size);
    identity.seconds = static_cast<std::int64_t>(info.st_mtim.tv_sec);
    identity.nanoseconds = static_cast<std::int64_t>(info.st_mtim.tv_nsec);
    return identity;
}

FolderSnapshot LookAtLayoutFolder(const Layout& layout) {
    const std::wstring& directory = layout.Form.LayoutDirectory;
    FolderSnapshot snapshot;
    snapshot.clock = static_cast<std::int64_t>(std::time(nullptr));
    snapshot.layout = IdentityOf(File::LayoutPath(layout));
    snapshot.folder = IdentityOf(directory.empty() ? std::string(".") : NativeName(directory));
    return snapshot;
}

LayoutWatch::LayoutWatch(const FolderSnapshot& loaded) : m_lastLook(loaded) {
    Dealt(loaded);
}

LayoutWatch::Change LayoutWatch::Check(const FolderSnapshot& now) {
    const bool settled = now == m_lastLook;
    m_lastLook = now;
    if (!settled) {
        return Change::None;
    }
    // A layout file that went away is no news: a writer that deletes first brings the new
    // one soon, and until then the panel goes on with what it has.
    if (now.layout.has_value() && now.layout != m_knownLayout) {
        return Change::Layout;
    }
    if (now.folder != m_knownFolder || (m_lookAgainAt && now.clock >= *m_lookAgainAt)) {
        return Change::Pictures;
    }
    return Change::None;
}

void LayoutWatch::Dealt(const FolderSnapshot& seen) {
    if (seen.layout.has_value()) {
        m_knownLayout = seen.layout;
    }
    m_knownFolder = seen.folder;
    // Clock seconds are whole; a change in the last second of the step still keeps the time.
    m_lookAgainAt.reset();
    if (seen.folder.has_value() && seen.clock <= seen.folder->seconds + kClockStepSeconds) {
        m_lookAgainAt = seen.folder->seconds + kClockStepSeconds + 1;
    }
}

void LayoutWatch::Stored(const std::optional<FileIdentity>& written) {
    if (written.has_value()) {
        m_knownLayout = written;
    }
}
