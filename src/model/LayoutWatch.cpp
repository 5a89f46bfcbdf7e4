#include "model/LayoutWatch.h"

#include <sys/stat.h>

#include <algorithm>
#include <ctime>
#include <utility>

#include "model/File.h"
#include "model/Paths.h"
#include "model/PictureFile.h"

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

PictureLook LookAtPictures(const Layout& layout, std::optional<int> page) {
    PictureLook look;
    const std::wstring& folder = layout.Form.LayoutDirectory;
    const auto add = [&](const std::wstring& name) {
        // A name that is empty or not bare names no file: the page shows the default for it.
        if (const std::string path = PathInFolder(folder, name); !path.empty()) {
            look.emplace(path, IdentityOf(path));
        }
    };
    add(kMenuPicture);
    add(kDefaultPicture);
    if (!page || !Layout::IsPageSlot(*page)) {
        return look;
    }
    add(layout.Page(*page).PageImage);
    // As the page loads them: every button and the slot after the last.
    const int last = std::clamp(layout.Page(*page).Button_Last, 0, kButtonSlots - 1);
    for (int i = 0; i <= last; ++i) {
        const ButtonRecord& button = layout.Button(*page, i);
        add(button.Image_File_Off);
        add(button.Image_File_Press);
        add(button.Image_File_On);
    }
    return look;
}

bool FolderIsThere(const Layout& layout) {
    const std::wstring& directory = layout.Form.LayoutDirectory;
    return IdentityOf(directory.empty() ? std::string(".") : NativeName(directory)).has_value();
}

FolderSnapshot LookAtLayoutFolder(const Layout& layout, std::optional<int> page) {
    FolderSnapshot snapshot;
    snapshot.clock = static_cast<std::int64_t>(std::time(nullptr));
    snapshot.layout = IdentityOf(File::LayoutPath(layout));
    snapshot.folder = FolderIsThere(layout);
    snapshot.pictures = LookAtPictures(layout, page);
    return snapshot;
}

LayoutWatch::LayoutWatch(const FolderSnapshot& loaded) : m_lastLook(loaded) {
    Dealt(loaded);
}

LayoutWatch::Change LayoutWatch::Check(const FolderSnapshot& now) {
    const FolderSnapshot last = std::exchange(m_lastLook, now);
    m_layoutSettled = now.layout == last.layout;
    m_picturesSettled = now.pictures == last.pictures;
    if (!now.folder) {
        // Gone on two looks in a row: not a folder put back in one move. Nothing in it is news
        // while it is gone, and the page shows what it has.
        return m_knownFolder && !last.folder ? Change::FolderGone : Change::None;
    }
    m_knownFolder = true;
    // A layout file that went away is no news: a writer that deletes first brings the new
    // one soon, and until then the panel goes on with what it has.
    if (now.layout.has_value() && m_layoutSettled && now.layout != m_knownLayout) {
        return Change::Layout;
    }
    if (m_picturesSettled &&
        (now.pictures != m_knownPictures || (m_lookAgainAt && now.clock >= *m_lookAgainAt))) {
        return Change::Pictures;
    }
    return Change::None;
}

void LayoutWatch::Dealt(const FolderSnapshot& seen) {
    if (seen.layout.has_value() && m_layoutSettled) {
        m_knownLayout = seen.layout;
    }
    m_knownFolder = seen.folder;
    // While the folder is gone the page keeps its pictures: they are what it shows.
    if (seen.folder && m_picturesSettled) {
        Shown(seen.pictures, seen.clock);
    }
}

void LayoutWatch::Shown(const PictureLook& shown, std::int64_t clock) {
    m_knownPictures = shown;
    m_lastLook.pictures = shown;
    std::optional<std::int64_t> newest;
    for (const auto& [path, identity] : shown) {
        if (identity && (!newest || identity->seconds > *newest)) {
            newest = identity->seconds;
        }
    }
    // Clock seconds are whole; a change in the last second of the step still keeps the time.
    m_lookAgainAt.reset();
    if (newest && clock <= *newest + kClockStepSeconds) {
        m_lookAgainAt = *newest + kClockStepSeconds + 1;
    }
}

void LayoutWatch::Stored(const std::optional<FileIdentity>& written) {
    if (written.has_value()) {
        m_knownLayout = written;
    }
}
