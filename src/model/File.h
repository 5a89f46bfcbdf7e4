#pragma once

#include <string>

#include "model/Layout.h"

/// Outcome of reading or writing the layout file. The window layer turns it into the
/// messages the user sees.
enum class FileStatus {
    Ok,
    Missing,  ///< no file at the path: the load refuses to run, the store never creates it
    Failed,   ///< the file is there but could not be read or written completely
    /// Store only: the new file is in place, but its folder could not be synced, so a power
    /// cut may still bring back the old file.
    StoredUnsynced,
    /// Store only: the new file is in place, but the one it replaced could not be kept as the
    /// newest backup.
    StoredWithoutBackup,
    /// Complete loads only: the file was read, but it does not end with its "EndOfFile" line
    /// (cut off, or no layout file at all).
    Incomplete,
};

/// The layout file "tvxdef.ini" in the layout folder: loading it, and storing it so that a
/// crash or a power cut never leaves less than a whole file.
/// What the file holds is LayoutFormat's. Holds no data; every call works on the layout it is
/// given.
class File {
  public:
    virtual ~File() = default;

    /// The name of the layout file in the layout folder.
    static constexpr wchar_t kLayoutFileName[] = L"tvxdef.ini";

    /// Full path of the layout file in the layout's folder (native separator, UTF-8).
    static std::string LayoutPath(const Layout& layout);

    /// Reads the file into the layout on top of what it holds (normally the reset values).
    /// Missing only when there is nothing at the path; a file that is there but cannot be read
    /// (a folder, a link that leads nowhere, a read error, a file larger than kMostLayoutBytes)
    /// is Failed, and `error` (when given)
    /// says why.
    FileStatus LoadLayout(Layout& layout, std::string* error = nullptr) const;

    /// As LoadLayout, for a file that must not put part of a layout in place of a whole one
    /// (at the start, and for a file another program has put in place of the one the panel
    /// runs on): the file must also be complete (its last line "EndOfFile", as every store
    /// writes it) and no larger than a layout file can be. Otherwise Incomplete or Failed with
    /// the reason, and the layout is left as it was.
    FileStatus LoadCompleteLayout(Layout& layout, std::string* error = nullptr) const;
    /// As LoadCompleteLayout, from the file at `path` (native, links followed): the backup,
    /// or a file received under a temporary name.
    FileStatus LoadCompleteLayoutAt(const std::string& path, Layout& layout,
                                    std::string* error = nullptr) const;

    /// Full path of the newest backup a store keeps: beside the file the layout file's links
    /// lead to.
    static std::string BackupPath(const Layout& layout);

    /// Writes the whole layout. A file that holds these bytes already is left as it is: Ok,
    /// nothing written, no backup moved. Otherwise the old file is replaced only by a complete,
    /// synced new one (temporary file in the same folder, renamed over it), keeping its
    /// permissions, and is kept as the newest of the backups beside it (LayoutBackups: the last
    /// five distinct versions), so that a mistaken store can be undone by hand. When the path is
    /// a symbolic link (or a chain of them), the file it leads to is replaced and the links stay.
    /// On Failed the old file is left as it was; on Failed and the Stored... warnings `error`
    /// (when given) says why.
    FileStatus StoreLayout(const Layout& layout, std::string* error = nullptr) const;

    /// Deletes temporary files that an interrupted store left in the folder.
    static void RemoveStaleTemporaries(const std::wstring& directory);

    /// Where a store keeps the file it replaces, beside it (the newest of the backups).
    static constexpr char kBackupSuffix[] = ".bak";

    /// The largest layout file a load takes: far above the largest file a store writes.
    static constexpr long long kMostLayoutBytes = 16LL << 20;

  protected:
    /// The bytes of the layout file, for the load and for the store's comparison and backup.
    /// False with errno set when they cannot be read. A test double can fail here the ways a disk
    /// or the permissions can.
    virtual bool ReadWholeFile(const std::string& path, std::string& bytes) const;
    /// Last step of a store: puts the finished temporary file in place of the layout file.
    /// A test double can fail here to check that an interrupted store loses nothing.
    virtual bool ReplaceFile(const std::string& temporary, const std::string& target) const;
    /// Makes the rename of a store durable. False with errno set when the folder cannot be
    /// synced (a file system that cannot sync a folder at all counts as done).
    virtual bool SyncFolder(const std::string& folder) const;

  private:
    /// The bytes of the layout file at `path`, or Missing or Failed (with the reason) as
    /// LoadLayout says. A file larger than `largest` is not read.
    FileStatus ReadLayoutBytes(const std::string& path, long long largest, std::string& bytes,
                               std::string* error) const;
};
