#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "model/Layout.h"

/// One version of a file as the file system tells versions apart: a file replaced
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

/// The picture files a page shows, by path, each as found at one look (nothing where no file
/// is): its page picture, the menu and default pictures, and the three pictures of each button.
using PictureLook = std::map<std::string, std::optional<FileIdentity>>;

/// The layout folder at one look: the layout file, whether the folder is there at all, and the
/// pictures of the page shown.
struct FolderSnapshot {
    std::optional<FileIdentity> layout;
    bool folder = false;
    PictureLook pictures;
    std::int64_t clock = 0;  ///< when the look was taken: wall clock seconds, as file times

    /// Two looks are the same when they saw the same files, whenever they were taken.
    bool operator==(const FolderSnapshot& o) const {
        return layout == o.layout && folder == o.folder && pictures == o.pictures;
    }
    bool operator!=(const FolderSnapshot& o) const { return !(*this == o); }
};

/// Whether the layout folder of `layout` is there.
bool FolderIsThere(const Layout& layout);
/// Looks at the pictures the panel cannot start without (the menu and default pictures) and at
/// those `page` of `layout` shows, when a page is given, now.
PictureLook LookAtPictures(const Layout& layout, std::optional<int> page);
/// Looks at the layout file and the folder of `layout` now, and at the pictures as
/// LookAtPictures does.
FolderSnapshot LookAtLayoutFolder(const Layout& layout, std::optional<int> page = std::nullopt);

/// Tells from looks at the layout folder, one every few moments, when another program has put
/// a new layout file or new pictures for the page shown there, or when the folder has gone.
/// The panel's own stores are not news, and neither is a file the panel has dealt with already
/// (loaded, declined or found unusable), nor a file the page does not show.
///
/// A change is news only once it has settled: the file looked the same on two looks in a row, so
/// that a file still being written in place (its size or time still moving) is not read
/// half-done. The layout file and the pictures settle each by themselves, whatever else comes
/// and goes in the folder. A settled change is reported on every look until the caller has dealt
/// with it, so a caller that cannot act at the moment (a dialog open, a finger down) acts later.
///
/// A file system whose clock counts in coarse steps (two seconds on a memory card) gives a
/// picture written again within one step the time it already had. Pictures dealt with while the
/// newest of them was that recent are therefore reported once more when that time lies a whole
/// step back.
class LayoutWatch {
  public:
    enum class Change {
        None,
        Pictures,    ///< a picture of the page shown may have changed
        Layout,      ///< a layout file the panel did not write and has not dealt with
        FolderGone,  ///< the folder is not there any more
    };

    /// The coarsest step of the file clocks a layout folder may live on.
    static constexpr std::int64_t kClockStepSeconds = 2;

    /// Starts from the folder as it was when the panel read its layout file.
    explicit LayoutWatch(const FolderSnapshot& loaded);

    /// One look at the folder.
    Change Check(const FolderSnapshot& now);
    /// The change reported for `seen`, the look checked last, is dealt with: what had settled
    /// in it (the layout file, the pictures) and the folder as it was are not news again. A
    /// layout file that had not yet stood still stays news once it has.
    void Dealt(const FolderSnapshot& seen);
    /// The page now shows the pictures as `shown` found them (a page loaded or changed): only a
    /// change from these is news.
    void Shown(const PictureLook& shown, std::int64_t clock);
    /// The panel has just written the layout file itself; `written` is the file now in place.
    void Stored(const std::optional<FileIdentity>& written);

  private:
    std::optional<FileIdentity> m_knownLayout;
    bool m_knownFolder = false;
    PictureLook m_knownPictures;
    FolderSnapshot m_lastLook;
    /// Whether the layout file and the pictures stood still at the last look.
    bool m_layoutSettled = true;
    bool m_picturesSettled = true;
    /// The clock at which the known pictures, dealt with while one of them was recent, are
    /// reported once more.
    std::optional<std::int64_t> m_lookAgainAt;
};
