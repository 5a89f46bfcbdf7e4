#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "model/Layout.h"

/// One version of a file or folder as the file system tells versions apart: a file replaced
/// by a rename has another inode, one written in place another size or modification time.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t seconds = 0;
    std::int64_t nanoseconds = 0;

    bool operator==(const FileIdentity& o) const {
        return device == o.device && inode == o.inode && size == o.size && seconds == o.seconds &&
               nanoseconds == o.nanoseconds;
    }
    bool operator!=(const FileIdentity& o) const { return !(*this == o); }
};

/// The identity of what `path` leads to (links followed), or nothing when nothing is there or
/// it cannot be examined.
std::optional<FileIdentity> IdentityOf(const std::string& path);

/// The layout folder at one look: the layout file, and the folder itself, which changes when
/// a file arrives in it, goes or is renamed in it.
struct FolderSnapshot {
    std::optional<FileIdentity> layout;
    std::optional<FileIdentity> folder;
    std::int64_t clock = 0;  ///< when the look was taken: wall clock seconds, as file times

    /// Two looks are the same when they saw the same files, whenever they were taken.
    bool operator==(const FolderSnapshot& o) const {
        return layout == o.layout && folder == o.folder;
    }
    bool operator!=(const FolderSnapshot& o) const { return !(*this == o); }
};

/// Looks at the layout file and the folder of `layout` now.
FolderSnapshot LookAtLayoutFolder(const Layout& layout);

/// Tells from looks at the layout folder, one every few moments, when another program has put
/// a new layout file or new pictures there. The panel's own stores are not news, and neither
/// is a file the panel has dealt with already (loaded, declined or found unusable).
///
/// A change is news only once it has settled: the folder looked the same on two looks in a
/// row, so that a file still being written in place (its size or time still moving) is not
/// read half-done. A settled change is reported on every look until the caller has dealt with
/// it, so a caller that cannot act at the moment (a dialog open, a finger down) acts later.
///
/// A file system whose clock counts in coarse steps (two seconds on a memory card) gives a
/// folder changed again within one step the time it already had. A folder dealt with while its
/// time was that recent is therefore reported once more when the time lies a whole step back.
class LayoutWatch {
  public:
    enum class Change {
        None,
        Pictures,  ///< only the folder changed: the pictures of the page may have
        Layout,    ///< a layout file the panel did not write and has not dealt with
    };

    /// The coarsest step of the file clocks a layout folder may live on.
    static constexpr std::int64_t kClockStepSeconds = 2;

    /// Starts from the folder as it was when the panel read its layout file.
    explicit LayoutWatch(const FolderSnapshot& loaded);

    /// One look at the folder.
    Change Check(const FolderSnapshot& now);
    /// The change reported for `seen` is dealt with: neither that layout file nor that state
    /// of the folder is news again.
    void Dealt(const FolderSnapshot& seen);
    /// The panel has just written the layout file itself; `written` is the file now in place.
    void Stored(const std::optional<FileIdentity>& written);

  private:
    std::optional<FileIdentity> m_knownLayout;
    std::optional<FileIdentity> m_knownFolder;
    FolderSnapshot m_lastLook;
    /// The clock at which the known folder, dealt with while its time was recent, is reported
    /// once more.
    std::optional<std::int64_t> m_lookAgainAt;
};
